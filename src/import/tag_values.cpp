// The check of every tag value: accepts or refuses it, and for the tags that carry play data
// turns it into the codes of the game record or the importer's bookkeeping.
#include <array>
#include <cstring>
#include <iterator>

#include "core/defs.h"
#include "import/import_internal.h"
#include "import/reading.h"

namespace pbn {

namespace {

// Whether the value is one of the words written out, compared letter by letter.
template <size_t... aLengths>
bool ValueIsOneOf(const char* acBuffer, const char (&... acWords)[aLengths]) {
  return (TextIsLiteral(acBuffer, acWords) || ...);
}

void MarkEmpty(char* acBuffer) {
  acBuffer[0] = PBN_EMPTY_VALUE_MARKER;
  acBuffer[1] = '\0';
}

enum class Frame { Check, Accept };

// The frame shared by most checks: inheritance refused for the tags of the game's own data,
// "?" (and "#" for the others) accepted without effect, the empty value marked and accepted.
Frame CommonFrame(char* acBuffer, bool bOwnData, PbnErrDef* pError) {
  *pError = PBN_ERR_OK;
  if (bOwnData && bUsePrevTag) {
    *pError = PBN_ERR_BAD_INHERITANCE;
    return Frame::Accept;
  }
  if (TextIs(acBuffer, acTagValueUnknown[0]) ||
      (!bOwnData && TextIs(acBuffer, acTagValueIdent[0]))) {
    return Frame::Accept;
  }
  if (acBuffer[0] == '\0') {
    MarkEmpty(acBuffer);
    return Frame::Accept;
  }
  return Frame::Check;
}

// A number and nothing after it.
PbnErrDef TagValueCheckNumber(char* acBuffer) {
  const char* pc = acBuffer;
  long Number;
  const PbnErrDef Error = TagValueGetNumberPos(&pc, &Number);
  if (Error != PBN_ERR_OK) return Error;
  return *pc == '\0' ? PBN_ERR_OK : PBN_ERR_BAD_TAG_VALUE;
}

PbnErrDef TagValueCheckSide(const char* acBuffer, PbnSideDef* pSide) {
  const PbnErrDef Error = CharSideCheck(acBuffer[0], pSide);
  if (Error != PBN_ERR_OK) return Error;
  return acBuffer[1] == '\0' ? PBN_ERR_OK : PBN_ERR_BAD_TAG_VALUE;
}

PbnErrDef TagValueCheckEmpty(char*) {
  return PBN_ERR_OK;
}

PbnErrDef TagValueCheckSideType(char* acBuffer) {
  return ValueIsOneOf(acBuffer, "human", "program") ? PBN_ERR_OK : PBN_ERR_BAD_TAG_VALUE;
}

PbnErrDef TagValueCheckCompetition(char* acBuffer) {
  return ValueIsOneOf(acBuffer, "Chicago", "Individuals", "Pairs", "Rubber", "Teams")
             ? PBN_ERR_OK
             : PBN_ERR_UNKNOWN_TAG_VALUE;
}

PbnErrDef TagValueCheckMode(char* acBuffer) {
  return ValueIsOneOf(acBuffer, "EMB", "IBS", "OKB", "TABLE", "TC") ? PBN_ERR_OK
                                                                    : PBN_ERR_UNKNOWN_TAG_VALUE;
}

PbnErrDef TagValueCheckRoom(char* acBuffer) {
  return ValueIsOneOf(acBuffer, "Open", "Closed") ? PBN_ERR_OK : PBN_ERR_BAD_TAG_VALUE;
}

PbnErrDef TagValueCheckFrenchMP(char* acBuffer) {
  return ValueIsOneOf(acBuffer, "Yes", "No") ? PBN_ERR_OK : PBN_ERR_BAD_TAG_VALUE;
}

PbnErrDef TagValueCheckRound(char* acBuffer) {
  for (const char* pc = acBuffer; *pc != '\0'; pc++) {
    if (!CharIsLetter(*pc) && !CharIsDigit(*pc) && *pc != '_' && *pc != '.') {
      return PBN_ERR_BAD_TAG_VALUE;
    }
  }
  return PBN_ERR_OK;
}

// The whole number of the leading digits of a date or time part.
long LeadingNumber(const char* pc) {
  long Number = 0;
  for (; CharIsDigit(*pc); pc++)
    Number = Number * 10 + (*pc - '0');
  return Number;
}

PbnErrDef TagValueCheckDate(char* acBuffer) {
  if (std::strlen(acBuffer) != 10 || acBuffer[4] != '.' || acBuffer[7] != '.') {
    return PBN_ERR_BAD_TAG_VALUE;
  }
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (!CharIsDateChar(acBuffer[i])) return PBN_ERR_BAD_TAG_VALUE;
  }
  if (acBuffer[0] != '?' && LeadingNumber(acBuffer) < 1900) return PBN_ERR_BAD_TAG_VALUE;
  if (acBuffer[5] != '?' && LeadingNumber(acBuffer + 5) > 12) return PBN_ERR_BAD_TAG_VALUE;
  if (acBuffer[8] != '?' && LeadingNumber(acBuffer + 8) > 31) return PBN_ERR_BAD_TAG_VALUE;
  return PBN_ERR_OK;
}

PbnErrDef TagValueCheckTime(char* acBuffer) {
  if (std::strlen(acBuffer) != 8 || acBuffer[2] != ':' || acBuffer[5] != ':') {
    return PBN_ERR_BAD_TAG_VALUE;
  }
  for (int i : {0, 1, 3, 4, 6, 7}) {
    if (!CharIsDigit(acBuffer[i])) return PBN_ERR_BAD_TAG_VALUE;
  }
  if (LeadingNumber(acBuffer) > 23 || LeadingNumber(acBuffer + 3) > 59 ||
      LeadingNumber(acBuffer + 6) > 59) {
    return PBN_ERR_BAD_TAG_VALUE;
  }
  return PBN_ERR_OK;
}

PbnErrDef TagValueCheckTimeControl(char* acBuffer) {
  if (TextIs(acBuffer, '-')) return PBN_ERR_OK;
  const char* pc = acBuffer;
  long Number;
  PbnErrDef Error = TagValueGetNumberPos(&pc, &Number);
  if (Error != PBN_ERR_OK) return Error;
  if (*pc != '/') return PBN_ERR_BAD_TAG_VALUE;
  pc++;
  Error = TagValueGetNumberPos(&pc, &Number);
  if (Error != PBN_ERR_OK) return Error;
  return *pc == '\0' ? PBN_ERR_OK : PBN_ERR_BAD_TAG_VALUE;
}

// --- score values ---

struct PbnDecScoreDef {
  Int32 High;
  Int32 Low;
};

using ScoreReaderDef = PbnErrDef (*)(const char** pacBuffer, PbnDecScoreDef* ptScore);

PbnErrDef ScoreReadWhole(const char** pacBuffer, PbnDecScoreDef* ptScore) {
  long Number;
  const PbnErrDef Error = TagValueGetNumber(pacBuffer, &Number);
  ptScore->High = static_cast<Int32>(Number);
  return Error;
}

PbnErrDef ScoreReadDecimal(const char** pacBuffer, PbnDecScoreDef* ptScore) {
  long Number = 0;
  if (**pacBuffer != '.') {
    const PbnErrDef Error = TagValueGetNumber(pacBuffer, &Number);
    if (Error != PBN_ERR_OK) return Error;
  }
  ptScore->High = static_cast<Int32>(Number);
  ptScore->Low = 0;
  if (**pacBuffer == '.') {
    (*pacBuffer)++;
    if (CharIsDigit(**pacBuffer)) {
      const PbnErrDef Error = TagValueGetNumber(pacBuffer, &Number);
      ptScore->Low = static_cast<Int32>(Number);
      return Error;
    }
  }
  CharSkipSpace(pacBuffer);
  return PBN_ERR_OK;
}

// A rubber score: above and below the line, separated by "/".
PbnErrDef ScoreReadRubber(const char** pacBuffer, PbnDecScoreDef* ptScore) {
  long Number;
  PbnErrDef Error = TagValueGetNumber(pacBuffer, &Number);
  if (Error != PBN_ERR_OK) return Error;
  ptScore->High = static_cast<Int32>(Number);
  CharSkipSpace(pacBuffer);
  if (**pacBuffer != '/') return PBN_ERR_BAD_TAG_VALUE;
  (*pacBuffer)++;
  CharSkipSpace(pacBuffer);
  Error = TagValueGetNumber(pacBuffer, &Number);
  ptScore->Low = static_cast<Int32>(Number);
  return Error;
}

bool SideWordAt(const char* pc, const char* pcWord) {
  return pc[0] == pcWord[0] && pc[1] == pcWord[1];
}

// "NS" value ["EW" value], "EW" value ["NS" value], or a single value; blanks around.
PbnErrDef ScoreFrame(const char* acBuffer, ScoreReaderDef Read, PbnDecScoreDef* atScores) {
  const char* pc = acBuffer;
  CharSkipSpace(&pc);
  const char* pcFirst = SideWordAt(pc, "NS") ? "NS" : SideWordAt(pc, "EW") ? "EW" : nullptr;
  const int NrValues = pcFirst != nullptr ? 2 : 1;
  for (int Value = 0; Value < NrValues; Value++) {
    if (pcFirst != nullptr) {
      const char* pcWord = Value == 0 ? pcFirst : (pcFirst[0] == 'N' ? "EW" : "NS");
      if (!SideWordAt(pc, pcWord)) break;  // the second side is optional
      pc += 2;
      CharSkipSpace(&pc);
    }
    const PbnErrDef Error = Read(&pc, &atScores[Value]);
    if (Error != PBN_ERR_OK) return Error;
    CharSkipSpace(&pc);
  }
  return *pc == '\0' ? PBN_ERR_OK : PBN_ERR_BAD_TAG_VALUE;
}

PbnErrDef TagValueCheckScore(char* acBuffer) {
  PbnDecScoreDef atScores[2] = {};
  return ScoreFrame(acBuffer, ScoreReadWhole, atScores);
}

PbnErrDef TagValueCheckScoreIMP(char* acBuffer) {
  PbnDecScoreDef atScores[2] = {};
  return ScoreFrame(acBuffer, ScoreReadDecimal, atScores);
}

PbnErrDef TagValueRangeScorePerc(const PbnDecScoreDef& tScore) {
  if (tScore.Low < 0 || tScore.High < 0 || tScore.High > 100) return PBN_ERR_BAD_TAG_VALUE;
  if (tScore.High == 100 && tScore.Low != 0) return PBN_ERR_BAD_TAG_VALUE;
  return PBN_ERR_OK;
}

PbnErrDef TagValueCheckScorePerc(char* acBuffer) {
  PbnDecScoreDef atScores[2] = {};
  const PbnErrDef Error = ScoreFrame(acBuffer, ScoreReadDecimal, atScores);
  if (Error != PBN_ERR_OK) return Error;
  for (const PbnDecScoreDef& tScore : atScores) {
    if (TagValueRangeScorePerc(tScore) != PBN_ERR_OK) return PBN_ERR_BAD_TAG_VALUE;
  }
  return PBN_ERR_OK;
}

PbnErrDef TagValueCheckScoreRubber(char* acBuffer) {
  PbnDecScoreDef atScores[2] = {};
  return ScoreFrame(acBuffer, ScoreReadRubber, atScores);
}

// --- where the PBN 2.1 reading checks otherwise ---

// A deal has been read whose known hands hold fewer than 13 cards each.
bool EndPosition() {
  for (int Side = 0; Side < PBN_N_SIDES; Side++) {
    if (tAdmin.abUnknownSide[Side]) continue;
    int NrCards = 0;
    for (UInt8 NrSuit : tAdmin.tNrDeal.tHands[Side].Ranks)
      NrCards += NrSuit;
    return NrCards > 0 && NrCards < PBN_N_TRICKS;
  }
  return false;
}

// "S", "H", "D", "C" or "NT" and nothing else.
bool StrainOnly(const char* acBuffer, PbnTrumpDef* pTrump) {
  const char* pc = acBuffer;
  PbnTrumpDef Trump;
  if (CharTrumpCheck(&pc, &Trump) != PBN_ERR_OK || *pc != '\0') return false;
  *pTrump = Trump;
  return true;
}

PbnScoringDef ScoringOf(const char* pcField) {
  if (TextIsLiteral(pcField, "Chicago")) return PBN_SCORING_CHICAGO;
  if (TextIsLiteral(pcField, "Rubber")) return PBN_SCORING_RUBBER;
  if (ValueIsOneOf(pcField, "EMP", "IMP_1948", "IMP_1961", "IMP", "BAM")) return PBN_SCORING_IMP;
  if (ValueIsOneOf(pcField, "OldMP", "MP", "MatchPoints")) return PBN_SCORING_MP;
  return PBN_SCORING_NONE;
}

// Fields separated by ";", each beginning with a letter (systems and modifiers are open-ended);
// the first known field sets the scoring.
PbnErrDef TagValueCheckScoring21(char* acBuffer) {
  bool bKnown = false;
  for (const char* pc = acBuffer;; pc++) {
    CharSkipSpace(&pc);
    if (!CharIsLetter(*pc)) return PBN_ERR_BAD_TAG_VALUE;
    char acField[PBN_VALUE_SIZE];
    std::size_t Length = 0;
    for (; *pc != ';' && *pc != '\0'; pc++)
      acField[Length++] = *pc;
    while (Length > 0 && CharIsSpace(acField[Length - 1]))
      Length--;
    acField[Length] = '\0';
    const PbnScoringDef Scoring = ScoringOf(acField);
    if (!bKnown && Scoring != PBN_SCORING_NONE) {
      tAdmin.Scoring = Scoring;
      bKnown = true;
    }
    if (*pc == '\0') return PBN_ERR_OK;
  }
}

// "NS" and a score, "EW" and a score, or both.
PbnErrDef TagValueCheckOptimumScore(char* acBuffer) {
  const char* pc = acBuffer;
  CharSkipSpace(&pc);
  if (!SideWordAt(pc, "NS") && !SideWordAt(pc, "EW")) return PBN_ERR_BAD_TAG_VALUE;
  return TagValueCheckScore(acBuffer);
}

// "NS" history "EW" history, a history being one or more words of scores.
PbnErrDef TagValueCheckScoreRubberHistory(char* acBuffer) {
  const char* pc = acBuffer;
  for (const char* pcSide : {"NS", "EW"}) {
    CharSkipSpace(&pc);
    if (!SideWordAt(pc, pcSide)) return PBN_ERR_BAD_TAG_VALUE;
    pc += 2;
    int NrWords = 0;
    for (CharSkipSpace(&pc); *pc != '\0' && !SideWordAt(pc, "EW"); CharSkipSpace(&pc)) {
      while (*pc != '\0' && !CharIsSpace(*pc))
        pc++;
      NrWords++;
    }
    if (NrWords == 0) return PBN_ERR_BAD_TAG_VALUE;
  }
  return *pc == '\0' ? PBN_ERR_OK : PBN_ERR_BAD_TAG_VALUE;
}

// A table tag: its value lists the columns; the section data that follows fills it.
template <PbnTagIdDef TagId>
PbnErrDef TagValueCheckTable(char* acBuffer, PbnGameDataDef*, PbnGameTagsDef* ptGameTags) {
  PbnTableDef tTable{};
  tTable.TagId = TagId;
  const PbnErrDef Error = PbnTableColumnsParse(acBuffer, &tTable);
  if (Error != PBN_ERR_OK) return Error;
  return PbnTableOpen(&ptGameTags->tTables, tTable);
}

// --- checks with an effect on the game ---

PbnErrDef TagValueCheckDealer(char* acBuffer, PbnGameDataDef* ptGameData) {
  if (bUsePrevTag) return PBN_ERR_BAD_INHERITANCE;
  PbnSideDef& Dealer = ptGameData->tSituation.Dealer;
  if (TextIs(acBuffer, acTagValueUnknown[0])) {
    Dealer = PBN_SIDE_UNKNOWN;
    return PBN_ERR_OK;
  }
  if (acBuffer[0] == '\0') {
    Dealer = PBN_SIDE_EMPTY;
    return PBN_ERR_OK;
  }
  return TagValueCheckSide(acBuffer, &Dealer);
}

struct TagVulnerDef {
  PbnVulnerDef Vulner;
  const char* acVulner;
};

constexpr TagVulnerDef atTagVulners[9] = {
    {PBN_VULNER_NONE, "None"}, {PBN_VULNER_NONE, "Love"}, {PBN_VULNER_NONE, "-"},
    {PBN_VULNER_NS, "NS"},     {PBN_VULNER_EW, "EW"},     {PBN_VULNER_ALL, "All"},
    {PBN_VULNER_ALL, "Both"},  {PBN_VULNER_EMPTY, ""},    {PBN_VULNER_UNKNOWN, "?"},
};

PbnErrDef TagValueCheckVulnerable(char* acBuffer, PbnGameDataDef* ptGameData) {
  if (bUsePrevTag) return PBN_ERR_BAD_INHERITANCE;
  for (const TagVulnerDef& tRow : atTagVulners) {
    if (TextIsWord(acBuffer, tRow.acVulner)) {
      ptGameData->tSituation.Vulner = tRow.Vulner;
      return PBN_ERR_OK;
    }
  }
  return PBN_ERR_BAD_TAG_VALUE;
}

PbnErrDef TagValueCheckContract(char* acBuffer, PbnGameDataDef* ptGameData, PbnGameTagsDef*) {
  PbnContractDef tContract = ptGameData->tContract;
  if (TextIsLiteral(acBuffer, acPbnPass)) {
    tContract.Trump = PBN_TRUMP_PASS;
  } else if (PbnReading21() && EndPosition() && StrainOnly(acBuffer, &tContract.Trump)) {
    tContract.NrTricks = 0;  // an end position names the strain alone
    tContract.Risk = PBN_RISK_NONE;
  } else {
    if (acBuffer[0] < '1' || acBuffer[0] > '7') return PBN_ERR_BAD_TAG_VALUE;
    tContract.NrTricks = static_cast<PbnNrTricksDef>(acBuffer[0] - '0');
    const char* pc = acBuffer + 1;
    if (CharTrumpCheck(&pc, &tContract.Trump) != PBN_ERR_OK) return PBN_ERR_BAD_TRUMP;
    int Risk = 0;
    while (Risk < 4 && !TextIsWord(pc, apcPbnRiskNames[Risk]))
      Risk++;
    if (Risk == 4) return PBN_ERR_BAD_TAG_VALUE;
    tContract.Risk = static_cast<PbnRiskDef>(Risk);
  }
  ptGameData->tContract = tContract;
  return PBN_ERR_OK;
}

PbnErrDef TagValueCheckDeclarer(char* acBuffer, PbnGameDataDef* ptGameData) {
  if (bUsePrevTag) return PBN_ERR_BAD_INHERITANCE;
  PbnContractDef& tContract = ptGameData->tContract;
  PbnErrDef Error = PBN_ERR_OK;
  if (TextIs(acBuffer, acTagValueUnknown[0])) {
    tContract.Declarer = PBN_SIDE_UNKNOWN;
  } else if (acBuffer[0] == '\0') {
    tContract.Declarer = PBN_SIDE_EMPTY;
  } else {
    const char* pc = acBuffer;
    if (*pc == '^') {
      tContract.bIrregularDeclarer = PBN_TRUE;
      pc++;
    }
    Error = TagValueCheckSide(pc, &tContract.Declarer);
  }
  tAdmin.Leader = PbnNextSide(tContract.Declarer);  // whether or not the side was valid
  return Error;
}

PbnErrDef TagValueCheckHidden(char* acBuffer) {
  std::array<PbnBoolDef, PBN_N_SIDES> abHidden{};
  PbnErrDef Error = PBN_ERR_OK;
  for (const char* pc = acBuffer; *pc != '\0'; pc++) {
    PbnSideDef Side;
    if (CharSideCheck(*pc, &Side) != PBN_ERR_OK) {
      Error = PBN_ERR_BAD_SIDE;
      break;
    }
    abHidden[Side] = PBN_TRUE;
  }
  tAdmin.abHiddenSide = abHidden;  // letters before a bad character still count
  return Error;
}

PbnErrDef TagValueCheckScoring(char* acBuffer) {
  if (TextIsLiteral(acBuffer, "Chicago")) {
    tAdmin.Scoring = PBN_SCORING_CHICAGO;
  } else if (TextIsLiteral(acBuffer, "Rubber")) {
    tAdmin.Scoring = PBN_SCORING_RUBBER;
  } else if (ValueIsOneOf(acBuffer, "EMP", "IMP_1948", "IMP_1961", "IMP", "BAM")) {
    tAdmin.Scoring = PBN_SCORING_IMP;
  } else if (TextIsLiteral(acBuffer, "OldMP")) {
    tAdmin.Scoring = PBN_SCORING_MP;
  } else {
    return PBN_ERR_UNKNOWN_TAG_VALUE;
  }
  return PBN_ERR_OK;
}

PbnErrDef TagValueCheckAuction(char* acBuffer, PbnGameDataDef*, PbnGameTagsDef* ptGameTags) {
  const PbnErrDef Error = TagValueCheckSide(acBuffer, &tAdmin.AuctionSide);
  tAdmin.TagAuctionSide = tAdmin.AuctionSide;
  if (Error == PBN_ERR_OK && !TagIdExist(ptGameTags, PBN_TAG_ID_DEALER)) return PBN_ERR_NO_DEALER;
  return Error;
}

PbnErrDef TagValueCheckPlay(char* acBuffer, PbnGameDataDef*, PbnGameTagsDef* ptGameTags) {
  PbnErrDef Error = TagValueCheckSide(acBuffer, &tAdmin.TagPlaySide);
  if (Error != PBN_ERR_OK) return Error;
  if (!TagIdExist(ptGameTags, PBN_TAG_ID_CONTRACT)) Error = PBN_ERR_NO_CONTRACT;
  if (!TagIdExist(ptGameTags, PBN_TAG_ID_DEAL)) Error = PBN_ERR_NO_DEAL;
  if (!TagIdExist(ptGameTags, PBN_TAG_ID_DECLARER)) Error = PBN_ERR_NO_DECLARER;
  if (PbnReading21() && EndPosition()) tAdmin.Leader = tAdmin.TagPlaySide;  // named, not derived
  return Error;
}

PbnErrDef TagValueCheckNote(char* acBuffer, long* pNote) {
  const char* pc = acBuffer;
  const PbnErrDef Error = TagValueGetNumberPos(&pc, pNote);
  if (Error != PBN_ERR_OK) return Error;
  CharSkipSpace(&pc);
  if (*pc != ':') return PBN_ERR_BAD_TAG_VALUE;
  if (*pNote < 1 || *pNote > PBN_N_NOTES) return PBN_ERR_BAD_NOTE;
  PbnCommentSetType(PBN_COMMENT_TYPE_NOTE_TAG, static_cast<int>(*pNote - 1));
  return PBN_ERR_OK;
}

// What a Result value says, read without the game: the tricks of both sides, or ("a number
// alone") those of the declarer's side.
struct ResultValueDef {
  bool bIrregular = false;  // "^" first
  bool bDeclarerSide = false;
  long NrNS = 0;
  long NrEW = 0;
  long Number = 0;  // with bDeclarerSide
  PbnErrDef Error = PBN_ERR_OK;
  bool bTrailing = false;  // more than blanks after the numbers
};

ResultValueDef ReadResultValue(const char* acBuffer) {
  ResultValueDef tValue;
  const char* pc = acBuffer;
  tValue.bIrregular = *pc == '^';
  if (tValue.bIrregular) pc++;
  const char* pcWord = pc;  // blanks may stand before a side word, not before a lone number
  CharSkipSpace(&pcWord);
  if (SideWordAt(pcWord, "EW") || SideWordAt(pcWord, "NS")) {
    pc = pcWord;
    const bool bEWFirst = pc[0] == 'E';
    long& First = bEWFirst ? tValue.NrEW : tValue.NrNS;
    long& Second = bEWFirst ? tValue.NrNS : tValue.NrEW;
    pc += 2;
    CharSkipSpace(&pc);
    tValue.Error = TagValueGetNumberPos(&pc, &First);
    if (tValue.Error == PBN_ERR_OK) {
      CharSkipSpace(&pc);
      if (SideWordAt(pc, bEWFirst ? "NS" : "EW")) {
        pc += 2;
        CharSkipSpace(&pc);
        tValue.Error = TagValueGetNumberPos(&pc, &Second);
      } else {
        Second = 13 - First;
      }
    }
  } else {
    tValue.bDeclarerSide = true;
    tValue.Error = TagValueGetNumberPos(&pc, &tValue.Number);
  }
  CharSkipSpace(&pc);
  tValue.bTrailing = *pc != '\0';
  return tValue;
}

// The tricks of a Result value against the game's declarer, into the game's Result.
PbnErrDef JudgeResultValue(const ResultValueDef& tValue, PbnGameDataDef* ptGameData) {
  const PbnSideDef Declarer = ptGameData->tContract.Declarer;
  const bool bDeclarerNS = (Declarer & 1) == 0;
  PbnErrDef Error = tValue.Error;
  long NrNS = tValue.NrNS;
  long NrEW = tValue.NrEW;
  if (tValue.bDeclarerSide && Error == PBN_ERR_OK) {
    ptGameData->Result = static_cast<PbnResultDef>(tValue.Number);  // at once, as read
    if (!PbnSideIsValid(Declarer)) {
      Error = PBN_ERR_NO_DECLARER;
    } else {
      (bDeclarerNS ? NrNS : NrEW) = tValue.Number;
      (bDeclarerNS ? NrEW : NrNS) = 13 - tValue.Number;
    }
  }
  if (Error == PBN_ERR_OK) {
    if (PbnSideIsValid(Declarer)) {
      ptGameData->Result = static_cast<PbnResultDef>(bDeclarerNS ? NrNS : NrEW);
    }
    if (NrNS > 13 || NrEW > 13 || NrNS + NrEW != 13) Error = PBN_ERR_BAD_NUMBER;
  }
  if (tValue.bIrregular) ptGameData->Result |= PBN_RESULT_IRREGULAR;  // also when it failed
  if (Error == PBN_ERR_OK && tValue.bTrailing) Error = PBN_ERR_BAD_TAG_VALUE;
  return Error;
}

PbnErrDef TagValueCheckResult(char* acBuffer, PbnGameDataDef* ptGameData) {
  if (acBuffer[0] == '\0') {
    ptGameData->Result = PBN_RESULT_EMPTY;
    return PBN_ERR_OK;
  }
  if (TextIs(acBuffer, acTagValueIdent[0]) || TextIs(acBuffer, acTagValueUnknown[0])) {
    return PBN_ERR_OK;
  }
  return JudgeResultValue(ReadResultValue(acBuffer), ptGameData);
}

// --- the deal ---

PbnErrDef DealCheck() {
  for (PbnRankDef& Ranks : tAdmin.tUnknownHand.Ranks)
    Ranks = PBN_RANKS_ALL;
  int NrKnown = 0;
  int Total = 0;
  int aNrCards[PBN_N_SIDES] = {};
  for (int Side = 0; Side < PBN_N_SIDES; Side++) {
    if (tAdmin.abUnknownSide[Side]) continue;
    const PbnNrHandDef& tNrHand = tAdmin.tNrDeal.tHands[Side];
    aNrCards[Side] = tNrHand.Ranks[0] + tNrHand.Ranks[1] + tNrHand.Ranks[2] + tNrHand.Ranks[3];
    for (int Suit = 0; Suit < PBN_N_SUITS; Suit++) {
      tAdmin.tUnknownHand.Ranks[Suit] &= ~tAdmin.tDeal.tHands[Side].Ranks[Suit];
    }
    if (aNrCards[Side] > 13) return PBN_ERR_BAD_DEAL;
    NrKnown++;
    Total += aNrCards[Side];
  }
  if (NrKnown == 0) return PBN_ERR_BAD_DEAL;
  const int Average = Total / NrKnown;
  for (int Side = 0; Side < PBN_N_SIDES; Side++) {
    if (!tAdmin.abUnknownSide[Side] && aNrCards[Side] != Average) return PBN_ERR_BAD_DEAL;
  }
  return PBN_ERR_OK;
}

// What each character of the hands of a Deal value is: a card (the bit of its rank, in either
// case), one of the marks, or none of them ("x" and "?" name no card of a deal). One look-up a
// character, and one test for a card, since nearly all of them are cards.
enum DealCharDef : UInt16 {
  kDealMark = 0x4000,  // above every rank's bit; "?" (0x8000) is no card here
  kDealEnd,            // the end of the value
  kDealNextHand,       // " "
  kDealUnknownHand,    // "-"
  kDealNextSuit,       // "."
  kDealNoCard,
};

constexpr std::array<UInt16, 256> aDealChars = [] {
  std::array<UInt16, 256> aCodes{};
  for (int c = 0; c < 256; c++) {
    const PbnRankDef Rank = aPbnCharRanks[c];
    aCodes[c] = Rank >= PBN_RANK_2 && Rank <= PBN_RANK_A ? Rank : UInt16{kDealNoCard};
  }
  aCodes['\0'] = kDealEnd;
  aCodes[' '] = kDealNextHand;
  aCodes['-'] = kDealUnknownHand;
  aCodes['.'] = kDealNextSuit;
  return aCodes;
}();

PbnErrDef TagValueCheckDeal(char* acBuffer, PbnGameDataDef* ptGameData, PbnGameTagsDef*) {
  PbnSideDef Side;
  if (CharSideCheck(acBuffer[0], &Side) != PBN_ERR_OK) return PBN_ERR_BAD_SIDE;
  const char* pc = acBuffer + 1;
  CharSkipSpace(&pc);
  if (*pc != ':') return PBN_ERR_BAD_TAG_VALUE;
  pc++;

  PbnDealDef tDeal{};
  PbnRankDef aMask[PBN_N_SUITS] = {};  // ranks given to finished suits of earlier hands
  int NrHand = 1;
  int Suit = PBN_SPADES;
  PbnRankDef Ranks = 0;
  auto StoreSuit = [&] {
    tDeal.tHands[Side].Ranks[Suit] = Ranks;
    aMask[Suit] |= Ranks;
    Ranks = 0;
  };
  for (;;) {
    // The cards up to the next mark, then the mark.
    PbnRankDef Run = 0;
    UInt16 Code;
    while ((Code = aDealChars[static_cast<unsigned char>(*pc++)]) < kDealMark)
      Run |= Code;
    // A card given twice is refused at that card, before what follows it is read; the suit of
    // the run's cards stays the same until its mark.
    if (aMask[Suit] & Run) return PBN_ERR_BAD_TAG_VALUE;
    Ranks |= Run;
    if (Code == kDealNextSuit) {
      if (Suit == PBN_CLUBS) return PBN_ERR_BAD_TAG_VALUE;
      StoreSuit();
      Suit--;
    } else if (Code == kDealNextHand) {
      if (NrHand >= 4 || Suit != PBN_CLUBS) return PBN_ERR_BAD_TAG_VALUE;
      StoreSuit();
      Side = PbnNextSide(Side);
      NrHand++;
      Suit = PBN_SPADES;
    } else if (Code == kDealEnd) {
      if (NrHand != 4 || Suit != PBN_CLUBS) return PBN_ERR_BAD_TAG_VALUE;
      StoreSuit();
      break;
    } else if (Code == kDealUnknownHand) {
      tAdmin.abUnknownSide[Side] = PBN_TRUE;
      Suit = PBN_CLUBS;
    } else {
      return PBN_ERR_BAD_RANK;
    }
  }
  ptGameData->tDeal = tDeal;
  tAdmin.tDeal = tDeal;
  PbnDealGetNumber(&tAdmin.tDeal, &tAdmin.tNrDeal);
  return DealCheck();
}

using TagCheckDef = PbnErrDef (*)(char* acBuffer, PbnGameDataDef* ptGameData,
                                  PbnGameTagsDef* ptGameTags);

// A check of the value alone.
template <PbnErrDef (*Check)(char*)>
PbnErrDef Plain(char* acBuffer, PbnGameDataDef*, PbnGameTagsDef*) {
  return Check(acBuffer);
}

struct TagCheckRowDef {
  PbnTagIdDef TagId;
  bool bOwnData;      // the game's own data: never inherited (see CommonFrame)
  TagCheckDef Check;  // within the common frame; none: a check of its own, in TagValueCheckById
};

constexpr bool kOwnData = true;

// In the order of PbnTagIdDef.
// clang-format off
constexpr TagCheckRowDef atTagChecks[] = {
  {PBN_TAG_ID_ANNOTATOR,    false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_ANNOTATORNA,  false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_AUCTION,      kOwnData, TagValueCheckAuction},
  {PBN_TAG_ID_BIDSYSTEMEW,  false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_BIDSYSTEMNS,  false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_BOARD,        false,    Plain<TagValueCheckNumber>},
  {PBN_TAG_ID_COMPETITION,  false,    Plain<TagValueCheckCompetition>},
  {PBN_TAG_ID_CONTRACT,     kOwnData, TagValueCheckContract},
  {PBN_TAG_ID_DATE,         false,    Plain<TagValueCheckDate>},
  {PBN_TAG_ID_DEALER,       kOwnData, nullptr},
  {PBN_TAG_ID_DEAL,         kOwnData, TagValueCheckDeal},
  {PBN_TAG_ID_DECLARER,     kOwnData, nullptr},
  {PBN_TAG_ID_DESCRIPTION,  false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_EAST,         false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_EASTNA,       false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_EASTTYPE,     false,    Plain<TagValueCheckSideType>},
  {PBN_TAG_ID_EVENT,        false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_EVENTDATE,    false,    Plain<TagValueCheckDate>},
  {PBN_TAG_ID_EVENTSPONSOR, false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_FRENCHMP,     false,    Plain<TagValueCheckFrenchMP>},
  {PBN_TAG_ID_GENERATOR,    false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_HIDDEN,       false,    Plain<TagValueCheckHidden>},
  {PBN_TAG_ID_HOMETEAM,     false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_MODE,         false,    Plain<TagValueCheckMode>},
  {PBN_TAG_ID_NORTH,        false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_NORTHNA,      false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_NORTHTYPE,    false,    Plain<TagValueCheckSideType>},
  {PBN_TAG_ID_NOTE,         kOwnData, nullptr},
  {PBN_TAG_ID_PLAY,         kOwnData, TagValueCheckPlay},
  {PBN_TAG_ID_RESULT,       false,    nullptr},
  {PBN_TAG_ID_ROOM,         false,    Plain<TagValueCheckRoom>},
  {PBN_TAG_ID_ROUND,        false,    Plain<TagValueCheckRound>},
  {PBN_TAG_ID_SCORE,        false,    Plain<TagValueCheckScore>},
  {PBN_TAG_ID_SCOREIMP,     false,    Plain<TagValueCheckScoreIMP>},
  {PBN_TAG_ID_SCOREPERC,    false,    Plain<TagValueCheckScorePerc>},
  {PBN_TAG_ID_SCORERUBBER,  false,    Plain<TagValueCheckScoreRubber>},
  {PBN_TAG_ID_SCORING,      false,    Plain<TagValueCheckScoring>},
  {PBN_TAG_ID_SECTION,      false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_SITE,         false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_SOUTH,        false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_SOUTHNA,      false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_SOUTHTYPE,    false,    Plain<TagValueCheckSideType>},
  {PBN_TAG_ID_STAGE,        false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_TABLE,        false,    Plain<TagValueCheckNumber>},
  {PBN_TAG_ID_TERMINATION,  false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_TIME,         false,    Plain<TagValueCheckTime>},
  {PBN_TAG_ID_TIMECALL,     false,    Plain<TagValueCheckNumber>},
  {PBN_TAG_ID_TIMECARD,     false,    Plain<TagValueCheckNumber>},
  {PBN_TAG_ID_TIMECONTROL,  false,    Plain<TagValueCheckTimeControl>},
  {PBN_TAG_ID_UTCDATE,      false,    Plain<TagValueCheckDate>},
  {PBN_TAG_ID_UTCTIME,      false,    Plain<TagValueCheckTime>},
  {PBN_TAG_ID_VISITTEAM,    false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_VULNERABLE,   kOwnData, nullptr},
  {PBN_TAG_ID_WEST,         false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_WESTNA,       false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_WESTTYPE,     false,    Plain<TagValueCheckSideType>},
  {PBN_TAG_ID_APPLICATION,  false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_DEALID,       false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_OPTIMUMSCORE, false,    Plain<TagValueCheckOptimumScore>},
  {PBN_TAG_ID_PAIREW,       false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_PAIRNS,       false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_SCOREMP,      false,    Plain<TagValueCheckScoreIMP>},
  {PBN_TAG_ID_SCORERUBBERHISTORY, false, Plain<TagValueCheckScoreRubberHistory>},
  {PBN_TAG_ID_ACTIONTABLE,  false,    TagValueCheckTable<PBN_TAG_ID_ACTIONTABLE>},
  {PBN_TAG_ID_AUCTIONTIMETABLE, false, TagValueCheckTable<PBN_TAG_ID_AUCTIONTIMETABLE>},
  {PBN_TAG_ID_INSTANTSCORETABLE, false, TagValueCheckTable<PBN_TAG_ID_INSTANTSCORETABLE>},
  {PBN_TAG_ID_OPTIMUMPLAYTABLE, false, TagValueCheckTable<PBN_TAG_ID_OPTIMUMPLAYTABLE>},
  {PBN_TAG_ID_OPTIMUMRESULTTABLE, false, TagValueCheckTable<PBN_TAG_ID_OPTIMUMRESULTTABLE>},
  {PBN_TAG_ID_PLAYTIMETABLE, false,   TagValueCheckTable<PBN_TAG_ID_PLAYTIMETABLE>},
  {PBN_TAG_ID_SCORETABLE,   false,    TagValueCheckTable<PBN_TAG_ID_SCORETABLE>},
  {PBN_TAG_ID_TOTALSCORETABLE, false, TagValueCheckTable<PBN_TAG_ID_TOTALSCORETABLE>},
};
// clang-format on

// Where the 2.1 reading checks a tag of PBN 1.0 otherwise: these lists hold examples only.
// clang-format off
constexpr TagCheckRowDef atTagChecks21[] = {
  {PBN_TAG_ID_COMPETITION,  false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_EASTTYPE,     false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_MODE,         false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_NORTHTYPE,    false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_SCORING,      false,    Plain<TagValueCheckScoring21>},
  {PBN_TAG_ID_SOUTHTYPE,    false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_TABLE,        false,    Plain<TagValueCheckEmpty>},
  {PBN_TAG_ID_WESTTYPE,     false,    Plain<TagValueCheckEmpty>},
};
// clang-format on
static_assert(std::size(atTagChecks) == PBN_N_TAG_IDS);
static_assert([] {
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    if (atTagChecks[TagId].TagId != TagId) return false;
  }
  return true;
}());

