// The list of games: rows of a few bytes filled by the index pass, texts kept once, and the
// filter, order and traveller of the window's game list, all without loading a game.
#include "games/game_list.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <new>
#include <unordered_map>

#include "core/defs.h"
#include "core/score.h"
#include "core/text.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/admin.h"
#include "import/import.h"

namespace pbn {

namespace {

// Each text once: boards, events and players repeat over thousands of games.
class TextPoolDef {
 public:
  TextPoolDef() { Intern(""); }
  UInt32 Intern(std::string_view Text) {
    const auto it = aIds_.find(Text);
    if (it != aIds_.end()) return it->second;
    const std::string& Stored = atTexts_.emplace_back(Text);  // a deque never moves its texts
    const UInt32 id = static_cast<UInt32>(atTexts_.size() - 1);
    aIds_.emplace(Stored, id);
    return id;
  }
  // The number of Text, or none when no game holds it.
  bool Find(std::string_view Text, UInt32* pid) const {
    const auto it = aIds_.find(Text);
    if (it == aIds_.end()) return false;
    *pid = it->second;
    return true;
  }
  const std::string& At(UInt32 id) const { return atTexts_[id < atTexts_.size() ? id : 0]; }
  UInt32 Size() const { return static_cast<UInt32>(atTexts_.size()); }
  std::size_t Memory() const {
    std::size_t Bytes = aIds_.bucket_count() * sizeof(void*);
    for (const std::string& Text : atTexts_) {
      Bytes +=
          sizeof(std::string) + sizeof(std::pair<std::string_view, UInt32>) + 2 * sizeof(void*);
      if (Text.capacity() > 15) Bytes += Text.capacity() + 1;  // beyond the short-text buffer
    }
    return Bytes;
  }

