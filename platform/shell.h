#pragma once
// The shell (shell32): the notification-area icon and whether notices reach the user. Kept apart
// (platform/shell.cpp) so that tests can link a stand-in shell in its place: what reaches the shell cannot
// be seen from outside.

#include "win32.h"

namespace platform {

// Shell_NotifyIconW; true when the shell says it did what was asked.
bool notifyIcon(DWORD message, NOTIFYICONDATAW &record);
// SHQueryUserNotificationState; false when the call fails.
bool userNotificationState(QUERY_USER_NOTIFICATION_STATE &state);

} // namespace platform