// The rows that each reading checks by, one per tag: a value's check finds its row at once.
using TagChecksDef = std::array<TagCheckRowDef, PBN_N_TAG_IDS>;
constexpr TagChecksDef atTagChecksIn10 = std::to_array(atTagChecks);
constexpr TagChecksDef atTagChecksIn21 = [] {
  TagChecksDef atChecks = atTagChecksIn10;
  for (const TagCheckRowDef& tRow21 : atTagChecks21)
    atChecks[tRow21.TagId] = tRow21;
  return atChecks;
}();

// The tags whose unknown, empty and inherited values have effects of their own. Kept apart (and
// out of line), so that the checks within the common frame need no stack frame.
[[gnu::noinline]] PbnErrDef TagValueCheckOwnFrame(PbnGameDataDef* ptGameData, PbnTagIdDef TagId,
                                                  char* acBuffer, long* pNote) {
  switch (TagId) {
    case PBN_TAG_ID_DEALER:
      return TagValueCheckDealer(acBuffer, ptGameData);
    case PBN_TAG_ID_DECLARER:
      return TagValueCheckDeclarer(acBuffer, ptGameData);
    case PBN_TAG_ID_NOTE:
      return TagValueCheckNote(acBuffer, pNote);
    case PBN_TAG_ID_RESULT:
      return TagValueCheckResult(acBuffer, ptGameData);
    case PBN_TAG_ID_VULNERABLE:
      return TagValueCheckVulnerable(acBuffer, ptGameData);
    default:
      return PBN_ERR_BAD_TAG_NAME;
  }
}

}  // namespace

