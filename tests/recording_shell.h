#pragma once
// Stands in for Shell_NotifyIconW in the in-process tests: what the program hands the shell cannot be seen
// from outside under Wine, so every call is kept here, record and all, and answered like a shell that holds
// at most one icon per window and identifier.
#include "platform/shell.h"

#include <vector>

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAW record; // the whole structure, also past cbSize
};

extern std::vector<ShellCall> g_shellCalls;

struct FakeShell {
    bool refuses = false;      // not up yet: every call fails
    bool addFailsLate = false; // an add is carried out but reported failed, as a timed-out one is
    bool holdsIcon = false;
    // What SHQueryUserNotificationState answers, and whether it fails.
    QUERY_USER_NOTIFICATION_STATE notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    bool stateFails = false;
};

extern FakeShell g_shell;
