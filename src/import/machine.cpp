// The import state machine: reads one game character by character through a stack of states
// (the common tokens whole, as those steps would), cuts it into tokens, hands each to its check,
// marks and logs every erroneous line and runs the whole-game checks at the end.
#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/defs.h"
#include "import/import.h"
#include "import/import_internal.h"
#include "import/reader_block.h"
#include "import/reading.h"

namespace pbn {

namespace {

// A run is copied in whole blocks (kCopyBlock); the buffers have room for the last.
char InputBuffer[PBN_VALUE_SIZE + kCopyBlock];  // the current logical line as stored for the log
char CheckBuffer[PBN_VALUE_SIZE + kCopyBlock];  // the token being collected
char ErrorBuffer[PBN_VALUE_SIZE + 1];

struct IntakeDef;
using CharTableDef = std::array<std::array<bool, 256>, PBN_N_STATES>;

// The variables of one game import. The reader's chunk and the indexes into the line, the token
// and the marker line live here too, so that the steps keep them at hand.
struct ImportRunDef {
  PbnGameDataDef* ptGameData;
  PbnGameTagsDef* ptGameTags;
  PbnFilePosDef FilePosBegin;  // where the game begins: the chunk of its first non-blank, or -1
  PbnFilePosDef* pFilePosOut;
  PbnChunkDef tChunk;            // the chunk read last
  int ChunkIndex;                // of the next character of the chunk to hand out
  unsigned long InputIndex;      // characters stored on the line; where the next one goes
  unsigned long PrevInputIndex;  // InputIndex before the step's character was taken
  unsigned long CheckIndex;      // characters of the token
  bool bCheckOverflow;           // a value continued by backslashes outgrew its buffer
  unsigned long ErrorIndex;      // where the marking of an error of this step starts
  PbnStateDef CurrPbnState;      // the state of the current step
  PbnStateDef NextPbnState;      // the state that the end of the current tag enters
  PbnTagIdDef TagId;
  int c;
  bool bCharFromFile;  // the step's character was taken from the file (not made up or left)
  bool bNulAhead;      // the chunk read ahead is a NUL byte alone, not yet handed out
  PbnErrDef CharError;
  PbnErrDef LineError;
  PbnErrDef GameError;
  PbnBoolDef bErrorDec;
  bool bLineNonBlank;  // the line holds a stored character other than a blank
  PbnBoolDef bTagFound;
  PbnBoolDef bNameFound;
  PbnBoolDef bEndOfFile;
  PbnBoolDef bReady;
  const IntakeDef* atIntake;      // how each byte is stored: by the text encoding of the reading
  const CharTableDef* paaRuns;    // per state, the characters of its runs (below)
  const CharTableDef* paaLeaves;  // per state, the characters that its token leaves (below)
  bool b21;                       // the PBN 2.1 reading
  bool bDataSeen;                 // the tag's section data has begun (2.1): no comment any more
  bool bTableData;                // the section data fills the table its tag opened (2.1)
  std::vector<PbnTagPlaceDef>* patPlaces;  // where the tags sit, when asked for (tag syntax only)
};

// What follows from the rows of the states (below).
bool IsTokenState(PbnStateDef State);
PbnStateDef NextStateAfterTag(PbnTagIdDef TagId);
PbnSectionDef SectionOf(PbnStateDef State);

void ErrorBufferReset() {
  std::memset(ErrorBuffer, ' ', kMaxLineChars);
  ErrorBuffer[kMaxLineChars] = '\0';
}

// --- token helpers ---

void TokenAppend(ImportRunDef& r, int c) {
  if (r.CheckIndex < kMaxLineChars) {
    CheckBuffer[r.CheckIndex++] = static_cast<char>(c);
  } else {
    r.bCheckOverflow = true;  // keep the first 255 characters; the value is refused at its end
  }
}

void TokenStartEmpty(ImportRunDef& r) {
  r.CheckIndex = 0;
  r.bCheckOverflow = false;
  r.ErrorIndex = r.InputIndex;
}

void TokenStart(ImportRunDef& r, int c) {
  TokenStartEmpty(r);
  TokenAppend(r, c);
}

const char* TokenEnd(ImportRunDef& r) {
  CheckBuffer[r.CheckIndex] = '\0';
  return CheckBuffer;
}

// Sets the step's error; an error of a rule replaces an error of the intake.
void Report(ImportRunDef& r, PbnErrDef Error) {
  if (Error != PBN_ERR_OK) r.CharError = Error;
}

// The character of the step is read again by the next step. A character left in the file is
// there already; a made-up line feed is not in the file, and the next step makes it up again.
void PushBack(ImportRunDef& r) {
  if (r.bCharFromFile) r.ChunkIndex--;
  r.InputIndex = r.PrevInputIndex;  // it leaves the stored line
  r.c = 1;                          // neutral: no state reacts to it and it is no line feed
}

// Where PbnReadTagPlaces wants the places of the tags of the game it imports; null otherwise.
std::vector<PbnTagPlaceDef>* patRecordPlaces = nullptr;

// What the import of the game read last tells beyond its result.
UInt32 LineBegin = 0;
PbnBoolDef bLastTagFound = PBN_FALSE;

// The game begins at the first line with a character other than a blank.
void NoteGameBegin(ImportRunDef& r) {
  if (r.FilePosBegin != -1 || !r.bLineNonBlank) return;
  r.FilePosBegin = FilePosGet;
  LineBegin = FileLineNr;
}

// --- the places of the tags, recorded when asked for ---

// The file offset of the step's character: of the one taken, of the one left in the file, or
// where the file ends (a line feed made up there).
size_t CharPos(const ImportRunDef& r) {
  if (r.bEndOfFile) return static_cast<size_t>(FilePosRead);
  return static_cast<size_t>(FilePosGet) + r.ChunkIndex - (r.bCharFromFile ? 1 : 0);
}

PbnTagPlaceDef* LastPlace(ImportRunDef& r) {
  return r.patPlaces != nullptr && !r.patPlaces->empty() ? &r.patPlaces->back() : nullptr;
}

void RecordTagPlace(ImportRunDef& r) {
  const size_t Pos = CharPos(r);
  r.patPlaces->push_back({Pos, Pos, Pos, Pos, Pos, Pos, false, {}});
}

void RecordTagBegin(ImportRunDef& r) {
  if (r.patPlaces != nullptr) RecordTagPlace(r);  // kept apart, so that this test is inlined
}

// Sets a place of the tag being read: the offset of the step's character, plus Offset.
void RecordAt(ImportRunDef& r, size_t PbnTagPlaceDef::*pPlace, size_t Offset = 0) {
  if (PbnTagPlaceDef* ptPlace = LastPlace(r)) ptPlace->*pPlace = CharPos(r) + Offset;
}

// A token that a fault cuts before its end stays empty, never reaching back before its begin.
void RecordTokenBegin(ImportRunDef& r, size_t Offset) {
  const size_t Begin = CharPos(r) + Offset;
  if (PbnTagPlaceDef* ptPlace = LastPlace(r)) ptPlace->atTokens.push_back({Begin, Begin});
}

void RecordTokenEnd(ImportRunDef& r, size_t Offset) {
  PbnTagPlaceDef* ptPlace = LastPlace(r);
  if (ptPlace == nullptr || ptPlace->atTokens.empty()) return;
  ptPlace->atTokens.back().End = CharPos(r);
  ptPlace->DataEnd = CharPos(r) + Offset;
}

// --- intake (one character into c, stored into the line as it will be logged) ---

// How the intake stores each character: a blank for TAB, vertical tab and blank, nothing for
// line feed and carriage return, "?" for a character outside the PBN set, else the character.
struct IntakeDef {
  char cStored;
  bool bStored;
  bool bNonSpace;
  bool bBad;
};

constexpr IntakeDef IntakeOf(int c, bool bUtf8) {
  if (!IsPbnChar(c) && !(bUtf8 && c >= 128)) return {'?', true, false, true};
  if (c == '\t' || c == '\v' || c == ' ') return {' ', true, false, false};
  if (c == '\n' || c == '\r') return {'\0', false, false, false};
  return {static_cast<char>(c), true, true, false};
}

template <bool bUtf8>
constexpr auto IntakeTable() {
  std::array<IntakeDef, 256> atTable{};
  for (int c = 0; c < 256; c++) {
    atTable[c] = IntakeOf(c, bUtf8);
  }
  return atTable;
}

constexpr auto atIntake = IntakeTable<false>();
// UTF-8 text (PBN 2.1, declared): every byte of a character above 127 is stored as it is.
constexpr auto atIntakeUtf8 = IntakeTable<true>();

// The next character of the file, or false at its end. A chunk that begins with a NUL byte hands
// out that one character (its NrChars is 0).
bool NextChunk(ImportRunDef& r) {
  PbnChunkDef tChunk;  // a local: the run record stays out of memory the reader sees
  if (PbnReadChunk(&tChunk) != PBN_ERR_OK) return false;
  // Field by field: a copy of the whole record as one load would wait for the reader's stores.
  r.tChunk.pcChars = tChunk.pcChars;
  r.tChunk.NrChars = tChunk.NrChars;
  r.ChunkIndex = 0;
  return true;
}

// A step whose line has room reads the next chunk before it takes its character, so that it sees
// the whole chunk: the chunk it would have read for that character.
void ReadChunkAhead(ImportRunDef& r) {
  if (NextChunk(r)) r.bNulAhead = r.tChunk.NrChars == 0;
}

bool NextFileChar(ImportRunDef& r, int* pChar) {
  if (r.ChunkIndex >= r.tChunk.NrChars && !std::exchange(r.bNulAhead, false) && !NextChunk(r)) {
    return false;
  }
  *pChar = static_cast<unsigned char>(r.tChunk.pcChars[r.ChunkIndex++]);
  return true;
}

// Stores the character just taken into the line, as the intake stores it.
void StoreChar(ImportRunDef& r) {
  const IntakeDef& tIntake = r.atIntake[r.c];
  if (tIntake.bBad) r.CharError = PBN_ERR_BAD_CHAR;
  InputBuffer[r.InputIndex] = tIntake.cStored;  // overwritten by the next one when not stored
  r.InputIndex += tIntake.bStored;
  r.bLineNonBlank |= tIntake.bNonSpace;
  NoteGameBegin(r);
}

void TakeChar(ImportRunDef& r) {
  r.PrevInputIndex = r.InputIndex;
  r.bCharFromFile = false;
  if (r.InputIndex == kMaxLineChars) {
    r.c = '\n';
    r.CharError = PBN_ERR_LINE_TOO_LONG;
    return;
  }
  int c = 0;
  const bool bTaken = NextFileChar(r, &c);
  r.c = c;
  if (!bTaken) {
    r.c = '\n';
    r.bEndOfFile = PBN_TRUE;
    return;
  }
  r.bCharFromFile = true;
  StoreChar(r);
}

// Before a step takes its character: the state of the step, and where an error of the step
// marks. A token state marks from the step it began at, any other state its own character.
void StepEnter(ImportRunDef& r, PbnStateDef State) {
  const PbnStateDef PrevState = r.CurrPbnState;
  r.CurrPbnState = State;
  if (State != PrevState || !IsTokenState(State)) r.ErrorIndex = r.InputIndex;
}

// --- the rules of the states ---

// The name of Length characters at pcName is checked, and the value starts as an empty token.
// The tag of the name may have been found already (TagIdGet), else it is PBN_N_TAG_IDS.
void CheckTagName(ImportRunDef& r, const char* pcName, size_t Length,
                  PbnTagIdDef TagId = PBN_N_TAG_IDS) {
  r.bNameFound = PBN_TRUE;
  const PbnErrDef Error = TagId != PBN_N_TAG_IDS
                              ? TagNameCheckFound(r.ptGameTags, pcName, Length, TagId)
                              : TagNameCheck(r.ptGameTags, pcName, Length, &TagId);
  if (r.patPlaces == nullptr) Report(r, Error);  // the places of tags ask for their syntax only
  r.TagId = TagId;
  r.CheckIndex = 0;
  r.bCheckOverflow = false;
}

// The name that the token holds.
void CompleteTagName(ImportRunDef& r) {
  RecordAt(r, &PbnTagPlaceDef::NameEnd);
  CheckTagName(r, TokenEnd(r), r.CheckIndex);
}

PbnCommentPlaceDef CommentPlace(ImportRunDef& r) {
  return {tAdmin.Section, MoveAnno(r.ptGameTags)};
}

void CommentOpen(ImportRunDef& r, int c) {
  PbnStateInc(c == '{' ? PBN_STATE_COMMENT : PBN_STATE_COMMENT_EOL);
  PbnCommentBegin(r.InputIndex);
}

// A "[" between tags opens a tag above the state that reads the tags.
void OpenTag(ImportRunDef& r) {
  PbnStateInc(PBN_STATE_TAG_BEGIN);
  r.bTagFound = PBN_TRUE;
  RecordTagBegin(r);
}

// A "[" after a section or its data opens a tag in its place.
void OpenTagInPlace(ImportRunDef& r) {
  PbnStateChange(PBN_STATE_TAG_BEGIN);
  RecordTagBegin(r);
}

void RuleIdle(ImportRunDef& r) {
  const int c = r.c;
  if (c == ';' || c == '{') {
    CommentOpen(r, c);
  } else if (c == '[') {
    OpenTag(r);
  } else if (!CharIsSpace(c)) {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

void RuleTagBegin(ImportRunDef& r) {
  if (CharInTagName(r.c)) {
    PbnStateChange(PBN_STATE_TAG_NAME);
    TokenStart(r, r.c);
    r.bNameFound = PBN_FALSE;
    RecordAt(r, &PbnTagPlaceDef::NameBegin);
  } else if (!CharIsSpace(r.c)) {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

void RuleTagName(ImportRunDef& r) {
  const int c = r.c;
  if (c == '"') {
    PbnStateChange(PBN_STATE_TAG_VALUE);
    r.ErrorIndex = r.InputIndex;
    CompleteTagName(r);  // the value starts as an empty token
    RecordAt(r, &PbnTagPlaceDef::ValueBegin, 1);
  } else if (c == ']') {
    Report(r, PBN_ERR_NO_TAG_VALUE);
  } else if (CharInTagName(c)) {
    TokenAppend(r, c);
  } else if (CharIsSpace(c)) {
    PbnStateChange(PBN_STATE_TAG_EQUAL);
    CompleteTagName(r);
  } else {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

void RuleTagEqual(ImportRunDef& r) {
  const int c = r.c;
  if (c == '"') {
    PbnStateChange(PBN_STATE_TAG_VALUE);
    TokenStartEmpty(r);
    RecordAt(r, &PbnTagPlaceDef::ValueBegin, 1);
  } else if (c == ']') {
    Report(r, PBN_ERR_NO_TAG_VALUE);
  } else if (!CharIsSpace(c)) {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

// After the check of a value (Error): what follows the tag, and whether its section data fill a
// table.
void ValueChecked(ImportRunDef& r, UInt32 NrTables, PbnErrDef Error) {
  Report(r, Error);
  r.bTableData = PbnTableCount(r.ptGameTags->tTables) != NrTables;
  r.NextPbnState = NextStateAfterTag(r.TagId);
}

// After the check of a value (Error): the tag's end awaits its "]".
void EndTagValue(ImportRunDef& r, UInt32 NrTables, PbnErrDef Error) {
  ValueChecked(r, NrTables, Error);
  PbnStateChange(PBN_STATE_TAG_END);
}

// The closing quote of a value that a tag pair read whole holds: Length characters of a value's
// run at pcValue, where the reader's chunk holds them. The state is the caller's to set.
void CloseWholeTagValue(ImportRunDef& r, const char* pcValue, size_t Length) {
  const UInt32 NrTables = PbnTableCount(r.ptGameTags->tTables);
  ValueChecked(r, NrTables, TagValueCheck(r.ptGameData, r.ptGameTags, r.TagId, pcValue, Length));
}

// The closing quote of the value that the token holds.
void CloseTagValue(ImportRunDef& r) {
  const char* pcValue = TokenEnd(r);
  const UInt32 NrTables = PbnTableCount(r.ptGameTags->tTables);
  RecordAt(r, &PbnTagPlaceDef::ValueEnd);
  RecordAt(r, &PbnTagPlaceDef::DataEnd, 1);
  PbnErrDef Error = PBN_ERR_OK;
  // A value continued past 255 characters cannot be stored whole: it is refused.
  if (r.patPlaces != nullptr) {
    // the places of tags ask for their syntax only: no value is checked
  } else if (r.bCheckOverflow) {
    Error = PBN_ERR_BAD_TAG_VALUE;
  } else {
    Error = TagValueCheck(r.ptGameData, r.ptGameTags, r.TagId, pcValue);
  }
  EndTagValue(r, NrTables, Error);
}

void RuleTagValue(ImportRunDef& r) {
  const int c = r.c;
  if (c == '"') {
    CloseTagValue(r);
  } else if (c == '\\') {
    PbnStateInc(PBN_STATE_BACKSLASH);
  } else if (c < 32) {
    Report(r, PBN_ERR_BAD_CHAR);
  } else {
    TokenAppend(r, c);
  }
}

void RuleBackslash(ImportRunDef& r) {
  if (r.c != '"' && r.c != '\\') TokenAppend(r, '\\');
  PbnStateDec();
  TokenAppend(r, r.c);
}

// The "]" of a tag: what the tag opens takes its place (a section, or the tags again).
void EnterAfterTag(ImportRunDef& r) {
  if (r.NextPbnState == PBN_STATE_IDLE && r.b21) {
    PbnStateChange(PBN_STATE_SECTION_DATA);  // any tag may be followed by section data
    r.bDataSeen = false;
  } else if (r.NextPbnState == PBN_STATE_IDLE) {
    PbnStateDec();  // back to the tags
  } else {
    tAdmin.Section = SectionOf(r.NextPbnState);  // the section's state takes the tag's place
    PbnStateChange(r.NextPbnState);
  }
}

void CloseTag(ImportRunDef& r) {
  RecordAt(r, &PbnTagPlaceDef::DataEnd, 1);
  if (PbnTagPlaceDef* ptPlace = LastPlace(r)) ptPlace->bClosed = true;
  EnterAfterTag(r);
}

void RuleTagEnd(ImportRunDef& r) {
  if (r.c == ']') {
    CloseTag(r);
  } else if (!CharIsSpace(r.c)) {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

// After a token has been checked: its state is left, and an error of its check leaves the
// construct around it open.
void LeaveToken(ImportRunDef& r) {
  PbnStateDec();
  r.bErrorDec = PBN_FALSE;
}

void CheckMove(ImportRunDef& r, bool bPlay, const char* pc) {
  if (!bPlay) {
    Report(r, AuctionCallCheck(r.ptGameData, pc));
    return;
  }
  const PbnErrDef Error = CardCheck(r.ptGameData, pc);
  Report(r, Error);
  if (Error == PBN_ERR_OK) {
    r.ErrorIndex = r.InputIndex + 1;  // a failing trick check marks nothing
    Report(r, TrickCheck(r.ptGameData));
  }
}

template <bool bPlay>
void RuleMove(ImportRunDef& r) {
  if (CharInMove(r.c)) {
    TokenAppend(r, r.c);
    return;
  }
  PushBack(r);  // the character that ended it is read again
  CheckMove(r, bPlay, TokenEnd(r));
  LeaveToken(r);
}

// Between the moves of the auction or the play section.
template <bool bPlay>
void RuleSectionIdle(ImportRunDef& r) {
  const int c = r.c;
  // Most often a call or a card begins; no other rule takes a move character.
  if (CharInMove(c)) {
    PbnStateInc(bPlay ? PBN_STATE_PLAY_CARD : PBN_STATE_AUCTION_CALL);
    TokenStart(r, c);
    return;
  }
  switch (c) {
    case '=':
      PbnStateInc(PBN_STATE_NOTE);
      TokenStartEmpty(r);
      return;
    case '!':
    case '?':
      PbnStateInc(PBN_STATE_SUFFIX);
      TokenStart(r, c);
      return;
    case '$':
      PbnStateInc(PBN_STATE_NAG);
      TokenStartEmpty(r);
      return;
    case '*':
      PbnStateDec();
      (bPlay ? tAdmin.bIncompletePlay : tAdmin.bIncompleteAuction) = PBN_TRUE;
      return;
    case '+':
      if (!r.b21) break;
      if (bPlay) {  // the card to be played next: a place without a card
        PbnStateInc(PBN_STATE_PLAY_CARD);
        TokenStart(r, '-');
      } else {  // to be continued: the auction ends incomplete
        PbnStateDec();
        tAdmin.bIncompleteAuction = PBN_TRUE;
      }
      return;
    case ';':
    case '{':
      CommentOpen(r, c);
      return;
    case '[':
      OpenTagInPlace(r);
      return;
    case '^':
      PbnStateInc(bPlay ? PBN_STATE_PLAY_ILL : PBN_STATE_AUCTION_ILL);
      TokenStartEmpty(r);
      return;
    default:
      break;
  }
  if (!CharIsSpace(c)) {
    Report(r, PBN_ERR_BAD_CHAR);
    r.bErrorDec = PBN_FALSE;  // the section stays open
  }
}

// The one character after "^".
template <bool bPlay>
void RuleIllegal(ImportRunDef& r) {
  TokenAppend(r, r.c);
  const char* pc = TokenEnd(r);
  Report(r, bPlay ? CheckCardIllegal(pc) : CheckCallIllegal(r.ptGameData, pc));
  PbnStateDec();
  r.bErrorDec = PBN_FALSE;
}

void RuleNote(ImportRunDef& r) {
  if (r.c == '=') {
    Report(r, NoteCheck(r.ptGameTags, TokenEnd(r)));
    PbnStateDec();
    r.bErrorDec = PBN_FALSE;
  } else if (CharIsDigit(r.c)) {
    TokenAppend(r, r.c);
  } else {
    Report(r, PBN_ERR_BAD_NOTE);
  }
}

void RuleNag(ImportRunDef& r) {
  if (CharIsDigit(r.c)) {
    TokenAppend(r, r.c);
    return;
  }
  PushBack(r);
  Report(r, NagCheck(r.ptGameTags, TokenEnd(r)));
  LeaveToken(r);
}

void RuleSuffix(ImportRunDef& r) {
  if (r.c == '!' || r.c == '?') {
    TokenAppend(r, r.c);
    Report(r, SuffixCheck(r.ptGameTags, TokenEnd(r)));
    PbnStateDec();
    r.bErrorDec = PBN_FALSE;
    return;
  }
  PushBack(r);
  Report(r, SuffixCheck(r.ptGameTags, TokenEnd(r)));
  LeaveToken(r);
}

void RuleEscape(ImportRunDef& r) {
  if (r.c == '\n' || r.c == '\r') PbnStateDec();
}

void RuleComment(ImportRunDef& r) {
  if (r.c == '}') {
    PbnCommentEnd(InputBuffer, r.InputIndex - 1, CommentPlace(r));  // the position of the "}"
    PbnStateDec();
  }
}

void RuleCommentEol(ImportRunDef& r) {
  if (r.c == '\n' || r.c == '\r') {
    PbnCommentEol(InputBuffer, r.InputIndex, CommentPlace(r));
    PbnStateDec();
  }
}

// --- section data (PBN 2.1): tokens and strings after a tag, up to the next tag ---

// Printable ASCII except the characters that delimit tags, comments, strings and escapes.
constexpr bool IsDataChar(int c) {
  return c > 32 && c < 127 && c != '[' && c != ']' && c != '{' && c != '}' && c != ';' &&
         c != '"' && c != '%';
}

void DataElement(ImportRunDef& r, const char* pcElement) {
  if (r.bTableData) Report(r, PbnTableAddElement(&r.ptGameTags->tTables, pcElement));
}

void RuleSectionData(ImportRunDef& r) {
  const int c = r.c;
  if (c == '[') {
    OpenTagInPlace(r);
  } else if ((c == ';' || c == '{') && !r.bDataSeen) {
    CommentOpen(r, c);  // a comment may follow the tag itself, not its data
  } else if (c == '"') {
    PbnStateInc(PBN_STATE_DATA_STRING);
    TokenStartEmpty(r);
    r.bDataSeen = true;
    RecordTokenBegin(r, 1);
  } else if (IsDataChar(c)) {
    PbnStateInc(PBN_STATE_DATA_TOKEN);
    TokenStart(r, c);
    r.bDataSeen = true;
    RecordTokenBegin(r, 0);
  } else if (!CharIsSpace(c)) {
    Report(r, PBN_ERR_BAD_SECTION_DATA);
    r.bErrorDec = PBN_FALSE;  // the section data go on
  }
}

void RuleDataToken(ImportRunDef& r) {
  if (IsDataChar(r.c)) {
    TokenAppend(r, r.c);
    return;
  }
  RecordTokenEnd(r, 0);  // at the character that ended it
  PushBack(r);
  DataElement(r, TokenEnd(r));
  LeaveToken(r);
}

void RuleDataString(ImportRunDef& r) {
  if (r.c == '"') {
    RecordTokenEnd(r, 1);
    DataElement(r, TokenEnd(r));  // without its quotes
    LeaveToken(r);
  } else if (r.c == '\\') {
    PbnStateInc(PBN_STATE_BACKSLASH);
  } else if (r.c < 32) {
    Report(r, PBN_ERR_BAD_SECTION_DATA);  // a string ends on its line
  } else {
    TokenAppend(r, r.c);
  }
}

// --- the rows of the states ---

// Classes of characters, for the rows of the states below.
enum CharClassDef : UInt8 {
  kNothing,
  kBlank,        // the blank
  kTagName,      // letters, digits and "_"
  kTagValue,     // printable, but for '"' and the backslash
  kMove,         // letters, digits and "-"
  kDigit,        // digits
  kSuffix,       // "!" and "?"
  kCommentText,  // printable, but for "}"
  kLineText,     // printable
  kDataToken,    // printable ASCII, but for the delimiters of tags, comments and strings
};

constexpr PbnCommentTypeDef kNoComment = PBN_N_COMMENT_TYPES;

// What the importer knows of a state; everything else follows from these rows.
struct StateRowDef {
  PbnStateDef State;
  bool bToken;  // an error marks the whole token, not only its character
  // The characters that the state's rule only stores, and appends to its token if it has one.
  CharClassDef Ordinary;
  // For a token that ends at the first character that cannot continue it, that character then
  // read again: the characters that continue it.
  CharClassDef Continues;
  PbnCommentTypeDef Comment;  // where a comment after it belongs, set as it is pushed
  PbnSectionDef Section;      // the section that the state reads, in place of the tag opening it
};

constexpr bool kToken = true;
constexpr PbnSectionDef kNoSection = PBN_SECTION_IDENT;  // IDLE reads the tags; a tag pops to it

// In the order of PbnStateDef; the rules of the states follow in apRules.
// clang-format off
constexpr StateRowDef atStateRows[] = {
  // state                 token   ordinary       continues    comment after it           section
  {PBN_STATE_IDLE,         false,  kBlank,       kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_TAG_BEGIN,    false,  kBlank,       kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_TAG_NAME,     kToken, kTagName,     kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_TAG_EQUAL,    false,  kBlank,       kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_TAG_VALUE,    kToken, kTagValue,    kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_TAG_END,      false,  kBlank,       kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_AUCTION_IDLE, false,  kBlank,       kNothing,    kNoComment,                PBN_SECTION_AUCTION},
  {PBN_STATE_AUCTION_CALL, kToken, kMove,        kMove,       PBN_COMMENT_TYPE_MOVE,     kNoSection},
  {PBN_STATE_AUCTION_ILL,  false,  kNothing,     kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_NOTE,         kToken, kDigit,       kNothing,    PBN_COMMENT_TYPE_NOTE_REF, kNoSection},
  {PBN_STATE_NAG,          kToken, kDigit,       kDigit,      PBN_COMMENT_TYPE_NAG,      kNoSection},
  {PBN_STATE_SUFFIX,       kToken, kNothing,     kSuffix,     PBN_COMMENT_TYPE_SUFFIX,   kNoSection},
  {PBN_STATE_PLAY_IDLE,    false,  kBlank,       kNothing,    kNoComment,                PBN_SECTION_PLAY},
  {PBN_STATE_PLAY_CARD,    kToken, kMove,        kMove,       PBN_COMMENT_TYPE_MOVE,     kNoSection},
  {PBN_STATE_PLAY_ILL,     false,  kNothing,     kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_ESCAPE,       false,  kLineText,    kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_COMMENT,      false,  kCommentText, kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_COMMENT_EOL,  false,  kLineText,    kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_BACKSLASH,    false,  kNothing,     kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_SECTION_DATA, false,  kBlank,       kNothing,    kNoComment,                kNoSection},
  {PBN_STATE_DATA_TOKEN,   kToken, kDataToken,   kDataToken,  kNoComment,                kNoSection},
  {PBN_STATE_DATA_STRING,  kToken, kTagValue,    kNothing,    kNoComment,                kNoSection},
};
// clang-format on
static_assert(std::size(atStateRows) == PBN_N_STATES);
static_assert([] {
  for (int State = 0; State < PBN_N_STATES; State++) {
    if (atStateRows[State].State != State) return false;
  }
  return true;
}());

bool IsTokenState(PbnStateDef State) {
  return atStateRows[State].bToken;
}

PbnSectionDef SectionOf(PbnStateDef State) {
  return atStateRows[State].Section;
}

// The state that reads what follows each tag: the state of the section that the tag opens, or
// IDLE, which reads the tags. One more entry for an unknown tag.
constexpr auto aTagStates = [] {
  std::array<PbnStateDef, PBN_N_TAG_IDS + 1> aStates{};
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    for (const StateRowDef& tRow : atStateRows) {
      if (tRow.Section != kNoSection && tRow.Section == atPbnTags[TagId].Section) {
        aStates[TagId] = tRow.State;
      }
    }
  }
  return aStates;
}();

PbnStateDef NextStateAfterTag(PbnTagIdDef TagId) {
  return aTagStates[TagId >= 0 && TagId < PBN_N_TAG_IDS ? TagId : PBN_N_TAG_IDS];
}

// The rule of each state, in the order of PbnStateDef.
using RuleDef = void (*)(ImportRunDef& r);
constexpr RuleDef apRules[] = {
    RuleIdle,
    RuleTagBegin,
    RuleTagName,
    RuleTagEqual,
    RuleTagValue,
    RuleTagEnd,
    RuleSectionIdle<false>,
    RuleMove<false>,
    RuleIllegal<false>,
    RuleNote,
    RuleNag,
    RuleSuffix,
    RuleSectionIdle<true>,
    RuleMove<true>,
    RuleIllegal<true>,
    RuleEscape,
    RuleComment,
    RuleCommentEol,
    RuleBackslash,
    RuleSectionData,
    RuleDataToken,
    RuleDataString,
};
static_assert(std::size(apRules) == PBN_N_STATES);

// --- errors and line ends ---

void HandleError(ImportRunDef& r) {
  if (r.LineError == PBN_ERR_OK) {
    r.LineError = r.CharError;
    r.GameError = r.CharError;
  }
  if (IsTokenState(r.CurrPbnState)) {
    const unsigned long First = r.ErrorIndex == 0 ? 0 : r.ErrorIndex - 1;
    for (unsigned long i = First; i < r.InputIndex && i < kMaxLineChars; i++)
      ErrorBuffer[i] = '^';
  } else if (r.ErrorIndex < kMaxLineChars) {
    ErrorBuffer[r.ErrorIndex] = '^';
  }
  if (r.bErrorDec) PbnStateDec();  // abandon the construct the error occurred in
  r.CurrPbnState = PbnStateCurrent();
}

// The next line starts empty.
void StartLine(ImportRunDef& r) {
  r.bLineNonBlank = false;
  r.InputIndex = 0;
  r.ErrorIndex = 0;
}

void EndLine(ImportRunDef& r) {
  InputBuffer[r.InputIndex] = '\0';
  if (PbnStateCurrent() == PBN_STATE_COMMENT) {
    PbnCommentNext(InputBuffer, r.InputIndex);
  } else if (r.bTagFound && !r.bLineNonBlank) {
    r.bReady = PBN_TRUE;           // a blank line after a tag ends the game
    *r.pFilePosOut = FilePosRead;  // the start of the line after this one
  }
  if (r.LineError != PBN_ERR_OK) {
    ErrorBuffer[r.InputIndex] = '\0';
    ImportPrintLine(InputBuffer, ErrorBuffer, PbnErrors[r.LineError]);
    ErrorBufferReset();
    r.LineError = PBN_ERR_OK;
  } else if (PbnVerbose > 0) {
    ImportPrintLine(InputBuffer, nullptr, nullptr);
  }
  StartLine(r);
  if (r.bEndOfFile) r.bReady = PBN_TRUE;
}

// --- the step ---
//
// Most characters of a game only go into the stored line: the names and values of tags, the text
// of comments and escape lines, the blanks between tokens, the letters of calls and cards. A step
// takes the whole run of the characters that its state's rule only stores (and appends to its
// token), with one update of the line, the token, the counts and the marks; one character
// otherwise. The character that ends a call, a card or a NAG is not the token's: its rule leaves
// it to the state below, and it is taken only where taking it tells something (a bad character,
// a full line, a new chunk).

constexpr bool InClass(CharClassDef Class, int c) {
  switch (Class) {
    case kNothing:
      return false;
    case kBlank:
      return c == ' ';
    case kTagName:
      return CharInTagName(c);
    case kTagValue:
      return c >= 32 && c != '"' && c != '\\';
    case kMove:
      return CharInMove(c);
    case kDigit:
      return CharIsDigit(c);
    case kSuffix:
      return c == '!' || c == '?';
    case kCommentText:
      return c >= 32 && c != '}';
    case kLineText:
      return c >= 32;
    case kDataToken:
      return IsDataChar(c);
  }
  return false;
}

// Per state, the characters of its runs: ordinary for its rule and stored by the intake as they
// are. A "%" is never in a run: stored first on a line it opens an escape line.
template <bool bUtf8>
constexpr CharTableDef RunTable() {
  CharTableDef aaTable{};
  for (int State = 0; State < PBN_N_STATES; State++) {
    for (int c = 0; c < 256; c++) {
      const IntakeDef tIntake = IntakeOf(c, bUtf8);
      aaTable[State][c] = !tIntake.bBad && tIntake.bStored && tIntake.cStored == c && c != '%' &&
                          InClass(atStateRows[State].Ordinary, c);
    }
  }
  return aaTable;
}

// Per state, the characters that end its token and are read again, where leaving them in the
// file is the same as taking them and giving them back: not a bad character (its error would be
// reported twice), not a "%" (whose escape line depends on where it is stored).
template <bool bUtf8>
constexpr CharTableDef LeaveTable() {
  CharTableDef aaTable{};
  for (int State = 0; State < PBN_N_STATES; State++) {
    const CharClassDef Continues = atStateRows[State].Continues;
    for (int c = 0; c < 256; c++) {
      aaTable[State][c] =
          Continues != kNothing && !IntakeOf(c, bUtf8).bBad && c != '%' && !InClass(Continues, c);
    }
  }
  return aaTable;
}

constexpr CharTableDef aaRuns = RunTable<false>();
constexpr CharTableDef aaRunsUtf8 = RunTable<true>();
constexpr CharTableDef aaLeaves = LeaveTable<false>();
constexpr CharTableDef aaLeavesUtf8 = LeaveTable<true>();

// Copies a run in whole blocks: the buffers have room for the last block, and the reader's
// block holds the bytes after a chunk.
void CopyRun(char* pcTo, const unsigned char* pcFrom, unsigned long NrChars) {
  for (unsigned long i = 0; i < NrChars; i += kCopyBlock)
    std::memcpy(pcTo + i, pcFrom + i, kCopyBlock);
}

// The run of the state's ordinary characters from the next character on, the first of which is
// known to be one: within the chunk, the 255 characters of the line and, for a token, its 255
// characters (the one-character steps handle what goes beyond). False when there is no room.
template <PbnStateDef State>
bool TakeRun(ImportRunDef& r) {
  constexpr bool bToken = atStateRows[State].bToken;
  const unsigned long First = r.InputIndex;
  unsigned long Room =
      std::min<unsigned long>(r.tChunk.NrChars - r.ChunkIndex, kMaxLineChars - First);
  if (bToken) Room = std::min(Room, kMaxLineChars - r.CheckIndex);
  if (Room == 0) return false;
  const unsigned char* pcFrom =
      reinterpret_cast<const unsigned char*>(r.tChunk.pcChars) + r.ChunkIndex;
  const std::array<bool, 256>& abRun = (*r.paaRuns)[State];
  unsigned long NrTaken = 1;
  while (NrTaken < Room && abRun[pcFrom[NrTaken]])
    NrTaken++;
  CopyRun(InputBuffer + First, pcFrom, NrTaken);
  if (bToken) {
    CopyRun(CheckBuffer + r.CheckIndex, pcFrom, NrTaken);
    r.CheckIndex += NrTaken;
  }
  if constexpr (InClass(atStateRows[State].Ordinary, ' ')) {
    // Only whether the line holds a non-blank counts.
    for (unsigned long i = 0; i < NrTaken && !r.bLineNonBlank; i++)
      r.bLineNonBlank = pcFrom[i] != ' ';
  } else {
    r.bLineNonBlank = true;
  }
  // What the steps of the characters after the first would have set: each sets it again.
  const unsigned long Last = First + NrTaken - 1;
  if (!bToken) r.ErrorIndex = Last;
  r.PrevInputIndex = Last;
  r.InputIndex = Last + 1;
  r.c = pcFrom[NrTaken - 1];
  r.bCharFromFile = true;
  r.ChunkIndex += static_cast<int>(NrTaken);
  NoteGameBegin(r);
  return true;
}

// --- whole tokens ---
//
// A tag pair that stands whole on its line, and the calls, cards (of a suit and a rank), NAGs,
// suffixes, note references and comments of a section's line, are read in one go: what their steps
// one at a time would do, with one update of the line, the token and the counts, and the rules' own
// actions in their order. The moves of a line and the blanks between them are one go.
// The scan first makes sure that no step would meet what it rules out: the end of the chunk or of
// the line, an escape line, a character outside its class. A check that reports an error ends the
// go after its character, with everything as that step leaves it; the steps go on from there.

bool bWholeTokens = true;

// The step of the line feed after a tag pair or a section's token, in the state that it left:
// every such state only stores it, so the line just ends.
void KnownLineFeed(ImportRunDef& r) {
  r.CharError = PBN_ERR_OK;
  StepEnter(r, PbnStateCurrent());
  r.PrevInputIndex = r.InputIndex;
  r.c = '\n';
  r.bCharFromFile = true;
  r.ChunkIndex++;
  // The line holds a token and is in no comment: without an error to log, it only ends.
  if (r.LineError == PBN_ERR_OK && PbnVerbose == 0) {
    StartLine(r);
  } else {
    EndLine(r);
  }
}

// The length of the run of pcChars[From..NrChars) whose characters are in abRun.
size_t RunLength(const unsigned char* pcChars, size_t From, size_t NrChars,
                 const std::array<bool, 256>& abRun) {
  size_t End = From;
  while (End < NrChars && abRun[pcChars[End]])
    End++;
  return End - From;
}

// The Length characters at the chunk's next character, found whole by a scan, stored into the
// line as they are.
void StoreWhole(ImportRunDef& r, const unsigned char* pcChars, size_t Length) {
  CopyRun(InputBuffer + r.InputIndex, pcChars, Length);
  r.bLineNonBlank = true;
  NoteGameBegin(r);
}

// Where the step of the character at Offset from the go's first character leaves the line, the
// chunk and the step's state: the character stored and taken, its state State.
void AfterStepAt(ImportRunDef& r, unsigned long First, int FirstChunkIndex, size_t Offset,
                 PbnStateDef State) {
  r.CurrPbnState = State;
  r.PrevInputIndex = First + Offset;
  r.InputIndex = First + Offset + 1;
  r.ChunkIndex = FirstChunkIndex + static_cast<int>(Offset) + 1;
  r.c = static_cast<unsigned char>(r.tChunk.pcChars[r.ChunkIndex - 1]);
  r.bCharFromFile = true;
}

// The step of the character at Offset ended with an error: handled as the step handles it.
void ErrorAt(ImportRunDef& r, unsigned long First, int FirstChunkIndex, size_t Offset,
             PbnStateDef State) {
  AfterStepAt(r, First, FirstChunkIndex, Offset, State);
  r.bErrorDec = PBN_TRUE;
  HandleError(r);
}

#if defined(__SSE2__)
// A bit for each of the 16 characters from pc on that is in a class (bytes as signed: those
// above 127 are below 0); the reader's block holds the bytes after a chunk.
template <typename ClassDef>
unsigned ClassBits(const unsigned char* pc, ClassDef InClass) {
  const __m128i Chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pc));
  return static_cast<unsigned>(_mm_movemask_epi8(InClass(Chars)));
}

// Whether each character is in the range [Low, High] (both in 0..127).
__m128i InRange(__m128i Chars, char Low, char High) {
  return _mm_and_si128(_mm_cmpgt_epi8(Chars, _mm_set1_epi8(static_cast<char>(Low - 1))),
                       _mm_cmplt_epi8(Chars, _mm_set1_epi8(static_cast<char>(High + 1))));
}

// The characters of a tag name: letters, digits and "_".
__m128i InTagName(__m128i Chars) {
  const __m128i Folded = _mm_or_si128(Chars, _mm_set1_epi8(0x20));  // "A" to "Z" as "a" to "z"
  return _mm_or_si128(_mm_or_si128(InRange(Folded, 'a', 'z'), InRange(Chars, '0', '9')),
                      _mm_cmpeq_epi8(Chars, _mm_set1_epi8('_')));
}

// The plain characters of a value: printable ASCII but for '"', the backslash and "%", which
// every reading takes into a value's run.
__m128i InPlainValue(__m128i Chars) {
  const __m128i NotPlain = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(Chars, _mm_set1_epi8('"')),
                                                     _mm_cmpeq_epi8(Chars, _mm_set1_epi8('\\'))),
                                        _mm_cmpeq_epi8(Chars, _mm_set1_epi8('%')));
  return _mm_andnot_si128(NotPlain, InRange(Chars, ' ', '~'));
}

// The plain characters of a comment: printable ASCII but for "}" and "%".
__m128i InPlainComment(__m128i Chars) {
  const __m128i NotPlain = _mm_or_si128(_mm_cmpeq_epi8(Chars, _mm_set1_epi8('}')),
                                        _mm_cmpeq_epi8(Chars, _mm_set1_epi8('%')));
  return _mm_andnot_si128(NotPlain, InRange(Chars, ' ', '~'));
}

// Where the run of the characters in the class from pcChars[From] on ends, 16 at a time: at the
// first character outside it, which may lie beyond the chunk's NrChars.
template <typename ClassDef>
size_t ClassRunEnd(const unsigned char* pcChars, size_t From, size_t NrChars, ClassDef InClass) {
  size_t End = From;
  for (; End < NrChars; End += 16) {
    const unsigned Outside = ~ClassBits(pcChars + End, InClass) & 0xFFFFu;
    if (Outside != 0) return End + std::countr_zero(Outside);
  }
  return End;
}
#endif

// The length of the name at pcChars[From..NrChars): its run in the state TAG_NAME.
size_t TagNameLength(const ImportRunDef& r, const unsigned char* pcChars, size_t From,
                     size_t NrChars) {
#if defined(__SSE2__)
  (void)r;  // the run's class is the same in every reading
  return std::min(ClassRunEnd(pcChars, From, NrChars, InTagName), NrChars) - From;
#else
  return RunLength(pcChars, From, NrChars, (*r.paaRuns)[PBN_STATE_TAG_NAME]);
#endif
}

#if defined(__SSE2__)
// Every character but the blank.
__m128i NotBlank(__m128i Chars) {
  return _mm_xor_si128(_mm_cmpeq_epi8(Chars, _mm_set1_epi8(' ')), _mm_set1_epi8(-1));
}
#endif

// The length of the name from pcChars[1] on, with its tag (*pTagId) when it is a name that the
// standard read knows, else PBN_N_TAG_IDS: a known name is read up to the blank after it, since
// it holds letters and digits only, and is found once for both the scan and the check. Inline
// in the step of a tag pair (as the value's scan below): a call would spill what the step holds.
[[gnu::always_inline]] inline size_t TagNameAt(const ImportRunDef& r, const unsigned char* pcChars,
                                               size_t NrChars, PbnTagIdDef* pTagId) {
#if defined(__SSE2__)
  const size_t Blank = ClassRunEnd(pcChars, 1, NrChars, NotBlank);
  const auto* pcName = reinterpret_cast<const char*>(pcChars + 1);
  if (Blank < NrChars && TagIdGet(pcName, Blank - 1, pTagId) == PBN_ERR_OK) return Blank - 1;
#endif
  *pTagId = PBN_N_TAG_IDS;
  return TagNameLength(r, pcChars, 1, NrChars);
}

// Which plain characters a run finds sixteen at a time: those of a value or of a comment.
enum class PlainDef { kValue, kComment };

// The length of the run of pcChars[From..NrChars) whose characters are in abRun: its plain
// characters found sixteen at a time, the others (mostly the one that ends it) by the table.
template <PlainDef Plain>
[[gnu::always_inline]] inline size_t PlainRunLength(const unsigned char* pcChars, size_t From,
                                                    size_t NrChars,
                                                    const std::array<bool, 256>& abRun) {
  size_t End = From;
  for (;; End++) {
#if defined(__SSE2__)
    End = ClassRunEnd(pcChars, End, NrChars,
                      Plain == PlainDef::kValue ? InPlainValue : InPlainComment);
#endif
    if (End >= NrChars) return NrChars - From;
    if (!abRun[pcChars[End]]) return End - From;
  }
}

// The length of the value at pcChars[From..NrChars): its run in the state TAG_VALUE. Its plain
// characters are found 16 at a time, the others (mostly the closing quote) by the run's table.
[[gnu::always_inline]] inline size_t TagValueLength(const ImportRunDef& r,
                                                    const unsigned char* pcChars, size_t From,
                                                    size_t NrChars) {
  return PlainRunLength<PlainDef::kValue>(pcChars, From, NrChars,
                                          (*r.paaRuns)[PBN_STATE_TAG_VALUE]);
}

// The state of the part of a tag pair read whole that a step ends at, as the steps of its parts
// leave it: above State, which reads the tags, or in the place of a section or its data.
template <PbnStateDef State>
void OpenWholeTag(PbnStateDef TagState) {
  if constexpr (State == PBN_STATE_IDLE) {
    PbnStateInc(TagState);  // a state of a tag sets no comment type
  } else {
    PbnStateChange(TagState);
  }
}
static_assert(atStateRows[PBN_STATE_TAG_EQUAL].Comment == kNoComment &&
              atStateRows[PBN_STATE_TAG_END].Comment == kNoComment);

// The "]" of a tag pair read whole: what the tag opens takes its place, as the steps leave it.
// Between the tags of PBN 1.0 the tag's state would be pushed and popped again: nothing changes.
template <PbnStateDef State>
void CloseWholeTag(ImportRunDef& r) {
  if (State == PBN_STATE_IDLE && r.NextPbnState == PBN_STATE_IDLE && !r.b21 &&
      StateIndex + 1 < PBN_STATE_STACK_SIZE) {
    return;
  }
  OpenWholeTag<State>(PBN_STATE_TAG_END);
  EnterAfterTag(r);
}

// A tag pair [Name "Value"] from the "[" on, which State opens (a state that tags follow); false,
// with nothing read, when it is not whole in the chunk and the line.
template <PbnStateDef State>
bool TakeTag(ImportRunDef& r) {
  if (r.patPlaces != nullptr) return false;  // the places of a tag are set at each character
  const auto* pcChars = reinterpret_cast<const unsigned char*>(r.tChunk.pcChars) + r.ChunkIndex;
  const auto NrChars = static_cast<size_t>(r.tChunk.NrChars - r.ChunkIndex);
  PbnTagIdDef TagId;
  const size_t NameLength = TagNameAt(r, pcChars, NrChars, &TagId);
  const size_t Quote = 1 + NameLength + 1;  // the value's opening quote
  if (NameLength == 0 || Quote >= NrChars || pcChars[Quote - 1] != ' ' || pcChars[Quote] != '"') {
    return false;
  }
  const size_t ValueLength = TagValueLength(r, pcChars, Quote + 1, NrChars);
  const size_t Close = Quote + 1 + ValueLength + 1;  // the "]"
  const unsigned long First = r.InputIndex;
  if (Close >= NrChars || pcChars[Close - 1] != '"' || pcChars[Close] != ']' ||
      First + Close >= kMaxLineChars) {
    return false;
  }
  const int FirstChunkIndex = r.ChunkIndex;
  StoreWhole(r, pcChars, Close + 1);
  if constexpr (State == PBN_STATE_IDLE) r.bTagFound = PBN_TRUE;
  // The name and the value are checked where the chunk holds them (the token is not needed). No
  // check reads the states of the tag's parts: the state is set once, as the step it ends at
  // leaves it.
  r.CharError = PBN_ERR_OK;
  CheckTagName(r, reinterpret_cast<const char*>(pcChars + 1), NameLength, TagId);
  if (r.CharError != PBN_ERR_OK) {
    OpenWholeTag<State>(PBN_STATE_TAG_EQUAL);  // at the blank after the name
    r.ErrorIndex = First + 2;
    ErrorAt(r, First, FirstChunkIndex, Quote - 1, PBN_STATE_TAG_NAME);
    return true;
  }
  // The value between its quotes.
  r.CheckIndex = ValueLength;
  CloseWholeTagValue(r, reinterpret_cast<const char*>(pcChars + Quote + 1), ValueLength);
  if (r.CharError != PBN_ERR_OK) {
    OpenWholeTag<State>(PBN_STATE_TAG_END);  // at the closing quote
    r.ErrorIndex = First + Quote + 1;
    ErrorAt(r, First, FirstChunkIndex, Close - 1, PBN_STATE_TAG_VALUE);
    return true;
  }
  // The "]".
  AfterStepAt(r, First, FirstChunkIndex, Close, PBN_STATE_TAG_END);
  r.ErrorIndex = First + Close;
  CloseWholeTag<State>(r);
  if (Close + 1 < NrChars && pcChars[Close + 1] == '\n' && First + Close + 1 < kMaxLineChars) {
    KnownLineFeed(r);
  }
  return true;
}

// The length of the text of a comment at pcChars[From..NrChars): its run in the state
// CommentState. Its plain characters are found 16 at a time, the others by the run's table.
size_t CommentTextLength(const ImportRunDef& r, const unsigned char* pcChars, size_t From,
                         size_t NrChars, PbnStateDef CommentState) {
  return PlainRunLength<PlainDef::kComment>(pcChars, From, NrChars, (*r.paaRuns)[CommentState]);
}

// The comment at pcChars (a "{" or a ";") when the scan can take it whole: its "}", or the line
// feed that ends it, within the chunk and the line (as for FindWholeMove). Where that is; 0 for
// none.
size_t FindWholeComment(const ImportRunDef& r, const unsigned char* pcChars, size_t NrChars,
                        unsigned long InputIndex) {
  const bool bBraces = pcChars[0] == '{';
  const PbnStateDef CommentState = bBraces ? PBN_STATE_COMMENT : PBN_STATE_COMMENT_EOL;
  const size_t Close = 1 + CommentTextLength(r, pcChars, 1, NrChars, CommentState);
  if (Close >= NrChars || pcChars[Close] != (bBraces ? '}' : '\n') ||
      InputIndex + Close >= kMaxLineChars) {
    return 0;
  }
  return Close;
}

// A call, a card, a NAG ("$" and its digits), a suffix (one or two characters), a note reference
// ("=", its digits and "=") or a comment in braces (state COMMENT) that the scan of a go found
// whole.
struct WholeTokenDef {
  PbnStateDef State;  // the state that reads it
  size_t Length;      // its characters
  size_t From;        // where those that its check reads begin among them
  size_t NrToken;     // and how many they are
  bool bLeft;         // ended by the character after it, which is left to the section
  long Number;        // a NAG's or a note's
  PbnCardDef tCard;   // a card's
};

// The move at pcChars when the scan can take it whole: its run ended as its state would end it,
// within the chunk and the line (which holds InputIndex characters before it). Its length; 0 for
// none. In the play only a card of a suit and a rank, which it reads into *ptCard: the others
// are rare, and their steps read them.
template <PbnStateDef State>
size_t FindWholeMove(const ImportRunDef& r, const unsigned char* pcChars, size_t NrChars,
                     unsigned long InputIndex, PbnCardDef* ptCard) {
  constexpr PbnStateDef MoveState =
      State == PBN_STATE_PLAY_IDLE ? PBN_STATE_PLAY_CARD : PBN_STATE_AUCTION_CALL;
  const std::array<bool, 256>& abMove = (*r.paaRuns)[MoveState];
  const std::array<bool, 256>& abEnds = (*r.paaLeaves)[MoveState];
  if constexpr (State == PBN_STATE_PLAY_IDLE) {
    if (NrChars < 3 || InputIndex + 2 >= kMaxLineChars) return 0;
    const PbnSuitDef Suit = aPbnCharSuits[pcChars[0]];
    const PbnRankDef Rank = aPbnCharRanks[pcChars[1]];
    if (Suit == PBN_SUIT_NO_CARD || Rank == 0 || !abMove[pcChars[1]] || !abEnds[pcChars[2]]) {
      return 0;
    }
    *ptCard = {Suit, Rank};
    return 2;
  } else {
    if (NrChars == 0 || !abMove[pcChars[0]]) return 0;
    const size_t Length = 1 + RunLength(pcChars, 1, NrChars, abMove);
    if (Length >= NrChars || InputIndex + Length >= kMaxLineChars || !abEnds[pcChars[Length]]) {
      return 0;
    }
    return Length;
  }
}

// The annotation at pcChars (as for FindWholeMove): its token in *ptToken, or false for none. A
// NAG or a note reference only of a number that its check reads at once.
bool FindWholeAnnotation(const ImportRunDef& r, const unsigned char* pcChars, size_t NrChars,
                         unsigned long InputIndex, WholeTokenDef* ptToken) {
  // The room of the line: the index of the step of the character at Offset is below 255.
  const auto InLine = [InputIndex](size_t Offset) { return InputIndex + Offset < kMaxLineChars; };
  // The token's last character, or the one after it that ends it, at End within the chunk.
  const auto Ends = [&](size_t End, PbnStateDef TokenState) {
    return End < NrChars && InLine(End) && (*r.paaLeaves)[TokenState][pcChars[End]];
  };
  const CharTableDef& aaRuns = *r.paaRuns;
  switch (pcChars[0]) {
    case '$': {
      const size_t NrDigits = RunLength(pcChars, 1, NrChars, aaRuns[PBN_STATE_NAG]);
      const long Nag = ShortNumber(reinterpret_cast<const char*>(pcChars + 1), NrDigits);
      if (Nag < 0 || !Ends(1 + NrDigits, PBN_STATE_NAG)) return false;
      *ptToken = {PBN_STATE_NAG, 1 + NrDigits, 1, NrDigits, true, Nag, {}};
      return true;
    }
    case '!':
    case '?':
      if (NrChars < 2 || !InLine(1)) return false;
      if (pcChars[1] == '!' || pcChars[1] == '?') {
        *ptToken = {PBN_STATE_SUFFIX, 2, 0, 2, false, 0, {}};
        return true;
      }
      if (!Ends(1, PBN_STATE_SUFFIX)) return false;
      *ptToken = {PBN_STATE_SUFFIX, 1, 0, 1, true, 0, {}};
      return true;
    case '=': {
      const size_t NrDigits = RunLength(pcChars, 1, NrChars, aaRuns[PBN_STATE_NOTE]);
      const size_t Close = 1 + NrDigits;
      const long Note = ShortNumber(reinterpret_cast<const char*>(pcChars + 1), NrDigits);
      if (Note < 0 || Close >= NrChars || pcChars[Close] != '=' || !InLine(Close)) return false;
      *ptToken = {PBN_STATE_NOTE, Close + 1, 1, NrDigits, false, Note, {}};
      return true;
    }
    default:
      return false;
  }
}

// The token at pcChars that a go of the section idle state State takes whole (as for
// FindWholeMove), in *ptToken; false for none, *ptToken then as it was (the last token of the go).
template <PbnStateDef State>
bool FindWholeToken(const ImportRunDef& r, const unsigned char* pcChars, size_t NrChars,
                    unsigned long InputIndex, WholeTokenDef* ptToken) {
  constexpr PbnStateDef MoveState =
      State == PBN_STATE_PLAY_IDLE ? PBN_STATE_PLAY_CARD : PBN_STATE_AUCTION_CALL;
  const size_t Length = FindWholeMove<State>(r, pcChars, NrChars, InputIndex, &ptToken->tCard);
  if (Length == 0 && NrChars >= 2 && pcChars[0] == '{') {
    const size_t Close = FindWholeComment(r, pcChars, NrChars, InputIndex);
    if (Close == 0) return false;
    *ptToken = {PBN_STATE_COMMENT, Close + 1, 0, 0, false, 0, {}};
    return true;
  }
  if (Length == 0)
    return NrChars != 0 && FindWholeAnnotation(r, pcChars, NrChars, InputIndex, ptToken);
  ptToken->State = MoveState;
  ptToken->Length = Length;
  ptToken->From = 0;
  ptToken->NrToken = Length;
  ptToken->bLeft = true;
  return true;
}

// The check of an annotation whose characters are at pcChars.
PbnErrDef AnnotationCheck(PbnGameTagsDef* ptGameTags, const unsigned char* pcChars,
                          const WholeTokenDef& tToken) {
  switch (tToken.State) {
    case PBN_STATE_NAG:
      return NagCheckNumber(ptGameTags, tToken.Number);
    case PBN_STATE_NOTE:
      return NoteCheckNumber(ptGameTags, tToken.Number);
    default: {
      const char acSuffix[] = {static_cast<char>(pcChars[0]),
                               tToken.Length == 2 ? static_cast<char>(pcChars[1]) : '\0', '\0'};
      return SuffixCheck(ptGameTags, acSuffix);
    }
  }
}

// Where the steps of a token of Length characters at the chunk's next character and on the line,
// stored and checked, leave the line and the chunk: its state TokenState, its marks from the
// character after its first, and the step after its last character (bLeft: at the character
// after it, which ends it and is left to the section).
void AfterToken(ImportRunDef& r, const unsigned char* pcChars, size_t Length,
                PbnStateDef TokenState, bool bLeft) {
  const unsigned long First = r.InputIndex;
  r.ChunkIndex += static_cast<int>(Length);
  r.InputIndex = First + Length;
  r.PrevInputIndex = bLeft ? r.InputIndex : r.InputIndex - 1;
  r.CurrPbnState = TokenState;
  r.ErrorIndex = First + 1;
  r.bCharFromFile = !bLeft;
  r.c = bLeft ? 1 : pcChars[Length - 1];
  r.CharError = PBN_ERR_OK;
}

// The end of a token's last step, after its check: the state left, an error handled.
void TokenDone(ImportRunDef& r) {
  LeaveToken(r);
  if (r.CharError != PBN_ERR_OK) HandleError(r);
}

// The calls or the cards of a line, their annotations and comments in braces, from the chunk's
// next character on, read in the section idle state State: tokens found whole with blanks between
// them. What the steps of each token and of the blanks would do, with the step's variables set
// once, as the last token leaves them: no check reads them. The state of each token is entered as
// its steps enter it, for where a comment after it belongs (the moves after a move are in the state
// already). A token whose check reports an error ends the go there. How many characters it took; 0
// when it took none.
template <PbnStateDef State>
size_t TakeWholeTokens(ImportRunDef& r, const unsigned char* pcChars, size_t NrChars) {
  constexpr bool bPlay = State == PBN_STATE_PLAY_IDLE;
  constexpr PbnStateDef MoveState = bPlay ? PBN_STATE_PLAY_CARD : PBN_STATE_AUCTION_CALL;
  size_t Next = 0;                         // the next token in the chunk, from the next character
  unsigned long NextFirst = r.InputIndex;  // and on the line
  size_t Begin = 0;                        // the last token taken, in the chunk
  unsigned long First = 0;                 // and its place on the line
  PbnStateDef Entered = PBN_N_STATES;      // the state of the last token; none before the first
  bool bInToken = false;                   // in the state of the last token: not a comment
  PbnErrDef Error = PBN_ERR_OK;
  PbnErrDef TrickError = PBN_ERR_OK;
  WholeTokenDef tToken;
  while (FindWholeToken<State>(r, pcChars + Next, NrChars - Next, NextFirst, &tToken)) {
    if (Entered == PBN_N_STATES) {
      r.bLineNonBlank = true;
      NoteGameBegin(r);
    }
    Begin = Next;
    First = NextFirst;
    const size_t Length = tToken.Length;
    if (tToken.State == MoveState) {
      if (Entered != MoveState) {
        if (bInToken) PbnStateDec();
        PbnStateInc(MoveState);  // TokenDone leaves it
        Entered = MoveState;
        bInToken = true;
      }
      if constexpr (bPlay) {
        InputBuffer[First] = static_cast<char>(pcChars[Begin]);
        InputBuffer[First + 1] = static_cast<char>(pcChars[Begin + 1]);
        Error = CardCheck(r.ptGameData, tToken.tCard);
        if (Error == PBN_ERR_OK) TrickError = TrickCheck(r.ptGameData);
      } else {
        // Whole blocks: the line beyond the move is no one's yet.
        CopyRun(InputBuffer + First, pcChars + Begin, Length);
        CopyRun(CheckBuffer, pcChars + Begin, Length);
        CheckBuffer[Length] = '\0';
        Error = AuctionCallCheck(r.ptGameData, CheckBuffer);
      }
    } else if (tToken.State == PBN_STATE_COMMENT) {
      if (bInToken) PbnStateDec();  // the token before it is left
      Entered = PBN_STATE_COMMENT;
      bInToken = false;
      CopyRun(InputBuffer + First, pcChars + Begin, Length);
      r.InputIndex = First + 1;  // opened at its "{", closed at its "}"
      CommentOpen(r, '{');
      PbnCommentEnd(InputBuffer, First + Length - 1, CommentPlace(r));
      PbnStateDec();
    } else {
      if (bInToken) PbnStateDec();
      PbnStateInc(tToken.State);  // its check may replace it; TokenDone leaves it
      Entered = tToken.State;
      bInToken = true;
      CopyRun(InputBuffer + First, pcChars + Begin, Length);
      Error = AnnotationCheck(r.ptGameTags, pcChars + Begin, tToken);
    }
    if (Error != PBN_ERR_OK || TrickError != PBN_ERR_OK) break;
    // Blanks, and a token after them, go on.
    const size_t End = Begin + Length;
    const size_t NrBlanks = RunLength(pcChars, End, NrChars, (*r.paaRuns)[State]);
    if (NrBlanks == 0 || First + Length + NrBlanks > kMaxLineChars) break;
    if (NrBlanks == 1) {
      InputBuffer[First + Length] = ' ';
    } else {
      std::memset(InputBuffer + First + Length, ' ', NrBlanks);
    }
    Next = End + NrBlanks;
    NextFirst = First + Length + NrBlanks;
  }
  if (Entered == PBN_N_STATES) return 0;
  // The last token as its steps leave it.
  const size_t Length = tToken.Length;
  if (!bInToken) {  // a comment, closed by its "}"
    r.ChunkIndex += static_cast<int>(Begin + Length);
    r.InputIndex = First + Length;
    r.PrevInputIndex = r.ErrorIndex = r.InputIndex - 1;
    r.CurrPbnState = PBN_STATE_COMMENT;
    r.c = '}';
    r.bCharFromFile = true;
    r.CharError = PBN_ERR_OK;
    return Begin + Length;
  }
  CopyRun(CheckBuffer, pcChars + Begin + tToken.From, tToken.NrToken);
  CheckBuffer[tToken.NrToken] = '\0';
  r.CheckIndex = tToken.NrToken;
  r.bCheckOverflow = false;
  r.ChunkIndex += static_cast<int>(Begin);
  r.InputIndex = First;
  AfterToken(r, pcChars + Begin, Length, tToken.State, tToken.bLeft);
  Report(r, Error);
  if (bPlay && tToken.State == MoveState && Error == PBN_ERR_OK) {
    r.ErrorIndex = r.InputIndex + 1;  // a failing trick check marks nothing
    Report(r, TrickError);
  }
  TokenDone(r);
  return Begin + Length;
}

// A comment from ";" of Length characters, which its line's line feed ends (not among them):
// opened, its text stored, closed, and the line ended by its line feed.
void TakeWholeLineComment(ImportRunDef& r, const unsigned char* pcChars, size_t Length) {
  const unsigned long First = r.InputIndex;
  StoreWhole(r, pcChars, Length);
  r.InputIndex = First + 1;
  CommentOpen(r, ';');
  r.CharError = PBN_ERR_OK;
  r.bCharFromFile = true;
  r.ChunkIndex += static_cast<int>(Length) + 1;  // and the line feed, which is not stored
  r.InputIndex = First + Length;
  r.PrevInputIndex = r.ErrorIndex = r.InputIndex;
  r.c = '\n';
  InputBuffer[r.InputIndex] = '\0';
  PbnCommentEol(InputBuffer, r.InputIndex, CommentPlace(r));
  r.CurrPbnState = PBN_STATE_COMMENT_EOL;
  PbnStateDec();
  EndLine(r);
}

// The token at the chunk's next character, read in the section idle state State when the scan
// finds it whole in the chunk and the line and ended as its state would end it: a comment from
// ";", or a go of calls or cards, their annotations and comments in braces. The chunk's NrChars
// characters from the next on are at pcChars. How many of them it took (a comment's line feed too);
// 0 when it took none.
template <PbnStateDef State>
size_t TakeSectionToken(ImportRunDef& r, const unsigned char* pcChars, size_t NrChars) {
  if (NrChars < 2) return 0;
  if (pcChars[0] != ';') return TakeWholeTokens<State>(r, pcChars, NrChars);
  const size_t Close = FindWholeComment(r, pcChars, NrChars, r.InputIndex);
  if (Close == 0) return 0;
  TakeWholeLineComment(r, pcChars, Close);
  return Close + 1;
}

// The step of a run of blanks in State at the chunk's next character, known to lie in the line.
template <PbnStateDef State>
void TakeBlanks(ImportRunDef& r, size_t NrBlanks) {
  r.CharError = PBN_ERR_OK;
  StepEnter(r, State);
  for (size_t i = 0; i < NrBlanks; i++)  // mostly one
    InputBuffer[r.InputIndex++] = ' ';
  r.ErrorIndex = r.PrevInputIndex = r.InputIndex - 1;
  r.ChunkIndex += static_cast<int>(NrBlanks);
  r.c = ' ';
  r.bCharFromFile = true;
}

// The tokens of a line of a section from the chunk's next character on, each after the blanks
// before it, read in the section idle state State as long as they are whole and read without an
// error; a line feed after the last ends the line. False, with nothing read, when the first
// cannot be read so.
template <PbnStateDef State>
bool TakeSectionTokens(ImportRunDef& r) {
  // The chunk's characters from the next on, kept at hand from token to token.
  const auto* pcChars = reinterpret_cast<const unsigned char*>(r.tChunk.pcChars) + r.ChunkIndex;
  auto NrChars = static_cast<size_t>(r.tChunk.NrChars - r.ChunkIndex);
  size_t NrTaken = TakeSectionToken<State>(r, pcChars, NrChars);
  if (NrTaken == 0) return false;
  for (;;) {
    pcChars += NrTaken;
    NrChars -= NrTaken;
    if (r.CharError != PBN_ERR_OK || NrChars == 0) break;
    if (pcChars[0] == '\n') {
      if (r.InputIndex < kMaxLineChars) KnownLineFeed(r);
      break;
    }
    const size_t NrBlanks = RunLength(pcChars, 0, NrChars, (*r.paaRuns)[State]);
    if (NrBlanks == 0 || r.InputIndex + NrBlanks > kMaxLineChars) break;
    TakeBlanks<State>(r, NrBlanks);
    pcChars += NrBlanks;
    NrChars -= NrBlanks;
    NrTaken = TakeSectionToken<State>(r, pcChars, NrChars);
    if (NrTaken == 0) break;
  }
  return true;
}

// Whether State reads whole tokens, of which kind, from the next character c.
template <PbnStateDef State>
bool TakeWholeToken(ImportRunDef& r, int c) {
  constexpr bool bSection = State == PBN_STATE_AUCTION_IDLE || State == PBN_STATE_PLAY_IDLE;
  if constexpr (bSection) {
    if (c != '[') return TakeSectionTokens<State>(r);
  }
  if constexpr (bSection || State == PBN_STATE_IDLE || State == PBN_STATE_SECTION_DATA) {
    if (c == '[') return TakeTag<State>(r);
  }
  return false;
}

// One step in the state State: a run, or one character and the state's rule.
template <PbnStateDef State>
void Step(ImportRunDef& r) {
  constexpr StateRowDef tRow = atStateRows[State];
  r.CharError = PBN_ERR_OK;
  r.bErrorDec = PBN_TRUE;
  StepEnter(r, State);
  if (r.ChunkIndex >= r.tChunk.NrChars && r.InputIndex < kMaxLineChars) ReadChunkAhead(r);
  if (r.ChunkIndex < r.tChunk.NrChars && r.InputIndex < kMaxLineChars) {
    const int c = static_cast<unsigned char>(r.tChunk.pcChars[r.ChunkIndex]);
    if (bWholeTokens && TakeWholeToken<State>(r, c)) return;
    if (tRow.Ordinary != kNothing && (*r.paaRuns)[State][c] && TakeRun<State>(r)) return;
    r.PrevInputIndex = r.InputIndex;
    r.c = c;
    r.bCharFromFile = !(tRow.Continues != kNothing && (*r.paaLeaves)[State][c]);
    if (r.bCharFromFile) {
      r.ChunkIndex++;
      StoreChar(r);
    }
  } else {
    TakeChar(r);  // a full line, a new chunk or the end of the file
  }
  if (r.c == '%' && r.InputIndex == 1 && !(r.b21 && State == PBN_STATE_COMMENT)) {
    PbnStateInc(PBN_STATE_ESCAPE);  // an escape line, in any state (2.1: not in a comment)
  } else {
    apRules[State](r);
  }
  if (r.CharError != PBN_ERR_OK) HandleError(r);
  if (r.c == '\n') EndLine(r);
}

// The state that mostly follows a state: the next part of a tag, the move that a section reads.
// The states of a tag pair, and the moves of a section, are then read without a look-up of the
// state between them. The chains end (TAG_END, a move), so that each is read in a few calls.
constexpr PbnStateDef FollowerOf(PbnStateDef State) {
  switch (State) {
    case PBN_STATE_IDLE:
      return PBN_STATE_TAG_BEGIN;
    case PBN_STATE_TAG_BEGIN:
      return PBN_STATE_TAG_NAME;
    case PBN_STATE_TAG_NAME:
      return PBN_STATE_TAG_EQUAL;
    case PBN_STATE_TAG_EQUAL:
      return PBN_STATE_TAG_VALUE;
    case PBN_STATE_TAG_VALUE:
      return PBN_STATE_TAG_END;
    case PBN_STATE_AUCTION_IDLE:
      return PBN_STATE_AUCTION_CALL;
    case PBN_STATE_PLAY_IDLE:
      return PBN_STATE_PLAY_CARD;
    default:
      return State;  // none
  }
}

// The steps in one state, one after the other while the state stays; then those of the state
// that mostly follows, and again those of this one when its follower returns to it (a move read
// in a section, a tag read between tags).
template <PbnStateDef State>
void StepsIn(ImportRunDef& r) {
  constexpr PbnStateDef Follower = FollowerOf(State);
  for (;;) {
    do {
      Step<State>(r);
    } while (!r.bReady && PbnStateCurrent() == State);
    if constexpr (Follower != State) {
      if (!r.bReady && PbnStateCurrent() == Follower) {
        StepsIn<Follower>(r);
        if (!r.bReady && PbnStateCurrent() == State) continue;
      }
    }
    return;
  }
}

template <size_t... aStates>
constexpr auto StepsTable(std::index_sequence<aStates...>) {
  return std::array<RuleDef, PBN_N_STATES>{StepsIn<static_cast<PbnStateDef>(aStates)>...};
}
constexpr auto apStepsIn = StepsTable(std::make_index_sequence<PBN_N_STATES>());

// Reads the game to its end.
void ReadGame(ImportRunDef& r) {
  while (!r.bReady) {
    apStepsIn[PbnStateCurrent()](r);
  }
}

// A whole-game check whose message the machine logs itself.
void LoggedCheck(ImportRunDef& r, PbnErrDef CheckError) {
  if (CheckError == PBN_ERR_OK) return;
  ImportPrintf(PbnErrors[CheckError]);
  if (r.GameError == PBN_ERR_OK) r.GameError = CheckError;
}

void WholeGameChecks(ImportRunDef& r) {
  const PbnErrDef CheckError = CheckNotes(r.ptGameTags);  // logs its own lines
  if (r.GameError == PBN_ERR_OK) r.GameError = CheckError;
  LoggedCheck(r, CheckDeclarer(r.ptGameData));
  LoggedCheck(r, CheckResult(r.ptGameData));
  if (r.b21) LoggedCheck(r, PbnTablesCheck(r.ptGameTags->tTables));
}

}  // namespace

void PbnImportWholeTokens(bool bOn) {
  bWholeTokens = bOn;
}

void PbnStateInc(PbnStateDef NewState) {
  assert(StateIndex + 1 < PBN_STATE_STACK_SIZE);       // the grammar nests at most 4 deep
  if (StateIndex + 1 >= PBN_STATE_STACK_SIZE) return;  // and never writes beyond the stack
  States[++StateIndex] = NewState;
  const PbnCommentTypeDef Comment = atStateRows[NewState].Comment;
  if (Comment != kNoComment) PbnCommentSetType(Comment, 0);
}

PbnErrDef PbnImportGame(std::FILE* pFile, PbnFilePosDef FilePosIn, PbnGameDataDef* ptGameData,
                        PbnGameTagsDef* ptGameTags, PbnFilePosDef* pFilePosBegin,
                        PbnFilePosDef* pFilePosOut) {
  bLastTagFound = PBN_FALSE;
  LineBegin = 0;
  if (!PbnReaderStart(pFile, FilePosIn)) return PBN_ERR_FILE;

  ImportRunDef r{};
  r.ptGameData = ptGameData;
  r.ptGameTags = ptGameTags;
  r.FilePosBegin = -1;
  r.pFilePosOut = pFilePosOut;
  r.tChunk = {"", 0};
  r.TagId = PBN_N_TAG_IDS;
  r.b21 = PbnReading21();
  const bool bUtf8 = PbnImportOptions().Encoding == PBN_ENCODING_UTF_8;
  r.atIntake = bUtf8 ? atIntakeUtf8.data() : atIntake.data();
  r.paaRuns = bUtf8 ? &aaRunsUtf8 : &aaRuns;
  r.paaLeaves = bUtf8 ? &aaLeavesUtf8 : &aaLeaves;
  r.patPlaces = patRecordPlaces;
  AdminInit();
  PbnStateInit();
  ptGameData->tAuction.NrCalls = 0;
  ErrorBufferReset();
  r.CurrPbnState = PbnStateCurrent();

  ReadGame(r);

  *pFilePosBegin = r.FilePosBegin;
  WholeGameChecks(r);
  bLastTagFound = r.bTagFound;
  if (r.bEndOfFile) {
    *pFilePosOut = -1;
    if (r.GameError == PBN_ERR_OK && !r.bTagFound) r.GameError = PBN_ERR_NO_TAG;
  }
  return r.GameError;
}

std::vector<PbnTagPlaceDef> PbnReadTagPlaces(std::string_view Text, size_t Begin) {
  std::vector<PbnTagPlaceDef> atPlaces;
  std::FILE* pFile = fmemopen(const_cast<char*>(Text.data()), Text.size(), "rb");
  if (pFile == nullptr || Begin >= Text.size() || Begin > INT32_MAX) {
    if (pFile != nullptr) std::fclose(pFile);
    return atPlaces;
  }
  // What this import changes of the importer's state, kept to be put back.
  const PbnImportOptionsDef tOptions = PbnImportOptions();
  const PbnLogSinkDef tSink = PbnImportLogSink();
  const PbnTagAdminDef tKeptAdmin = tAdmin;
  const PbnCommentAdminDef tKeptComments = tCommentAdmin;
  const UInt32 KeptLineNr = FileLineNr;
  auto ptGameData = std::make_unique<PbnGameDataDef>();
  auto ptGameTags = std::make_unique<PbnGameTagsDef>();

  PbnImportSetOptions({PBN_STANDARD_2_1, PBN_ENCODING_UTF_8});  // the widest grammar and bytes
  PbnImportLog({});
  patRecordPlaces = &atPlaces;
  if (GameTagsInit(ptGameTags.get()) == PBN_ERR_OK) {
    PbnFilePosDef FilePosBegin;
    PbnFilePosDef FilePosOut;
    PbnImportGame(pFile, static_cast<PbnFilePosDef>(Begin), ptGameData.get(), ptGameTags.get(),
                  &FilePosBegin, &FilePosOut);
  }
  patRecordPlaces = nullptr;
  GameTagsTerm(ptGameTags.get());
  std::fclose(pFile);
  PbnReaderForget();  // a stream opened later may take the address of this one

  // No value was checked, so the inheritance record is as it was.
  PbnImportSetOptions(tOptions);
  PbnImportLog(tSink);
  tAdmin = tKeptAdmin;
  tCommentAdmin = tKeptComments;
  FileLineNr = KeptLineNr;
  return atPlaces;
}

UInt32 PbnImportLineBegin() {
  return LineBegin;
}

PbnBoolDef PbnImportTagFound() {
  return bLastTagFound;
}

}  // namespace pbn
