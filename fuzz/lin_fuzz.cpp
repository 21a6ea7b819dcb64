// Fuzz target: the LIN conversions. The input read as LIN gives a PBN text that a PBN reader takes
// (printable UTF-8 lines of at most 254 bytes, one LIN place per line). The input read as a PBN
// file and written as LIN reads back as one board per game written, and every game that LIN can
// hold comes back as it was: the players, board and room, dealer, vulnerability, deal, the calls
// with their explanations, the contract, the cards played and the result.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "formats/lin.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "import/reading.h"
#include "replay/pbn_play.h"

namespace {

using namespace pbn;

[[noreturn]] void Fail(const std::string& What, const std::string& Detail) {
  std::fprintf(stderr, "lin_fuzz: %s\n%s\n", What.c_str(), Detail.c_str());
  std::abort();
}

bool IsUtf8(std::string_view Text) {
  for (std::size_t i = 0; i < Text.size();) {
    const std::size_t n = pbn::Utf8CharLength(Text.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// What a PBN text may hold, and a LIN place for each of its lines.
void CheckPbnText(const lin::LinToPbnDef& tOut, const std::string& Lin) {
  std::size_t NrLines = 0;
  std::size_t LineLength = 0;
  for (const char c : tOut.Pbn) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\n') || u == 0x7F) Fail("a control character in the PBN text", Lin);
    LineLength = c == '\n' ? 0 : LineLength + 1;
    if (LineLength > 254) Fail("a PBN line of 255 bytes or more", Lin);
    NrLines += c == '\n';
  }
  if (!IsUtf8(tOut.Pbn)) Fail("the PBN text is no UTF-8", Lin);
  if (tOut.atLinePos.size() != NrLines) Fail("a PBN line without its LIN place", Lin);
}

// A text of the file as UTF-8, as the LIN writer turns it: a byte of a Latin-1 file is its
// character, a byte that is no UTF-8 in a UTF-8 file is U+FFFD.
std::string Utf8Of(const char* pcValue, bool bLatin1) {
  const std::string_view Value = pcValue;
  std::string Text;
  for (std::size_t i = 0; i < Value.size(); i++) {
    const auto c = static_cast<unsigned char>(Value[i]);
    if (c == PBN_EMPTY_VALUE_MARKER) continue;
    if (c < 0x80) {
      Text += static_cast<char>(c);
    } else if (bLatin1) {
      Text += static_cast<char>(0xC0 | (c >> 6));
      Text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (const std::size_t n = pbn::Utf8CharLength(Value.substr(i)); n > 0) {
      Text.append(Value.substr(i, n));
      i += n - 1;
    } else {
      Text += "\xEF\xBF\xBD";
    }
  }
  return Text;
}

// A text that LIN gives back as it was: no bar, no blank at either end, and (for a list of
// names) no comma. Of a note, a suit symbol is "\S"; LIN has no other backslash, and "!S" in
// LIN is a suit symbol.
bool LinKeeps(std::string_view Text, bool bNote) {
  if (Text.size() > 240 || Text.find('|') != Text.npos) return false;
  if (!Text.empty() && (Text.front() == ' ' || Text.back() == ' ')) return false;
  for (std::size_t i = 0; i < Text.size(); i++) {
    const char Next = i + 1 < Text.size() ? Text[i + 1] : '\0';
    if (!bNote && Text[i] == ',') return false;
    if (Text[i] == '\\' && (!bNote || std::string_view("SHDC").find(Next) == Text.npos))
      return false;
    if (Text[i] == '!' && Next != '\0' && std::string_view("SHDCshdc").find(Next) != Text.npos)
      return false;
  }
  return true;
}

// The Board a LIN heading gives back: a number from 1 without leading zeros.
bool IsBoardNumber(std::string_view Board) {
  if (Board.empty() || Board.size() > 5 || Board[0] == '0') return false;
  for (const char c : Board) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Whether the calls end the auction (three passes after a bid, or four passes), and the level
// of the last bid.
bool AuctionEnds(const PbnAuctionDef& tAuction, int* pLevel) {
  int NrPasses = 0;
  *pLevel = 0;
  for (int i = 0; i < tAuction.NrCalls && i < PBN_MAX_CALLS; i++) {
    NrPasses = tAuction.atCalls[i].CallType == PBN_CALL_PASS ? NrPasses + 1 : 0;
    if (tAuction.atCalls[i].CallType == PBN_CALL_BID) *pLevel = tAuction.atCalls[i].NrTricks;
  }
  return tAuction.NrCalls >= 4 && NrPasses >= 3 && (*pLevel > 0 || NrPasses >= 4);
}

// The game on display as LIN holds it, and its result apart: a whole play gives one in LIN,
// whether the game said it or not.
struct ViewDef {
  std::string Text;  // empty: the game holds more than LIN can
  int Result = -1;
  int NrCards = 0;
};

// The README lists what LIN cannot hold: irregularities, a partial deal, a contract without
// its auction, and texts LIN has no command for or changes.
std::string LinText(bool bLatin1, ViewDef* ptView) {
  const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
  const PbnGameTagsDef& tTags = *tGameAdmin.ptGameTags;
  std::string View;
  const auto Add = [&View](const std::string& Text) { View.append(Text).push_back(' '); };

  for (const PbnHandDef& tHand : tData.tDeal.tHands) {
    int NrCards = 0;
    for (int Suit = 0; Suit < PBN_N_SUITS; Suit++) {
      NrCards += PbnRanksGetNumber(tHand.Ranks[Suit]);
      Add(std::to_string(tHand.Ranks[Suit]));
    }
    if (NrCards != 13) return {};
  }
  if (!PbnSideIsValid(tData.tSituation.Dealer) || tData.tSituation.Vulner > PBN_VULNER_ALL)
    return {};
  Add(std::to_string(tData.tSituation.Dealer) + "/" + std::to_string(tData.tSituation.Vulner));

  const std::string Board = Utf8Of(TagValue(tTags, PBN_TAG_ID_BOARD), bLatin1);
  const std::string Room = Utf8Of(TagValue(tTags, PBN_TAG_ID_ROOM), bLatin1);
  if ((!Board.empty() && !IsBoardNumber(Board)) ||
      (!Room.empty() && Room != "Open" && Room != "Closed"))
    return {};
  Add("board:" + Board + "/" + Room);
  for (int TagId : {PBN_TAG_ID_NORTH, PBN_TAG_ID_EAST, PBN_TAG_ID_SOUTH, PBN_TAG_ID_WEST}) {
    const std::string Name = Utf8Of(TagValue(tTags, TagId), bLatin1);
    if (!LinKeeps(Name, false)) return {};
    Add("name:" + (Name.empty() ? "?" : Name));  // LIN has no name for "not given"
  }

  const PbnAuctionDef& tAuction = tData.tAuction;
  for (int Call = 0; Call < tAuction.NrCalls && Call < PBN_MAX_CALLS; Call++) {
    const PbnCallDef& tCall = tAuction.atCalls[Call];
    if (tCall.CallType > PBN_CALL_BID) return {};
    std::string Text = std::to_string(tCall.Side) + ":" + std::to_string(tCall.CallType) + ":" +
                       std::to_string(tCall.NrTricks) + ":" + std::to_string(tCall.Trump);
    const int Note = tTags.atCallAnno[Call].Note;
    if (Note >= 1 && Note <= PBN_N_NOTES) {
      const std::string NoteText =
          Utf8Of(tTags.atCallNote[Note - 1].tTagValue.acValue.data(), bLatin1);
      if (!LinKeeps(NoteText, true)) return {};
      Text += "=" + (NoteText.empty() ? std::string("alerted") : NoteText);
    }
    Add(Text);
  }

  // Contract, play and result come from the auction and the claim in LIN.
  const PbnContractDef& tContract = tData.tContract;
  int Level = 0;
  const bool bEnded = AuctionEnds(tAuction, &Level);
  const int NrEntries = PlayNrEntries();
  int NrCards = 0;
  for (int Entry = 0; Entry < NrEntries; Entry++) {
    const PbnPlayCardDef& tCard = tGameAdmin.atPlayCards[Entry];
    if (!PbnCardIsReal(tCard.Card)) break;
    NrCards++;
    Add(std::to_string(tCard.Side) + ":" + std::to_string(tCard.Card.Suit) + ":" +
        std::to_string(tCard.Card.Rank));
  }
  for (int Entry = NrCards; Entry < NrEntries; Entry++) {
    if (PbnCardIsReal(tGameAdmin.atPlayCards[Entry].Card)) return {};  // a card after a gap
  }
  for (const auto& acIllegals : tGameAdmin.aacIllegals) {
    for (const Int8 cIllegal : acIllegals) {
      if (cIllegal != 0) return {};
    }
  }
  if (tContract.bIrregularDeclarer || (tData.Result & PBN_RESULT_IRREGULAR)) return {};
  if (bEnded != (tContract.Trump != PBN_TRUMP_NOT_GIVEN)) return {};
  if (!bEnded && NrCards > 0) return {};
  // The strict reading compares the strain and risk of a Contract with the auction, not its level.
  if (bEnded && tContract.Trump != PBN_TRUMP_PASS && tContract.NrTricks != Level) return {};
  // A pass-out has neither risk nor declarer (the reading stores "?" for the tag "Pass" and none
  // for a pass-out that the auction alone gives).
  const bool bPassedOut = tContract.Trump == PBN_TRUMP_PASS;
  if (bEnded)  // else no Contract and no Declarer in LIN
    Add("contract:" + std::to_string(tContract.NrTricks) + ":" + std::to_string(tContract.Trump) +
        ":" + std::to_string(bPassedOut ? 0 : tContract.Risk) + ":" +
        std::to_string(bPassedOut ? PBN_SIDE_NOT_GIVEN : tContract.Declarer));
  ptView->Result = tData.Result <= PBN_N_TRICKS ? tData.Result : -1;
  ptView->NrCards = NrCards;
  return View;
}

ViewDef LinView(bool bLatin1) {
  ViewDef tView;
  tView.Text = LinText(bLatin1, &tView);
  return tView;
}

bool SameGame(const ViewDef& tBefore, const ViewDef& tAfter) {
  const bool bResultSaid = tBefore.Result >= 0 || tBefore.NrCards < 52;
  return tBefore.Text == tAfter.Text && (!bResultSaid || tBefore.Result == tAfter.Result);
}

// The reading of the input by its first byte: as declared, or PBN 2.1 in either encoding.
PbnImportOptionsDef ChooseReading(std::FILE* pFile, std::uint8_t cFirst) {
  PbnImportOptionsDef tOptions;
  if (cFirst % 3 == 0) {
    const PbnHeadDef tHead = PbnReadHead(pFile);
    tOptions = PbnReadingFor(ReadingChoiceDef::AsDeclared, tHead);
    PbnSkipBom(pFile, tHead, tOptions);
  } else {
    tOptions.Standard = PBN_STANDARD_2_1;
    if (cFirst % 3 == 2) tOptions.Encoding = PBN_ENCODING_UTF_8;
  }
  return tOptions;
}

std::FILE* MemoryFile(const void* pData, std::size_t Size) {
  const int Fd = memfd_create("lin", 0);
  if (Fd < 0) return nullptr;
  std::FILE* pFile =
      write(Fd, pData, Size) == static_cast<ssize_t>(Size) ? fdopen(Fd, "rb") : nullptr;
  if (pFile == nullptr) {
    close(Fd);
    return nullptr;
  }
  std::rewind(pFile);
  return pFile;
}

constexpr UInt32 kMaxGames = 64;

void RoundTrip(const std::uint8_t* pData, std::size_t Size) {
  std::FILE* pPbn = MemoryFile(pData, Size);
  if (pPbn == nullptr) return;
  const PbnImportOptionsDef tOptions = ChooseReading(pPbn, Size > 0 ? pData[0] : 0);
  const bool bLatin1 = tOptions.Encoding == PBN_ENCODING_ISO_8859_1;
  UInt32 NrGames = 0;
  GamesLoad(pPbn, &NrGames, tOptions);
  std::string Lin;
  std::vector<ViewDef> aViews;  // of each game written
  for (UInt32 Game = 1; Game <= NrGames && Game <= kMaxGames; Game++) {
    UInt32 NrLines = 0;
    GameLoad(pPbn, Game, &NrLines);
    const std::string Line = lin::GameToLin();
    if (Line.empty()) continue;
    if (Line.back() != '\n' || Line.find('\n') + 1 != Line.size()) Fail("not one LIN line", Line);
    Lin += Line;
    aViews.push_back(LinView(bLatin1));
  }
  std::fclose(pPbn);
  if (aViews.empty()) return;

  const lin::LinToPbnDef tBack = lin::LinToPbn(Lin);
  CheckPbnText(tBack, Lin);
  if (tBack.NrBoards != aViews.size()) Fail("a LIN line that is no board of its own", Lin);
  bool bAllHeld = true;
  for (const ViewDef& tView : aViews)
    bAllHeld = bAllHeld && !tView.Text.empty();
  if (bAllHeld && !tBack.atMessages.empty())
    Fail("the LIN written is wrong", Lin + tBack.atMessages[0].Text);

  std::FILE* pLin = MemoryFile(Lin.data(), Lin.size());
  if (pLin == nullptr) return;
  std::FILE* pConverted = lin::LinOpenAsPbn(pLin);
  std::fclose(pLin);
  if (pConverted == nullptr) return;
  PbnImportOptionsDef tBackOptions =
      PbnReadingFor(ReadingChoiceDef::AsDeclared, PbnReadHead(pConverted));
  tBackOptions.bKeepRefused = PBN_TRUE;
  UInt32 NrBack = 0;
  GamesLoad(pConverted, &NrBack, tBackOptions);
  if (NrBack != aViews.size()) Fail("a board that is no game", Lin);
  for (UInt32 Game = 1; Game <= NrBack; Game++) {
    const ViewDef& tBefore = aViews[Game - 1];
    if (tBefore.Text.empty()) continue;
    UInt32 NrLines = 0;
    GameLoad(pConverted, Game, &NrLines);
    const ViewDef tAfter = LinView(false);
    if (!SameGame(tBefore, tAfter)) {
      Fail("game " + std::to_string(Game) + " came back otherwise",
           Lin + "before: " + tBefore.Text + std::to_string(tBefore.Result) +
               "\nafter:  " + tAfter.Text + std::to_string(tAfter.Result));
    }
    if (GameNrMistakes(Game) != 0)
      Fail("game " + std::to_string(Game) + " came back with mistakes", Lin);
  }
  std::fclose(pConverted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t Size) {
  static const bool bInit = GameInit();
  if (!bInit) return 0;
  const std::string Input(reinterpret_cast<const char*>(pData), Size);
  CheckPbnText(lin::LinToPbn(Input), Input);
  RoundTrip(pData, Size);
  return 0;
}
