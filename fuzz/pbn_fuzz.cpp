// Fuzz target: what a user triggers on a file, read by PBN 1.0 or by PBN 2.1 or converted from
// LIN, with or without the games with mistakes. The index pass with a log, then every indexed game
// loaded (inheritance, replay, annotation with its mistakes, and raw text), whatever its import
// left in the records, its texts read line by line and drawn, and the replay stepped forward to the
// end and back to the start, the table painted at every step.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "formats/lin.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "import/reading.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"
#include "viewer/p_table.h"
#include "viewer/platform/canvas.h"

namespace {

using namespace pbn;

// A canvas that draws nothing but reads every text it is given, as a real one would.
class ReadingCanvas : public viewer::Canvas {
 public:
  void FillRect(const viewer::RectDef&, viewer::ColorRefDef) override {}
  int SetBkMode(int) override { return viewer::OPAQUE; }
  viewer::ColorRefDef SetTextColor(viewer::ColorRefDef) override { return 0; }
  unsigned SetTextAlign(unsigned) override { return viewer::TA_NOUPDATECP; }
  void MoveTo(int x, int y) override { tPosition = {x, y}; }
  void LineTo(int x, int y) override { tPosition = {x, y}; }
  viewer::PointDef GetCurrentPosition() override { return tPosition; }
  void TextOut(int, int, const char* pcText, int Length) override { Read(pcText, Length); }
  int DrawText(const char* pcText, int Length, viewer::RectDef* ptRect, unsigned Format) override {
    const int NrChars = Read(pcText, Length);
    if (Format & viewer::DT_CALCRECT) {
      ptRect->right = ptRect->left + 8 * NrChars;
      ptRect->bottom = ptRect->top + 16;
    }
    return 16;
  }
  void SelectFont(const viewer::LogFontDef&) override {}
  void SelectStockFont() override {}
  viewer::TextMetricDef GetTextMetrics() override { return {16, 0, 7}; }
  void DrawBitmap(const char* pcName, int, int) override {
    if (pcName != nullptr) Read(pcName, -1);
  }
  void SaveDC() override {}
  void RestoreDC() override {}

  unsigned Sum = 0;

