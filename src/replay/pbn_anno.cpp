#include "replay/pbn_anno.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/defs.h"
#include "import/reading.h"
#include "replay/pbn_play.h"

namespace pbn {

AnnoAdminDef tAnnoAdmin;

const char* const apcNags[13] = {
    "no annotation",    "good call",         "poor call",        "very good call", "very poor call",
    "speculative call", "questionable call", "good card",        "poor card",      "very good card",
    "very poor card",   "speculative card",  "questionable card"};

namespace {

// The mandatory tag set, in the order in which its comments are laid out.
constexpr std::array<PbnTagIdDef, 14> aMtsTags = {
    PBN_TAG_ID_EVENT,    PBN_TAG_ID_SITE,       PBN_TAG_ID_DATE, PBN_TAG_ID_BOARD,
    PBN_TAG_ID_WEST,     PBN_TAG_ID_NORTH,      PBN_TAG_ID_EAST, PBN_TAG_ID_SOUTH,
    PBN_TAG_ID_DEALER,   PBN_TAG_ID_VULNERABLE, PBN_TAG_ID_DEAL, PBN_TAG_ID_DECLARER,
    PBN_TAG_ID_CONTRACT, PBN_TAG_ID_RESULT};

// Line offsets and line numbers are 16-bit. Characters go to offsets 0 to 65,534, so a line
// starting at 65,535 could not even store its terminator.
constexpr UInt32 kMaxChars = 65535;
constexpr UInt32 kMaxLines = 65535;

constexpr int kMoveSize = 16;   // the longest move text is "^I 7" with a suit symbol
constexpr int kLineSize = 512;  // a move text, a note text of 255 characters and the glue

constexpr std::array<unsigned char, PBN_N_SUITS> aSuitCodes = {ANNO_CLUBS, ANNO_DIAMONDS,
                                                               ANNO_HEARTS, ANNO_SPADES};

// Once a line no longer fits under the cap, nothing more is added: the stored text stays a
// prefix of the layout rather than one with holes.
PbnBoolDef bTextFull = PBN_FALSE;

UInt32 LineCount() {
  return tAnnoAdmin.tLinesDD.CurData;
}

void SetTextSize(const TextSizeDef* ptTextSize) {
  const UInt32 End = UInt32{ptTextSize->FirstLine} + ptTextSize->NrLines;
  const UInt32 LastEnd = UInt32{tAnnoAdmin.tLast.FirstLine} + tAnnoAdmin.tLast.NrLines;
  if (End > LastEnd) {
    tAnnoAdmin.tLast = *ptTextSize;
    tAnnoAdmin.bNewLast = PBN_TRUE;
  }
}

PbnErrDef TextComputeChar(DynamicDataDef* ptCharsDD, char cChar) {
  if (ptCharsDD->CurData >= kMaxChars) return PBN_ERR_RESOURCES;
  if (!DynamicDataCheck(ptCharsDD)) return PBN_ERR_RESOURCES;
  *DynamicDataAt<char>(*ptCharsDD, ptCharsDD->CurData) = cChar;
  ++ptCharsDD->CurData;
  return PBN_ERR_OK;
}

void PushSuit(std::string* pLine, unsigned char Code) {
  pLine->push_back(static_cast<char>(Code));
  pLine->push_back(static_cast<char>(ANNO_SUIT_END));
}

// Reads one display line of [pcData, pcData + Size) into the characters to store, applying
// the backslash rules of the current AnnoType. Returns the source characters consumed.
size_t TextParseLine(const char* pcData, size_t Size, std::string* pLine) {
  size_t Ix = 0;
  if (tAnnoAdmin.AnnoType == ANNO_TYPE_LOG) {  // the markers stand under the line's characters
    for (; Ix < Size && pcData[Ix] != '\0' && pcData[Ix] != '\n'; Ix++)
      pLine->push_back(pcData[Ix]);
    return Ix;
  }
  PbnBoolDef bBackslash = PBN_FALSE;
  while (Ix < Size && pcData[Ix] != '\0' && pcData[Ix] != '\n') {
    const char cChar = pcData[Ix++];
    if (!bBackslash) {
      if (cChar == '\\') {
        bBackslash = PBN_TRUE;
      } else {
        pLine->push_back(cChar);
      }
      continue;
    }
    bBackslash = PBN_FALSE;
    switch (cChar) {
      case 'C':
      case 'c':
        PushSuit(pLine, ANNO_CLUBS);
        break;
      case 'D':
      case 'd':
        PushSuit(pLine, ANNO_DIAMONDS);
        break;
      case 'H':
      case 'h':
        PushSuit(pLine, ANNO_HEARTS);
        break;
      case 'S':
      case 's':
        PushSuit(pLine, ANNO_SPADES);
        break;
      case '\\':
      case '"':
        // An escape in a tag value (note texts); comments are taken literally.
        if (tAnnoAdmin.AnnoType == ANNO_TYPE_COMMENT) pLine->push_back('\\');
        pLine->push_back(cChar);
        break;
      default:
        pLine->push_back('\\');
        pLine->push_back(cChar);
        break;
    }
  }
  if (bBackslash) pLine->push_back('\\');
  // A line feed counts as read only when it ends the source string, so that the caller's
  // skip of one terminator lands on the next line either way.
  if (Ix < Size && pcData[Ix] == '\n' && (Ix + 1 >= Size || pcData[Ix + 1] == '\0')) return Ix + 1;
  return Ix;
}

// Stores one line of [pcData, pcData + Size), NUL-terminated, and its start offset. A line is
// stored completely or not at all.
PbnErrDef TextComputeLine(const char* pcData, size_t Size, size_t* pNrChars) {
  DynamicDataDef& tLinesDD = tAnnoAdmin.tLinesDD;
  DynamicDataDef& tCharsDD = tAnnoAdmin.tCharsDD;
  if (pNrChars != nullptr) *pNrChars = 0;
  // A line that does not fit ends the text, whether at the cap or for want of memory.
  if (bTextFull || LineCount() >= kMaxLines || tCharsDD.CurData >= kMaxChars ||
      !DynamicDataCheck(&tLinesDD)) {
    bTextFull = PBN_TRUE;
    return PBN_ERR_RESOURCES;
  }

  std::string acLine;
  const size_t NrChars = TextParseLine(pcData, Size, &acLine);
  const size_t Length = acLine.size() + 1;  // with the terminator
  bool bRoom = tCharsDD.CurData + Length <= kMaxChars;
  while (bRoom && tCharsDD.MaxData - tCharsDD.CurData < Length)
    bRoom = DynamicDataExtend(&tCharsDD);
  if (!bRoom) {
    bTextFull = PBN_TRUE;
    return PBN_ERR_RESOURCES;
  }

  const UInt32 Offset = tCharsDD.CurData;
  PbnErrDef Error = PBN_ERR_OK;
  for (char cChar : acLine) {
    if (Error == PBN_ERR_OK) Error = TextComputeChar(&tCharsDD, cChar);
  }
  if (Error == PBN_ERR_OK) Error = TextComputeChar(&tCharsDD, '\0');
  if (Error != PBN_ERR_OK) {  // room was made above; never leave a line without terminator
    tCharsDD.CurData = Offset;
    return Error;
  }
  *DynamicDataAt<UInt16>(tLinesDD, tLinesDD.CurData) = static_cast<UInt16>(Offset);
  ++tLinesDD.CurData;
  tAnnoAdmin.MaxLineLength = std::max(tAnnoAdmin.MaxLineLength, static_cast<UInt16>(Length));
  if (pNrChars != nullptr) *pNrChars = NrChars;
  return Error;
}

PbnErrDef TextComputeString(const char* pcText) {
  return TextComputeLine(pcText, std::strlen(pcText), nullptr);
}

void TextRangeCompute(const PbnGameTagsDef* ptGameTags, const PbnRangeDef* ptRange) {
  if (ptGameTags->pcComments == nullptr || ptRange->End == 0) return;
  // A range read from the record is kept inside the text actually stored.
  const Int32 Stored = std::min(ptGameTags->IxComments, ptGameTags->NrComments);
  const Int32 Begin = ptRange->Begin;
  const Int32 End = std::min(ptRange->End, Stored);
  if (Begin < 0 || Begin >= End) return;
  size_t Ix = static_cast<size_t>(Begin);
  const size_t Limit = static_cast<size_t>(End);
  while (Ix < Limit) {
    size_t NrChars = 0;
    if (TextComputeLine(ptGameTags->pcComments + Ix, Limit - Ix, &NrChars) != PBN_ERR_OK) return;
    Ix += NrChars + 1;
  }
}

PbnBoolDef OptionalTag(int TagId) {
  if (TagId == PBN_TAG_ID_AUCTION || TagId == PBN_TAG_ID_NOTE || TagId == PBN_TAG_ID_PLAY) {
    return PBN_FALSE;
  }
  return std::find(aMtsTags.begin(), aMtsTags.end(), TagId) == aMtsTags.end();
}

void TextSectionCompute(const PbnGameTagsDef* ptGameTags, PbnSectionDef Section) {
  TextSizeDef* ptTextSize = Section == PBN_SECTION_AUCTION ? &tAnnoAdmin.tAuction
                            : Section == PBN_SECTION_PLAY  ? &tAnnoAdmin.tPlay
                                                           : &tAnnoAdmin.tIdent;
  // The mistakes of a game, when laid out first, are read with its identification.
  const UInt32 FirstLine = Section == PBN_SECTION_IDENT ? 0 : LineCount();
  tAnnoAdmin.AnnoType = ANNO_TYPE_COMMENT;
  switch (Section) {
    case PBN_SECTION_IDENT:
      TextRangeCompute(ptGameTags, &ptGameTags->tGameComment);
      for (PbnTagIdDef TagId : aMtsTags) {
        TextRangeCompute(ptGameTags, &ptGameTags->atTagComment[TagId]);
      }
      for (int TagId = 0; TagId < PBN_N_TAG_IDS; ++TagId) {
        if (OptionalTag(TagId)) TextRangeCompute(ptGameTags, &ptGameTags->atTagComment[TagId]);
      }
      break;
    case PBN_SECTION_AUCTION: {
      const char acHeader[] = {static_cast<char>(ANNO_AUCTION_HEADER), '\0'};
      TextComputeString(acHeader);
      TextRangeCompute(ptGameTags, &ptGameTags->atTagComment[PBN_TAG_ID_AUCTION]);
      break;
    }
    case PBN_SECTION_PLAY: {
      const char acHeader[] = {static_cast<char>(ANNO_PLAY_HEADER), '\0'};
      TextComputeString(acHeader);
      TextRangeCompute(ptGameTags, &ptGameTags->atTagComment[PBN_TAG_ID_PLAY]);
      break;
    }
  }
  ptTextSize->FirstLine = static_cast<UInt16>(FirstLine);
  ptTextSize->NrLines = static_cast<UInt16>(LineCount() - FirstLine);
}

void TextMoveCompute(const char* pcMove, const PbnGameTagsDef* ptGameTags, TextSizeDef* ptTextSize,
                     const PbnMoveAnnoDef* ptAnno,
                     const std::array<PbnMoveNoteDef, PBN_N_NOTES>& atMoveNote,
                     const std::array<PbnRangeDef, PBN_N_NOTES>& atMoveNoteComment) {
  const UInt32 FirstLine = LineCount();
  char acLine[kLineSize];

  tAnnoAdmin.AnnoType = ANNO_TYPE_COMMENT;
  TextRangeCompute(ptGameTags, &ptAnno->tComment.atTypes[PBN_COMMENT_TYPE_MOVE]);

  // A note number outside 1 to 32 refers to nothing that exists.
  const int Note = ptAnno->Note;
  if (Note >= 1 && Note <= PBN_N_NOTES) {
    tAnnoAdmin.AnnoType = ANNO_TYPE_NOTE;
    const auto& acNote = atMoveNote[Note - 1].tTagValue.acValue;
    if (acNote[0] != '\0') {
      char acNoteText[PBN_VALUE_SIZE];
      // A value that fills its buffer is cut before the last byte.
      const auto itEnd = std::find(acNote.begin(), acNote.end() - 1, '\0');
      const auto itCopied = std::copy(acNote.begin(), itEnd, acNoteText);
      *itCopied = '\0';
      std::snprintf(acLine, sizeof acLine, "%s %c%d)%c %s", pcMove, ANNO_NOTE_BEGIN, Note,
                    ANNO_NOTE_END, acNoteText);
      TextComputeString(acLine);
    }
    TextRangeCompute(ptGameTags, &atMoveNoteComment[Note - 1]);
  }

  tAnnoAdmin.AnnoType = ANNO_TYPE_COMMENT;
  TextRangeCompute(ptGameTags, &ptAnno->tComment.atTypes[PBN_COMMENT_TYPE_NOTE_REF]);

  // The move's NAG entries, kept inside the list actually stored.
  Int32 NagBegin = 0;
  Int32 NagEnd = 0;
  if (ptGameTags->pNags != nullptr && ptAnno->tNag.Begin >= 0) {
    NagBegin = ptAnno->tNag.Begin;
    NagEnd = std::min({ptAnno->tNag.End, ptGameTags->IxNags, ptGameTags->NrNags});
  }
  auto IsSuffix = [](PbnNagDef Nag) { return Nag >= 0 && Nag <= PBN_NAG_PLAY_QUESTIONABLE; };

  tAnnoAdmin.AnnoType = ANNO_TYPE_SUFFIX;
  for (Int32 Ix = NagBegin; Ix < NagEnd; ++Ix) {
    const PbnNagDef Nag = ptGameTags->pNags[Ix];
    if (!IsSuffix(Nag)) continue;
    std::snprintf(acLine, sizeof acLine, "%s %s", pcMove, apcNags[Nag]);
    TextComputeString(acLine);
  }

  tAnnoAdmin.AnnoType = ANNO_TYPE_COMMENT;
  TextRangeCompute(ptGameTags, &ptAnno->tComment.atTypes[PBN_COMMENT_TYPE_SUFFIX]);

  tAnnoAdmin.AnnoType = ANNO_TYPE_NAG;
  for (Int32 Ix = NagBegin; Ix < NagEnd; ++Ix) {
    const PbnNagDef Nag = ptGameTags->pNags[Ix];
    if (IsSuffix(Nag)) continue;
    std::snprintf(acLine, sizeof acLine, "%s $%d", pcMove, static_cast<int>(Nag));
    TextComputeString(acLine);
  }

  tAnnoAdmin.AnnoType = ANNO_TYPE_COMMENT;
  TextRangeCompute(ptGameTags, &ptAnno->tComment.atTypes[PBN_COMMENT_TYPE_NAG]);

  ptTextSize->FirstLine = static_cast<UInt16>(FirstLine);
  ptTextSize->NrLines = static_cast<UInt16>(LineCount() - FirstLine);
}

// Appends the suit symbol of a strain (no trump: "NT") at pcText.
void AppendTrump(char* pcText, size_t Size, PbnTrumpDef Trump) {
  const size_t Length = std::strlen(pcText);
  if (Trump < PBN_N_SUITS) {
    std::snprintf(pcText + Length, Size - Length, "%c%c", aSuitCodes[Trump], ANNO_SUIT_END);
  } else if (Trump == PBN_TRUMP_NT) {
    std::snprintf(pcText + Length, Size - Length, "NT");
  }
}

void TextCallString(const PbnCallDef* ptCall, char* pcCall) {
  pcCall[0] = '\0';
  switch (ptCall->CallType) {
    case PBN_CALL_PASS:
      std::snprintf(pcCall, kMoveSize, "%s", acPbnPass);
      break;
    case PBN_CALL_DOUBLE:
    case PBN_CALL_REDOUBLE:
      std::snprintf(pcCall, kMoveSize, "%s", apcPbnRiskNames[ptCall->CallType]);
      break;
    case PBN_CALL_BID:
    case PBN_CALL_INSUFFICIENT:
      std::snprintf(pcCall, kMoveSize, "%s%d",
                    ptCall->CallType == PBN_CALL_INSUFFICIENT ? "^I " : "", ptCall->NrTricks);
      AppendTrump(pcCall, kMoveSize, ptCall->Trump);
      break;
    case PBN_CALL_SPECIAL:
      std::snprintf(pcCall, kMoveSize, "^S");
      break;
    default:
      break;
  }
}

void TextCardString(const PbnCardDef* ptCard, Int8 cIllegal, char* pcCard) {
  if (!PbnCardIsReal(*ptCard) || ptCard->Rank == PBN_RANK_X || ptCard->Rank == PBN_RANK_UNKNOWN) {
    std::snprintf(pcCard, kMoveSize, "-");
    return;
  }
  char acIllegal[4] = "";
  if (cIllegal != 0) std::snprintf(acIllegal, sizeof acIllegal, "^%c", cIllegal);
  const char acSuit[] = {static_cast<char>(aSuitCodes[ptCard->Suit]),
                         static_cast<char>(ANNO_SUIT_END), '\0'};
  std::snprintf(pcCard, kMoveSize, "%s%s%c", acIllegal, acSuit, RankChar(ptCard->Rank));
}

void TextCallCompute(const PbnGameDataDef* ptGameData, const PbnGameTagsDef* ptGameTags, int Call) {
  char acCall[kMoveSize];
  TextCallString(&ptGameData->tAuction.atCalls[Call], acCall);
  TextMoveCompute(acCall, ptGameTags, &tAnnoAdmin.atCall[Call], &ptGameTags->atCallAnno[Call],
                  ptGameTags->atCallNote, ptGameTags->atCallNoteComment);
}

void TextCardCompute(const PbnGameTagsDef* ptGameTags, int Entry, int Trick) {
  const PbnPlayCardDef& tPlayCard = tGameAdmin.atPlayCards[Entry];
  TextSizeDef* ptTextSize = &tAnnoAdmin.atCard[Entry];
  if (!PbnSideIsValid(tPlayCard.Side)) {  // no side to take annotations from
    ptTextSize->FirstLine = static_cast<UInt16>(LineCount());
    ptTextSize->NrLines = 0;
    return;
  }
  char acCard[kMoveSize];
  TextCardString(&tPlayCard.Card, tGameAdmin.aacIllegals[Trick][tPlayCard.Side], acCard);
  TextMoveCompute(acCard, ptGameTags, ptTextSize, &ptGameTags->aatCardAnno[Trick][tPlayCard.Side],
                  ptGameTags->atCardNote, ptGameTags->atCardNoteComment);
}

// --- the tables of a PBN 2.1 game ---

// Pads a cell to Width by its column's alignment (numbers read best on the right).
void AppendCell(std::string* pLine, const char* pcText, size_t Width, PbnTableAlignDef Align) {
  const size_t Length = std::strlen(pcText);
  const size_t Pad = Width > Length ? Width - Length : 0;
  if (Align == PBN_TABLE_ALIGN_RIGHT) pLine->append(Pad, ' ');
  pLine->append(pcText);
  if (Align != PBN_TABLE_ALIGN_RIGHT) pLine->append(Pad, ' ');
}

void TextTableLine(const std::string& Line) {
  TextComputeLine(Line.data(), Line.size(), nullptr);
}

// Every table: its columns side by side, each as wide as its widest text or its given width.
void TextTableGeneric(const PbnTableStoreDef& tStore, const PbnTableDef& tTable) {
  const UInt32 NrColumns = static_cast<UInt32>(tTable.NrColumns);
  std::array<size_t, PBN_TABLE_MAX_COLUMNS> aWidths{};
  for (UInt32 Column = 0; Column < NrColumns; Column++) {
    const PbnTableColumnDef& tColumn = tTable.atColumns[Column];
    aWidths[Column] = std::max<size_t>(tColumn.Width, std::strlen(tColumn.acName.data()));
  }
  for (UInt32 Index = 0; Index < tTable.NrElements; Index++) {
    size_t& Width = aWidths[Index % NrColumns];
    Width = std::max(Width, std::strlen(PbnTableElement(tStore, tTable, Index)));
  }
  std::string Line;
  for (UInt32 Column = 0; Column < NrColumns; Column++) {
    if (Column != 0) Line += ' ';
    const PbnTableColumnDef& tColumn = tTable.atColumns[Column];
    AppendCell(&Line, tColumn.acName.data(), aWidths[Column], tColumn.Align);
  }
  TextTableLine(Line);
  for (UInt32 First = 0; First + NrColumns <= tTable.NrElements; First += NrColumns) {
    Line.clear();
    for (UInt32 Column = 0; Column < NrColumns; Column++) {
      if (Column != 0) Line += ' ';
      AppendCell(&Line, PbnTableElement(tStore, tTable, First + Column), aWidths[Column],
                 tTable.atColumns[Column].Align);
    }
    TextTableLine(Line);
  }
}

// OptimumResultTable as a grid, strains across and declarers down, so that the double-dummy
// tricks read at a glance. False when the table has not the columns of one.
bool TextTableOptimumResult(const PbnTableStoreDef& tStore, const PbnTableDef& tTable) {
  static constexpr const char* apcStrains[5] = {"NT", "S", "H", "D", "C"};
  static constexpr const char* apcDeclarers[4] = {"N", "S", "E", "W"};
  static constexpr int aRowOfSide[PBN_N_SIDES] = {1, 3, 0, 2};  // South, West, North, East
  std::array<std::array<std::string, 5>, 4> aaCells;
  const auto Cell = [&aaCells](PbnSideDef Side, PbnTrumpDef Trump, const char* pcResult) {
    aaCells[aRowOfSide[Side]][PBN_TRUMP_NT - Trump] = pcResult;  // NT first, clubs last
  };
  if (!PbnOptimumResultCells(tStore, tTable, Cell)) return false;
  std::string Line = "  ";
  for (const char* pcStrain : apcStrains)
    AppendCell(&Line, pcStrain, 4, PBN_TABLE_ALIGN_RIGHT);
  TextTableLine(Line);
  for (int Row = 0; Row < 4; Row++) {
    Line = std::string(" ") + apcDeclarers[Row];
    for (const std::string& Cell : aaCells[Row]) {
      AppendCell(&Line, Cell.empty() ? "-" : Cell.c_str(), 4, PBN_TABLE_ALIGN_RIGHT);
    }
    TextTableLine(Line);
  }
  return true;
}

// After the play: one block per table under its tag name, then the tags that no reading knows as
// "Name: value". They are revealed with the end of the play (or with the play section when it
// holds no card).
void TextTablesCompute(const PbnGameTagsDef* ptGameTags) {
  const UInt32 FirstLine = LineCount();
  tAnnoAdmin.AnnoType = ANNO_TYPE_NOTE;  // elements are tag data: "\\" shows one backslash
  const PbnTableStoreDef& tStore = ptGameTags->tTables;
  for (UInt32 Table = 0; Table < PbnTableCount(tStore); Table++) {
    const PbnTableDef& tTable = PbnTableAt(tStore, Table);
    if (tTable.NrColumns <= 0) continue;
    const char* pcTag =
        tTable.TagId >= 0 && tTable.TagId < PBN_N_TAG_IDS ? aPbnTagNames[tTable.TagId] : "";
    TextTableLine(std::string(1, static_cast<char>(ANNO_TABLE_HEADER)) + pcTag);
    if (std::strcmp(pcTag, "OptimumResultTable") != 0 || !TextTableOptimumResult(tStore, tTable)) {
      TextTableGeneric(tStore, tTable);
    }
  }
  tAnnoAdmin.AnnoType = ANNO_TYPE_COMMENT;
  for (UInt32 Tag = 0; Tag < PbnExtraTagCount(*ptGameTags); Tag++) {
    const PbnExtraTagDef& tExtra = ptGameTags->ptExtraTags[Tag];
    TextTableLine(std::string(tExtra.tName.acValue.data()) + ": " + tExtra.tValue.acValue.data());
  }
  tAnnoAdmin.tTables.FirstLine = static_cast<UInt16>(FirstLine);
  tAnnoAdmin.tTables.NrLines = static_cast<UInt16>(LineCount() - FirstLine);
  if (tAnnoAdmin.tTables.NrLines == 0) return;
  const int NrEntries = std::clamp<int>(tGameAdmin.NrPlayCards, 0, PBN_MAX_PLAY_CARDS);
  TextSizeDef& tReveal = NrEntries > 0 ? tAnnoAdmin.atCard[NrEntries - 1] : tAnnoAdmin.tPlay;
  tReveal.NrLines = static_cast<UInt16>(LineCount() - tReveal.FirstLine);
}

}  // namespace

bool AnnoIsMarker(const unsigned char* pcText, int Index) {
  if (pcText[Index] < ANNO_AUCTION_HEADER || pcText[Index] > ANNO_TABLE_HEADER) return false;
  if (!PbnTextIsUtf8()) return true;
  // A marker stands where a character begins: after at most three tail bytes comes their lead.
  int Tail = 0;
  for (int i = Index - 1; i >= 0 && Tail < 3 && (pcText[i] & 0xC0) == 0x80; i--)
    Tail++;
  const int Lead = Index - Tail - 1;
  if (Lead < 0 || pcText[Lead] < 0xC0) return true;
  const int NrTails = pcText[Lead] >= 0xF0 ? 3 : pcText[Lead] >= 0xE0 ? 2 : 1;
  return Tail >= NrTails;
}

PbnBoolDef TextAnnoInit() {
  if (tAnnoAdmin.bActive) TextAnnoTerm();
  tAnnoAdmin = AnnoAdminDef{};
  bTextFull = PBN_FALSE;
  const PbnBoolDef bLines = DynamicDataInit(&tAnnoAdmin.tLinesDD, 64, sizeof(UInt16));
  const PbnBoolDef bChars = DynamicDataInit(&tAnnoAdmin.tCharsDD, 2048, 1);
  if (!bLines || !bChars) {  // no layout for this game; keep no half-made store
    DynamicDataTerm(&tAnnoAdmin.tLinesDD);
    DynamicDataTerm(&tAnnoAdmin.tCharsDD);
    return PBN_FALSE;
  }
  tAnnoAdmin.bActive = PBN_TRUE;
  return PBN_TRUE;
}

PbnErrDef TextAnnoCompute(const PbnGameDataDef* ptGameData, const PbnGameTagsDef* ptGameTags) {
  if (!tAnnoAdmin.bActive || ptGameData == nullptr || ptGameTags == nullptr) return PBN_ERROR;
  TextSectionCompute(ptGameTags, PBN_SECTION_IDENT);
  TextSectionCompute(ptGameTags, PBN_SECTION_AUCTION);
  const int NrCalls = std::min<int>(ptGameData->tAuction.NrCalls, PBN_MAX_CALLS);
  for (int Call = 0; Call < NrCalls; ++Call)
    TextCallCompute(ptGameData, ptGameTags, Call);
  TextSectionCompute(ptGameTags, PBN_SECTION_PLAY);
  const int NrEntries = PlayNrEntries();
  for (int Entry = 0; Entry < NrEntries; ++Entry)
    TextCardCompute(ptGameTags, Entry, Entry / 4);
  TextTablesCompute(ptGameTags);
  return bTextFull ? PBN_ERR_RESOURCES : PBN_ERR_OK;
}

void TextMistakesCompute(const PbnLogEntryDef* atEntries, UInt32 NrEntries) {
  if (!tAnnoAdmin.bActive || atEntries == nullptr || NrEntries == 0) return;
  tAnnoAdmin.tMistakes.FirstLine = static_cast<UInt16>(LineCount());
  const char acHeader[] = {static_cast<char>(ANNO_MISTAKES_HEADER), '\0'};
  TextComputeString(acHeader);
  tAnnoAdmin.AnnoType = ANNO_TYPE_LOG;
  for (UInt32 Entry = 0; Entry < NrEntries; ++Entry) {
    const PbnLogEntryDef& tEntry = atEntries[Entry];
    const std::string Heading = "line " + std::to_string(tEntry.LineNr) + ": " + tEntry.Message;
    TextComputeString(Heading.c_str());
    if (tEntry.Text.empty() && tEntry.Marks.empty()) continue;  // a whole-game message
    TextComputeString(tEntry.Text.c_str());
    TextComputeString(tEntry.Marks.c_str());
  }
  tAnnoAdmin.tMistakes.NrLines = static_cast<UInt16>(LineCount() - tAnnoAdmin.tMistakes.FirstLine);
  tAnnoAdmin.AnnoType = ANNO_TYPE_COMMENT;
}

void TextAnnoTerm() {
  tAnnoAdmin.bActive = PBN_FALSE;
  DynamicDataTerm(&tAnnoAdmin.tLinesDD);
  DynamicDataTerm(&tAnnoAdmin.tCharsDD);
}

void PaintAnnoSection(PbnSectionDef Section) {
  if (!tAnnoAdmin.bActive) return;
  switch (Section) {
    case PBN_SECTION_IDENT:
      SetTextSize(&tAnnoAdmin.tIdent);
      break;
    case PBN_SECTION_AUCTION:
      SetTextSize(&tAnnoAdmin.tAuction);
      break;
    case PBN_SECTION_PLAY:
      SetTextSize(&tAnnoAdmin.tPlay);
      break;
  }
}

void PaintAnnoCall(int NrCalls) {
  if (!tAnnoAdmin.bActive || NrCalls <= 0 || NrCalls > PBN_MAX_CALLS) return;
  SetTextSize(&tAnnoAdmin.atCall[NrCalls - 1]);
}

void PaintAnnoCard(int NrCards) {
  if (!tAnnoAdmin.bActive || NrCards <= 0 || NrCards > PBN_MAX_PLAY_CARDS) return;
  SetTextSize(&tAnnoAdmin.atCard[NrCards - 1]);
}

PbnBoolDef PaintAnnoExec(UInt32* pFirstLine, UInt32* pMaxNrLines) {
  if (pFirstLine != nullptr) *pFirstLine = tAnnoAdmin.tLast.FirstLine;
  if (pMaxNrLines != nullptr) {
    *pMaxNrLines = UInt32{tAnnoAdmin.tLast.FirstLine} + tAnnoAdmin.tLast.NrLines;
  }
  const PbnBoolDef bNewLast = tAnnoAdmin.bNewLast;
  tAnnoAdmin.bNewLast = PBN_FALSE;
  return bNewLast;
}

void PaintAnnoReset() {
  tAnnoAdmin.tLast = TextSizeDef{0, 0};
  tAnnoAdmin.bNewLast = PBN_FALSE;
}

const unsigned char* TextAnnoLine(UInt32 Line) {
  if (!tAnnoAdmin.bActive || tAnnoAdmin.tLinesDD.ptData == nullptr ||
      tAnnoAdmin.tCharsDD.ptData == nullptr || Line >= tAnnoAdmin.tLinesDD.CurData) {
    return nullptr;
  }
  const UInt32 Offset = *DynamicDataAt<UInt16>(tAnnoAdmin.tLinesDD, Line);
  if (Offset >= tAnnoAdmin.tCharsDD.CurData) return nullptr;
  return DynamicDataAt<unsigned char>(tAnnoAdmin.tCharsDD, Offset);
}

namespace {

// The suit of a suit marker, or PBN_SUIT_NO_CARD for any other byte.
PbnSuitDef MarkerSuit(unsigned char cByte) {
  const auto it = std::find(aSuitCodes.begin(), aSuitCodes.end(), cByte);
  return it != aSuitCodes.end() ? static_cast<PbnSuitDef>(it - aSuitCodes.begin())
                                : PBN_SUIT_NO_CARD;
}

// Where a marker that heads a line stands elsewhere, it is a character like any other.
bool InlineMarker(const unsigned char* pcLine, UInt32 Index) {
  const unsigned char cByte = pcLine[Index];
  return cByte != ANNO_TABLE_HEADER && AnnoHeaderText(cByte) == nullptr &&
         AnnoIsMarker(pcLine, static_cast<int>(Index));
}

// The scan of one line: the parts that lie in the window [Begin, End) go to the visitor.
class AnnoLineScanDef {
 public:
  AnnoLineScanDef(const unsigned char* pcLine, UInt32 Length, AnnoLineVisitorDef* ptVisitor,
                  UInt32 Begin, UInt32 End)
      : pcLine_(pcLine), Length_(Length), ptVisitor_(ptVisitor), Begin_(Begin), End_(End) {}

