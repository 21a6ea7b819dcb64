// karvelon-cli show FILE N: game N as the viewer loads it, as one JSON object.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli.h"
#include "cli/dd_json.h"
#include "cli/game_json.h"
#include "cli/options.h"
#include "core/defs.h"
#include "core/pbn_util.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "import/reading.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;
using namespace pbn;

// The note, suffix and NAGs of a move, within what the tags record holds.
void AddMoveAnnotations(Json& Move, const PbnMoveAnnoDef& tAnno, const PbnGameTagsDef& tTags) {
  Move["note"] = tAnno.Note;
  Move["suffix"] = tAnno.Suffix <= PBN_SUFFIX_QUESTIONABLE ? apcPbnSuffixNames[tAnno.Suffix] : "";
  Json Nags = Json::array();
  for (Int32 Index = std::max(tAnno.tNag.Begin, 0); Index < tAnno.tNag.End && Index < tTags.IxNags;
       Index++) {
    Nags.push_back(static_cast<int>(tTags.pNags[Index]));
  }
  Move["nags"] = Nags;
}

Json AuctionValue(const PbnGameDataDef& tData, const PbnGameTagsDef& tTags) {
  Json Auction = Json::array();
  const int NrCalls = std::min<int>(tData.tAuction.NrCalls, PBN_MAX_CALLS);
  for (int Call = 0; Call < NrCalls; Call++) {
    const PbnCallDef& tCall = tData.tAuction.atCalls[Call];
    Json Move{{"side", SideLetter(tCall.Side)},
              {"call", CallText(tCall)},
              {"insufficient", tCall.CallType == PBN_CALL_INSUFFICIENT}};
    AddMoveAnnotations(Move, tTags.atCallAnno[Call], tTags);
    Auction.push_back(Move);
  }
  return Auction;
}

Json PlayValue(const PbnGameTagsDef& tTags) {
  Json Play = Json::array();
  const int NrEntries = PlayNrEntries();
  for (int Entry = 0; Entry < NrEntries; Entry++) {
    const PbnPlayCardDef& tEntry = tGameAdmin.atPlayCards[Entry];
    const int Trick = Entry / 4;
    const int Side = tEntry.Side & 3;
    const Int8 Mark = tGameAdmin.aacIllegals[Trick][Side];
    Json Move{{"trick", Trick + 1},
              {"side", SideLetter(tEntry.Side)},
              {"card", CardText(tEntry.Card)},
              {"mark", Mark != 0 ? std::string(1, static_cast<char>(Mark)) : std::string()}};
    AddMoveAnnotations(Move, tTags.aatCardAnno[Trick][Side], tTags);
    Play.push_back(Move);
  }
  return Play;
}

Json NsTricksValue() {
  Json Tricks = Json::array();
  const int NrTricks = PlayNrEntries() / 4;
  for (int Trick = 0; Trick < NrTricks; Trick++)
    Tricks.push_back(tGameAdmin.aNrWonNS[Trick]);
  return Tricks;
}

Json HiddenValue() {
  Json Hidden = Json::array();
  for (PbnSideDef Side : {PBN_NORTH, PBN_EAST, PBN_SOUTH, PBN_WEST}) {
    if (PbnImportHiddenSides()[Side]) Hidden.push_back(SideLetter(Side));
  }
  return Hidden;
}

Json NotesOf(const std::array<PbnMoveNoteDef, PBN_N_NOTES>& atNotes) {
  Json Notes = Json::object();
  for (int Note = 1; Note <= PBN_N_NOTES; Note++) {
    const char* pcText = atNotes[Note - 1].tTagValue.acValue.data();
    if (pcText[0] != '\0') Notes[std::to_string(Note)] = PbnTextToUtf8(pcText);
  }
  return Notes;
}

Json AnnotationValue() {
  Json Lines = Json::array();
  for (UInt32 Line = 0; Line < TextAnnoNrLines(); Line++) {
    const unsigned char* pcLine = TextAnnoLine(Line);
    if (pcLine == nullptr) break;
    Lines.push_back(AnnoLineText(pcLine));
  }
  return Lines;
}

Json RawValue(UInt32 NrLines) {
  Json Lines = Json::array();
  for (UInt32 Line = 0; Line < NrLines; Line++) {
    const char* pcLine = GameTxtLine(Line);
    if (pcLine == nullptr) break;
    Lines.push_back(PbnTextToUtf8(pcLine));
  }
  return Lines;
}

Json MistakesValue(UInt32 GameNr) {
  Json Mistakes = Json::array();
  const PbnLogEntryDef* atEntries = GameMistakes(GameNr);
  for (UInt32 Entry = 0; Entry < GameNrKeptMistakes(GameNr); Entry++) {
    const PbnLogEntryDef& tEntry = atEntries[Entry];
    Mistakes.push_back(Json{{"line", tEntry.LineNr},
                            {"text", PbnTextToUtf8(tEntry.Text.c_str())},
                            {"marks", tEntry.Marks},
                            {"message", tEntry.Message}});
  }
  return Mistakes;
}

Json ColumnValue(const PbnTableColumnDef& tColumn) {
  static constexpr const char* apcOrders[3] = {"", "-", "+"};
  static constexpr const char* apcAligns[3] = {"", "L", "R"};
  return Json{{"name", tColumn.acName.data()},
              {"order", apcOrders[tColumn.Order % 3]},
              {"width", tColumn.Width != 0 ? Json(tColumn.Width) : Json(nullptr)},
              {"align", apcAligns[tColumn.Align % 3]}};
}

