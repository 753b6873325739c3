#include "platform.h"

namespace platform {

bool notifyIcon(DWORD message, NOTIFYICONDATAW &record) {
    return Shell_NotifyIconW(message, &record) != FALSE;
}

} // namespace platform
