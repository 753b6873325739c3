#include "shell.h"

namespace platform {

bool notifyIcon(DWORD message, NOTIFYICONDATAW &record) {
    return Shell_NotifyIconW(message, &record) != FALSE;
}

bool userNotificationState(QUERY_USER_NOTIFICATION_STATE &state) {
    return SHQueryUserNotificationState(&state) == S_OK;
}

} // namespace platform
