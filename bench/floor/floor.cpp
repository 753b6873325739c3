// The smallest program of this kind: an empty window from a template and a 100 ms timer that does
// nothing; no tray icon. What the real program costs is measured against this.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

INT_PTR CALLBACK FloorDialog(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: SetTimer(window, 1, 100, nullptr); return TRUE;
    case WM_TIMER: return TRUE;
    case WM_SYSCOMMAND:
        if (wParam != SC_CLOSE)
            return FALSE;
        KillTimer(window, 1);
        PostQuitMessage(0);
        return TRUE;
    default: return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(101), nullptr, FloorDialog, 0));
}
