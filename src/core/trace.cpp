#include "core/trace.h"

#include <cstdio>

namespace pbn {

namespace {
PbnTraceHookDef TraceHook = nullptr;
}

void PbnTraceSetHook(PbnTraceHookDef Hook) {
  TraceHook = Hook;
}

void PbnTrace(const char* pcFile, int Line, const char* pcText) {
  char acBuffer[256];
  std::snprintf(acBuffer, sizeof acBuffer, "%s %d: %s", pcFile, Line, pcText);
  if (TraceHook != nullptr) {
    TraceHook(acBuffer);
  } else {
    std::fprintf(stderr, "Trace Error: %s\n", acBuffer);
  }
}

}  // namespace pbn