PbnErrDef CharTrumpCheck(const char** pacTrump, PbnTrumpDef* pTrump) {
  const char c = **pacTrump;
  if (c == 'N' || c == 'n') {
    const char cNext = (*pacTrump)[1];
    *pacTrump += cNext == '\0' ? 1 : 2;  // past both, even when the second is wrong
    if (cNext != 'T' && cNext != 't') return PBN_ERR_BAD_TRUMP;
    *pTrump = PBN_TRUMP_NT;
    return PBN_ERR_OK;
  }
  PbnSuitDef Suit;
  if (CharSuitCheck(c, &Suit) != PBN_ERR_OK) return PBN_ERR_BAD_TRUMP;
  (*pacTrump)++;
  *pTrump = Suit;
  return PBN_ERR_OK;
}

bool TagValueIsOwnData(PbnTagIdDef TagId) {
  return TagId >= 0 && TagId < PBN_N_TAG_IDS && atTagChecks[TagId].bOwnData;
}

PbnErrDef TagValueCheckById(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags,
                            PbnTagIdDef TagId, char* acBuffer, long* pNote) {
  if (TagId < 0 || TagId >= PBN_N_TAG_IDS) return PBN_ERR_BAD_TAG_NAME;
  const TagCheckRowDef& tRow = (PbnReading21() ? atTagChecksIn21 : atTagChecksIn10)[TagId];
  if (tRow.Check == nullptr) return TagValueCheckOwnFrame(ptGameData, TagId, acBuffer, pNote);
  PbnErrDef Error;
  if (CommonFrame(acBuffer, tRow.bOwnData, &Error) == Frame::Accept) return Error;
  return tRow.Check(acBuffer, ptGameData, ptGameTags);
}

}  // namespace pbn
