#include "viewer/dd_panel.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/dd.h"
#include "core/defs.h"
#include "core/score.h"
#include "core/text.h"
#include "games/game_list.h"
#include "replay/pbn_play.h"
#include "viewer/karvelon.h"
#include "viewer/p_table.h"

namespace viewer {

using namespace pbn;

namespace {

constexpr RectDef kPanel{402, 0, 634, 258};
constexpr PbnSideDef aRowSides[4] = {PBN_NORTH, PBN_SOUTH, PBN_EAST, PBN_WEST};
constexpr PbnTrumpDef aColumnTrumps[5] = {PBN_TRUMP_NT, PBN_SPADES, PBN_HEARTS, PBN_DIAMONDS,
                                          PBN_CLUBS};
constexpr std::size_t kMaxCached = 4096;  // answers kept; the cache starts over beyond

bool bShown = false;

// One question for the solver: the table of a deal, or the cards of a position in its play.
struct JobDef {
  std::string Key;
  analysis::DealInputDef tInput;
  PbnContractDef tContract;
  std::vector<PbnPlayCardDef> atPlayed;
  bool bPlay;
};

// The worker thread with the answers it gave, keyed by the whole input of each question, so a
// game shown again (or another game with the same deal) finds its answer at once. Only the
// latest question of each kind waits: stepping on makes the previous one moot.
class SolverWorker {
 public:
  ~SolverWorker() { Stop(); }

  std::optional<analysis::DealAnalysisDef> Table(const JobDef& tJob) {
    return Find(atTables_, tJob);
  }
  std::optional<analysis::PlayAnalysisDef> Play(const JobDef& tJob) { return Find(atPlays_, tJob); }

  void SetNotify(std::function<void()> Notify) {
    const std::lock_guard<std::mutex> tLock(Mutex_);
    Notify_ = std::move(Notify);
  }

  void WaitIdle() {
    std::unique_lock<std::mutex> tLock(Mutex_);
    Idle_.wait(tLock, [this] { return !Pending_[0] && !Pending_[1] && Busy_.empty(); });
  }

  void Stop() {
    {
      const std::lock_guard<std::mutex> tLock(Mutex_);
      bStop_ = true;
    }
    Wake_.notify_all();
    if (Thread_.joinable()) Thread_.join();
    // Ready for another window in the same process; the answers stay good.
    const std::lock_guard<std::mutex> tLock(Mutex_);
    bStop_ = false;
    Pending_[0].reset();
    Pending_[1].reset();
    Notify_ = nullptr;
  }

 private:
  template <typename T>
  std::optional<T> Find(std::map<std::string, T>& atAnswers, const JobDef& tJob) {
    const std::lock_guard<std::mutex> tLock(Mutex_);
    if (const auto it = atAnswers.find(tJob.Key); it != atAnswers.end()) return it->second;
    std::optional<JobDef>& Pending = Pending_[tJob.bPlay];
    if (bStop_ || Busy_ == tJob.Key || (Pending && Pending->Key == tJob.Key)) return std::nullopt;
    Pending = tJob;
    if (!Thread_.joinable()) Thread_ = std::thread([this] { Run(); });
    Wake_.notify_all();
    return std::nullopt;
  }

  void Run() {
    std::unique_lock<std::mutex> tLock(Mutex_);
    for (;;) {
      Wake_.wait(tLock, [this] { return bStop_ || Pending_[0] || Pending_[1]; });
      if (bStop_) return;
      JobDef tJob = std::move(*(Pending_[0] ? Pending_[0] : Pending_[1]));  // tables first
      Pending_[tJob.bPlay].reset();
      Busy_ = tJob.Key;
      tLock.unlock();
      Solve(tJob);
      tLock.lock();
      Busy_.clear();
      if (Notify_) Notify_();
      Idle_.notify_all();
    }
  }

  // Runs without the lock; stores the answer under it.
  void Solve(const JobDef& tJob) {
    if (tJob.bPlay) {
      auto tAnswer = analysis::AnalysePlay(tJob.tInput.tDeal, tJob.tContract, tJob.atPlayed.data(),
                                           static_cast<int>(tJob.atPlayed.size()));
      const std::lock_guard<std::mutex> tLock(Mutex_);
      Store(atPlays_, tJob.Key, std::move(tAnswer));
    } else {
      auto tAnswer = analysis::AnalyseDeal(tJob.tInput);
      const std::lock_guard<std::mutex> tLock(Mutex_);
      Store(atTables_, tJob.Key, std::move(tAnswer));
    }
  }

  template <typename T>
  static void Store(std::map<std::string, T>& atAnswers, const std::string& Key, T tAnswer) {
    if (atAnswers.size() >= kMaxCached) atAnswers.clear();
    atAnswers[Key] = std::move(tAnswer);
  }

