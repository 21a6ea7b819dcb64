#include "games/annotate.h"

#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/defs.h"
#include "core/pbn_util.h"
#include "core/tables.h"
#include "import/import.h"

namespace pbn {

const char* const apcAnnotateTagNames[ANNOTATE_N_TAGS] = {
    "OptimumScore", "ParContract", "DoubleDummyTricks", "OptimumResultTable"};

namespace {

constexpr PbnSideDef aTricksSides[4] = {PBN_NORTH, PBN_SOUTH, PBN_EAST, PBN_WEST};
constexpr PbnSideDef aTableSides[4] = {PBN_NORTH, PBN_EAST, PBN_SOUTH, PBN_WEST};
constexpr PbnTrumpDef aStrains[5] = {PBN_TRUMP_NT, PBN_SPADES, PBN_HEARTS, PBN_DIAMONDS, PBN_CLUBS};
constexpr const char* apcSideLetters = "SWNE";  // by side code
constexpr const char* kTableColumns = "Declarer;Denomination\\2R;Result\\2R";

// --- the tags a game gives ---

struct FoundTagDef {
  std::string_view Name;
  size_t TagBegin;  // its '['
  size_t ValueBegin;
  size_t ValueEnd;  // the value between the quotes, as written
  std::string_view Value;
  size_t DataEnd;                     // after the ']', or after the last token of its section data
  std::vector<std::string> atTokens;  // the section data, strings without their quotes
};

size_t LineEnd(std::string_view Text, size_t Pos, size_t End) {
  const size_t NewLine = Text.find('\n', Pos);
  return NewLine == std::string_view::npos ? End : std::min(NewLine, End);
}

// The tags of a game with their section data, where the importer reads them.
std::vector<FoundTagDef> ScanTags(std::string_view Text, GameSpanDef tSpan) {
  std::vector<FoundTagDef> atTags;
  for (const PbnTagPlaceDef& tPlace : PbnReadTagPlaces(Text, tSpan.Begin)) {
    if (!tPlace.bClosed || tPlace.DataEnd > tSpan.End) continue;
    FoundTagDef tTag;
    tTag.Name = Text.substr(tPlace.NameBegin, tPlace.NameEnd - tPlace.NameBegin);
    tTag.TagBegin = tPlace.TagBegin;
    tTag.ValueBegin = tPlace.ValueBegin;
    tTag.ValueEnd = tPlace.ValueEnd;
    tTag.Value = Text.substr(tPlace.ValueBegin, tPlace.ValueEnd - tPlace.ValueBegin);
    tTag.DataEnd = tPlace.DataEnd;
    for (const PbnTagPlaceDef::TokenDef& tToken : tPlace.atTokens)
      tTag.atTokens.emplace_back(Text.substr(tToken.Begin, tToken.End - tToken.Begin));
    atTags.push_back(std::move(tTag));
  }
  return atTags;
}

// The first tag of each annotate name, or null.
std::array<const FoundTagDef*, ANNOTATE_N_TAGS> AnnotateTags(
    const std::vector<FoundTagDef>& atTags) {
  std::array<const FoundTagDef*, ANNOTATE_N_TAGS> aptTags{};
  for (const FoundTagDef& tTag : atTags) {
    for (int Tag = 0; Tag < ANNOTATE_N_TAGS; Tag++) {
      if (aptTags[Tag] == nullptr && tTag.Name == apcAnnotateTagNames[Tag]) aptTags[Tag] = &tTag;
    }
  }
  return aptTags;
}

// --- the values annotate writes ---

// "NS 420 EW -420": both sides, as PBN 2.1's own example gives it.
std::string OptimumScoreText(int ParScore) {
  return "NS " + std::to_string(ParScore) + " EW " + std::to_string(-ParScore);
}

// "NS 4S=; W 3NT+1" from the analysis's "4S by NS", "3NT+1 by W": the side first and the result
// after the contract, as other programs write it; "Pass" when par is a pass-out.
std::string ParContractText(const std::vector<std::string>& aContracts) {
  if (aContracts.empty()) return "Pass";
  std::string Text;
  for (const std::string& Contract : aContracts) {
    if (!Text.empty()) Text += "; ";
    const size_t By = Contract.find(" by ");
    if (By == std::string::npos) {
      Text += Contract;
      continue;
    }
    const std::string Bid = Contract.substr(0, By);
    const bool bResult = Bid.find_first_of("+-") != std::string::npos;
    Text += Contract.substr(By + 4) + " " + Bid + (bResult ? "" : "=");
  }
  return Text;
}

// The rows of the table, one line each, without line ends.
std::vector<std::string> OptimumTableRows(const TricksTableDef& aaTricks) {
  std::vector<std::string> aRows;
  for (PbnSideDef Side : aTableSides) {
    for (PbnTrumpDef Trump : aStrains) {
      char acRow[16];
      std::snprintf(acRow, sizeof acRow, "%c %2s %2d", apcSideLetters[Side],
                    apcPbnTrumpNames[Trump], aaTricks[Side][Trump]);
      aRows.emplace_back(acRow);
    }
  }
  return aRows;
}

std::string TagLine(AnnotateTagDef Tag, std::string_view Value) {
  return std::string("[") + apcAnnotateTagNames[Tag] + " \"" + std::string(Value) + "\"]";
}

// The lines of a tag as annotate writes it (the table with its rows), joined by Eol.
std::string TagText(AnnotateTagDef Tag, const std::string& Value, const TricksTableDef& aaTricks,
                    const std::string& Eol) {
  std::string Text = TagLine(Tag, Value);
  if (Tag == ANNOTATE_OPTIMUM_TABLE) {
    for (const std::string& Row : OptimumTableRows(aaTricks))
      Text += Eol + Row;
  }
  return Text;
}

// --- comparing what the file gives ---

// The words of a value, between blanks.
std::vector<std::string_view> Words(std::string_view Value) {
  std::vector<std::string_view> aWords;
  for (size_t i = 0; i < Value.size();) {
    while (i < Value.size() && IsBlank(Value[i]))
      i++;
    const size_t Begin = i;
    while (i < Value.size() && !IsBlank(Value[i]))
      i++;
    if (i > Begin) aWords.push_back(Value.substr(Begin, i - Begin));
  }
  return aWords;
}

bool IsSideWord(std::string_view Word) {
  return !Word.empty() && Word.size() <= 2 &&
         Word.find_first_not_of("NESWnesw") == std::string_view::npos;
}

// A par contract as "3NTX-2" in one spelling: level, strain (NT for N), risk, and the result
// ("=" where none is written); "" when it is none.
std::string ContractKey(std::string_view Word) {
  std::string Text;
  for (char c : Word)
    Text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (Text.size() < 2 || Text[0] < '1' || Text[0] > '7') return "";
  size_t i = 1;
  std::string Key(1, Text[0]);
  if (Text.compare(i, 2, "NT") == 0) {
    Key += "NT";
    i += 2;
  } else if (std::strchr("CDHSN", Text[i]) != nullptr) {
    Key += Text[i] == 'N' ? std::string("NT") : std::string(1, Text[i]);
    i++;
  } else {
    return "";
  }
  for (int NrRisk = 0; i < Text.size() && Text[i] == 'X' && NrRisk < 2; NrRisk++)
    Key += Text[i++];
  const std::string Result = Text.substr(i);
  if (Result.empty() || Result == "=") return Key + "=";
  if ((Result[0] != '+' && Result[0] != '-') || Result.size() < 2 || Result.size() > 3 ||
      Result.find_first_not_of("0123456789", 1) != std::string::npos) {
    return "";
  }
  return Key + Result;
}

// The par contracts of a ParContract value as "NS 4S=" each, sorted, from either the side-first
// form ("NS 4S=; EW 5DX-2") or the contract-first one ("4S NS, 5DX-2 EW"); empty when the value
// is no such list. A pass-out is "Pass".
std::vector<std::string> ParContractKeys(std::string_view Value) {
  std::vector<std::string> aKeys;
  if (TrimBlanks(Value).size() == 4 && strncasecmp(TrimBlanks(Value).data(), "pass", 4) == 0)
    return {"Pass"};
  for (size_t Begin = 0; Begin <= Value.size();) {
    size_t End = Value.find_first_of(";,", Begin);
    if (End == std::string_view::npos) End = Value.size();
    const std::vector<std::string_view> aWords = Words(Value.substr(Begin, End - Begin));
    if (aWords.size() != 2) return {};
    const bool bSideFirst = IsSideWord(aWords[0]);
    const std::string_view Side = bSideFirst ? aWords[0] : aWords[1];
    const std::string Key = ContractKey(bSideFirst ? aWords[1] : aWords[0]);
    if (!IsSideWord(Side) || Key.empty()) return {};
    std::string SideText(Side);
    for (char& c : SideText)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    aKeys.push_back(SideText + " " + Key);
    Begin = End + 1;
  }
  std::sort(aKeys.begin(), aKeys.end());
  return aKeys;
}

bool ParseInt(std::string_view Text, int* pValue) {
  const std::string Copy(Text);
  char* pcEnd = nullptr;
  const long Value = std::strtol(Copy.c_str(), &pcEnd, 10);
  if (Copy.empty() || *pcEnd != '\0' || Value < -100000 || Value > 100000) return false;
  *pValue = static_cast<int>(Value);
  return true;
}

// An OptimumScore ("NS 420", "EW -420" or both) that gives the par score.
bool SameOptimumScore(std::string_view Value, int ParScore) {
  const std::vector<std::string_view> aWords = Words(Value);
  if (aWords.empty() || aWords.size() % 2 != 0 || aWords.size() > 4) return false;
  for (size_t i = 0; i < aWords.size(); i += 2) {
    int Score;
    if (!ParseInt(aWords[i + 1], &Score)) return false;
    if (!((aWords[i] == "NS" && Score == ParScore) || (aWords[i] == "EW" && Score == -ParScore))) {
      return false;
    }
  }
  return true;
}

constexpr int kNoTricks = -1;

// The tricks an OptimumResultTable gives by declarer and strain: kNoTricks where it gives no
// number, and everywhere when its columns or rows are not those of the table.
TricksTableDef FileTableTricks(const FoundTagDef& tTag) {
  TricksTableDef aaTricks;
  for (auto& aTricks : aaTricks)
    aTricks.fill(kNoTricks);
  PbnTableDef tTable{};
  const std::string Columns(tTag.Value);
  if (PbnTableColumnsParse(Columns.c_str(), &tTable) != PBN_ERR_OK) return aaTricks;
  const int DeclarerColumn = PbnTableColumn(tTable, "Declarer");
  const int StrainColumn = PbnTableColumn(tTable, "Denomination");
  const int ResultColumn = PbnTableColumn(tTable, "Result");
  const auto NrColumns = static_cast<size_t>(tTable.NrColumns);
  if (DeclarerColumn < 0 || StrainColumn < 0 || ResultColumn < 0 ||
      tTag.atTokens.size() % NrColumns != 0) {
    return aaTricks;
  }
  for (size_t First = 0; First < tTag.atTokens.size(); First += NrColumns) {
    PbnSideDef Side;
    PbnTrumpDef Trump;
    int Tricks;
    if (PbnOptimumResultRow(tTag.atTokens[First + DeclarerColumn].c_str(),
                            tTag.atTokens[First + StrainColumn].c_str(), &Side, &Trump) &&
        ParseInt(tTag.atTokens[First + ResultColumn], &Tricks) && Tricks >= 0 &&
        Tricks <= PBN_N_TRICKS) {
      aaTricks[Side][Trump] = Tricks;
    }
  }
  return aaTricks;
}

// Whether a table gives some cells and each the solver's number: as the viewer compares them,
// a cell the file leaves out is no difference (some programs write only North's and West's rows).
bool SameGivenTricks(const TricksTableDef& aaFile, const TricksTableDef& aaSolver) {
  bool bAny = false;
  for (int Side = 0; Side < PBN_N_SIDES; Side++) {
    for (int Trump = 0; Trump < PBN_N_TRUMPS; Trump++) {
      if (aaFile[Side][Trump] == kNoTricks) continue;
      if (aaFile[Side][Trump] != aaSolver[Side][Trump]) return false;
      bAny = true;
    }
  }
  return bAny;
}

}  // namespace

std::string DoubleDummyTricksText(const TricksTableDef& aaTricks) {
  std::string Text;
  for (PbnSideDef Side : aTricksSides) {
    for (PbnTrumpDef Trump : aStrains) {
      const int Tricks = aaTricks[Side][Trump];
      Text += Tricks >= 0 && Tricks <= PBN_N_TRICKS ? "0123456789abcd"[Tricks] : '?';
    }
  }
  return Text;
}

GameSpanDef GameSpanOf(std::string_view Text, size_t Begin, UInt32 NrLines) {
  size_t End = std::min(Begin, Text.size());
  for (UInt32 Line = 0; Line < NrLines && End < Text.size(); Line++) {
    End = LineEnd(Text, End, Text.size());
    if (End < Text.size()) End++;
  }
  return {std::min(Begin, End), End};
}

std::array<bool, ANNOTATE_N_TAGS> AnnotateTagsPresent(std::string_view Text, GameSpanDef tSpan) {
  const std::vector<FoundTagDef> atTags = ScanTags(Text, tSpan);
  std::array<bool, ANNOTATE_N_TAGS> abPresent{};
  const auto aptTags = AnnotateTags(atTags);
  for (int Tag = 0; Tag < ANNOTATE_N_TAGS; Tag++)
    abPresent[Tag] = aptTags[Tag] != nullptr;
  return abPresent;
}

namespace {

// The line end of the line that holds Pos; the file's first one when that line has none.
std::string LineEndAt(std::string_view Text, size_t Pos) {
  size_t NewLine = Text.find('\n', Pos);
  if (NewLine == std::string_view::npos) NewLine = Text.find('\n');
  if (NewLine == std::string_view::npos) return "\n";
  return NewLine > 0 && Text[NewLine - 1] == '\r' ? "\r\n" : "\n";
}

// After the line end of the game's last line that is not blank.
size_t InsertPosition(std::string_view Text, GameSpanDef tSpan) {
  size_t InsertAt = tSpan.Begin;
  for (size_t LineBegin = tSpan.Begin; LineBegin < tSpan.End;) {
    size_t Next = LineEnd(Text, LineBegin, tSpan.End);
    if (Next < tSpan.End) Next++;
    if (!TrimBlanks(Text.substr(LineBegin, Next - LineBegin)).empty()) InsertAt = Next;
    LineBegin = Next;
  }
  return InsertAt;
}

bool SameValue(AnnotateTagDef Tag, const FoundTagDef& tTag, const std::string& Value,
               const DdAnnotationDef& tDd) {
  switch (Tag) {
    case ANNOTATE_OPTIMUM_SCORE:
      return SameOptimumScore(tTag.Value, tDd.ParScore);
    case ANNOTATE_DD_TRICKS:
      return TrimBlanks(tTag.Value).size() == Value.size() &&
             strncasecmp(TrimBlanks(tTag.Value).data(), Value.data(), Value.size()) == 0;
    case ANNOTATE_OPTIMUM_TABLE:
      return SameGivenTricks(FileTableTricks(tTag), tDd.aaTricks);
    case ANNOTATE_PAR_CONTRACT: {
      const std::vector<std::string> aKeys = ParContractKeys(tTag.Value);
      return !aKeys.empty() && aKeys == ParContractKeys(Value);
    }
    default:
      return TrimBlanks(tTag.Value) == Value;
  }
}

// Whether the game with its edits gives every tag written: a game that leaves a comment or a
// string open at its end would swallow the new lines, and every run would add them again.
bool TagsReadBack(std::string_view Text, GameSpanDef tSpan, const std::vector<TextEditDef>& atEdits,
                  bool bPar) {
  if (atEdits.empty()) return true;
  std::vector<TextEditDef> atInSpan = atEdits;
  for (TextEditDef& tEdit : atInSpan)
    tEdit.Pos -= tSpan.Begin;
  const std::string Game =
      ApplyEdits(Text.substr(tSpan.Begin, tSpan.End - tSpan.Begin), std::move(atInSpan));
  const auto abPresent = AnnotateTagsPresent(Game, {0, Game.size()});
  for (int Tag = 0; Tag < ANNOTATE_N_TAGS; Tag++) {
    const bool bWritten = bPar || (Tag != ANNOTATE_OPTIMUM_SCORE && Tag != ANNOTATE_PAR_CONTRACT);
    if (bWritten && !abPresent[Tag]) return false;
  }
  return true;
}

}  // namespace

GameEditsDef AnnotateGame(std::string_view Text, GameSpanDef tSpan, const DdAnnotationDef& tDd,
                          bool bReplace) {
  const std::vector<FoundTagDef> atTags = ScanTags(Text, tSpan);
  const auto aptTags = AnnotateTags(atTags);
  std::array<std::string, ANNOTATE_N_TAGS> aValues;
  aValues[ANNOTATE_OPTIMUM_SCORE] = OptimumScoreText(tDd.ParScore);
  aValues[ANNOTATE_PAR_CONTRACT] = ParContractText(tDd.ParContracts);
  aValues[ANNOTATE_DD_TRICKS] = DoubleDummyTricksText(tDd.aaTricks);
  aValues[ANNOTATE_OPTIMUM_TABLE] = kTableColumns;

  GameEditsDef tEdits;
  const size_t InsertAt = InsertPosition(Text, tSpan);
  const std::string Eol = LineEndAt(Text, InsertAt > 0 ? InsertAt - 1 : 0);
  std::string NewLines;
  for (int i = 0; i < ANNOTATE_N_TAGS; i++) {
    const auto Tag = static_cast<AnnotateTagDef>(i);
    if (!tDd.bPar && (Tag == ANNOTATE_OPTIMUM_SCORE || Tag == ANNOTATE_PAR_CONTRACT)) continue;
    const FoundTagDef* ptTag = aptTags[Tag];
    if (ptTag == nullptr) {
      NewLines += TagText(Tag, aValues[Tag], tDd.aaTricks, Eol) + Eol;
      tEdits.NrAdded++;
      continue;
    }
    if (SameValue(Tag, *ptTag, aValues[Tag], tDd)) continue;
    // A table is told by its tricks in the order of DoubleDummyTricks, '?' where it gives none.
    if (Tag == ANNOTATE_OPTIMUM_TABLE) {
      tEdits.atConflicts.push_back({Tag, DoubleDummyTricksText(FileTableTricks(*ptTag)),
                                    DoubleDummyTricksText(tDd.aaTricks), bReplace});
    } else {
      tEdits.atConflicts.push_back({Tag, std::string(ptTag->Value), aValues[Tag], bReplace});
    }
    if (!bReplace) continue;
    tEdits.NrAdded++;
    if (Tag == ANNOTATE_OPTIMUM_TABLE) {
      const std::string TagEol = LineEndAt(Text, ptTag->TagBegin);
      tEdits.atEdits.push_back({ptTag->TagBegin, ptTag->DataEnd - ptTag->TagBegin,
                                TagText(Tag, aValues[Tag], tDd.aaTricks, TagEol)});
    } else {
      tEdits.atEdits.push_back(
          {ptTag->ValueBegin, ptTag->ValueEnd - ptTag->ValueBegin, aValues[Tag]});
    }
  }
  if (!NewLines.empty()) {
    // A last line without a line end gets one, and the new lines none after the last.
    if (InsertAt == 0 || Text[InsertAt - 1] != '\n') {
      NewLines = Eol + NewLines.substr(0, NewLines.size() - Eol.size());
    }
    tEdits.atEdits.push_back({InsertAt, 0, NewLines});
  }
  if (!TagsReadBack(Text, tSpan, tEdits.atEdits, tDd.bPar)) {
    tEdits.atEdits.clear();
    tEdits.NrAdded = 0;
    tEdits.bNotReadBack = true;
  }
  return tEdits;
}

std::optional<TextEditDef> VersionEdit(std::string_view Text, const PbnHeadDef& tHead) {
  if (tHead.acVersion[0] == '\0') {
    return TextEditDef{tHead.bBom ? 3u : 0u, 0, "% PBN 2.1" + LineEndAt(Text, 0)};
  }
  if (std::strcmp(tHead.acVersion, "2.1") >= 0) return std::nullopt;
  return TextEditDef{static_cast<size_t>(tHead.VersionPos), 3, "2.1"};
}

std::string ApplyEdits(std::string_view Text, std::vector<TextEditDef> atEdits) {
  std::sort(atEdits.begin(), atEdits.end(),
            [](const TextEditDef& a, const TextEditDef& b) { return a.Pos < b.Pos; });
  std::string Result;
  size_t Done = 0;
  for (const TextEditDef& tEdit : atEdits) {
    if (tEdit.Pos < Done || tEdit.Pos + tEdit.Length > Text.size()) continue;  // not of this text
    Result.append(Text.substr(Done, tEdit.Pos - Done));
    Result += tEdit.Insert;
    Done = tEdit.Pos + tEdit.Length;
  }
  Result.append(Text.substr(Done));
  return Result;
}

}  // namespace pbn
