// One annotation line drawn with its control bytes: suit symbols, note references (also cut by
// sideways scrolling) and section headers.
#include <gtest/gtest.h>

#include <string>

#include "recording_canvas.h"
#include "viewer/p_table.h"

namespace viewer_test {
namespace {

using viewer::Rgb;

constexpr ColorRefDef kBlack = Rgb(0, 0, 0);
constexpr ColorRefDef kGreen = Rgb(0, 128, 0);
constexpr ColorRefDef kMagenta = Rgb(255, 0, 255);
constexpr RectDef kLine{4, 278, 412, 292};

class AnnotationLine : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer::PaintBitmapInit();
    viewer::SelectPaintFont(&tCanvas, viewer::FONT_TEXT);
    tCanvas.tState.Color = Rgb(1, 2, 3);  // whatever the table painting left
    tCanvas.Clear();
  }
  void TearDown() override { viewer::PaintBitmapTerm(); }

  void Draw(const std::string& Line, int Length = -1) {
    viewer::DrawGameTextAnno(&tCanvas, reinterpret_cast<const unsigned char*>(Line.data()),
                             Length < 0 ? static_cast<int>(Line.size()) : Length, &kLine);
  }
  struct Run {
    std::string Text;
    int x;
    ColorRefDef Color;
    bool operator==(const Run&) const = default;
  };
  std::vector<Run> Runs() const {
    std::vector<Run> atRuns;
    for (const TextOp& tText : tCanvas.Texts)
      atRuns.push_back({tText.Text, tText.x, tText.Color});
    return atRuns;
  }

  RecordingCanvas tCanvas;
  const int W = RecordingCanvas::CharWidth(14);
};

TEST_F(AnnotationLine, PlainTextAndSuitSymbols) {
  Draw("a sound raise");
  EXPECT_EQ(Runs(), (std::vector<Run>{{"a sound raise", 4, kBlack}}));
  EXPECT_EQ(tCanvas.Texts[0].y, 278);
  EXPECT_EQ(tCanvas.tState.Align, viewer::TA_NOUPDATECP);

  // "1" hearts " good call": the symbol is a 16 x 12 bitmap at the current position, 16 wide;
  // the filler byte after it draws nothing.
  tCanvas.Clear();
  Draw(std::string("1\x83\x87 good call"));
  EXPECT_EQ(Runs(), (std::vector<Run>{{"1", 4, kBlack}, {" good call", 4 + W + 16, kBlack}}));
  ASSERT_EQ(tCanvas.Bitmaps.size(), 1u);
  EXPECT_EQ(tCanvas.Bitmaps[0].Name, "hearts12");
  EXPECT_EQ(tCanvas.Bitmaps[0].x, 4 + W);
  EXPECT_EQ(tCanvas.Bitmaps[0].y, 278);

  tCanvas.Clear();
  Draw(std::string("\x84\x87\x85\x87\x86\x87"));
  ASSERT_EQ(tCanvas.Bitmaps.size(), 3u);
  EXPECT_EQ(tCanvas.Bitmaps[0].Name, "diamds12");
  EXPECT_EQ(tCanvas.Bitmaps[1].Name, "clubs12");
  EXPECT_EQ(tCanvas.Bitmaps[2].Name, "spades12");
  EXPECT_EQ(tCanvas.Bitmaps[2].x, 4 + 32);
  EXPECT_TRUE(tCanvas.Texts.empty());
}

TEST_F(AnnotationLine, NoteReferenceInGreen) {
  // The note line "1C (1) Could be short": the number collected with "(" and drawn in green.
  Draw(
      std::string("1\x85\x87 \x88"
                  "1)\x89 Could be short"));
  EXPECT_EQ(Runs(), (std::vector<Run>{{"1", 4, kBlack},
                                      {" ", 4 + W + 16, kBlack},
                                      {"(1)", 4 + 2 * W + 16, kGreen},
                                      {" Could be short", 4 + 5 * W + 16, kBlack}}));

  // Scrolled sideways so that the line starts inside the reference: its tail is green.
  tCanvas.Clear();
  Draw(std::string("2)\x89 rest"));
  EXPECT_EQ(Runs(), (std::vector<Run>{{"2)", 4, kGreen}, {" rest", 4 + 2 * W, kBlack}}));

  // A reference that the visible length cuts off is not drawn; the text before it is.
  tCanvas.Clear();
  const std::string Line(
      "SA \x88"
      "12)\x89 text");
  Draw(Line, 6);
  EXPECT_EQ(Runs(), (std::vector<Run>{{"SA ", 4, kBlack}}));

  // The length also cuts plain text.
  tCanvas.Clear();
  Draw("abcdef", 3);
  EXPECT_EQ(Runs(), (std::vector<Run>{{"abc", 4, kBlack}}));
}

TEST_F(AnnotationLine, SectionHeaders) {
  Draw(std::string("\x81"));
  ASSERT_EQ(tCanvas.Lines.size(), 2u);
  const int Middle = (278 + 292) / 2;
  EXPECT_EQ(tCanvas.Lines[0].x0, 4);
  EXPECT_EQ(tCanvas.Lines[0].x1, 164);
  EXPECT_EQ(tCanvas.Lines[0].y0, Middle);
  EXPECT_EQ(tCanvas.Lines[0].y1, Middle);
  EXPECT_EQ(tCanvas.Lines[1].x0, 411);
  EXPECT_EQ(tCanvas.Lines[1].x1, 251);
  ASSERT_EQ(tCanvas.Texts.size(), 1u);
  EXPECT_EQ(tCanvas.Texts[0].Text, "AUCTION");
  EXPECT_EQ(tCanvas.Texts[0].Color, kMagenta);
  EXPECT_EQ(tCanvas.Texts[0].Format, 0x25u);
  EXPECT_TRUE(RecordingCanvas::SameRect(tCanvas.Texts[0].tRect, kLine));
  EXPECT_EQ(tCanvas.tState.Color, kBlack);
  EXPECT_EQ(tCanvas.tState.Align, viewer::TA_NOUPDATECP);

  tCanvas.Clear();
  Draw(
      std::string("\x82"
                  "ignored"));
  EXPECT_EQ(tCanvas.TextStrings(), std::vector<std::string>{"PLAY"});
}

}  // namespace
}  // namespace viewer_test
