#pragma once
// The display: its scale, its monitors, and the pictures and icons drawn on it (user32, gdi32).

#include "win32.h"

namespace platform {

// Per-monitor DPI awareness (v2), before any window exists, so that the system draws nothing stretched.
// Looked up at run time: a Windows 10 older than 1703 has no such call, and there the program stays as it
// was, unaware and stretched by the system.
void becomeDpiAware();
// The DPI the window is laid out at; 96 where the system has no per-window DPI.
UINT windowDpi(HWND window);
// The work area (the monitor less the taskbar and docked bars) of the monitor that shows most of rect, or
// of the one nearest to it when none shows any; rect itself if the system cannot tell.
RECT workAreaNearest(const RECT &rect);

// The bitmap a picture control shows. Showing another sizes the control to it, and gives back the one shown
// before, which the control then no longer uses.
HBITMAP pictureOf(HWND control);
HBITMAP showPicture(HWND control, HBITMAP picture);
SIZE bitmapSize(HBITMAP bitmap);
// A copy of source at width x height, each pixel averaged from those it covers (halftone), not repeated;
// null if none could be made. The caller frees it.
HBITMAP scaledBitmap(HBITMAP source, int width, int height);
void freeBitmap(HBITMAP bitmap);

// A shared handle: never destroyed, so loading it again costs nothing.
HICON loadSharedIcon(HINSTANCE instance, int iconId);

} // namespace platform