 private:
  std::deque<std::string> atTexts_;
  std::unordered_map<std::string_view, UInt32> aIds_;
};

struct GameListTableDef {
  // Element n - 1 is game n. Blocks of a few hundred bytes: growing never copies the rows, so
  // the list's peak stays its size.
  std::deque<GameListRowDef> atRows;
  TextPoolDef tTexts;
  bool bHasPar = false;
  std::array<UInt32, PBN_N_TAG_IDS> aidSticky{};  // the latest "##value" of each tag (PBN 2.1)
};

GameListTableDef tList;
GameListTableDef tListBuilt;  // the one the index pass fills until it is published
GameListTableDef* ptListFilled = &tListBuilt;

const GameListRowDef tNoRow{};

// A tag's text as the game stands for it: an inherited value for "#", "" for an empty value.
std::string_view TagText(const PbnGameTagsDef& tGameTags, int TagId) {
  const char* pcValue = TagValue(tGameTags, TagId);
  if (pcValue[0] == '#' && pcValue[1] == '\0') pcValue = PbnImportInheritedValue(TagId);
  return TagValueText(pcValue);
}

// "NS 420", "EW 100" or both (the first counts): North-South's par.
Int16 ParFromOptimumScore(std::string_view Text) {
  const bool bNS = Text.substr(0, 3) == "NS ";
  if (!bNS && Text.substr(0, 3) != "EW ") return kGameListNoPar;
  const long Score = std::strtol(std::string(Text.substr(3)).c_str(), nullptr, 10);
  if (Score < -30000 || Score > 30000) return kGameListNoPar;
  return static_cast<Int16>(bNS ? Score : -Score);
}

std::string_view ExtraTagText(const PbnGameTagsDef& tGameTags, const char* pcName) {
  for (UInt32 i = 0; i < PbnExtraTagCount(tGameTags); i++) {
    const PbnExtraTagDef& tExtra = tGameTags.ptExtraTags[i];
    if (std::strcmp(tExtra.tName.acValue.data(), pcName) == 0) return tExtra.tValue.acValue.data();
  }
  return {};
}

// The text a tag stands for in a game: its own, the inherited one for "#", or, where the game
// lacks the tag, the latest "##value" of the file.
UInt32 TagTextId(const PbnGameTagsDef& tGameTags, int TagId, GameListTableDef* ptTable) {
  const UInt32 id = ptTable->tTexts.Intern(TagText(tGameTags, TagId));
  if (tAdmin.abStickyTag[TagId]) ptTable->aidSticky[TagId] = id;
  return TagValue(tGameTags, TagId)[0] == '\0' ? ptTable->aidSticky[TagId] : id;
}

// Only what the import accepted: a value it refused is left out.
GameListRowDef MakeRow(const PbnGameDataDef& tGameData, const PbnGameTagsDef& tGameTags,
                       GameListTableDef* ptTable) {
  GameListRowDef tRow{};
  tRow.idBoard = TagTextId(tGameTags, PBN_TAG_ID_BOARD, ptTable);
  tRow.idEvent = TagTextId(tGameTags, PBN_TAG_ID_EVENT, ptTable);
  static constexpr int aPlayerTags[PBN_N_SIDES] = {PBN_TAG_ID_SOUTH, PBN_TAG_ID_WEST,
                                                   PBN_TAG_ID_NORTH, PBN_TAG_ID_EAST};
  for (int Side = 0; Side < PBN_N_SIDES; Side++)
    tRow.aidPlayers[Side] = TagTextId(tGameTags, aPlayerTags[Side], ptTable);
  tRow.idParContract = ptTable->tTexts.Intern(ExtraTagText(tGameTags, "ParContract"));
  PbnGameDataDef tAccepted = tGameData;
  ForgetRefusedValues(&tAccepted, tGameTags);
  tRow.tContract = tAccepted.tContract;
  tRow.Result = tAccepted.Result;
  tRow.Vulner = tAccepted.tSituation.Vulner;
  const UInt32 idOptimum = TagTextId(tGameTags, PBN_TAG_ID_OPTIMUMSCORE, ptTable);
  tRow.ParNS = ParFromOptimumScore(ptTable->tTexts.At(idOptimum));
  return tRow;
}

// The contract as list prints it, with its declarer's letter: "4SX N".
std::string ContractWithDeclarer(const PbnContractDef& tContract) {
  std::string Text = ContractText(tContract);
  if (!Text.empty() && PbnSideIsValid(tContract.Declarer))
    Text += std::string(" ") + apcPbnSideNames[tContract.Declarer][0];
  return Text;
}

std::string PairText(const std::string& First, const std::string& Second) {
  if (First.empty() || Second.empty()) return First + Second;
  return First + " & " + Second;
}

std::string PlayersText(const GameListRowDef& tRow) {
  const auto Name = [&tRow](PbnSideDef Side) { return GameListString(tRow.aidPlayers[Side]); };
  const std::string NS = PairText(Name(PBN_NORTH), Name(PBN_SOUTH));
  const std::string EW = PairText(Name(PBN_EAST), Name(PBN_WEST));
  if (NS.empty() || EW.empty()) return NS + EW;
  return NS + " v " + EW;
}

std::string ParText(const GameListRowDef& tRow) {
  std::string Text = tRow.ParNS != kGameListNoPar ? ScoreText(tRow.ParNS) : "";
  const std::string& Contract = GameListString(tRow.idParContract);
  if (!Text.empty() && !Contract.empty()) Text += " ";
  return Text + Contract;
}

std::optional<int> RowScore(const GameListRowDef& tRow) {
  return GameScoreNS(tRow.tContract, tRow.Result, tRow.Vulner);
}

std::string Lower(std::string_view Text) {
  std::string Lowered(Text);
  for (char& c : Lowered)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Lowered;
}

// "4S", "6NT", "3nx": level, strain and (when given) risk.
bool ParseContract(std::string_view Word, PbnContractDef* ptContract) {
  if (Word.size() < 2 || Word[0] < '1' || Word[0] > '7') return false;
  const std::string Rest = Lower(Word.substr(1));
  static constexpr const char* apcStrains[] = {"c", "d", "h", "s", "nt", "n"};
  for (int Strain = 0; Strain < 6; Strain++) {
    const std::string_view Name = apcStrains[Strain];
    if (Rest.compare(0, Name.size(), Name) != 0) continue;
    const std::string_view Risk = std::string_view(Rest).substr(Name.size());
    if (Risk != "" && Risk != "x" && Risk != "xx") continue;
    ptContract->NrTricks = static_cast<PbnNrTricksDef>(Word[0] - '0');
    ptContract->Trump = static_cast<PbnTrumpDef>(std::min(Strain, 4));
    ptContract->Risk = Risk.empty() ? PBN_RISK_UNKNOWN : static_cast<PbnRiskDef>(Risk.size());
    return true;
  }
  return false;
}

// One word of the filter, made ready to test a row in a few steps.
class FilterWordDef {
 public:
  explicit FilterWordDef(std::string_view Word) {
    if (Word == "!") {
      Kind_ = KindDef::Mistakes;
    } else if (std::all_of(Word.begin(), Word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      Kind_ = KindDef::Board;
      bKnown_ = tList.tTexts.Find(Word, &idBoard_);
    } else if (ParseContract(Word, &tContract_)) {
      Kind_ = KindDef::Contract;
    } else {
      Kind_ = KindDef::Name;  // which texts hold the word, once for all rows
      const std::string Part = Lower(Word);
      abNames_.resize(tList.tTexts.Size());
      for (UInt32 id = 1; id < tList.tTexts.Size(); id++)
        abNames_[id] = Lower(tList.tTexts.At(id)).find(Part) != std::string::npos;
    }
  }

  bool Matches(UInt32 GameNr, const GameListRowDef& tRow) const {
    switch (Kind_) {
      case KindDef::Mistakes:
        return GameNrMistakes(GameNr) != 0;
      case KindDef::Board:
        return bKnown_ && tRow.idBoard == idBoard_;
      case KindDef::Contract:
        return tRow.tContract.NrTricks == tContract_.NrTricks &&
               tRow.tContract.Trump == tContract_.Trump &&
               (tContract_.Risk == PBN_RISK_UNKNOWN || tRow.tContract.Risk == tContract_.Risk);
      case KindDef::Name:
        return std::any_of(tRow.aidPlayers.begin(), tRow.aidPlayers.end(),
                           [this](UInt32 id) { return abNames_[id] != 0; });
    }
    return false;
  }

 private:
  enum class KindDef { Mistakes, Board, Contract, Name } Kind_;
  bool bKnown_ = false;
  UInt32 idBoard_ = 0;
  PbnContractDef tContract_{};
  std::vector<char> abNames_;
};

std::vector<std::string_view> Words(std::string_view Text) {
  std::vector<std::string_view> atWords;
  while (!Text.empty()) {
    const std::size_t Begin = Text.find_first_not_of(" \t");
    if (Begin == std::string_view::npos) break;
    const std::size_t End = std::min(Text.find_first_of(" \t", Begin), Text.size());
    atWords.push_back(Text.substr(Begin, End - Begin));
    Text.remove_prefix(End);
  }
  return atWords;
}

// A number to order a column by.
long long SortNumber(UInt32 GameNr, GameListColumnDef Column) {
  const GameListRowDef& tRow = GameListRow(GameNr);
  constexpr long long kNone = -1000000;  // an unknown value orders first
  switch (Column) {
    case GameListColumnDef::Number:
      return GameNr;
    case GameListColumnDef::Contract:
      if (!PbnTrumpIsValid(tRow.tContract.Trump)) return kNone;
      return (tRow.tContract.NrTricks * 8 + tRow.tContract.Trump) * 4 + (tRow.tContract.Risk & 3);
    case GameListColumnDef::Result:
      return ResultTricks(tRow.Result).value_or(kNone);
    case GameListColumnDef::Score:
      return RowScore(tRow).value_or(kNone);
    case GameListColumnDef::Mistakes:
      return GameNrMistakes(GameNr);
    case GameListColumnDef::Par:
      return tRow.ParNS != kGameListNoPar ? tRow.ParNS : kNone;
    default:
      return 0;
  }
}

// Boards are numbers as a rule: "9" before "10"; other texts after them, alphabetically.
bool BoardLess(const std::string& First, const std::string& Second) {
  const auto Number = [](const std::string& Text) {
    const bool bNumber =
        !Text.empty() && Text.size() < 10 &&
        std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return bNumber ? std::stol(Text) : -1L;
  };
  const long FirstNr = Number(First);
  const long SecondNr = Number(Second);
  if (FirstNr != SecondNr) return FirstNr >= 0 && (SecondNr < 0 || FirstNr < SecondNr);
  return First < Second;
}

// The place of each text in the order of boards or of names: texts are few, games many.
std::vector<UInt32> TextRanks(bool bBoards) {
  std::vector<UInt32> aIds(tList.tTexts.Size());
  for (UInt32 id = 0; id < aIds.size(); id++)
    aIds[id] = id;
  std::sort(aIds.begin(), aIds.end(), [bBoards](UInt32 First, UInt32 Second) {
    const std::string& FirstText = GameListString(First);
    const std::string& SecondText = GameListString(Second);
    return bBoards ? BoardLess(FirstText, SecondText) : FirstText < SecondText;
  });
  std::vector<UInt32> aRanks(aIds.size());
  for (UInt32 Rank = 0; Rank < aIds.size(); Rank++)
    aRanks[aIds[Rank]] = Rank;
  return aRanks;
}

using SortKeyDef = std::array<long long, 4>;

// Players order by North, South, East and West, as the column reads.
SortKeyDef MakeSortKey(UInt32 GameNr, GameListColumnDef Column, const std::vector<UInt32>& aRanks) {
  const GameListRowDef& tRow = GameListRow(GameNr);
  if (Column == GameListColumnDef::Board) return {aRanks[tRow.idBoard], 0, 0, 0};
  if (Column == GameListColumnDef::Players) {
    const auto& aid = tRow.aidPlayers;
    return {aRanks[aid[PBN_NORTH]], aRanks[aid[PBN_SOUTH]], aRanks[aid[PBN_EAST]],
            aRanks[aid[PBN_WEST]]};
  }
  return {SortNumber(GameNr, Column), 0, 0, 0};
}

bool bListKept = false;

}  // namespace

void GameListKeep(PbnBoolDef bKeep) {
  bListKept = bKeep;
}

void GameListPassBegin() {
  tListBuilt = GameListTableDef{};
  ptListFilled = &tListBuilt;
}

void GameListAddGame(const PbnGameDataDef& tGameData, const PbnGameTagsDef& tGameTags) {
  if (!bListKept) return;
  GameListTableDef& tTable = *ptListFilled;
  try {
    tTable.atRows.push_back(MakeRow(tGameData, tGameTags, &tTable));
    tTable.bHasPar = tTable.bHasPar || tTable.atRows.back().ParNS != kGameListNoPar ||
                     tTable.atRows.back().idParContract != 0;
  } catch (const std::bad_alloc&) {
    // Out of memory: the list shows the games it holds; the rest stay empty rows.
  }
}

void GameListPassPublish() {
  if (ptListFilled == &tList) return;
  tList = std::move(tListBuilt);
  tListBuilt = GameListTableDef{};
  ptListFilled = &tList;
}

void GameListPassEnd(PbnBoolDef bCompleted) {
  if (bCompleted && ptListFilled == &tListBuilt) tList = std::move(tListBuilt);
  tListBuilt = GameListTableDef{};
  ptListFilled = &tListBuilt;
}

UInt32 GameListSize() {
  return static_cast<UInt32>(tList.atRows.size());
}

const GameListRowDef& GameListRow(UInt32 GameNr) {
  return GameNr >= 1 && GameNr <= tList.atRows.size() ? tList.atRows[GameNr - 1] : tNoRow;
}

const std::string& GameListString(UInt32 idText) {
  return tList.tTexts.At(idText);
}

std::string GameListText(UInt32 GameNr, GameListColumnDef Column) {
  const GameListRowDef& tRow = GameListRow(GameNr);
  switch (Column) {
    case GameListColumnDef::Number:
      return std::to_string(GameNr) + (GameNrMistakes(GameNr) != 0 ? "!" : "");
    case GameListColumnDef::Board:
      return GameListString(tRow.idBoard);
    case GameListColumnDef::Contract:
      return ContractWithDeclarer(tRow.tContract);
    case GameListColumnDef::Result: {
      const std::optional<int> Tricks = ResultTricks(tRow.Result);
      return Tricks ? std::to_string(*Tricks) : "";
    }
    case GameListColumnDef::Score: {
      const std::optional<int> Score = RowScore(tRow);
      return Score ? ScoreText(*Score) : "";
    }
    case GameListColumnDef::Players:
      return PlayersText(tRow);
    case GameListColumnDef::Mistakes: {
      const UInt32 NrMistakes = GameNrMistakes(GameNr);
      return NrMistakes != 0 ? std::to_string(NrMistakes) : "";
    }
    case GameListColumnDef::Par:
      return ParText(tRow);
  }
  return "";
}

void GameListSetPar(UInt32 GameNr, int ParNS) {
  if (GameNr < 1 || GameNr > tList.atRows.size()) return;
  GameListRowDef& tRow = tList.atRows[GameNr - 1];
  if (tRow.ParNS == kGameListNoPar) tRow.ParNS = static_cast<Int16>(ParNS);
  tList.bHasPar = true;
}

PbnBoolDef GameListHasPar() {
  return tList.bHasPar;
}

std::vector<UInt32> GameListSelect(std::string_view Filter) {
  std::vector<FilterWordDef> atWords;
  for (std::string_view Word : Words(Filter))
    atWords.emplace_back(Word);
  std::vector<UInt32> aGames;
  aGames.reserve(atWords.empty() ? tList.atRows.size() : 1024);
  for (UInt32 GameNr = 1; GameNr <= tList.atRows.size(); GameNr++) {
    const GameListRowDef& tRow = tList.atRows[GameNr - 1];
    if (std::all_of(atWords.begin(), atWords.end(),
                    [&](const FilterWordDef& tWord) { return tWord.Matches(GameNr, tRow); })) {
      aGames.push_back(GameNr);
    }
  }
  return aGames;
}

void GameListSort(std::vector<UInt32>* paGames, GameListColumnDef Column, PbnBoolDef bDescending) {
  // Each game's key once, then plain comparisons: a sort of 100,000 rows takes milliseconds.
  const std::vector<UInt32> aRanks =
      Column == GameListColumnDef::Board || Column == GameListColumnDef::Players
          ? TextRanks(Column == GameListColumnDef::Board)
          : std::vector<UInt32>();
  std::vector<std::pair<SortKeyDef, UInt32>> atKeyed;
  atKeyed.reserve(paGames->size());
  for (UInt32 GameNr : *paGames)
    atKeyed.emplace_back(MakeSortKey(GameNr, Column, aRanks), GameNr);
  // Equal rows keep the order they had, file order to begin with, either way.
  if (bDescending) {
    std::stable_sort(atKeyed.begin(), atKeyed.end(), [](const auto& First, const auto& Second) {
      return Second.first < First.first;
    });
  } else {
    std::stable_sort(atKeyed.begin(), atKeyed.end(), [](const auto& First, const auto& Second) {
      return First.first < Second.first;
    });
  }
  for (std::size_t i = 0; i < atKeyed.size(); i++)
    (*paGames)[i] = atKeyed[i].second;
}

std::vector<UInt32> GameListSameBoard(UInt32 GameNr) {
  std::vector<UInt32> aGames;
  if (GameNr < 1 || GameNr > tList.atRows.size()) return aGames;
  const GameListRowDef& tGame = tList.atRows[GameNr - 1];
  for (UInt32 Other = 1; Other <= tList.atRows.size(); Other++) {
    const GameListRowDef& tRow = tList.atRows[Other - 1];
    if (tRow.idBoard == tGame.idBoard && tRow.idEvent == tGame.idEvent) aGames.push_back(Other);
  }
  return aGames;
}

PbnFilePosDef GameFilePos(UInt32 GameNr) {
  const DynamicDataDef& tIndex = tFileAdmin.tGameTagDD;
  if (GameNr < 1 || GameNr > tIndex.CurData) return kNoSource;
  return DynamicDataAt<GameTagDataDef>(tIndex, GameNr)->FilePosBegin;
}

UInt32 GameAtFilePos(PbnFilePosDef FilePos) {
  // The games of the index stand in file order.
  UInt32 Low = 1;
  UInt32 High = tFileAdmin.tGameTagDD.CurData;
  if (High == 0) return 0;
  while (Low < High) {
    const UInt32 Middle = Low + (High - Low) / 2;
    if (GameFilePos(Middle) < FilePos) {
      Low = Middle + 1;
    } else {
      High = Middle;
    }
  }
  // Low: the first game at or after FilePos, else the last game; the one before may be nearer.
  const long After = static_cast<long>(GameFilePos(Low)) - FilePos;
  if (Low > 1 && After > 0 && static_cast<long>(FilePos) - GameFilePos(Low - 1) < After) {
    return Low - 1;
  }
  return Low;
}

std::size_t GameListMemory() {
  constexpr std::size_t kBlock = 512;  // the deque's block in libstdc++, and its map pointer
  const std::size_t NrBlocks = tList.atRows.size() / (kBlock / sizeof(GameListRowDef)) + 1;
  return NrBlocks * (kBlock + sizeof(void*)) + tList.tTexts.Memory();
}

}  // namespace pbn
