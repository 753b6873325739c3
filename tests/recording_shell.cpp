#include "recording_shell.h"

std::vector<ShellCall> g_shellCalls;
FakeShell g_shell;

namespace platform {

bool notifyIcon(DWORD message, NOTIFYICONDATAW &record) {
    g_shellCalls.push_back({message, record});
    if (g_shell.refuses)
        return false;
    switch (message) {
    case NIM_ADD:
        if (g_shell.holdsIcon)
            return false;
        g_shell.holdsIcon = true;
        return !g_shell.addFailsLate;
    case NIM_DELETE: {
        const bool held = g_shell.holdsIcon;
        g_shell.holdsIcon = false;
        return held;
    }
    default: return g_shell.holdsIcon;
    }
}

bool userNotificationState(QUERY_USER_NOTIFICATION_STATE &state) {
    state = g_shell.notificationState;
    return !g_shell.stateFails;
}

} // namespace platform
