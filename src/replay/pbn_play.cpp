#include "replay/pbn_play.h"

#include <algorithm>
#include <cassert>
#include <numeric>

#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/controls.h"
#include "replay/pbn_anno.h"

namespace pbn {

namespace {

// Scratch of the reconstruction: the hands as the recorded play empties them.
struct ExportAdminDef {
  PbnDealDef tDeal;
  PbnNrDealDef tNrDeal;
  std::array<PbnBoolDef, PBN_N_SIDES> abUnknownSide;  // the deal gives this side no card
};

ExportAdminDef tExAdmin;
PbnBoolDef bGamesLoaded = PBN_FALSE;

constexpr Int8 kIllegalLead = 'L';
constexpr Int8 kIllegalRevoke = 'R';

void PbnGetPlayCardsInit(const PbnGameDataDef* ptGameData) {
  tExAdmin = ExportAdminDef{};
  tExAdmin.tDeal = ptGameData->tDeal;
  PbnDealGetNumber(&tExAdmin.tDeal, &tExAdmin.tNrDeal);
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    int NrCards = 0;
    for (UInt8 Count : tExAdmin.tNrDeal.tHands[Side].Ranks)
      NrCards += Count;
    tExAdmin.abUnknownSide[Side] = NrCards == 0;
  }
}

void ExTakeCard(PbnSideDef Side, const PbnCardDef& tCard) {
  UInt8& Count = tExAdmin.tNrDeal.tHands[Side].Ranks[tCard.Suit];
  if (Count > 0) --Count;  // a card the deal did not give must not wrap the count
  tExAdmin.tDeal.tHands[Side].Ranks[tCard.Suit] &= static_cast<PbnRankDef>(~tCard.Rank);
}

PbnBoolDef TrickIsEmpty(const PbnTrickDef& tTrick) {
  return std::all_of(tTrick.atCards.begin(), tTrick.atCards.end(),
                     [](const PbnCardDef& tCard) { return tCard.Rank == 0; });
}

// The step commands act only on a game that is there.
PbnBoolDef StepsEnabled() {
  return bGamesLoaded && tGameAdmin.ptGameData != nullptr;
}

Int16 AuctionNrCalls() {
  return static_cast<Int16>(std::min<int>(tGameAdmin.ptGameData->tAuction.NrCalls, PBN_MAX_CALLS));
}

void Repaint() {
  viewer::InvalidateRectPaint();
}

// The side after the declarer leads, except in an end position of the 2.1 reading (no hand of
// 13 cards), where the Play tag names the leader; the import of the game has just read it.
PbnSideDef OpeningLeader(const PbnGameDataDef* ptGameData) {
  const PbnSideDef PlaySide = PbnImportPlaySide();
  if (PbnImportOptions().Standard == PBN_STANDARD_2_1 && PbnSideIsValid(PlaySide)) {
    for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
      const int NrCards = std::accumulate(tExAdmin.tNrDeal.tHands[Side].Ranks.begin(),
                                          tExAdmin.tNrDeal.tHands[Side].Ranks.end(), 0);
      if (NrCards > 0) {
        return NrCards < PBN_N_TRICKS ? PlaySide : PbnNextSide(ptGameData->tContract.Declarer);
      }
    }
  }
  return PbnNextSide(ptGameData->tContract.Declarer);  // 255 gives South
}

}  // namespace

