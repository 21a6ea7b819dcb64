// Calls and their legality, irregularity marks, and the notes, NAGs and suffixes of moves.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/defs.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::ImportText;
using testing_support::Lines;
using testing_support::MakeTags;

struct AuctionRun {
  PbnErrDef Error;
  std::string Messages;      // the message lines of the log, joined by "|"
  std::string CallsMessage;  // the message of the line of the calls, or ""
  PbnAuctionDef tAuction;
};

// Imports an auction with dealer N (unless given) from an Auction tag of AuctionSide.
AuctionRun RunAuction(const std::string& Calls, const char* pcAuctionSide = "N",
                      const char* pcDealer = "N", PbnGameTagsDef* ptTags = nullptr,
                      const std::string& After = "") {
  const std::string Text = std::string("[Dealer \"") + pcDealer + "\"]\n[Auction \"" +
                           pcAuctionSide + "\"]\n" + Calls + "\n" + After;
  auto Result = ImportText(Text, 0, ptTags);
  AuctionRun Run{Result.Error, "", "", Result.tGameData.tAuction};
  const auto LogLines = Lines(Result.Log);
  for (size_t i = 0; i < LogLines.size(); i++) {
    const std::string& Line = LogLines[i];
    if (Line == Calls && i + 2 < LogLines.size()) Run.CallsMessage = LogLines[i + 2];
    if (Line.size() > 2 && Line[1] == ':' &&
        std::string("IWEF").find(Line[0]) != std::string::npos) {
      if (!Run.Messages.empty()) Run.Messages += '|';
      Run.Messages += Line;
    }
  }
  return Run;
}

std::string StoredCall(const PbnCallDef& tCall) {
  switch (tCall.CallType) {
    case PBN_CALL_PASS:
      return "P";
    case PBN_CALL_DOUBLE:
      return "X";
    case PBN_CALL_REDOUBLE:
      return "XX";
    case PBN_CALL_SPECIAL:
      return "^S";
    default:
      return std::string(tCall.CallType == PBN_CALL_INSUFFICIENT ? "^I" : "") +
             std::to_string(tCall.NrTricks) + apcPbnTrumpNames[tCall.Trump];
  }
}

// The stored calls, each with the letter of its side.
std::string Stored(const PbnAuctionDef& tAuction) {
  std::string Text;
  for (int i = 0; i < tAuction.NrCalls; i++) {
    Text += (i ? " " : "") + StoredCall(tAuction.atCalls[i]) + ":" +
            apcPbnSideNames[tAuction.atCalls[i].Side][0];
  }
  return Text;
}

TEST(Calls, RotationAndPlaceholders) {
  auto Run = RunAuction("- 1C Pass", "W");
  EXPECT_EQ(Run.Error, PBN_ERR_OK);
  EXPECT_EQ(Stored(Run.tAuction), "1C:N P:E");
  Run = RunAuction("1C Pass", "W");
  EXPECT_EQ(Run.Messages, "E: Bad side");
  EXPECT_EQ(Stored(Run.tAuction), "P:N");  // the next call is not checked for rotation

  Run = RunAuction("AP");
  EXPECT_EQ(Stored(Run.tAuction), "P:N P:E P:S P:W");
  Run = RunAuction("1H AP");
  EXPECT_EQ(Stored(Run.tAuction), "1H:N P:E P:S P:W");
  Run = RunAuction("1H AP Pass");
  EXPECT_EQ(Run.Messages, "E: Bad call");
}

TEST(Calls, Legality) {
  struct Case {
    const char* pcCalls;
    const char* pcMessages;
    const char* pcStored;
  };
  const Case aCases[] = {
      {"1C Pass Pass Pass 1D", "E: Bad call", "1C:N P:E P:S P:W"},
      {"Pass Pass Pass 1D", "", "P:N P:E P:S 1D:W"},
      {"1C 1C", "E: Bad call", "1C:N"},
      {"1C ^I 1C", "", "1C:N ^I1C:E"},
      {"1C ^I 2C", "E: Sufficient", "1C:N"},
      {"^I 1C", "E: Sufficient", ""},  // no earlier bid
      {"1C X", "", "1C:N X:E"},
      {"1C Pass X", "E: Bad call", "1C:N P:E"},
      {"1C X X", "E: Bad call", "1C:N X:E"},
      {"1C X XX", "", "1C:N X:E XX:S"},
      {"1C X Pass Pass XX", "", "1C:N X:E P:S P:W XX:N"},
      {"1C X Pass XX", "E: Bad call", "1C:N X:E P:S"},
      {"1C XX", "E: Bad call", "1C:N"},
      {"1NT 2C 2NT 3C 3NT 4C", "", "1NT:N 2C:E 2NT:S 3C:W 3NT:N 4C:E"},
      {"8C", "E: Bad call", ""},
      {"1", "E: Bad trump", ""},
      {"1Z", "E: Bad trump", ""},
      {"3N", "E: Bad trump", ""},
      {"3NTX", "E: Bad call", ""},
      {"pass x 1nt xx", "E: Bad call", "P:N 1NT:S"},
      {"^I ^I", "E: Double illegal", ""},
      {"^L", "E: Bad illegal", ""},
      {"^I Pass 1C", "", "P:N 1C:E"},  // the mark is cleared by the pass
      {"1C ^S Pass", "", "1C:N ^S:E P:S"},
  };
  for (const Case& tCase : aCases) {
    auto Run = RunAuction(tCase.pcCalls);
    EXPECT_EQ(Run.Messages, tCase.pcMessages) << tCase.pcCalls;
    EXPECT_EQ(Stored(Run.tAuction), tCase.pcStored) << tCase.pcCalls;
  }
}

