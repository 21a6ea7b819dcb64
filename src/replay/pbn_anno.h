// The annotation text of the game on display: comments, notes, suffixes and NAGs laid out as
// display lines in a fixed order, with the lines of each section, call and card, revealed as far
// as the replay has reached.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/pbn.h"
#include "core/pbn_util.h"
#include "core/tags.h"
#include "import/import.h"

namespace pbn {

// Marker codes inside stored annotation lines.
inline constexpr unsigned char ANNO_AUCTION_HEADER = 129;
inline constexpr unsigned char ANNO_PLAY_HEADER = 130;
inline constexpr unsigned char ANNO_HEARTS = 131;
inline constexpr unsigned char ANNO_DIAMONDS = 132;
inline constexpr unsigned char ANNO_CLUBS = 133;
inline constexpr unsigned char ANNO_SPADES = 134;
inline constexpr unsigned char ANNO_SUIT_END = 135;
inline constexpr unsigned char ANNO_NOTE_BEGIN = 136;
inline constexpr unsigned char ANNO_NOTE_END = 137;
inline constexpr unsigned char ANNO_MISTAKES_HEADER = 138;  // heads the mistakes of a game
// A line made of this code and a tag name heads the block of a table of that tag.
inline constexpr unsigned char ANNO_TABLE_HEADER = 139;

// Whether the byte at pcText[Index] of a stored line is a marker code: in UTF-8 text the bytes
// of a character's tail take the same values and are no markers.
bool AnnoIsMarker(const unsigned char* pcText, int Index);

// The heading that a header line stands for, or null for any other line.
constexpr const char* AnnoHeaderText(unsigned char cFirst) {
  switch (cFirst) {
    case ANNO_AUCTION_HEADER:
      return "AUCTION";
    case ANNO_PLAY_HEADER:
      return "PLAY";
    case ANNO_MISTAKES_HEADER:
      return "MISTAKES";
    default:
      return nullptr;
  }
}

// The parts of a stored annotation line in order, for whoever shows it: the text pane draws them,
// show and the hand records write them as text.
class AnnoLineVisitorDef {
 public:
  virtual void Header(const char* pcName) = 0;         // the line is "AUCTION", "PLAY", "MISTAKES"
  virtual void TableHeader(std::string_view Tag) = 0;  // the line heads the block of a table
  virtual void Text(std::string_view Chars) = 0;       // characters in the file's encoding
  virtual void Suit(PbnSuitDef Suit) = 0;              // a suit symbol
  virtual void Note(std::string_view Reference) = 0;   // "(3)", or the tail "3)" (see below)

 protected:
  ~AnnoLineVisitorDef() = default;
};

inline constexpr UInt32 kAnnoWholeLine = 0xFFFFFFFF;

// Hands the parts of the stored line pcLine to the visitor, as far as they lie between byte Begin
// and byte End: a pane scrolled sideways shows that window of a line. A note reference that the
// window's end cuts is left out; one that its start cuts gives the tail it shows. A header stands
// only at the start of a line; a reference without its end runs to the end of the line.
void AnnoLineVisit(const unsigned char* pcLine, AnnoLineVisitorDef* ptVisitor, UInt32 Begin = 0,
                   UInt32 End = kAnnoWholeLine);

// A stored line as UTF-8 text: a header by its name, suit symbols, a note as "(n)".
std::string AnnoLineText(const unsigned char* pcLine);

// ANNO_TYPE_LOG: lines of the import log, stored as they are.
enum AnnoTypeDef : int {
  ANNO_TYPE_COMMENT,
  ANNO_TYPE_NOTE,
  ANNO_TYPE_SUFFIX,
  ANNO_TYPE_NAG,
  ANNO_TYPE_LOG
};

struct TextSizeDef {
  UInt16 FirstLine;
  UInt16 NrLines;
};

struct AnnoAdminDef {
  PbnBoolDef bActive;
  AnnoTypeDef AnnoType;
  UInt16 MaxLineLength;
  TextSizeDef tLast;
  PbnBoolDef bNewLast;
  DynamicDataDef tLinesDD;  // UInt16 start offset of each line in tCharsDD
  DynamicDataDef tCharsDD;  // characters, each line NUL-terminated
  TextSizeDef tIdent;
  TextSizeDef tAuction;
  TextSizeDef tPlay;
  std::array<TextSizeDef, PBN_MAX_CALLS> atCall;
  std::array<TextSizeDef, 52> atCard;
  TextSizeDef tTables;  // the blocks of the tables (PBN 2.1), after the play
  // The game's mistakes where they are laid out, first (hand records leave them out).
  TextSizeDef tMistakes;
};

extern AnnoAdminDef tAnnoAdmin;
extern const char* const apcNags[13];

PbnBoolDef TextAnnoInit();
PbnErrDef TextAnnoCompute(const PbnGameDataDef* ptGameData, const PbnGameTagsDef* ptGameTags);
// Before TextAnnoCompute: the game's mistakes, each as "line 134: E: Bad card" followed by the
// line and its markers; they open the text, as part of the identification section.
void TextMistakesCompute(const PbnLogEntryDef* atEntries, UInt32 NrEntries);
void TextAnnoTerm();

void PaintAnnoSection(PbnSectionDef Section);
void PaintAnnoCall(int NrCalls);
void PaintAnnoCard(int NrCards);
PbnBoolDef PaintAnnoExec(UInt32* pFirstLine, UInt32* pMaxNrLines);
void PaintAnnoReset();

// Line i of the stored text (NUL-terminated), or null beyond the stored lines.
const unsigned char* TextAnnoLine(UInt32 Line);
inline UInt32 TextAnnoNrLines() {
  return tAnnoAdmin.bActive ? tAnnoAdmin.tLinesDD.CurData : 0;
}

}  // namespace pbn