void PbnGetPlayCards(const PbnGameDataDef* ptGameData, UInt8* aNrWonNS, Int8* pNrPlayCards,
                     PbnPlayCardDef* atPlayCards, std::array<Int8, PBN_N_SIDES>* aacIllegals) {
  if (aNrWonNS == nullptr || pNrPlayCards == nullptr || atPlayCards == nullptr ||
      aacIllegals == nullptr) {
    return;
  }
  std::fill_n(aNrWonNS, PBN_N_TRICKS, UInt8{0});
  std::fill_n(atPlayCards, PBN_MAX_PLAY_CARDS + 1, PbnPlayCardDef{});
  std::fill_n(aacIllegals, PBN_N_TRICKS, std::array<Int8, PBN_N_SIDES>{});
  int NrEntries = 0;
  if (ptGameData != nullptr) {
    PbnGetPlayCardsInit(ptGameData);
    const PbnTrumpDef Trump = ptGameData->tContract.Trump;
    PbnSideDef Leader = OpeningLeader(ptGameData);
    UInt8 NrWonNS = 0;
    for (int Trick = 0; Trick < PBN_N_TRICKS; ++Trick) {
      const PbnTrickDef& tTrick = ptGameData->tPlay.atTricks[Trick];
      if (TrickIsEmpty(tTrick)) break;  // the recorded play ends here
      const UInt8 First = ptGameData->tPlay.aFirsts[Trick];
      if (PbnSideIsValid(First)) {
        Leader = First;
        aacIllegals[Trick][First] = kIllegalLead;
      }
      const PbnCardDef& tLead = tTrick.atCards[Leader];
      atPlayCards[NrEntries++] = PbnPlayCardDef{Leader, tLead};
      const PbnBoolDef bLeadReal = PbnCardIsReal(tLead);
      if (bLeadReal) ExTakeCard(Leader, tLead);

      std::array<PbnCardDef, PBN_N_SIDES> atPlayed{tLead};  // in the order played
      PbnSideDef Side = Leader;
      for (int Place = 1; Place < PBN_N_SIDES; ++Place) {
        Side = PbnNextSide(Side);
        const PbnCardDef& tCard = tTrick.atCards[Side];
        atPlayed[Place] = tCard;
        atPlayCards[NrEntries++] = PbnPlayCardDef{Side, tCard};
        if (!PbnCardIsReal(tCard)) continue;
        ExTakeCard(Side, tCard);
        if (!bLeadReal) continue;  // as the importer: a trick without a lead is not evaluated
        if (tCard.Suit != tLead.Suit && !tExAdmin.abUnknownSide[Side] &&
            tExAdmin.tNrDeal.tHands[Side].Ranks[tLead.Suit] > 0) {
          aacIllegals[Trick][Side] = kIllegalRevoke;
        }
      }
      // A trick without a lead card counts for nobody, even ruffed, and its leader leads again.
      if (bLeadReal) {
        const auto Winner = static_cast<PbnSideDef>((Leader + PbnTrickWinner(atPlayed, Trump)) % 4);
        if (Winner % 2 == 0) ++NrWonNS;
        Leader = Winner;
      }
      aNrWonNS[Trick] = NrWonNS;
    }
  }
  assert(NrEntries <= PBN_MAX_PLAY_CARDS);  // 13 tricks of 4 entries
  atPlayCards[NrEntries].Side = PBN_SIDE_NONE;
  *pNrPlayCards = static_cast<Int8>(NrEntries);
}

void GameReset() {
  tGameAdmin.tDeal = tGameAdmin.ptGameData != nullptr ? tGameAdmin.ptGameData->tDeal : PbnDealDef{};
  tGameAdmin.NrCalls = 0;
  tGameAdmin.NrTricks = 0;
  tGameAdmin.NrCards = 0;
  tGameAdmin.bTrick = PBN_FALSE;
  tGameAdmin.bPlayDone = PBN_FALSE;
}

void GameDeal() {
  if (tGameAdmin.ptGameData == nullptr) return;
  tGameAdmin.tDeal = tGameAdmin.ptGameData->tDeal;
  const int NrCards = std::clamp<int>(tGameAdmin.NrCards, 0, PlayNrEntries());
  for (int Entry = 0; Entry < NrCards; ++Entry) {
    const PbnPlayCardDef& tPlayCard = tGameAdmin.atPlayCards[Entry];
    if (!PbnSideIsValid(tPlayCard.Side) || !PbnCardIsReal(tPlayCard.Card)) continue;
    tGameAdmin.tDeal.tHands[tPlayCard.Side].Ranks[tPlayCard.Card.Suit] &=
        static_cast<PbnRankDef>(~tPlayCard.Card.Rank);
  }
}

PbnBoolDef PlayIsDone() {
  return tGameAdmin.NrCards >= PlayNrEntries() && !tGameAdmin.bTrick;
}

void PlayHead() {
  if (!StepsEnabled()) return;
  tGameAdmin.bPlayDone = PBN_FALSE;
  switch (tGameAdmin.Section) {
    case PBN_SECTION_AUCTION:
      GameReset();
      Repaint();
      break;
    case PBN_SECTION_PLAY:
      GameReset();
      GameDeal();
      tGameAdmin.bPlayDone = PlayIsDone();
      Repaint();
      break;
    default:
      break;
  }
}

void PlayBack() {
  if (!StepsEnabled()) return;
  const PbnBoolDef bWasDone = tGameAdmin.bPlayDone;
  tGameAdmin.bPlayDone = PBN_FALSE;
  switch (tGameAdmin.Section) {
    case PBN_SECTION_AUCTION:
      if (tGameAdmin.NrCalls > 0) {
        --tGameAdmin.NrCalls;
      } else {
        tGameAdmin.Section = PBN_SECTION_IDENT;
        viewer::SetChildCheck(viewer::ID_AUCTION, 0);
      }
      Repaint();
      break;
    case PBN_SECTION_PLAY:
      if (bWasDone) {
        // only leaves the done state
      } else if (tGameAdmin.NrCards <= 0) {
        tGameAdmin.NrCalls = AuctionNrCalls();
        tGameAdmin.Section = PBN_SECTION_AUCTION;
        viewer::SetChildCheck(viewer::ID_AUCTION, 1);
        viewer::SetChildCheck(viewer::ID_PLAY, 0);
      } else if (tGameAdmin.NrCards % 4 != 0 || tGameAdmin.bTrick) {
        --tGameAdmin.NrCards;
        tGameAdmin.bTrick = PBN_FALSE;
        GameDeal();
      } else {
        tGameAdmin.bTrick = PBN_TRUE;  // the trick just cleared away lies on the table again
      }
      Repaint();
      break;
    default:
      break;
  }
}