TEST(Calls, AtMost64) {
  std::string Calls;
  for (int i = 0; i < 66; i++)
    Calls += i % 8 == 7 ? "Pass\n" : "Pass ";  // 4 stored
  auto Run = RunAuction(Calls);
  EXPECT_EQ(Run.tAuction.NrCalls, 4);
  auto LogLines = Run.Messages;
  EXPECT_EQ(LogLines,
            "E: Bad call|E: Bad call|E: Bad call|E: Bad call|E: Bad call|E: Bad call|E: Bad "
            "call|E: Bad call|F: No resources");
  // 64 legal calls fit; the 65th is refused for want of room.
  std::string Bids;
  for (int Level = 1; Level <= 7; Level++) {
    for (const char* pcStrain : {"C", "D", "H", "S", "NT"}) {
      Bids += std::to_string(Level) + pcStrain + " X XX\n";
    }
  }
  Run = RunAuction(Bids);
  EXPECT_EQ(Run.tAuction.NrCalls, 64);
  // 21 lines of three calls fit, the 22nd line's bid is the 64th call; from its double on
  // every call is refused, once per line of the 14 lines left.
  std::string Expected;
  for (int i = 0; i < 14; i++)
    Expected += std::string(i ? "|" : "") + "F: No resources";
  EXPECT_EQ(Run.Messages, Expected);
}

TEST(MoveAnnotations, NotesNagsAndSuffixes) {
  struct Case {
    const char* pcCalls;
    const char* pcMessages;
  };
  const Case aCases[] = {
      {"=1= 1C", "E: Bad note"},  // no move yet
      {"1C =1= =2=", "E: Double note"},
      {"1C =33=", "E: Bad note"},
      {"1C =0=", "E: Bad note"},
      {"1C =4294967297=", "E: Bad note"},
      {"1C =4294967296=", "E: Bad note"},
      {"1C $7", "E: Bad nag"},
      {"1C $256", "E: Bad nag"},
      {"1C $", "E: Bad number"},
      {"1C $4294967309", "E: Bad number"},
      {"1C $1 !", "W: Double nag"},
      {"1C ! $1", "W: Double nag"},
      {"1C $13 $13", "W: Double nag"},
      {"1C $13 $14 $0", ""},
      {"1C $000000013 =000000001=", ""},  // nine digits, read at once
      {"1C $0000000013 =0000000002=", ""},
      {"1C $999999999", "E: Bad nag"},
      {"1C ! ?", "E: Double suffix"},
      {"1C !?", ""},
      {"! 1C", "E: Bad suffix"},
  };
  const std::string Notes = "[Note \"1:one\"]\n[Note \"2:two\"]\n";
  auto ptTags = MakeTags();
  for (const Case& tCase : aCases) {
    auto Run = RunAuction(tCase.pcCalls, "N", "N", ptTags.get(), Notes);
    EXPECT_EQ(Run.CallsMessage, tCase.pcMessages) << tCase.pcCalls;
  }

  // What the record holds: both notes referred to, the suffix kept as its NAG.
  auto Run = RunAuction("1C =1= =2= !? $14", "N", "N", ptTags.get(), Notes);
  EXPECT_TRUE(ptTags->atCallNote[0].bReference);
  EXPECT_TRUE(ptTags->atCallNote[1].bReference);
  const PbnMoveAnnoDef& tAnno = ptTags->atCallAnno[0];
  EXPECT_EQ(tAnno.Note, 1);
  EXPECT_EQ(tAnno.Suffix, PBN_SUFFIX_SPECULATIVE);
  ASSERT_EQ(tAnno.tNag.End - tAnno.tNag.Begin, 2);
  EXPECT_EQ(ptTags->pNags[tAnno.tNag.Begin], PBN_NAG_AUCTION_SPECULATIVE);
  EXPECT_EQ(ptTags->pNags[tAnno.tNag.Begin + 1], 14);

  // A refused call still takes its number: the annotation after it lands there.
  Run = RunAuction("1C 1C $20 Pass $21", "N", "N", ptTags.get());
  EXPECT_EQ(ptTags->pNags[ptTags->atCallAnno[1].tNag.Begin], 20);
  EXPECT_EQ(ptTags->pNags[ptTags->atCallAnno[2].tNag.Begin], 21);
}

}  // namespace
}  // namespace pbn
