// A diagnostic hook open to every module. The viewer shows the text in a message box;
// without a viewer it goes to standard error.
#pragma once

namespace pbn {

using PbnTraceHookDef = void (*)(const char* pcText);

void PbnTrace(const char* pcFile, int Line, const char* pcText);
void PbnTraceSetHook(PbnTraceHookDef Hook);

}  // namespace pbn

#define PBN_TRACE(text) ::pbn::PbnTrace(__FILE__, __LINE__, (text))