  std::mutex Mutex_;
  std::condition_variable Wake_;
  std::condition_variable Idle_;
  std::thread Thread_;
  bool bStop_ = false;
  std::optional<JobDef> Pending_[2];  // by bPlay
  std::string Busy_;
  std::function<void()> Notify_;
  std::map<std::string, analysis::DealAnalysisDef> atTables_;
  std::map<std::string, analysis::PlayAnalysisDef> atPlays_;
};

SolverWorker& Worker() {
  static SolverWorker tWorker;
  return tWorker;
}

void AddKey(std::string& Key, unsigned Value) {
  Key += static_cast<char>(Value & 0xFF);
  Key += static_cast<char>((Value >> 8) & 0xFF);
}

JobDef TableJob(const PbnGameDataDef& tData) {
  JobDef tJob{"T", {tData.tDeal, tData.tSituation.Dealer, tData.tSituation.Vulner}, {}, {}, false};
  for (const PbnHandDef& tHand : tData.tDeal.tHands) {
    for (PbnRankDef Ranks : tHand.Ranks)
      AddKey(tJob.Key, Ranks);
  }
  AddKey(tJob.Key, tData.tSituation.Dealer);
  AddKey(tJob.Key, tData.tSituation.Vulner);
  return tJob;
}

JobDef PlayJob(const PbnGameDataDef& tData, int NrPlayed) {
  JobDef tJob = TableJob(tData);
  tJob.Key[0] = 'P';
  tJob.bPlay = true;
  tJob.tContract = tData.tContract;
  AddKey(tJob.Key, tData.tContract.Trump);
  AddKey(tJob.Key, tData.tContract.Declarer);
  tJob.atPlayed.assign(tGameAdmin.atPlayCards.begin(), tGameAdmin.atPlayCards.begin() + NrPlayed);
  for (const PbnPlayCardDef& tCard : tJob.atPlayed) {
    AddKey(tJob.Key, tCard.Side | (tCard.Card.Suit << 4));
    AddKey(tJob.Key, tCard.Card.Rank);
  }
  return tJob;
}

RectDef Cell(int x, int y, int Width, int Height) {
  return RectDef{x, y, x + Width, y + Height};
}

void DrawIn(Canvas* hDC, const std::string& Text, const RectDef& tRect, ColorRefDef Color,
            unsigned Align = DT_CENTER) {
  RectDef tDraw = tRect;
  hDC->SetTextColor(Color);
  hDC->DrawText(Text.c_str(), -1, &tDraw, DT_SINGLELINE | DT_VCENTER | Align);
}

// A white line of text across the panel.
void PanelLine(Canvas* hDC, int y, const std::string& Text) {
  const RectDef tLine = Cell(406, y, 224, 16);
  hDC->FillRect(tLine, hbWhite);
  DrawIn(hDC, " " + Text, tLine, kColorBlack, DT_LEFT | DT_END_ELLIPSIS);
}

// The game's own table of tricks (PBN 2.1 OptimumResultTable); the PBN 1.0 reading keeps none.
std::optional<analysis::DdTableDef> FileTable(const analysis::DdTableDef& aaSolver) {
  if (tGameAdmin.ptGameTags == nullptr) return std::nullopt;
  return analysis::FileOptimumTable(*tGameAdmin.ptGameTags, aaSolver);
}

// Strains across (NT, S, H, D, C), declarers down (N, S, E, W). With a table in the file its
// numbers are shown, in magenta where the solver disagrees.
void PaintTricks(Canvas* hDC, const analysis::DealAnalysisDef& tAnalysis) {
  const std::optional<analysis::DdTableDef> File = FileTable(tAnalysis.aaTricks);
  const analysis::DdMarksDef aaMarks = analysis::CompareTables(tAnalysis.aaTricks, File);
  const analysis::DdTableDef& aaShown = File ? *File : tAnalysis.aaTricks;
  for (int Column = 0; Column < 5; ++Column) {
    const RectDef tHead = Cell(438 + 38 * Column, 2, 36, 20);
    hDC->FillRect(tHead, hbHistLtGreen);
    const PbnTrumpDef Trump = aColumnTrumps[Column];
    if (Trump == PBN_TRUMP_NT) {
      DrawIn(hDC, "NT", tHead, kColorBlack);
    } else {
      DrawBitmap(hDC, hBitmapSuits[Trump], {tHead.left + 10, tHead.top + 2});
    }
  }
  for (int Row = 0; Row < 4; ++Row) {
    const PbnSideDef Side = aRowSides[Row];
    const int y = 24 + 18 * Row;
    const RectDef tLabel = Cell(406, y, 30, 16);
    hDC->FillRect(tLabel, Row < 2 ? hbHistLtGreen : hbHistLtRed);
    DrawIn(hDC, std::string(1, apcPbnSideNames[Side][0]), tLabel, kColorBlack);
    for (int Column = 0; Column < 5; ++Column) {
      const RectDef tCell = Cell(438 + 38 * Column, y, 36, 16);
      const PbnTrumpDef Trump = aColumnTrumps[Column];
      hDC->FillRect(tCell, hbWhite);
      DrawIn(hDC, std::to_string(aaShown[Side][Trump]), tCell,
             aaMarks[Side][Trump] ? kColorMagenta : kColorBlack);
    }
  }
  const analysis::ParDef& tPar = tAnalysis.tPar;
  if (!tPar.Error.empty()) {
    PanelLine(hDC, 100, "Par: " + tPar.Error);
    return;
  }
  PanelLine(hDC, 100, "Par " + ScoreText(tPar.Score));
  pbn::GameListSetPar(tPbnGames.CurValue, tPar.Score);  // the game list shows it from now on
  std::string Contracts;
  for (const std::string& Contract : tPar.Contracts) {
    Contracts += (Contracts.empty() ? "" : ", ") + Contract;
  }
  PanelLine(hDC, 118, Contracts);
}

// The cards of the side to play with the tricks each keeps for that side; the best in green.
void PaintCards(Canvas* hDC, const analysis::PlayAnalysisDef& tPlay) {
  if (!tPlay.Error.empty()) return PanelLine(hDC, 142, tPlay.Error);
  if (!PbnSideIsValid(tPlay.ToPlay)) return;
  PanelLine(hDC, 142, std::string(apcPbnSideNames[tPlay.ToPlay]) + " to play: tricks");
  for (std::size_t i = 0; i < std::min<std::size_t>(tPlay.atCards.size(), 16); ++i) {
    const analysis::CardTricksDef& tCard = tPlay.atCards[i];
    const RectDef tCell =
        Cell(407 + 56 * static_cast<int>(i % 4), 162 + 20 * static_cast<int>(i / 4), 54, 18);
    hDC->FillRect(tCell, tCard.bBest ? hbHistLtGreen : hbWhite);
    DrawBitmap(hDC, hBitmapSuits[tCard.Card.Suit & 3], {tCell.left + 1, tCell.top + 1});
    DrawIn(hDC, std::string(1, RankChar(tCard.Card.Rank)) + " " + std::to_string(tCard.Tricks),
           Cell(tCell.left + 18, tCell.top, 36, 18), kColorBlack, DT_LEFT);
  }
}

bool AnyHandHidden() {
  return std::any_of(tGameAdmin.abHiddenSide.begin(), tGameAdmin.abHiddenSide.end(),
                     [](PbnBoolDef bHidden) { return bHidden; });
}

bool NoCardDealt(const PbnDealDef& tDeal) {
  return std::all_of(tDeal.tHands.begin(), tDeal.tHands.end(), [](const PbnHandDef& tHand) {
    return std::all_of(tHand.Ranks.begin(), tHand.Ranks.end(),
                       [](PbnRankDef Ranks) { return Ranks == 0; });
  });
}

void PaintDdContents(Canvas* hDC, const PbnGameDataDef& tData) {
  // Why the panel stays empty; a hidden hand keeps its secret.
  if (AnyHandHidden()) return PanelLine(hDC, 24, "Hands are hidden");
  if (NoCardDealt(tData.tDeal)) return PanelLine(hDC, 24, "No deal");
  const auto tTable = Worker().Table(TableJob(tData));
  if (!tTable) {
    DrawIn(hDC, "...", Cell(406, 2, 224, 92), hbWhite);
  } else if (!tTable->Error.empty()) {
    PanelLine(hDC, 24, tTable->Error);
  } else {
    PaintTricks(hDC, *tTable);
  }
  if (tGameAdmin.Section != PBN_SECTION_PLAY) return;
  const int NrPlayed = std::clamp<int>(tGameAdmin.NrCards, 0, tGameAdmin.NrPlayCards);
  const auto tPlay = Worker().Play(PlayJob(tData, NrPlayed));
  if (!tPlay) {
    DrawIn(hDC, "...", Cell(406, 142, 224, 100), hbWhite);
  } else {
    PaintCards(hDC, *tPlay);
  }
}

}  // namespace

bool DdPanelShown() {
  return bShown;
}

void DdPanelToggle() {
  bShown = !bShown;
  InvalidateRectPaint();
}

void PaintDdPanel(Canvas* hDC, bool bGames) {
  hDC->FillRect(kPanel, hbHistYellow);
  const PbnGameDataDef* ptGameData = tGameAdmin.ptGameData;
  if (!bGames || ptGameData == nullptr) return;
  hDC->SaveDC();
  hDC->SetBkMode(TRANSPARENT);
  PaintDdContents(hDC, *ptGameData);
  hDC->RestoreDC();
}

void DdPanelSetNotify(std::function<void()> Notify) {
  Worker().SetNotify(std::move(Notify));
}

void DdPanelWaitIdle() {
  Worker().WaitIdle();
}

void DdPanelTerm() {
  Worker().Stop();
}

}  // namespace viewer
