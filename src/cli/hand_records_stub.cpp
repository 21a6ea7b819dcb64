#include "cli/cli.h"

namespace cli {

int HandRecords(const Args&) {
  return Fail("hand-records: this build has no page renderer");
}

}  // namespace cli
