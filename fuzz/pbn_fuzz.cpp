// Fuzz target: what a user triggers on a file. The index pass with a log, then every indexed
// game loaded (inheritance, replay, annotation and raw text), its texts read line by line,
// and the replay stepped forward to the end and back to the start.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"

namespace {

using namespace pbn;

// The longest walk through one game: 64 calls, 52 cards with a pause per trick, the section
// changes and the done state, with room to spare.
constexpr int kMaxSteps = 64 + 52 + 13 + 16;

// Touches every byte a viewer would read of the texts of the game on display.
unsigned ReadTexts(UInt32 NrRawLines) {
  unsigned Sum = 0;
  for (UInt32 Line = 0; Line < TextAnnoNrLines(); Line++) {
    const unsigned char* pcLine = TextAnnoLine(Line);
    for (; pcLine != nullptr && *pcLine != '\0'; pcLine++) Sum += *pcLine;
  }
  for (UInt32 Line = 0; Line < NrRawLines; Line++) {
    const char* pcLine = GameTxtLine(Line);
    for (; pcLine != nullptr && *pcLine != '\0'; pcLine++) Sum += static_cast<unsigned char>(*pcLine);
  }
  return Sum;
}

// What the table painting reports to the annotation model on each paint.
void ReportPosition() {
  PaintAnnoSection(tGameAdmin.Section);
  if (tGameAdmin.Section == PBN_SECTION_AUCTION) PaintAnnoCall(tGameAdmin.NrCalls);
  if (tGameAdmin.Section == PBN_SECTION_PLAY) PaintAnnoCard(tGameAdmin.NrCards);
  UInt32 FirstLine = 0;
  UInt32 MaxNrLines = 0;
  PaintAnnoExec(&FirstLine, &MaxNrLines);
}

void StepThrough() {
  for (int Step = 0; Step < kMaxSteps && !tGameAdmin.bPlayDone; Step++) {
    PlayExec();
    ReportPosition();
  }
  PlayHead();
  PlayTail();
  for (int Step = 0; Step < 2 * kMaxSteps && tGameAdmin.Section != PBN_SECTION_IDENT; Step++) {
    PlayBack();
    ReportPosition();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t Size) {
  static const bool bInit = GameInit();
  static std::FILE* pLog = std::fopen("/dev/null", "w");
  if (!bInit) return 0;

  const int Fd = memfd_create("pbn", 0);
  if (Fd < 0) return 0;
  if (write(Fd, pData, Size) != static_cast<ssize_t>(Size)) {
    close(Fd);
    return 0;
  }
  std::FILE* pFile = fdopen(Fd, "rb");
  if (pFile == nullptr) {
    close(Fd);
    return 0;
  }
  std::rewind(pFile);

  PbnImportFile(pLog);
  UInt32 NrGames = 0;
  GamesLoad(pFile, &NrGames);
  PbnImportFile(nullptr);

  volatile unsigned Sink = 0;
  for (UInt32 Game = 1; Game <= NrGames && Game <= 64; Game++) {
    UInt32 NrLines = 0;
    GameLoad(pFile, Game, &NrLines);
    Sink = Sink + ReadTexts(NrLines);
    StepThrough();
  }
  std::fclose(pFile);
  return 0;
}