Json TablesValue(const PbnGameTagsDef& tTags) {
  Json Tables = Json::array();
  const PbnTableStoreDef& tStore = tTags.tTables;
  for (UInt32 Table = 0; Table < PbnTableCount(tStore); Table++) {
    const PbnTableDef& tTable = PbnTableAt(tStore, Table);
    Json Columns = Json::array();
    for (int Column = 0; Column < tTable.NrColumns; Column++)
      Columns.push_back(ColumnValue(tTable.atColumns[Column]));
    Json Rows = Json::array();
    const UInt32 NrColumns = static_cast<UInt32>(tTable.NrColumns);
    for (UInt32 First = 0; First + NrColumns <= tTable.NrElements; First += NrColumns) {
      Json Row = Json::array();
      for (UInt32 Column = 0; Column < NrColumns; Column++)
        Row.push_back(PbnTextToUtf8(PbnTableElement(tStore, tTable, First + Column)));
      Rows.push_back(Row);
    }
    Tables.push_back(
        Json{{"tag", aPbnTagNames[tTable.TagId]}, {"columns", Columns}, {"rows", Rows}});
  }
  return Tables;
}

Json ExtraTagsValue(const PbnGameTagsDef& tTags) {
  Json Tags = Json::array();
  for (UInt32 Tag = 0; Tag < PbnExtraTagCount(tTags); Tag++) {
    const PbnExtraTagDef& tExtra = tTags.ptExtraTags[Tag];
    Tags.push_back(Json{{"name", PbnTextToUtf8(tExtra.tName.acValue.data())},
                        {"value", PbnTextToUtf8(tExtra.tValue.acValue.data())}});
  }
  return Tags;
}

// A game number is digits only; one too large for any file reads as out of range.
bool ParseGameNumber(const std::string& Text, unsigned long* pNumber) {
  if (Text.empty() || Text.find_first_not_of("0123456789") != std::string::npos) return false;
  const std::string Digits = Text.substr(std::min(Text.find_first_not_of('0'), Text.size()));
  *pNumber = Digits.size() > 10 ? UINT32_MAX + 1ul : std::strtoul(Text.c_str(), nullptr, 10);
  return true;
}

}  // namespace

int Show(const Args& args) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("show", args, &tLine, &Error)) return Fail("show: " + Error);
  const std::vector<std::string>& Operands = tLine.aOperands;
  PbnImportOptionsDef tOptions;
  tOptions.bKeepRefused = tLine.Has(kWithMistakes);
  const bool bDoubleDummy = tLine.Has("--dd");
  if (Operands.size() != 2) return Fail("show: usage: " + CommandUsage("show"));
  unsigned long GameNr = 0;
  if (!ParseGameNumber(Operands[1], &GameNr)) {
    return Fail("show: '" + Operands[1] + "' is not a game number");
  }
  FilePtr pFile = OpenPbnFile(Operands[0], tOptions.bKeepRefused);
  if (!pFile) return kExitError;
  PbnImportOptionsDef tReading = UseReading(pFile.get(), Operands[0], true);

  tReading.bKeepRefused = tOptions.bKeepRefused;
  const unsigned NrGames = IndexGames(pFile.get(), {}, tReading);
  NoteIndexPass("show", Operands[0], NrGames, false);  // the range says a file without games
  if (GameNr < 1 || GameNr > NrGames) {
    Fail("show: game " + Operands[1] + " is out of range: " + Operands[0] + " has " +
         std::to_string(NrGames) + (NrGames == 1 ? " game" : " games"));
    return kExitNone;
  }
  UInt32 NrLines = 0;
  GameLoad(pFile.get(), static_cast<UInt32>(GameNr), &NrLines);
  const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
  const PbnGameTagsDef& tTags = *tGameAdmin.ptGameTags;

  Json Game;
  Game["game"] = GameNr;
  Game["games"] = NrGames;
  if (tReading.Standard == PBN_STANDARD_2_1) Game["pbn"] = "2.1";
  Game["tags"] = TagsValue(tTags);
  Game["dealer"] = SideValue(tData.tSituation.Dealer);
  Game["vulnerable"] = VulnerableValue(tData.tSituation.Vulner);
  Game["deal"] = DealValue(tData.tDeal);
  Game["contract"] = ContractValue(tData.tContract);
  Game["result"] = ResultValue(tData.Result);
  Game["auction"] = AuctionValue(tData, tTags);
  Game["play"] = PlayValue(tTags);
  Game["ns_tricks"] = NsTricksValue();
  Game["hidden"] = HiddenValue();
  Game["notes"] = Json{{"auction", NotesOf(tTags.atCallNote)}, {"play", NotesOf(tTags.atCardNote)}};
  Game["annotation"] = AnnotationValue();
  Game["raw"] = RawValue(NrLines);
  if (GamesWithMistakes()) {
    const auto Nr = static_cast<UInt32>(GameNr);
    Game["mistakes"] = MistakesValue(Nr);
    // Past the first ones only the number of entries is kept.
    if (GameNrMistakes(Nr) > GameNrKeptMistakes(Nr)) {
      Game["mistakes_not_kept"] = GameNrMistakes(Nr) - GameNrKeptMistakes(Nr);
    }
  }
  if (bDoubleDummy)
    Game["double_dummy"] = DoubleDummyValue(analysis::AnalyseDeal(DealInput(tData)));
  if (tReading.Standard == PBN_STANDARD_2_1) {
    Game["tables"] = TablesValue(tTags);
    Game["extra_tags"] = ExtraTagsValue(tTags);
  }
  std::printf("%s\n", Game.dump(2, ' ', false, Json::error_handler_t::replace).c_str());
  return kExitOk;
}

}  // namespace cli
