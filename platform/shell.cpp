#include "platform.h"

namespace platform {

void notifyIcon(DWORD message, NOTIFYICONDATAA &record) {
    Shell_NotifyIconA(message, &record);
}

} // namespace platform
