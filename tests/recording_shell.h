#pragma once
// Stands in for Shell_NotifyIconA in the in-process tests: what the program hands the shell cannot be seen
// from outside under Wine, so every call is kept here, record and all.
#include "platform/platform.h"

#include <vector>

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAA record; // the whole structure, also past cbSize
};

extern std::vector<ShellCall> g_shellCalls;
