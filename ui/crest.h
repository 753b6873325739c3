#pragma once
// The picture at the window's DPI: the template's bitmap at 96, a smoothly scaled copy of it elsewhere.

#include "platform/win32.h"

namespace Crest {

// Takes the template's bitmap as the source of every copy and shows it at the window's DPI.
void init(HWND window);
// A DPI outside what any display has leaves the picture as it is.
void showAt(HWND window, UINT dpi);
// The control gets its own bitmap back and our copy is freed.
void release(HWND window);

} // namespace Crest
