#include "recording_shell.h"

std::vector<ShellCall> g_shellCalls;

namespace platform {

void notifyIcon(DWORD message, NOTIFYICONDATAA &record) {
    g_shellCalls.push_back({message, record});
}

} // namespace platform
