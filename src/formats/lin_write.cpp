// PBN to LIN: the game on display as one line, as the service writes it.
#include <cstring>

#include "core/defs.h"
#include "core/pbn_util.h"
#include "core/text.h"
#include "formats/lin.h"
#include "replay/pbn_play.h"

namespace lin {

namespace {

using namespace pbn;

// A text of the game as UTF-8 without the bars (and commas, where a list holds it) that LIN
// cannot hold. A byte that is no UTF-8 in a file read as UTF-8 becomes U+FFFD: one such byte
// would make a reader take the whole LIN file for Latin-1.
std::string LinText(const char* pcValue, bool bDropCommas) {
  std::string Text;
  for (char c : PbnTextToUtf8(TagValueText(pcValue))) {
    if (c != '|' && !(bDropCommas && c == ',')) Text += c;
  }
  return Text;
}

std::string Tag(int TagId) {
  return LinText(TagValue(*tGameAdmin.ptGameTags, TagId), true);
}

void Pair(std::string* pLine, const char* pcCommand, const std::string& Value) {
  pLine->append(pcCommand).append("|").append(Value).append("|");
}

std::string LinHandText(const PbnHandDef& tHand) {
  std::string Text;
  for (int Suit = PBN_SPADES; Suit >= PBN_CLUBS; Suit--)
    Text += apcPbnTrumpNames[Suit] + RanksText(tHand.Ranks[Suit]);
  return Text;
}

// "3S...,H...,..." : dealer digit (1 S, 2 W, 3 N, 4 E), then the hands S, W, N, E. Without a
// dealer no digit: 0 amends the deal on display, which would make the game part of the one
// before it.
std::string LinDealText(const PbnGameDataDef& tData) {
  const PbnSideDef Dealer = tData.tSituation.Dealer;
  std::string Text = PbnSideIsValid(Dealer) ? std::string(1, static_cast<char>('1' + Dealer)) : "";
  for (int Side = PBN_SOUTH; Side <= PBN_EAST; Side++) {
    if (Side != PBN_SOUTH) Text += ',';
    Text += LinHandText(tData.tDeal.tHands[Side]);
  }
  return Text;
}

std::string VulnerText(PbnVulnerDef Vulner) {
  switch (Vulner) {
    case PBN_VULNER_NS:
      return "n";
    case PBN_VULNER_EW:
      return "e";
    case PBN_VULNER_ALL:
      return "b";
    default:
      return "o";
  }
}

std::string LinCallText(const PbnCallDef& tCall) {
  switch (tCall.CallType) {
    case PBN_CALL_PASS:
      return "p";
    case PBN_CALL_DOUBLE:
      return "d";
    case PBN_CALL_REDOUBLE:
      return "r";
    default:
      return std::to_string(tCall.NrTricks) + "CDHSN"[tCall.Trump % 5];
  }
}

// A note's suit symbols "\S" are "!S" in LIN.
std::string ExplanationText(const char* pcNote) {
  std::string Text = LinText(pcNote, false);
  for (std::size_t i = 0; i + 1 < Text.size(); i++) {
    if (Text[i] == '\\' && std::strchr("SHDC", Text[i + 1]) != nullptr) Text[i] = '!';
  }
  return Text;
}

void AppendCalls(std::string* pLine) {
  const PbnAuctionDef& tAuction = tGameAdmin.ptGameData->tAuction;
  for (int Call = 0; Call < tAuction.NrCalls && Call < PBN_MAX_CALLS; Call++) {
    const PbnCallDef& tCall = tAuction.atCalls[Call];
    if (tCall.CallType == PBN_CALL_SPECIAL) continue;
    const int Note = tGameAdmin.ptGameTags->atCallAnno[Call].Note;
    if (Note < 1 || Note > PBN_N_NOTES) {
      Pair(pLine, "mb", LinCallText(tCall));
      continue;
    }
    Pair(pLine, "mb", LinCallText(tCall) + "!");
    const char* pcNote = tGameAdmin.ptGameTags->atCallNote[Note - 1].tTagValue.acValue.data();
    Pair(pLine, "an", ExplanationText(pcNote));
  }
  pLine->append("pg||");
}

// The cards in the order played, a pause after each trick; returns the number of cards.
int AppendCards(std::string* pLine) {
  int NrCards = 0;
  for (int Entry = 0; Entry < PlayNrEntries(); Entry++) {
    const PbnCardDef& tCard = tGameAdmin.atPlayCards[Entry].Card;
    if (!PbnCardIsReal(tCard)) continue;
    Pair(pLine, "pc", CardText(tCard));
    if (++NrCards % 4 == 0) pLine->append("pg||");
  }
  return NrCards;
}

bool DealHoldsACard(const PbnDealDef& tDeal) {
  for (const PbnHandDef& tHand : tDeal.tHands) {
    for (const PbnRankDef Ranks : tHand.Ranks) {
      if (Ranks != 0) return true;
    }
  }
  return false;
}

}  // namespace

std::string GameToLin() {
  const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
  if (!DealHoldsACard(tData.tDeal)) return {};
  std::string Line;
  const std::string Board = Tag(PBN_TAG_ID_BOARD);
  const std::string Room = Tag(PBN_TAG_ID_ROOM);
  if (!Room.empty()) Pair(&Line, "qx", std::string(Room[0] == 'C' ? "c" : "o") + Board);
  Pair(&Line, "pn",
       Tag(PBN_TAG_ID_SOUTH) + "," + Tag(PBN_TAG_ID_WEST) + "," + Tag(PBN_TAG_ID_NORTH) + "," +
           Tag(PBN_TAG_ID_EAST));
  Pair(&Line, "st", "");
  Pair(&Line, "md", LinDealText(tData));
  Pair(&Line, "rh", "");
  Pair(&Line, "ah", Board.empty() ? "" : "Board " + Board);
  Pair(&Line, "sv", VulnerText(tData.tSituation.Vulner));
  AppendCalls(&Line);
  const int NrCards = AppendCards(&Line);
  const int Result = tData.Result & ~PBN_RESULT_IRREGULAR;
  if (NrCards < 52 && Result <= PBN_N_TRICKS) {
    Pair(&Line, "mc", std::to_string(Result));
    Line.append("pg||");
  }
  return Line + "\n";
}

}  // namespace lin
