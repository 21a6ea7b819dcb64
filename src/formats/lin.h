// LIN, the record of an online bridge service's hand viewer: `xx|value|` pairs for the players,
// the deal, the vulnerability, the board, the calls with their alerts, the cards played and a
// claim. LIN is turned into PBN text (read by the PBN 2.1 reading in UTF-8), and the games of a
// PBN file into LIN.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "import/import.h"

namespace lin {

// A place in the LIN text, both from 1; the column counts characters.
using LinPosDef = pbn::PbnSourcePosDef;

struct LinMessageDef {
  LinPosDef tPos;
  std::string Text;  // "E: ..." or "W: ..."
};

struct LinToPbnDef {
  std::string Pbn;                        // the games as PBN text, with a head that declares 2.1
  std::vector<LinPosDef> atLinePos;       // element i: the LIN place of line i + 1 of Pbn
  std::vector<LinMessageDef> atMessages;  // what was wrong, in LIN order
  unsigned NrBoards = 0;                  // games written
  unsigned NrUnknown = 0;                 // commands skipped that LIN does not know
};

// Turns a LIN text (UTF-8, else ISO 8859-1) into PBN games, one per board with a deal. A board
// that holds mistakes keeps what can be read and says what was wrong.
LinToPbnDef LinToPbn(std::string_view Lin);

// Whether a path names a LIN file: its extension is ".lin" in any case.
bool IsLinPath(std::string_view Path);

// The LIN line of the game on display (tGameAdmin, loaded by GameLoad), as the service writes
// it, with its line feed; empty when its deal holds no card, since LIN has no such board.
std::string GameToLin();

// Reads the LIN file open as pLin and returns a stream of its own (in memory, seekable, closed
// by fclose) that holds the PBN text; the stream is registered as converted, so that its index
// pass reads it by the PBN 2.1 reading and its log names LIN places. Null when the file cannot
// be read (errno tells why) or its PBN text would reach 2 GiB (errno EFBIG).
std::FILE* LinOpenAsPbn(std::FILE* pLin);

// Opens a file for the index pass as the viewer and karvelon-cli do: a PBN file as it is (binary
// mode), a LIN file converted by LinOpenAsPbn. Null with errno set when it cannot be opened; a
// folder gives EISDIR.
std::FILE* OpenGameFile(const char* pcPath);

}  // namespace lin
