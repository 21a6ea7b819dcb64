// Fuzz target: annotate's byte-preserving edit on any text. The first bytes of the input choose
// the game's span, the analysis and --replace; the rest is the file's text. The edits must lie in
// the text and not overlap; without --replace they only add whole lines; a replacement only
// changes a value between its quotes or a table from its '['; every byte outside an edit stays;
// and annotating the result again adds nothing, since the tags written are found again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/pbn_util.h"
#include "games/annotate.h"

namespace {

using namespace pbn;

// The bytes before the text: flags, the span's start (2), its number of lines, 20 tricks, the
// par score (2).
constexpr size_t kHeader = 26;

void Check(bool bHolds, const char* pcWhat) {
  if (bHolds) return;
  std::fprintf(stderr, "annotate edit: %s\n", pcWhat);
  std::abort();
}

size_t CountLineEnds(std::string_view Text) {
  size_t Count = 0;
  for (char c : Text)
    Count += c == '\n';
  return Count;
}

DdAnnotationDef AnalysisOf(const std::uint8_t* pHeader) {
  static const std::vector<std::string> aaContracts[4] = {
      {}, {"4S by NS"}, {"3NT+1 by W", "5DX-2 by EW"}, {"1C by N", "7NT by S", "2H+3 by E"}};
  DdAnnotationDef tDd;
  for (int i = 0; i < 20; i++)
    tDd.aaTricks[i / 5][i % 5] = pHeader[4 + i] % 15;  // 14: a number the table cannot hold
  tDd.bPar = (pHeader[0] & 2) != 0;
  tDd.ParScore = static_cast<std::int16_t>(pHeader[24] | pHeader[25] << 8);
  tDd.ParContracts = aaContracts[(pHeader[0] >> 2) % 4];
  return tDd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t Size) {
  std::uint8_t aHeader[kHeader] = {};
  for (size_t i = 0; i < kHeader && i < Size; i++)
    aHeader[i] = pData[i];
  const std::string Text =
      Size > kHeader ? std::string(reinterpret_cast<const char*>(pData) + kHeader, Size - kHeader)
                     : std::string();
  const bool bReplace = (aHeader[0] & 1) != 0;
  // A span as the index gives it: from a byte that is not blank, one line or more.
  size_t Begin = (aHeader[1] | aHeader[2] << 8) % (Text.size() + 1);
  while (Begin < Text.size() && IsBlank(Text[Begin]))
    Begin++;
  const UInt32 NrLines = aHeader[3] % 255 + 1;
  const DdAnnotationDef tDd = AnalysisOf(aHeader);
  const GameSpanDef tSpan = GameSpanOf(Text, Begin, NrLines);
  Check(tSpan.Begin <= tSpan.End && tSpan.End <= Text.size(), "span outside the text");

  GameEditsDef tEdits = AnnotateGame(Text, tSpan, tDd, bReplace);
  std::vector<TextEditDef> atSorted = tEdits.atEdits;
  std::sort(atSorted.begin(), atSorted.end(),
            [](const TextEditDef& a, const TextEditDef& b) { return a.Pos < b.Pos; });
  // The result rebuilt from the kept bytes and the inserts, and every edit judged.
  std::string Expected;
  size_t Done = 0;
  long LineDelta = 0;
  for (const TextEditDef& tEdit : atSorted) {
    Check(tEdit.Pos >= Done && tEdit.Pos + tEdit.Length <= tSpan.End,
          "edits overlap or leave the span");
    Check(tEdit.Pos >= tSpan.Begin, "an edit before the span");
    const bool bValue = tEdit.Pos > 0 && Text[tEdit.Pos - 1] == '"' &&
                        tEdit.Pos + tEdit.Length < Text.size() &&
                        Text[tEdit.Pos + tEdit.Length] == '"';
    const bool bTable = tEdit.Length > 0 && Text[tEdit.Pos] == '[';
    if (bReplace && (bValue || bTable)) {
      // a value between its quotes (it may be empty), or a table with its rows
    } else {  // new lines: at a line start, or opened by a line end
      Check(tEdit.Length == 0, "a replacement outside a value or a table, or without --replace");
      Check(tEdit.Pos == 0 || Text[tEdit.Pos - 1] == '\n' || tEdit.Insert[0] == '\n' ||
                tEdit.Insert.compare(0, 2, "\r\n") == 0,
            "lines added inside a line");
      Check(tEdit.Pos == Text.size() || tEdit.Insert.back() == '\n', "added lines run on");
    }
    Expected.append(Text, Done, tEdit.Pos - Done);
    Expected += tEdit.Insert;
    LineDelta +=
        static_cast<long>(CountLineEnds(tEdit.Insert)) -
        static_cast<long>(CountLineEnds(std::string_view(Text).substr(tEdit.Pos, tEdit.Length)));
    Done = tEdit.Pos + tEdit.Length;
  }
  Expected.append(Text, Done, std::string::npos);
  const std::string Result = ApplyEdits(Text, tEdits.atEdits);
  Check(Result == Expected, "a byte outside the edits changed");

  // Once more over the result: nothing to add. The index gives whole games, so this holds where
  // the span ends as a game does: at the end of the text or before an empty line. A span cut
  // inside a section gets its tags in the section's data, where they read as more of it.
  const std::string_view After = std::string_view(Text).substr(tSpan.End);
  const bool bWholeGame = After.empty() || After[0] == '\n' || After.substr(0, 2) == "\r\n";
  if (!tEdits.atEdits.empty() && bWholeGame) {
    const GameSpanDef tAgain = GameSpanOf(
        Result, tSpan.Begin, static_cast<UInt32>(static_cast<long>(NrLines) + LineDelta));
    const GameEditsDef tSecond = AnnotateGame(Result, tAgain, tDd, false);
    Check(tSecond.NrAdded == 0, "a second run adds tags again");
  }
  return 0;
}
