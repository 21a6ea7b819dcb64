#include "cli/writing.h"

#include <cstdio>

namespace cli {

std::string TargetRefusal(const std::string& Problem) {
  if (!files::IsHardLinkProblem(Problem)) return Problem;
  return Problem + " (" + kBreakLinks + " replaces it anyway)";
}

void ReportLeftovers(const std::vector<files::LeftoverDef>& atRemoved) {
  for (const files::LeftoverDef& tLeftover : atRemoved) {
    std::fprintf(stderr, "karvelon-cli: removed %s, left by a run that was stopped (process %ld)\n",
                 tLeftover.Path.c_str(), tLeftover.Pid);
  }
}

InputStampsDef::InputStampsDef(const std::vector<std::string>& aFiles)
    : aFiles_(aFiles), atStamps_(aFiles.size()), abStamped_(aFiles.size()) {
  for (size_t i = 0; i < aFiles_.size(); i++)
    abStamped_[i] = files::StampFile(aFiles_[i], &atStamps_[i]);
}

std::string InputStampsDef::FirstChanged() const {
  for (size_t i = 0; i < aFiles_.size(); i++) {
    if (abStamped_[i] && !files::Unchanged(aFiles_[i], atStamps_[i])) return aFiles_[i];
  }
  return "";
}

}  // namespace cli
