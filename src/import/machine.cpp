// The import state machine: reads one game character by character through a stack of states,
// cuts it into tokens, hands each to its check, marks and logs every erroneous line and runs the
// whole-game checks at the end.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <iterator>

#include "core/defs.h"
#include "import/import.h"
#include "import/import_internal.h"
#include "import/reading.h"

namespace pbn {

namespace {

char CheckBuffer[PBN_VALUE_SIZE];
unsigned long CheckIndex = 0;
bool bCheckOverflow = false;  // a value continued by backslashes outgrew its buffer
char ErrorBuffer[PBN_VALUE_SIZE + 1];
unsigned long ErrorIndex = 0;

struct IntakeDef;

// The variables of one game import.
struct ImportRunDef {
  std::FILE* pFile;
  PbnGameDataDef* ptGameData;
  PbnGameTagsDef* ptGameTags;
  PbnFilePosDef* pFilePosBegin;
  PbnFilePosDef* pFilePosOut;
  PbnStateDef CurrPbnState;  // the state of the current step
  PbnStateDef NextPbnState;  // the state that the end of the current tag enters
  PbnTagIdDef TagId;
  int c;
  bool bCharFromFile;  // the step's character came from the file (not made up)
  PbnErrDef CharError;
  PbnErrDef LineError;
  PbnErrDef GameError;
  PbnBoolDef bErrorDec;
  unsigned long NrNonSpace;
  PbnBoolDef bTagFound;
  PbnBoolDef bNameFound;
  PbnBoolDef bEndOfFile;
  PbnBoolDef bReady;
  const IntakeDef* atIntake;  // how each byte is stored: by the text encoding of the reading
  bool b21;                   // the PBN 2.1 reading
  bool bDataSeen;             // the tag's section data has begun (2.1): no comment any more
  bool bTableData;            // the section data fills the table its tag opened (2.1)
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

void TokenAppend(int c) {
  if (CheckIndex < kMaxLineChars) {
    CheckBuffer[CheckIndex++] = static_cast<char>(c);
  } else {
    bCheckOverflow = true;  // keep the first 255 characters; the value is refused at its end
  }
}

void TokenStartEmpty() {
  CheckIndex = 0;
  bCheckOverflow = false;
  ErrorIndex = InputIndex;
}

void TokenStart(int c) {
  TokenStartEmpty();
  TokenAppend(c);
}

const char* TokenEnd() {
  CheckBuffer[CheckIndex] = '\0';
  return CheckBuffer;
}

// Sets the step's error; an error of a rule replaces an error of the intake.
void Report(ImportRunDef& r, PbnErrDef Error) {
  if (Error != PBN_ERR_OK) r.CharError = Error;
}

void PushBack(ImportRunDef& r) {
  if (r.bCharFromFile) {
    PbnBackspace(&r.c);
  } else {
    // A made-up line feed is not in the file: the next step makes it up again.
    InputIndex = PrevInputIndex;
    r.c = 1;
  }
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

void TakeChar(ImportRunDef& r) {
  PrevInputIndex = InputIndex;
  r.bCharFromFile = false;
  if (InputIndex == kMaxLineChars) {
    r.c = '\n';
    r.CharError = PBN_ERR_LINE_TOO_LONG;
    return;
  }
  if (PbnGetChar(r.pFile, &r.c) != PBN_ERR_OK) {
    r.c = '\n';
    r.bEndOfFile = PBN_TRUE;
    return;
  }
  r.bCharFromFile = true;
  const IntakeDef& tIntake = r.atIntake[r.c];
  if (tIntake.bBad) r.CharError = PBN_ERR_BAD_CHAR;
  InputBuffer[InputIndex] = tIntake.cStored;  // overwritten by the next one when not stored
  InputIndex += tIntake.bStored;
  r.NrNonSpace += tIntake.bNonSpace;
}

// Before a step takes its character: the state of the step, and where an error of the step
// marks. A token state marks from the step it began at, any other state its own character.
void StepEnter(ImportRunDef& r, PbnStateDef State) {
  const PbnStateDef PrevState = r.CurrPbnState;
  r.CurrPbnState = State;
  if (State != PrevState || !IsTokenState(State)) ErrorIndex = InputIndex;
}

// What the import of the game read last tells beyond its result.
UInt32 LineBegin = 0;
PbnBoolDef bLastTagFound = PBN_FALSE;

// The game begins at the first line with a character other than a blank.
void NoteGameBegin(ImportRunDef& r) {
  if (*r.pFilePosBegin != -1 || r.NrNonSpace == 0) return;
  *r.pFilePosBegin = FilePosGet;
  LineBegin = FileLineNr;
}

// --- the rules of the states ---

void CompleteTagName(ImportRunDef& r) {
  r.bNameFound = PBN_TRUE;
  Report(r, TagNameCheck(r.ptGameTags, TokenEnd(), &r.TagId));
  CheckIndex = 0;
  bCheckOverflow = false;
}

PbnCommentPlaceDef CommentPlace(ImportRunDef& r) {
  return {tAdmin.Section, MoveAnno(r.ptGameTags)};
}

void CommentOpen(int c) {
  PbnStateInc(c == '{' ? PBN_STATE_COMMENT : PBN_STATE_COMMENT_EOL);
  PbnCommentBegin(InputIndex);
}

void RuleIdle(ImportRunDef& r) {
  const int c = r.c;
  if (c == ';' || c == '{') {
    CommentOpen(c);
  } else if (c == '[') {
    PbnStateInc(PBN_STATE_TAG_BEGIN);
    r.bTagFound = PBN_TRUE;
  } else if (!CharIsSpace(c)) {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

void RuleTagBegin(ImportRunDef& r) {
  if (CharInTagName(r.c)) {
    PbnStateChange(PBN_STATE_TAG_NAME);
    TokenStart(r.c);
    r.bNameFound = PBN_FALSE;
  } else if (!CharIsSpace(r.c)) {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

void RuleTagName(ImportRunDef& r) {
  const int c = r.c;
  if (c == '"') {
    PbnStateChange(PBN_STATE_TAG_VALUE);
    ErrorIndex = InputIndex;
    CompleteTagName(r);  // the value starts as an empty token
  } else if (c == ']') {
    Report(r, PBN_ERR_NO_TAG_VALUE);
  } else if (CharInTagName(c)) {
    TokenAppend(c);
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
    TokenStartEmpty();
  } else if (c == ']') {
    Report(r, PBN_ERR_NO_TAG_VALUE);
  } else if (!CharIsSpace(c)) {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

void RuleTagValue(ImportRunDef& r) {
  const int c = r.c;
  if (c == '"') {
    const char* pcValue = TokenEnd();
    const UInt32 NrTables = PbnTableCount(r.ptGameTags->tTables);
    // A value continued past 255 characters cannot be stored whole: it is refused.
    Report(r, bCheckOverflow ? PBN_ERR_BAD_TAG_VALUE
                             : TagValueCheck(r.ptGameData, r.ptGameTags, r.TagId, pcValue));
    r.bTableData = PbnTableCount(r.ptGameTags->tTables) != NrTables;
    r.NextPbnState = NextStateAfterTag(r.TagId);
    PbnStateChange(PBN_STATE_TAG_END);
  } else if (c == '\\') {
    PbnStateInc(PBN_STATE_BACKSLASH);
  } else if (c < 32) {
    Report(r, PBN_ERR_BAD_CHAR);
  } else {
    TokenAppend(c);
  }
}

void RuleBackslash(ImportRunDef& r) {
  if (r.c != '"' && r.c != '\\') TokenAppend('\\');
  PbnStateDec();
  TokenAppend(r.c);
}

void RuleTagEnd(ImportRunDef& r) {
  if (r.c == ']') {
    if (r.NextPbnState == PBN_STATE_IDLE && r.b21) {
      PbnStateChange(PBN_STATE_SECTION_DATA);  // any tag may be followed by section data
      r.bDataSeen = false;
    } else if (r.NextPbnState == PBN_STATE_IDLE) {
      PbnStateDec();  // back to the tags
    } else {
      tAdmin.Section = SectionOf(r.NextPbnState);  // the section's state takes the tag's place
      PbnStateChange(r.NextPbnState);
    }
  } else if (!CharIsSpace(r.c)) {
    Report(r, PBN_ERR_BAD_CHAR);
  }
}

// A token ended by the character just taken: checked, and its state left.
template <typename Check>
void EndToken(ImportRunDef& r, Check check) {
  check(TokenEnd());
  PbnStateDec();
  r.bErrorDec = PBN_FALSE;
}

// A token ended by a character that cannot continue it: read that character again.
template <typename Check>
void EndTokenPushBack(ImportRunDef& r, Check check) {
  PushBack(r);
  EndToken(r, check);
}

void CheckMove(ImportRunDef& r, bool bPlay, const char* pc) {
  if (!bPlay) {
    Report(r, AuctionCallCheck(r.ptGameData, pc));
    return;
  }
  const PbnErrDef Error = CardCheck(r.ptGameData, pc);
  Report(r, Error);
  if (Error == PBN_ERR_OK) {
    ErrorIndex = InputIndex + 1;  // a failing trick check marks nothing
    Report(r, TrickCheck(r.ptGameData));
  }
}

template <bool bPlay>
void RuleMove(ImportRunDef& r) {
  if (CharInMove(r.c)) {
    TokenAppend(r.c);
    return;
  }
  EndTokenPushBack(r, [&](const char* pc) { CheckMove(r, bPlay, pc); });
}

template <bool bToken>
void TakeRun(ImportRunDef& r, PbnStateDef State);

// Calls and cards make up most of a game. A move whose first character was just taken is read
// on at once, and when the character after it lies within the chunk and the line, the move is
// ended and checked too: exactly as the step of that character (taken, then pushed back) would.
void TakeWholeMove(ImportRunDef& r, bool bPlay) {
  TakeRun<true>(r, PbnStateCurrent());
  if (FileCharIndex >= FileCharNumber || InputIndex >= kMaxLineChars) return;
  const IntakeDef& tNext = r.atIntake[static_cast<unsigned char>(acFileLine[FileCharIndex])];
  if (tNext.bBad) return;
  StepEnter(r, PbnStateCurrent());  // the move's state: an error marks the whole move
  PrevInputIndex = InputIndex;
  r.NrNonSpace += tNext.bNonSpace;
  r.bCharFromFile = true;
  r.c = 1;  // read again, as after a push-back
  EndToken(r, [&](const char* pc) { CheckMove(r, bPlay, pc); });
}

// Between the moves of the auction or the play section.
template <bool bPlay>
void RuleSectionIdle(ImportRunDef& r) {
  const int c = r.c;
  // Most often a call or a card begins; no other rule takes a move character.
  if (CharInMove(c)) {
    PbnStateInc(bPlay ? PBN_STATE_PLAY_CARD : PBN_STATE_AUCTION_CALL);
    TokenStart(c);
    TakeWholeMove(r, bPlay);
    return;
  }
  switch (c) {
    case '=':
      PbnStateInc(PBN_STATE_NOTE);
      TokenStartEmpty();
      return;
    case '!':
    case '?':
      PbnStateInc(PBN_STATE_SUFFIX);
      TokenStart(c);
      return;
    case '$':
      PbnStateInc(PBN_STATE_NAG);
      TokenStartEmpty();
      return;
    case '*':
      PbnStateDec();
      (bPlay ? tAdmin.bIncompletePlay : tAdmin.bIncompleteAuction) = PBN_TRUE;
      return;
    case '+':
      if (!r.b21) break;
      if (bPlay) {  // the card to be played next: a place without a card
        PbnStateInc(PBN_STATE_PLAY_CARD);
        TokenStart('-');
      } else {  // to be continued: the auction ends incomplete
        PbnStateDec();
        tAdmin.bIncompleteAuction = PBN_TRUE;
      }
      return;
    case ';':
    case '{':
      CommentOpen(c);
      return;
    case '[':
      PbnStateChange(PBN_STATE_TAG_BEGIN);
      return;
    case '^':
      PbnStateInc(bPlay ? PBN_STATE_PLAY_ILL : PBN_STATE_AUCTION_ILL);
      TokenStartEmpty();
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
  TokenAppend(r.c);
  const char* pc = TokenEnd();
  Report(r, bPlay ? CheckCardIllegal(pc) : CheckCallIllegal(r.ptGameData, pc));
  PbnStateDec();
  r.bErrorDec = PBN_FALSE;
}

void RuleNote(ImportRunDef& r) {
  if (r.c == '=') {
    Report(r, NoteCheck(r.ptGameTags, TokenEnd()));
    PbnStateDec();
    r.bErrorDec = PBN_FALSE;
  } else if (CharIsDigit(r.c)) {
    TokenAppend(r.c);
  } else {
    Report(r, PBN_ERR_BAD_NOTE);
  }
}

void RuleNag(ImportRunDef& r) {
  if (CharIsDigit(r.c)) {
    TokenAppend(r.c);
    return;
  }
  EndTokenPushBack(r, [&](const char* pc) { Report(r, NagCheck(r.ptGameTags, pc)); });
}

void RuleSuffix(ImportRunDef& r) {
  if (r.c == '!' || r.c == '?') {
    TokenAppend(r.c);
    Report(r, SuffixCheck(r.ptGameTags, TokenEnd()));
    PbnStateDec();
    r.bErrorDec = PBN_FALSE;
    return;
  }
  EndTokenPushBack(r, [&](const char* pc) { Report(r, SuffixCheck(r.ptGameTags, pc)); });
}

void RuleEscape(ImportRunDef& r) {
  if (r.c == '\n' || r.c == '\r') PbnStateDec();
}

void RuleComment(ImportRunDef& r) {
  if (r.c == '}') {
    PbnCommentEnd(InputBuffer, InputIndex - 1, CommentPlace(r));  // the position of the "}"
    PbnStateDec();
  }
}

void RuleCommentEol(ImportRunDef& r) {
  if (r.c == '\n' || r.c == '\r') {
    PbnCommentEol(InputBuffer, InputIndex, CommentPlace(r));
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
    PbnStateChange(PBN_STATE_TAG_BEGIN);
  } else if ((c == ';' || c == '{') && !r.bDataSeen) {
    CommentOpen(c);  // a comment may follow the tag itself, not its data
  } else if (c == '"') {
    PbnStateInc(PBN_STATE_DATA_STRING);
    TokenStartEmpty();
    r.bDataSeen = true;
  } else if (IsDataChar(c)) {
    PbnStateInc(PBN_STATE_DATA_TOKEN);
    TokenStart(c);
    r.bDataSeen = true;
  } else if (!CharIsSpace(c)) {
    Report(r, PBN_ERR_BAD_SECTION_DATA);
    r.bErrorDec = PBN_FALSE;  // the section data go on
  }
}

void RuleDataToken(ImportRunDef& r) {
  if (IsDataChar(r.c)) {
    TokenAppend(r.c);
    return;
  }
  EndTokenPushBack(r, [&](const char* pc) { DataElement(r, pc); });
}

void RuleDataString(ImportRunDef& r) {
  if (r.c == '"') {
    EndToken(r, [&](const char* pc) { DataElement(r, pc); });  // without its quotes
  } else if (r.c == '\\') {
    PbnStateInc(PBN_STATE_BACKSLASH);
  } else if (r.c < 32) {
    Report(r, PBN_ERR_BAD_SECTION_DATA);  // a string ends on its line
  } else {
    TokenAppend(r.c);
  }
}

// --- the rows of the states ---

// The characters that a state's rule only stores, and appends to its token if it has one.
enum OrdinaryDef : UInt8 {
  kNothing,
  kBlank,        // the blank
  kTagName,      // letters, digits and "_"
  kTagValue,     // printable, but for '"' and the backslash
  kMove,         // letters, digits and "-"
  kDigit,        // digits
  kCommentText,  // printable, but for "}"
  kLineText,     // printable
  kDataToken,    // printable ASCII, but for the delimiters of tags, comments and strings
};

constexpr PbnCommentTypeDef kNoComment = PBN_N_COMMENT_TYPES;

// What the importer knows of a state; everything else follows from these rows.
struct StateRowDef {
  PbnStateDef State;
  void (*Rule)(ImportRunDef& r);  // what a character does in the state
  bool bToken;                    // an error marks the whole token, not only its character
  OrdinaryDef Ordinary;
  PbnCommentTypeDef Comment;  // where a comment after it belongs, set as it is pushed
  PbnSectionDef Section;      // the section that the state reads, in place of the tag opening it
};

constexpr bool kToken = true;
constexpr PbnSectionDef kNoSection = PBN_SECTION_IDENT;  // IDLE reads the tags; a tag pops to it

// In the order of PbnStateDef.
// clang-format off
constexpr StateRowDef atStateRows[] = {
  // state                 rule                    token   ordinary       comment after it           section
  {PBN_STATE_IDLE,         RuleIdle,               false,  kBlank,       kNoComment,                kNoSection},
  {PBN_STATE_TAG_BEGIN,    RuleTagBegin,           false,  kBlank,       kNoComment,                kNoSection},
  {PBN_STATE_TAG_NAME,     RuleTagName,            kToken, kTagName,     kNoComment,                kNoSection},
  {PBN_STATE_TAG_EQUAL,    RuleTagEqual,           false,  kBlank,       kNoComment,                kNoSection},
  {PBN_STATE_TAG_VALUE,    RuleTagValue,           kToken, kTagValue,    kNoComment,                kNoSection},
  {PBN_STATE_TAG_END,      RuleTagEnd,             false,  kBlank,       kNoComment,                kNoSection},
  {PBN_STATE_AUCTION_IDLE, RuleSectionIdle<false>, false,  kBlank,       kNoComment,                PBN_SECTION_AUCTION},
  {PBN_STATE_AUCTION_CALL, RuleMove<false>,        kToken, kMove,        PBN_COMMENT_TYPE_MOVE,     kNoSection},
  {PBN_STATE_AUCTION_ILL,  RuleIllegal<false>,     false,  kNothing,     kNoComment,                kNoSection},
  {PBN_STATE_NOTE,         RuleNote,               kToken, kNothing,     PBN_COMMENT_TYPE_NOTE_REF, kNoSection},
  {PBN_STATE_NAG,          RuleNag,                kToken, kDigit,       PBN_COMMENT_TYPE_NAG,      kNoSection},
  {PBN_STATE_SUFFIX,       RuleSuffix,             kToken, kNothing,     PBN_COMMENT_TYPE_SUFFIX,   kNoSection},
  {PBN_STATE_PLAY_IDLE,    RuleSectionIdle<true>,  false,  kBlank,       kNoComment,                PBN_SECTION_PLAY},
  {PBN_STATE_PLAY_CARD,    RuleMove<true>,         kToken, kMove,        PBN_COMMENT_TYPE_MOVE,     kNoSection},
  {PBN_STATE_PLAY_ILL,     RuleIllegal<true>,      false,  kNothing,     kNoComment,                kNoSection},
  {PBN_STATE_ESCAPE,       RuleEscape,             false,  kLineText,    kNoComment,                kNoSection},
  {PBN_STATE_COMMENT,      RuleComment,            false,  kCommentText, kNoComment,                kNoSection},
  {PBN_STATE_COMMENT_EOL,  RuleCommentEol,         false,  kLineText,    kNoComment,                kNoSection},
  {PBN_STATE_BACKSLASH,    RuleBackslash,          false,  kNothing,     kNoComment,                kNoSection},
  {PBN_STATE_SECTION_DATA, RuleSectionData,        false,  kBlank,       kNoComment,                kNoSection},
  {PBN_STATE_DATA_TOKEN,   RuleDataToken,          kToken, kDataToken,   kNoComment,                kNoSection},
  {PBN_STATE_DATA_STRING,  RuleDataString,         kToken, kTagValue,    kNoComment,                kNoSection},
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

// --- errors and line ends ---

void HandleError(ImportRunDef& r) {
  if (r.LineError == PBN_ERR_OK) {
    r.LineError = r.CharError;
    r.GameError = r.CharError;
  }
  if (IsTokenState(r.CurrPbnState)) {
    const unsigned long First = ErrorIndex == 0 ? 0 : ErrorIndex - 1;
    for (unsigned long i = First; i < InputIndex && i < kMaxLineChars; i++)
      ErrorBuffer[i] = '^';
  } else if (ErrorIndex < kMaxLineChars) {
    ErrorBuffer[ErrorIndex] = '^';
  }
  if (r.bErrorDec) PbnStateDec();  // abandon the construct the error occurred in
  r.CurrPbnState = PbnStateCurrent();
}

void EndLine(ImportRunDef& r) {
  InputBuffer[InputIndex] = '\0';
  if (PbnStateCurrent() == PBN_STATE_COMMENT) {
    PbnCommentNext(InputBuffer, InputIndex);
  } else if (r.bTagFound && r.NrNonSpace == 0) {
    r.bReady = PBN_TRUE;           // a blank line after a tag ends the game
    *r.pFilePosOut = FilePosRead;  // the start of the line after this one
  }
  if (r.LineError != PBN_ERR_OK) {
    ErrorBuffer[InputIndex] = '\0';
    ImportPrintLine(InputBuffer, ErrorBuffer, PbnErrors[r.LineError]);
    ErrorBufferReset();
    r.LineError = PBN_ERR_OK;
  } else if (PbnVerbose > 0) {
    ImportPrintLine(InputBuffer, nullptr, nullptr);
  }
  r.NrNonSpace = 0;
  InputIndex = 0;
  ErrorIndex = 0;
  if (r.bEndOfFile) r.bReady = PBN_TRUE;
}

void Step(ImportRunDef& r) {
  r.CharError = PBN_ERR_OK;
  r.bErrorDec = PBN_TRUE;
  StepEnter(r, PbnStateCurrent());
  TakeChar(r);
  NoteGameBegin(r);
  if (r.c == '%' && InputIndex == 1 && !(r.b21 && PbnStateCurrent() == PBN_STATE_COMMENT)) {
    PbnStateInc(PBN_STATE_ESCAPE);  // an escape line, in any state (2.1: not in a comment)
  } else {
    atStateRows[PbnStateCurrent()].Rule(r);
  }
  if (r.CharError != PBN_ERR_OK) HandleError(r);
  if (r.c == '\n') EndLine(r);
}

// --- runs of ordinary characters ---
//
// Most characters of a game only go into the stored line: the names and values of tags, the text
// of comments and escape lines, the blanks between tokens, the letters of calls and cards. A run
// of them is taken in one loop that does exactly what one step per character does; the first
// character that needs a rule (or a bad character, a line end, a full line, a new chunk) is left
// to the steps.

// Whether c is ordinary in the class: the intake stores it as it is or as a blank, and the rule
// of the state only stores it. A "%" is never ordinary, since stored first on a line it opens an
// escape line.
constexpr bool IsOrdinary(OrdinaryDef Ordinary, int c) {
  if (!IsPbnChar(c) || c == '%') return false;
  switch (Ordinary) {
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
    case kCommentText:
      return c >= 32 && c != '}';
    case kLineText:
      return c >= 32;
    case kDataToken:
      return IsDataChar(c);
  }
  return false;
}

// The same as a table, one row per state, so that a run costs one look-up per character.
constexpr auto aaOrdinary = [] {
  std::array<std::array<bool, 256>, PBN_N_STATES> aaTable{};
  for (int State = 0; State < PBN_N_STATES; State++) {
    for (int c = 0; c < 256; c++) {
      aaTable[State][c] = IsOrdinary(atStateRows[State].Ordinary, c);
    }
  }
  return aaTable;
}();

// Takes the run of ordinary characters that starts at the next character, if any: within the
// chunk, within the 255 characters of the line and, for a token, within its 255 characters (the
// steps handle what goes beyond). The loop keeps its counts in locals; the bookkeeping of the
// steps is brought up to date after it.
template <bool bToken>
void TakeRun(ImportRunDef& r, PbnStateDef State) {
  const std::array<bool, 256>& abOrdinary = aaOrdinary[State];
  const unsigned long First = InputIndex;
  const unsigned long FirstToken = CheckIndex;
  long Room = std::min<long>(FileCharNumber - FileCharIndex, kMaxLineChars - First);
  if (bToken) Room = std::min<long>(Room, kMaxLineChars - FirstToken);
  const unsigned char* pcFrom = reinterpret_cast<const unsigned char*>(acFileLine) + FileCharIndex;
  char* pcLine = InputBuffer + First;
  char* pcToken = CheckBuffer + FirstToken;
  long NrTaken = 0;
  unsigned long NrNonSpace = 0;
  for (; NrTaken < Room && abOrdinary[pcFrom[NrTaken]]; NrTaken++) {
    const char c = static_cast<char>(pcFrom[NrTaken]);
    pcLine[NrTaken] = c;
    if (bToken) pcToken[NrTaken] = c;
    NrNonSpace += c != ' ';
  }
  if (NrTaken == 0) return;
  // What the steps would have set: the steps between the first and the last set nothing that
  // the last does not set again.
  const unsigned long Last = First + NrTaken - 1;
  StepEnter(r, State);
  InputIndex = Last;
  StepEnter(r, State);
  PrevInputIndex = Last;
  InputIndex = Last + 1;
  r.c = pcFrom[NrTaken - 1];
  r.bCharFromFile = true;
  r.NrNonSpace += NrNonSpace;
  if (bToken) CheckIndex = FirstToken + NrTaken;
  FileCharIndex += static_cast<int>(NrTaken);
  NoteGameBegin(r);
}

void TakeOrdinaryRun(ImportRunDef& r) {
  const PbnStateDef State = PbnStateCurrent();
  // Most steps that follow a run meet no run themselves: one look-up tells.
  if (FileCharIndex >= FileCharNumber ||
      !aaOrdinary[State][static_cast<unsigned char>(acFileLine[FileCharIndex])]) {
    return;
  }
  if (IsTokenState(State)) {
    TakeRun<true>(r, State);
  } else {
    TakeRun<false>(r, State);
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
  if (FilePosIn < 0) return PBN_ERR_FILE;
  // Positioning drops the stream's buffer; the index pass starts each game where the last ended.
  const bool bPositioned = !std::feof(pFile) && std::ftell(pFile) == FilePosIn;
  if (!bPositioned && std::fseek(pFile, FilePosIn, SEEK_SET) != 0) return PBN_ERR_FILE;

  ImportRunDef r{};
  r.pFile = pFile;
  r.ptGameData = ptGameData;
  r.ptGameTags = ptGameTags;
  r.pFilePosBegin = pFilePosBegin;
  r.pFilePosOut = pFilePosOut;
  r.TagId = PBN_N_TAG_IDS;
  r.b21 = PbnReading21();
  r.atIntake =
      PbnImportOptions().Encoding == PBN_ENCODING_UTF_8 ? atIntakeUtf8.data() : atIntake.data();
  PbnReaderReset(FilePosIn);
  AdminInit();
  PbnStateInit();
  ptGameData->tAuction.NrCalls = 0;
  *pFilePosBegin = -1;
  ErrorIndex = 0;
  ErrorBufferReset();
  r.CurrPbnState = PbnStateCurrent();

  while (!r.bReady) {
    TakeOrdinaryRun(r);
    Step(r);
  }

  WholeGameChecks(r);
  bLastTagFound = r.bTagFound;
  if (r.bEndOfFile) {
    *pFilePosOut = -1;
    if (r.GameError == PBN_ERR_OK && !r.bTagFound) r.GameError = PBN_ERR_NO_TAG;
  }
  return r.GameError;
}

UInt32 PbnImportLineBegin() {
  return LineBegin;
}

PbnBoolDef PbnImportTagFound() {
  return bLastTagFound;
}

}  // namespace pbn
