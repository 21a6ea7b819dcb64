// The shared texts of the model and the trick winner, each against a table of cases.
#include <gtest/gtest.h>

#include <vector>

#include "core/tags.h"
#include "core/text.h"

namespace pbn {
namespace {

constexpr PbnRankDef Rank(char c) {  // "23456789TJQKA"
  for (int Index = 0; Index < 13; Index++) {
    if ("23456789TJQKA"[Index] == c) return static_cast<PbnRankDef>(PBN_RANK_2 << Index);
  }
  return c == 'x' ? PBN_RANK_X : PBN_RANK_UNKNOWN;
}

PbnRankDef Ranks(const char* pcRanks) {
  PbnRankDef Set = 0;
  for (const char* pc = pcRanks; *pc != '\0'; pc++)
    Set |= Rank(*pc);
  return Set;
}

TEST(Text, HandsAndDeals) {
  struct {
    const char* apcSuits[4];  // clubs to spades
    const char* pcHand;
  } const atCases[] = {
      {{"5432", "876", "JT9", "AKQ"}, "AKQ.JT9.876.5432"},
      {{"AKQJT98765432", "", "", ""}, "...AKQJT98765432"},
      {{"", "", "", ""}, "-"},
      {{"x", "", "", "A"}, "A...x"},
  };
  PbnDealDef tDeal{};
  for (const auto& tCase : atCases) {
    PbnHandDef tHand{};
    for (int Suit = 0; Suit < 4; Suit++)
      tHand.Ranks[Suit] = Ranks(tCase.apcSuits[Suit]);
    EXPECT_EQ(HandText(tHand), tCase.pcHand);
    tDeal.tHands[&tCase - atCases] = tHand;  // South, West, North, East
  }
  EXPECT_EQ(DealText(tDeal), "N:- A...x AKQ.JT9.876.5432 ...AKQJT98765432");
  EXPECT_EQ(RanksText(Ranks("2TA")), "AT2");
}

TEST(Text, CardsCallsAndContracts) {
  struct {
    PbnCardDef tCard;
    const char* pcLetters;
    const char* pcSymbols;
  } const atCards[] = {
      {{PBN_SPADES, PBN_RANK_A}, "SA", "\u2660A"},
      {{PBN_CLUBS, Rank('T')}, "CT", "\u2663T"},
      {{PBN_HEARTS, PBN_RANK_X}, "Hx", "\u2665x"},
      {{PBN_DIAMONDS, PBN_RANK_UNKNOWN}, "D?", "\u2666?"},
      {{PBN_SUIT_NO_CARD, PBN_RANK_UNKNOWN}, "-", "-"},
      {{PBN_HEARTS, 0}, "-", "-"},
  };
  for (const auto& t : atCards) {
    EXPECT_EQ(CardText(t.tCard), t.pcLetters);
    EXPECT_EQ(CardText(t.tCard, apcPbnStrainSymbols), t.pcSymbols);
  }
  struct {
    PbnCallDef tCall;
    const char* pcText;
  } const atCalls[] = {
      {{PBN_NORTH, PBN_CALL_PASS, 0, 0}, "Pass"},
      {{PBN_NORTH, PBN_CALL_DOUBLE, 0, 0}, "X"},
      {{PBN_NORTH, PBN_CALL_REDOUBLE, 0, 0}, "XX"},
      {{PBN_NORTH, PBN_CALL_SPECIAL, 0, 0}, "^S"},
      {{PBN_NORTH, PBN_CALL_BID, 3, PBN_TRUMP_NT}, "3NT"},
      {{PBN_NORTH, PBN_CALL_INSUFFICIENT, 1, PBN_CLUBS}, "1C"},
      {{PBN_NORTH, PBN_CALL_BID, 2, PBN_TRUMP_NOT_GIVEN}, "2?"},
  };
  for (const auto& t : atCalls)
    EXPECT_EQ(CallText(t.tCall), t.pcText);
  EXPECT_EQ(CallText({PBN_NORTH, PBN_CALL_BID, 1, PBN_SPADES}, apcPbnStrainSymbols), "1\u2660");
  // The risk as the file gives it, "?" too; no risk for a passed-out deal (whose record keeps
  // the risk of before); no text without a level of 1 to 7 (a strain the auction gave alone).
  struct {
    PbnContractDef tContract;
    const char* pcText;
  } const atContracts[] = {
      {{PBN_NORTH, 4, PBN_SPADES, PBN_RISK_NONE, false}, "4S"},
      {{PBN_EAST, 3, PBN_TRUMP_NT, PBN_RISK_DOUBLED, false}, "3NTX"},
      {{PBN_WEST, 7, PBN_CLUBS, PBN_RISK_REDOUBLED, false}, "7CXX"},
      {{PBN_SOUTH, 6, PBN_HEARTS, PBN_RISK_UNKNOWN, false}, "6H?"},
      {{PBN_SIDE_EMPTY, 0, PBN_TRUMP_PASS, PBN_RISK_UNKNOWN, false}, "Pass"},
      {{PBN_NORTH, 0, PBN_SPADES, PBN_RISK_DOUBLED, false}, ""},
      {{PBN_NORTH, 8, PBN_SPADES, PBN_RISK_NONE, false}, ""},
      {{PBN_SIDE_NOT_GIVEN, 0, PBN_TRUMP_NOT_GIVEN, PBN_RISK_UNKNOWN, false}, ""},
  };
  for (const auto& t : atContracts)
    EXPECT_EQ(ContractText(t.tContract), t.pcText);
  EXPECT_EQ(
      ContractText({PBN_NORTH, 2, PBN_DIAMONDS, PBN_RISK_DOUBLED, false}, apcPbnStrainSymbols),
      "2\u2666X");
}

TEST(Text, Utf8OutOfEitherEncoding) {
  struct {
    std::string In;
    bool bFromUtf8;
    std::string Out;
  } const atCases[] = {
      {"plain", false, "plain"},
      {"caf\xE9 \xA0", false, "caf\xC3\xA9 \xC2\xA0"},  // ISO 8859-1: each byte its code point
      {"\xFE\xFF", false, "\xC3\xBE\xC3\xBF"},
      {"caf\xC3\xA9 \xE2\x99\xA0 \xF0\x9F\x82\xA1", true,
       "caf\xC3\xA9 \xE2\x99\xA0 \xF0\x9F\x82\xA1"},
      {"a\xFE\xFF"
       "b",
       true,
       "a\uFFFD\uFFFD"
       "b"},                                                             // never in UTF-8
      {"\xED\xA0\x80", true, "\uFFFD\uFFFD\uFFFD"},                      // a surrogate
      {"\xC0\xAF\xE0\x80\xAF", true, "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong forms
      {"\xF4\x90\x80\x80", true, "\uFFFD\uFFFD\uFFFD\uFFFD"},            // beyond U+10FFFF
      {"x\xE2\x99", true, "x\uFFFD"},      // a character cut at the end
      {"\xE2\x99y", true, "\uFFFDy"},      // ... or by a character
      {"\x80\xBF", true, "\uFFFD\uFFFD"},  // tails without a lead
  };
  for (const auto& t : atCases)
    EXPECT_EQ(TextToUtf8(t.In, t.bFromUtf8), t.Out) << t.In;
}

TEST(Text, EmptyValueMarker) {
  EXPECT_TRUE(TagValueIsEmpty("\x01"));
  EXPECT_FALSE(TagValueIsEmpty(""));
  EXPECT_FALSE(TagValueIsEmpty("\x01x"));
  EXPECT_STREQ(TagValueText("\x01"), "");
  EXPECT_STREQ(TagValueText("\x01x"), "\x01x");
  EXPECT_STREQ(TagValueText("Hamburg"), "Hamburg");
}

TEST(TrickWinner, HighestTrumpElseHighestOfTheSuitLed) {
  const PbnCardDef tNone{PBN_SUIT_NO_CARD, 0};
  struct {
    std::array<PbnCardDef, 4> atCards;  // in the order played
    int Trump;
    int Winner;
  } const atCases[] = {
      {{{{PBN_SPADES, Rank('9')},
         {PBN_SPADES, Rank('K')},
         {PBN_SPADES, Rank('2')},
         {PBN_SPADES, Rank('Q')}}},
       PBN_TRUMP_NT,
       1},
      {{{{PBN_SPADES, Rank('9')},
         {PBN_HEARTS, Rank('A')},
         {PBN_SPADES, Rank('T')},
         {PBN_CLUBS, Rank('A')}}},
       PBN_TRUMP_NT,
       2},  // discards do not win
      {{{{PBN_SPADES, Rank('A')},
         {PBN_HEARTS, Rank('2')},
         {PBN_SPADES, Rank('K')},
         {PBN_HEARTS, Rank('3')}}},
       PBN_HEARTS,
       3},  // the higher ruff
      {{{{PBN_HEARTS, Rank('5')},
         {PBN_HEARTS, Rank('J')},
         {PBN_CLUBS, Rank('A')},
         {PBN_HEARTS, Rank('4')}}},
       PBN_HEARTS,
       1},  // trumps led
      {{{{PBN_DIAMONDS, Rank('5')}, tNone, {PBN_DIAMONDS, Rank('6')}, {PBN_SPADES, Rank('2')}}},
       PBN_TRUMP_PASS,
       2},  // no trumps; a place without a card takes no part
      {{{{PBN_DIAMONDS, Rank('5')}, {PBN_CLUBS, Rank('2')}, tNone, tNone}}, PBN_CLUBS, 1},
      {{{{PBN_DIAMONDS, Rank('5')},
         {PBN_CLUBS, Rank('2')},
         {PBN_DIAMONDS, Rank('A')},
         {PBN_CLUBS, Rank('2')}}},
       PBN_TRUMP_NOT_GIVEN,
       2},
  };
  for (const auto& t : atCases)
    EXPECT_EQ(PbnTrickWinner(t.atCards, t.Trump), t.Winner) << &t - atCases;

  // Every trick of a few cards of each suit, with places without a card, under every strain and
  // none, against the rule as it reads: a card beats the best so far when it ruffs it or follows
  // its suit higher.
  const auto RuleWinner = [](const std::array<PbnCardDef, PBN_N_SIDES>& atCards, int Trump) {
    int Winner = 0;
    for (int Place = 1; Place < PBN_N_SIDES; Place++) {
      const PbnCardDef& tCard = atCards[Place];
      const PbnCardDef& tBest = atCards[Winner];
      if (!PbnCardIsReal(tCard)) continue;
      const bool bRuffs = tCard.Suit == Trump && tBest.Suit != Trump;
      if (bRuffs || (tCard.Suit == tBest.Suit && tCard.Rank > tBest.Rank)) Winner = Place;
    }
    return Winner;
  };
  std::vector<PbnCardDef> atChoices = {tNone, {PBN_CLUBS, 0}, {PBN_HEARTS, PBN_RANK_X}};
  for (PbnSuitDef Suit = PBN_CLUBS; Suit <= PBN_SPADES; Suit++) {
    for (char c : {'2', '9', 'A'})
      atChoices.push_back({Suit, Rank(c)});
  }
  const int aTrumps[] = {PBN_CLUBS, PBN_HEARTS, PBN_TRUMP_NT, PBN_TRUMP_PASS, PBN_TRUMP_NOT_GIVEN};
  int NrWrong = 0;
  for (const PbnCardDef& t0 : atChoices) {
    for (const PbnCardDef& t1 : atChoices) {
      for (const PbnCardDef& t2 : atChoices) {
        for (const PbnCardDef& t3 : atChoices) {
          for (int Trump : aTrumps) {
            const std::array<PbnCardDef, PBN_N_SIDES> atCards = {t0, t1, t2, t3};
            NrWrong += PbnTrickWinner(atCards, Trump) != RuleWinner(atCards, Trump);
          }
        }
      }
    }
  }
  EXPECT_EQ(NrWrong, 0);
}

}  // namespace
}  // namespace pbn
