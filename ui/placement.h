#pragma once
// The window always within reach: it has no title bar, so one that no monitor shows is lost for good.

#include "platform/win32.h"

namespace Placement {

// Moves the window the least distance that puts it wholly inside the work area of the monitor nearest to
// it; a window that is inside one already stays exactly where it is.
void keepOnScreen(HWND window);
// Shows the window, first brought onto a screen: every way back to a hidden window comes through here.
void show(HWND window);

} // namespace Placement