  void Run() {
    UInt32 RunBegin = 0;  // the pending characters: RunBegin .. Index - 1
    for (UInt32 Index = 0; Index < Length_; Index++) {
      if (!InlineMarker(pcLine_, Index)) continue;
      Chars(RunBegin, Index);
      const unsigned char cByte = pcLine_[Index];
      const PbnSuitDef Suit = MarkerSuit(cByte);
      if (Suit != PBN_SUIT_NO_CARD && Shown(Index)) ptVisitor_->Suit(Suit);
      if (cByte == ANNO_NOTE_BEGIN) Index = Reference(Index);
      RunBegin = Index + 1;  // a suit's end and a stray reference end add nothing
    }
    Chars(RunBegin, Length_);
  }

 private:
  bool Shown(UInt32 Index) const { return Index >= Begin_ && Index < End_; }

  void Chars(UInt32 First, UInt32 Last) const {
    First = std::max(First, Begin_);
    Last = std::min(Last, End_);
    if (First < Last) {
      ptVisitor_->Text(
          std::string_view(reinterpret_cast<const char*>(pcLine_) + First, Last - First));
    }
  }

  // The reference that opens at Open: the characters up to its end ("n)"), other markers
  // dropped. Returns the index of its end, or the last of the line when it has none.
  UInt32 Reference(UInt32 Open) const {
    UInt32 Close = Open + 1;
    while (Close < Length_ && !(pcLine_[Close] == ANNO_NOTE_END && InlineMarker(pcLine_, Close)))
      Close++;
    const bool bClosed = Close < Length_;
    if (bClosed && Close >= End_) return Close;  // cut by the window's end: not shown
    const UInt32 First = std::max(Open + 1, Begin_);
    const UInt32 Last = std::min(Close, End_);
    std::string Text = Open >= Begin_ ? "(" : "";
    for (UInt32 Index = First; Index < Last; Index++) {
      if (!InlineMarker(pcLine_, Index)) Text += static_cast<char>(pcLine_[Index]);
    }
    if (Open < End_ && !Text.empty()) ptVisitor_->Note(Text);
    return bClosed ? Close : Length_ - 1;
  }