 private:
  int Read(const char* pcText, int Length) {
    const int NrChars = Length < 0 ? static_cast<int>(std::strlen(pcText)) : Length;
    for (int i = 0; i < NrChars; i++)
      Sum += static_cast<unsigned char>(pcText[i]);
    return NrChars;
  }
  viewer::PointDef tPosition{0, 0};
};

ReadingCanvas tCanvas;

// The longest walk through one game: 64 calls, 52 cards with a pause per trick, the section
// changes and the done state, with room to spare.
constexpr int kMaxSteps = 64 + 52 + 13 + 16;

// Touches every byte a viewer would read of the texts of the game on display.
unsigned ReadTexts(UInt32 NrRawLines) {
  unsigned Sum = 0;
  for (UInt32 Line = 0; Line < TextAnnoNrLines(); Line++) {
    const unsigned char* pcLine = TextAnnoLine(Line);
    if (pcLine == nullptr) break;
    const auto Length = static_cast<UInt32>(std::strlen(reinterpret_cast<const char*>(pcLine)));
    // Drawn from its start and scrolled sideways, as the text pane would.
    for (UInt32 Offset : {0u, 1u, 3u, 7u}) {
      if (Offset > Length) break;
      const viewer::RectDef tLine{4, 264, 412, 278};
      viewer::DrawGameTextAnno(&tCanvas, pcLine, Offset, Offset + std::min(Length - Offset, 58u),
                               &tLine);
    }
  }
  for (UInt32 Line = 0; Line < NrRawLines; Line++) {
    const char* pcLine = GameTxtLine(Line);
    for (; pcLine != nullptr && *pcLine != '\0'; pcLine++)
      Sum += static_cast<unsigned char>(*pcLine);
  }
  return Sum;
}

// A paint of the table, which also reports the position to the annotation model. Painting
// every step of every game would slow the search tenfold: the first game gets it all.
bool bPaintEveryStep = false;

void ReportPosition() {
  if (bPaintEveryStep) {
    viewer::PaintTable(&tCanvas, PBN_TRUE);
  } else {
    PaintAnnoSection(tGameAdmin.Section);
    if (tGameAdmin.Section == PBN_SECTION_AUCTION) PaintAnnoCall(tGameAdmin.NrCalls);
    if (tGameAdmin.Section == PBN_SECTION_PLAY) PaintAnnoCard(tGameAdmin.NrCards);
  }
  UInt32 FirstLine = 0;
  UInt32 MaxNrLines = 0;
  PaintAnnoExec(&FirstLine, &MaxNrLines);
}

void StepThrough() {
  for (int Step = 0; Step < kMaxSteps && !tGameAdmin.bPlayDone; Step++) {
    PlayExec();
    ReportPosition();
  }
  PlayHead();
  PlayTail();
  viewer::PaintTable(&tCanvas, PBN_TRUE);
  for (int Step = 0; Step < 2 * kMaxSteps && tGameAdmin.Section != PBN_SECTION_IDENT; Step++) {
    PlayBack();
    ReportPosition();
  }
}

// The reading by the first byte of the input (which stays part of the file): PBN 1.0, 2.1 in
// ISO 8859-1, 2.1 in UTF-8, or as the head of the file declares, its byte-order mark skipped.
PbnImportOptionsDef ChooseReading(std::FILE* pFile, std::uint8_t cFirst) {
  PbnImportOptionsDef tOptions;
  if (cFirst % 4 == 3) {
    const PbnHeadDef tHead = PbnReadHead(pFile);
    tOptions = PbnReadingFor(ReadingChoiceDef::AsDeclared, tHead);
    PbnSkipBom(pFile, tHead, tOptions);
  } else if (cFirst % 4 != 0) {
    tOptions.Standard = PBN_STANDARD_2_1;
    if (cFirst % 4 == 2) tOptions.Encoding = PBN_ENCODING_UTF_8;
  }
  return tOptions;
}

// Where annotate finds the tags of a game: every place within the text and in its order.
void CheckTagPlaces(std::string_view Text, UInt32 Game) {
  const auto* ptElement = DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, Game);
  size_t Last = 0;
  for (const PbnTagPlaceDef& tPlace :
       PbnReadTagPlaces(Text, static_cast<size_t>(ptElement->FilePosBegin))) {
    // Every place lies within the text; those of a tag read to its "]" (all that annotate
    // edits) also follow one another.
    const bool bWithin =
        tPlace.TagBegin >= Last && std::max({tPlace.NameEnd, tPlace.ValueBegin, tPlace.ValueEnd,
                                             tPlace.DataEnd}) <= Text.size();
    const bool bInOrder = tPlace.TagBegin < tPlace.NameBegin &&
                          tPlace.NameBegin <= tPlace.NameEnd &&
                          tPlace.NameEnd < tPlace.ValueBegin &&
                          tPlace.ValueBegin <= tPlace.ValueEnd && tPlace.ValueEnd < tPlace.DataEnd;
    if (!bWithin || (tPlace.bClosed && !bInOrder)) __builtin_trap();
    for (const PbnTagPlaceDef::TokenDef& tToken : tPlace.atTokens) {
      if (tToken.Begin > tToken.End || tToken.End > Text.size()) __builtin_trap();
    }
    Last = tPlace.TagBegin;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t Size) {
  static const bool bInit = GameInit() && (viewer::PaintBitmapInit(), true);
  static std::FILE* pLog = std::fopen("/dev/null", "w");
  if (!bInit) return 0;

  const int Fd = memfd_create("pbn", 0);
  if (Fd < 0) return 0;
  if (write(Fd, pData, Size) != static_cast<ssize_t>(Size)) {
    close(Fd);
    return 0;
  }
  std::FILE* pFile = fdopen(Fd, "rb");
  if (pFile == nullptr) {
    close(Fd);
    return 0;
  }
  std::rewind(pFile);
  // A first byte with bit 7 set or a lower-case letter, as a LIN file starts, reads the input as
  // LIN: its PBN text in memory, read as every LIN file is.
  const bool bLin = Size > 0 && (pData[0] >= 0x80 || (pData[0] >= 'a' && pData[0] <= 'z'));
  if (bLin) {
    std::FILE* pConverted = lin::LinOpenAsPbn(pFile);
    std::fclose(pFile);
    if (pConverted == nullptr) return 0;
    pFile = pConverted;
  }
  PbnImportOptionsDef tOptions = bLin ? PbnReadingFor(ReadingChoiceDef::Pbn10, PbnReadHead(pFile))
                                      : ChooseReading(pFile, Size > 0 ? pData[0] : 0);
  // Bit 2 of the same byte leaves the refused games out, as without the option.
  tOptions.bKeepRefused = Size == 0 || (pData[0] & 4) == 0;

  PbnLogSinkDef tSink;
  tSink.pFile = pLog;
  tSink.bLineNumbers = PBN_TRUE;
  PbnImportLog(tSink);
  UInt32 NrGames = 0;
  GamesLoad(pFile, &NrGames, tOptions);
  PbnImportLog({});
  PlaySetGamesLoaded(NrGames != 0);  // the step commands act only on the games of an index

  volatile unsigned Sink = 0;
  for (UInt32 Game = 1; Game <= NrGames && Game <= 64; Game++) {
    UInt32 NrLines = 0;
    GameLoad(pFile, Game, &NrLines);
    bPaintEveryStep = Game == 1;
    Sink = Sink + ReadTexts(NrLines);
    StepThrough();
    if (!bLin) CheckTagPlaces(std::string_view(reinterpret_cast<const char*>(pData), Size), Game);
  }
  std::fclose(pFile);
  return 0;
}
