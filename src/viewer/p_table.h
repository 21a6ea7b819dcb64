// Table painting: the green table with the four hands, the information boxes, the trick in
// progress and the auction or play history, drawn from the replay state in fixed client pixels;
// and one line of the annotation text with its suit symbols, note references and headers.
#pragma once

#include <array>

#include "core/pbn.h"
#include "core/tags.h"
#include "viewer/platform/canvas.h"
#include "viewer/viewer.h"

namespace viewer {

// Solid fill colours.
inline constexpr ColorRefDef hbTableDkRed = Rgb(128, 64, 0);
inline constexpr ColorRefDef hbHandGreen = Rgb(0, 255, 0);
inline constexpr ColorRefDef hbHandLtGrey = Rgb(192, 192, 192);
inline constexpr ColorRefDef hbWhite = Rgb(255, 255, 255);
inline constexpr ColorRefDef hbHistYellow = Rgb(0, 0, 192);  // a blue, whatever its name says
inline constexpr ColorRefDef hbHistLtGreen = Rgb(0, 255, 128);
inline constexpr ColorRefDef hbHistLtRed = Rgb(255, 0, 128);

// Text colours.
inline constexpr ColorRefDef kColorBlack = Rgb(0, 0, 0);
inline constexpr ColorRefDef kColorNavy = Rgb(0, 0, 128);
inline constexpr ColorRefDef kColorMagenta = Rgb(255, 0, 255);
inline constexpr ColorRefDef kColorGreen = Rgb(0, 128, 0);

// Font indexes of SelectPaintFont.
inline constexpr int FONT_TABLE = 1;
inline constexpr int FONT_TEXT = 2;
inline constexpr int FONT_NOTE = 3;

// The suit bitmaps: 0..3 16 x 16 by suit code, 4..7 the 16 x 12 ones of the annotation text.
// Null while not loaded.
extern std::array<const char*, 8> hBitmapSuits;

extern const std::array<PointDef, pbn::PBN_N_SIDES> atTableSides;
extern const std::array<PointDef, pbn::PBN_N_SIDES> atTableCardCorners;
extern const std::array<pbn::PbnTagIdDef, pbn::PBN_N_SIDES> aNameTags;

void PaintBitmapInit();
void PaintBitmapTerm();
void InitLogFont(LogFontDef* ptLogFont);
void SelectPaintFont(Canvas* hDC, int Index);
void PaintTable(Canvas* hDC, pbn::PbnBoolDef bGames);
// The part from byte Begin to byte End of a stored annotation line (a pane scrolled sideways).
void DrawGameTextAnno(Canvas* hDC, const unsigned char* pcLine, pbn::UInt32 Begin, pbn::UInt32 End,
                      const RectDef* ptRectangle);
void DrawBitmap(Canvas* hDC, const char* hBitmap, PointDef ptStart);

// The element painters.
void PaintTableHand(Canvas* hDC, PointDef ptCorner, const pbn::PbnHandDef* ptHand,
                    const char* pcName, pbn::PbnBoolDef bHidden);
void PaintTableBoard(Canvas* hDC, const char* pcBoard);
void PaintTableSituation(Canvas* hDC, const pbn::PbnSituationDef* ptSituation);
void PaintTableContract(Canvas* hDC, const pbn::PbnContractDef* ptContract);
void PaintTableTricks(Canvas* hDC, pbn::PbnResultDef Result);
void PaintTableHistInit(Canvas* hDC);
void PaintTableAllCalls(Canvas* hDC, const pbn::PbnGameDataDef* ptGameData,
                        const pbn::PbnGameTagsDef* ptGameTags);
void PaintHistCall(Canvas* hDC, const RectDef* ptRectangle, const pbn::PbnCallDef* ptCall);
void PaintHistNote(Canvas* hDC, const RectDef* ptRectangle, int Note);
void PaintTableAllCards(Canvas* hDC, const pbn::PbnGameTagsDef* ptGameTags);
void PaintHistCard(Canvas* hDC, const RectDef* ptRectangle, const pbn::PbnCardDef* ptCard,
                   int cIllegal);

// Geometry shared with the tests: the history cell of column k (0 West .. 3 South), row r.
RectDef HistCellRect(int Column, int Row);
int HistColumn(pbn::PbnSideDef Side);  // West 0, North 1, East 2, South 3

}  // namespace viewer