  const unsigned char* pcLine_;
  UInt32 Length_;
  AnnoLineVisitorDef* ptVisitor_;
  UInt32 Begin_;
  UInt32 End_;
};

}  // namespace

void AnnoLineVisit(const unsigned char* pcLine, AnnoLineVisitorDef* ptVisitor, UInt32 Begin,
                   UInt32 End) {
  const auto Length = static_cast<UInt32>(std::strlen(reinterpret_cast<const char*>(pcLine)));
  End = std::min(End, Length);
  if (const char* pcHeader = AnnoHeaderText(pcLine[0])) return ptVisitor->Header(pcHeader);
  if (pcLine[0] == ANNO_TABLE_HEADER) {
    const auto* pcTag = reinterpret_cast<const char*>(pcLine + 1);
    return ptVisitor->TableHeader(std::string_view(pcTag, End > 0 ? End - 1 : 0));
  }
  AnnoLineScanDef(pcLine, Length, ptVisitor, std::min(Begin, End), End).Run();
}

std::string AnnoLineText(const unsigned char* pcLine) {
  class TextDef final : public AnnoLineVisitorDef {
   public:
    void Header(const char* pcName) override { Line += pcName; }
    void TableHeader(std::string_view Tag) override { Line += PbnTextToUtf8(Tag); }
    void Text(std::string_view Chars) override { Line += PbnTextToUtf8(Chars); }
    void Suit(PbnSuitDef Suit) override { Line += apcPbnStrainSymbols[Suit]; }
    void Note(std::string_view Reference) override { Line += PbnTextToUtf8(Reference); }
    std::string Line;
  } tText;
  AnnoLineVisit(pcLine, &tText);
  return tText.Line;
}

}  // namespace pbn
