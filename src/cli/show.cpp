#include "cli/cli.h"

namespace cli {

int Show(const Args&) { return Fail("show: not available yet"); }

}  // namespace cli
