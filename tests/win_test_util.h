#pragma once
// Helpers for Windows programs that find and read the real program from outside: the tests, the footprint
// benchmark and the screenshot driver.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

// A file beside the running program (the tests, the tools and the exe are built into one folder).
inline std::string besideThisProgram(const char *name) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + name;
}

inline std::string windowText(HWND window) {
    char text[256] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

inline std::vector<HWND> topLevelWindows(const char *className, DWORD pid = 0) {
    struct Search {
        const char *cls;
        DWORD pid;
        std::vector<HWND> found;
    } search{className, pid, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto *s = reinterpret_cast<Search *>(p);
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (std::string(cls) == s->cls && (s->pid == 0 || owner == s->pid))
                s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The program's dialog window, once it is visible; null before, and for a process that never started (whose
// identifier 0 would match every process's window).
inline HWND visibleDialogOf(DWORD pid) {
    if (pid == 0)
        return nullptr;
    for (HWND w : topLevelWindows("#32770", pid))
        if (IsWindowVisible(w))
            return w;
    return nullptr;
}

// Wholly inside the work area of a monitor (the one that shows most of it), where the player can reach it.
inline bool onAScreen(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MONITORINFO m{};
    m.cbSize = sizeof m;
    GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &m);
    RECT inside;
    return IntersectRect(&inside, &r, &m.rcWork) && EqualRect(&inside, &r);
}

// Moves the window, its size kept, without touching its order or activation.
inline void moveWindowTo(HWND w, int x, int y) {
    SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

inline std::wstring wideText(HWND w) {
    wchar_t text[512] = {};
    SendMessageW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}
