// Writing double-dummy results into the text of a PBN file: the tags OptimumScore, ParContract,
// DoubleDummyTricks and OptimumResultTable added to a game, every other byte of the file kept.
// The edits work on the file's bytes; the games are located by the index pass.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pbn.h"
#include "import/reading.h"

namespace pbn {

// Tricks by declarer (side code) and strain (trump code: clubs 0 .. spades 3, NT 4).
using TricksTableDef = std::array<std::array<int, PBN_N_TRUMPS>, PBN_N_SIDES>;

// What annotate writes into one game.
struct DdAnnotationDef {
  TricksTableDef aaTricks{};
  bool bPar = false;                      // par is known: OptimumScore and ParContract are written
  int ParScore = 0;                       // North-South's view
  std::vector<std::string> ParContracts;  // "4S by NS", "3NT+1 by W", as the analysis gives them
};

// The tags in the order annotate adds them; the table comes last, its rows after it.
enum AnnotateTagDef {
  ANNOTATE_OPTIMUM_SCORE,
  ANNOTATE_PAR_CONTRACT,
  ANNOTATE_DD_TRICKS,
  ANNOTATE_OPTIMUM_TABLE,
  ANNOTATE_N_TAGS
};
extern const char* const apcAnnotateTagNames[ANNOTATE_N_TAGS];

// The table as DoubleDummyTricks writes it: hex digits for N, S, E, W by NT, S, H, D, C ('?'
// for a number of tricks that is not 0 to 13).
std::string DoubleDummyTricksText(const TricksTableDef& aaTricks);

// The bytes of one game in the file text: Begin is its first non-blank line, End the end of its
// last line (the blank line that ends it included).
struct GameSpanDef {
  size_t Begin;
  size_t End;
};
// The span of the game that starts at Begin and runs over NrLines lines.
GameSpanDef GameSpanOf(std::string_view Text, size_t Begin, UInt32 NrLines);

// Which of the annotate tags the game gives already.
std::array<bool, ANNOTATE_N_TAGS> AnnotateTagsPresent(std::string_view Text, GameSpanDef tSpan);

// A replacement of Length bytes at Pos by Insert.
struct TextEditDef {
  size_t Pos;
  size_t Length;
  std::string Insert;
};

// A tag the game gives with a value other than the solver's.
struct TagConflictDef {
  AnnotateTagDef Tag;
  std::string FileValue;    // as written in the file
  std::string SolverValue;  // as annotate writes it
  bool bReplaced;
};

struct GameEditsDef {
  std::vector<TextEditDef> atEdits;
  std::vector<TagConflictDef> atConflicts;
  int NrAdded = 0;            // tags added or replaced
  bool bNotReadBack = false;  // the tags written would not be read back: no edit is made
};

// The edits that give the game the tags it lacks, and with bReplace the solver's value for a tag
// that differs. New lines go after the game's last line, with that line's line ends. A game whose
// end leaves a comment or a string open gets no edit (bNotReadBack): the new lines would be part
// of it.
GameEditsDef AnnotateGame(std::string_view Text, GameSpanDef tSpan, const DdAnnotationDef& tDd,
                          bool bReplace);

// The edit that makes the head declare PBN 2.1: "% PBN 2.1" as the first line where the head
// declares no version, the version changed in place where it declares an older one.
std::optional<TextEditDef> VersionEdit(std::string_view Text, const PbnHeadDef& tHead);

// The text with the edits made; they must not overlap.
std::string ApplyEdits(std::string_view Text, std::vector<TextEditDef> atEdits);

}  // namespace pbn
