// What the commands that write files (annotate, convert, hand-records) share around the safe
// writer (files/safe_writer.h): the option that breaks hard links, the words of a refusal, the
// leftovers said, and the inputs watched for changes during a run.
#pragma once

#include <string>
#include <vector>

#include "files/safe_writer.h"

namespace cli {

// Replaces a target that has other names (hard links); they keep the old content.
inline constexpr const char* kBreakLinks = "--break-links";

// The refusal of a target as a command says it: with the option that lifts it, where one does.
std::string TargetRefusal(const std::string& Problem);

// Says on standard error each leftover of a stopped run that was removed.
void ReportLeftovers(const std::vector<files::LeftoverDef>& atRemoved);

// The input files of a run, stamped at its start; a file that another process changes or
// replaces during the run would mix old and new games in the output.
class InputStampsDef {
 public:
  // Stamps each file; one that cannot be stamped is not read either (its opening says why).
  explicit InputStampsDef(const std::vector<std::string>& aFiles);
  // The first file that is no longer as it was stamped, or "".
  std::string FirstChanged() const;

 private:
  std::vector<std::string> aFiles_;
  std::vector<files::FileStampDef> atStamps_;
  std::vector<bool> abStamped_;
};

}  // namespace cli
