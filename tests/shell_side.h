#pragma once
// The shell's side of the running program as another process sees it: its tray icon and its balloons. The
// one place that knows how each platform shows them. Wine draws every icon as a window of its desktop
// process (Wine 8 in a stand-alone tray, Wine 10 in its Shell_TrayWnd) and every balloon as a tooltip
// window; Windows shows neither to another process, but tells where a given icon is, and shows notices as
// its own notifications.
#include "win_test_util.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

// "Wine 8.0", "Wine 10.0" or "Windows": for the reason of a skipped check.
inline std::string platformName() {
    using Version = const char *(*)();
    const auto version = reinterpret_cast<Version>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return version ? std::string("Wine ") + version() : "Windows";
}

inline bool onWine() {
    return platformName() != "Windows";
}

// Wine's icon windows, of every program; a tray window of this process is a test's stand-in shell.
inline std::vector<HWND> wineTrayIcons() {
    std::vector<HWND> icons;
    for (const char *trayClass : {"__winex11_standalone_tray", "Shell_TrayWnd"})
        for (HWND tray : topLevelWindows(trayClass)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(tray, &owner);
            if (owner == GetCurrentProcessId())
                continue;
            for (HWND child = GetWindow(tray, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                char cls[64] = {};
                GetClassNameA(child, cls, sizeof cls);
                if (std::string(cls) == "__winex11_tray_icon" || std::string(cls) == "__wine_tray_icon")
                    icons.push_back(child);
            }
        }
    return icons;
}

// Tray icons there are: under Wine every program's; on Windows, where the shell keys icons by window and
// identifier, whether it knows the program's one (none for a window not yet known).
inline std::size_t trayIconCount(HWND program) {
    if (onWine())
        return wineTrayIcons().size();
    NOTIFYICONIDENTIFIER id{};
    id.cbSize = sizeof id;
    id.hWnd = program;
    id.uID = 1;
    RECT where;
    return program && Shell_NotifyIconGetRect(&id, &where) == S_OK ? 1 : 0;
}

// A click, or a double click, on the program's icon: under Wine as the mouse gives it to the icon's window;
// on Windows as the shell then calls the program back (version 0: the mouse message in lParam).
inline void clickTrayIcon(HWND program, bool twice) {
    const UINT sequence[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    const bool wine = onWine();
    const std::vector<HWND> icons = wine ? wineTrayIcons() : std::vector<HWND>{};
    if (wine && icons.empty())
        return; // no icon, no click
    for (std::size_t i = 0; i < (twice ? 4u : 2u); ++i) {
        const UINT m = sequence[i];
        if (wine)
            PostMessageA(icons[0], m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(8, 8));
        else
            PostMessageA(program, 0x467 /* WM_TRAYICON */, 1, m);
    }
}

// Where another process can read balloons: only Wine, whose balloons are tooltip windows.
inline bool balloonsReadable() {
    return onWine();
}

inline std::vector<std::wstring> visibleBalloonTexts() {
    std::vector<std::wstring> texts;
    for (HWND tip : topLevelWindows("tooltips_class32"))
        if (IsWindowVisible(tip) && (GetWindowLongA(tip, GWL_STYLE) & TTS_BALLOON))
            texts.push_back(wideText(tip));
    return texts;
}
