#include "replay/pbn_diagram.h"

#include <array>

#include "core/defs.h"
#include "core/pbn_util.h"

namespace pbn {

namespace {

constexpr int kColumnWidth = 20;  // room for a suit of 13 cards and its letter in each column

// "S AKQ" for the suit's cards, highest first; "S -" for a void.
std::string SuitLine(PbnSuitDef Suit, PbnRankDef Ranks) {
  char acRanks[20];
  PbnRanksGetChars(Ranks, acRanks);
  return std::string(1, "CDHS"[Suit]) + ' ' + (acRanks[0] != '\0' ? acRanks : "-");
}

std::array<std::string, PBN_N_SUITS> HandLines(const PbnHandDef& tHand) {
  std::array<std::string, PBN_N_SUITS> aLines;
  for (int Line = 0; Line < PBN_N_SUITS; ++Line) {
    const auto Suit = static_cast<PbnSuitDef>(PBN_SPADES - Line);
    aLines[Line] = SuitLine(Suit, tHand.Ranks[Suit]);
  }
  return aLines;
}

std::string Padded(std::string Text, std::size_t Width) {
  if (Text.size() < Width) Text.append(Width - Text.size(), ' ');
  return Text;
}

std::string TrimmedRight(std::string Text) {
  Text.erase(Text.find_last_not_of(' ') + 1);
  return Text;
}

std::string Heading(const char* pcBoard, const PbnSituationDef& tSituation) {
  std::string Text;
  const auto Add = [&Text](const std::string& Part) { Text += (Text.empty() ? "" : "   ") + Part; };
  if (pcBoard != nullptr && pcBoard[0] != '\0') Add(std::string("Board ") + pcBoard);
  if (tSituation.Dealer < PBN_N_SIDES) {
    Add(std::string("Dealer ") + apcPbnSideNames[tSituation.Dealer]);
  }
  if (tSituation.Vulner <= PBN_VULNER_ALL) {
    Add(std::string("Vulnerable ") + apcPbnVulnerNames[tSituation.Vulner]);
  }
  return Text;
}

}  // namespace

std::string PbnDealDiagram(const char* pcBoard, const PbnSituationDef& tSituation,
                           const PbnDealDef& tDeal) {
  const std::string Indent(kColumnWidth, ' ');
  std::string Text = Heading(pcBoard, tSituation);
  if (!Text.empty()) Text += '\n';
  for (const std::string& Line : HandLines(tDeal.tHands[PBN_NORTH]))
    Text += Indent + Line + '\n';
  const auto aWest = HandLines(tDeal.tHands[PBN_WEST]);
  const auto aEast = HandLines(tDeal.tHands[PBN_EAST]);
  for (int Line = 0; Line < PBN_N_SUITS; ++Line)
    Text += TrimmedRight(Padded(aWest[Line], 2 * kColumnWidth) + aEast[Line]) + '\n';
  for (const std::string& Line : HandLines(tDeal.tHands[PBN_SOUTH]))
    Text += Indent + Line + '\n';
  return Text;
}

}  // namespace pbn
