#pragma once
// The Windows headers as every room of the platform layer includes them.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

namespace platform {

// A system function that older Windows versions lack, looked up at run time: null there.
template <typename Function> Function systemFunction(const char *dll, const char *name) {
    const FARPROC found = GetProcAddress(GetModuleHandleA(dll), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

} // namespace platform
