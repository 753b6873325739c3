#include "placement.h"

#include "core/placement.h"
#include "platform/display.h"
#include "platform/windowing.h"

namespace Placement {

void keepOnScreen(HWND window) {
    const RECT now = platform::windowRect(window), area = platform::workAreaNearest(now);
    const ScreenRect moved =
        MovedInto({now.left, now.top, now.right, now.bottom}, {area.left, area.top, area.right, area.bottom});
    if (moved.left != now.left || moved.top != now.top)
        platform::placeWindow(window, {moved.left, moved.top, moved.right, moved.bottom});
}

void show(HWND window) {
    keepOnScreen(window);
    platform::showWindow(window, true);
}

} // namespace Placement
