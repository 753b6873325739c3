#pragma once
// The process and its session (kernel32, user32): where DLLs come from, the clock, the name that keeps one
// copy per session, and finding that copy's window.

#include "win32.h"

#include <cstdint>

namespace platform {

// Every DLL loaded by its bare name from then on, by the program or by system DLLs on its behalf, comes from
// System32 only, never from the exe's own folder (a Downloads folder holds whatever was downloaded there).
// Looked up at run time: a Windows without the call keeps its default search and still runs.
void loadLibrariesFromSystemOnly();

// Milliseconds since the machine started; 64 bits, so it never wraps.
std::uint64_t uptimeMilliseconds();
void pause(UINT ms);

// A named mutex: true when this process now holds the name, kept for its life; false when another process
// holds it, also one with other rights, whose mutex this one may not even open.
bool claimName(const char *name);
// A window property that tells the program's window apart from every other dialog.
void markWindow(HWND window, const char *property);
void unmarkWindow(HWND window, const char *property);
// The top-level dialog of another process that carries the property; null when there is none.
HWND findMarkedWindow(const char *property);
// Lets the window's process take the foreground, as this one (just started by the user) may.
void allowForegroundTo(HWND window);

} // namespace platform
