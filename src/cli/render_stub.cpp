#include "cli/cli.h"

namespace cli {

int Render(const Args&) {
  return Fail("render: this build has no viewer");
}

}  // namespace cli
