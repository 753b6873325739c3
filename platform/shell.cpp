#include "platform.h"

namespace platform {

bool notifyIcon(DWORD message, NOTIFYICONDATAA &record) {
    return Shell_NotifyIconA(message, &record) != FALSE;
}

} // namespace platform