void PlayExec() {
  if (!StepsEnabled()) return;
  tGameAdmin.bPlayDone = PBN_FALSE;
  switch (tGameAdmin.Section) {
    case PBN_SECTION_IDENT:
      tGameAdmin.Section = PBN_SECTION_AUCTION;
      tGameAdmin.NrCalls = 0;
      viewer::SetChildCheck(viewer::ID_AUCTION, 1);
      Repaint();
      break;
    case PBN_SECTION_AUCTION:
      if (tGameAdmin.NrCalls < AuctionNrCalls()) {
        ++tGameAdmin.NrCalls;
      } else {
        tGameAdmin.NrCards = 0;
        tGameAdmin.bTrick = PBN_FALSE;
        tGameAdmin.Section = PBN_SECTION_PLAY;
        viewer::SetChildCheck(viewer::ID_AUCTION, 0);
        viewer::SetChildCheck(viewer::ID_PLAY, 1);
      }
      Repaint();
      break;
    case PBN_SECTION_PLAY: {
      const PbnBoolDef bDone = PlayIsDone();
      tGameAdmin.bPlayDone = bDone;
      if (bDone) {
        viewer::TimerStop();  // automatic play ends with the play
      } else if (tGameAdmin.bTrick) {
        tGameAdmin.bTrick = PBN_FALSE;
      } else {
        ++tGameAdmin.NrCards;
        GameDeal();
        if (tGameAdmin.NrCards % 4 == 0) tGameAdmin.bTrick = PBN_TRUE;
      }
      Repaint();
      break;
    }
  }
}

void PlayTail() {
  if (!StepsEnabled()) return;
  tGameAdmin.bPlayDone = PBN_FALSE;
  switch (tGameAdmin.Section) {
    case PBN_SECTION_AUCTION:
      tGameAdmin.NrCalls = AuctionNrCalls();
      Repaint();
      break;
    case PBN_SECTION_PLAY:
      tGameAdmin.NrCards = tGameAdmin.NrPlayCards;
      tGameAdmin.bTrick = PBN_FALSE;
      tGameAdmin.bPlayDone = PBN_TRUE;
      GameDeal();
      Repaint();
      break;
    default:
      break;
  }
}

void SetHiddenSides() {
  viewer::SetChildCheck(viewer::ID_HIDE_W, tGameAdmin.abHiddenSide[PBN_WEST] ? 1 : 0);
  viewer::SetChildCheck(viewer::ID_HIDE_N, tGameAdmin.abHiddenSide[PBN_NORTH] ? 1 : 0);
  viewer::SetChildCheck(viewer::ID_HIDE_E, tGameAdmin.abHiddenSide[PBN_EAST] ? 1 : 0);
  viewer::SetChildCheck(viewer::ID_HIDE_S, tGameAdmin.abHiddenSide[PBN_SOUTH] ? 1 : 0);
}

void PlaySetGamesLoaded(PbnBoolDef bGamesLoadedIn) {
  bGamesLoaded = bGamesLoadedIn;
}

void GameLoad(std::FILE* pFile, UInt32 GameIndex, UInt32* pNrLines) {
  PbnFilePosDef FilePosBegin = -1;
  PbnFilePosDef FilePosOut = -1;
  if (!GameLoadRecords(pFile, GameIndex, &FilePosBegin, &FilePosOut)) return;
  tGameAdmin.Section = PBN_SECTION_IDENT;
  GameReset();
  PbnGetPlayCards(tGameAdmin.ptGameData, tGameAdmin.aNrWonNS.data(), &tGameAdmin.NrPlayCards,
                  tGameAdmin.atPlayCards.data(), tGameAdmin.aacIllegals.data());
  GameTxtLoad(pFile, FilePosBegin, FilePosOut, pNrLines);
  if (TextAnnoInit()) {
    TextMistakesCompute(GameMistakes(GameIndex), GameNrKeptMistakes(GameIndex));
    TextAnnoCompute(tGameAdmin.ptGameData, tGameAdmin.ptGameTags);
  }
}

}  // namespace pbn
