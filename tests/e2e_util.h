#pragma once
// Driving the real Quintabela_Timer.exe from a second process: finding its windows by process ID, and its
// tray icon and balloons through the one helper that knows each platform's shell.
#include "res/resource.h"
#include "shell_side.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Aware of each monitor's DPI, as the program is: a process that is not sees 96 DPI and scaled coordinates.
[[maybe_unused]] inline const bool g_dpiAware =
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) != FALSE;

inline bool waitFor(const std::function<bool()> &condition, DWORD timeoutMs) {
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= until)
            return false;
        Sleep(20);
    }
}

// "Nothing happened": true when the condition holds all the while, checked until the end of the time a
// reaction would take; false as soon as it fails.
inline bool holdsFor(const std::function<bool()> &condition, DWORD ms) {
    return !waitFor([&] { return !condition(); }, ms);
}

// How long the program may take to react to a message or a click before a check says it did not. It
// reacts within tens of milliseconds under Wine, also with both cores busy.
constexpr DWORD ReactionMs = 1500;

// What a modal dialog ended by PostQuitMessage(0) returns on this platform: the exit code to expect.
inline INT_PTR dialogResultOfAQuit() {
    struct {
        DLGTEMPLATE header;
        WORD menu, cls, title;
    } blank{{WS_POPUP, 0, 0, 0, 0, 10, 10}, 0, 0, 0};
    const INT_PTR result = DialogBoxIndirectParamA(
        GetModuleHandleA(nullptr), &blank.header, nullptr,
        [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR {
            if (m == WM_INITDIALOG)
                PostQuitMessage(0);
            return m == WM_INITDIALOG;
        },
        0);
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}

inline void mouseTo(int x, int y, DWORD extra = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | extra;
    SendInput(1, &in, sizeof in);
    Sleep(30);
}

// A press at (x, y), a move in steps by (dx, dy), a release: what a user's drag sends. The caller waits for
// what it should have done.
inline void drag(int x, int y, int dx, int dy) {
    mouseTo(x, y);
    mouseTo(x, y, MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 10; ++step)
        mouseTo(x + dx * step / 10, y + dy * step / 10);
    mouseTo(x + dx, y + dy, MOUSEEVENTF_LEFTUP);
}

inline POINT centreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Starts the real program beside this one, or another exe in its own folder; no process handle when it could
// not be started.
inline PROCESS_INFORMATION startProgram(const std::string &exe = besideThisProgram("Quintabela_Timer.exe"),
                                        const char *folder = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process);
    return process;
}

inline void closeHandles(PROCESS_INFORMATION &process) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = {};
}

class Program : public ::testing::Test {
  protected:
    PROCESS_INFORMATION process{};
    HWND window = nullptr;

    void SetUp() override { launch(1); }

    // Starts the program and waits for its window and for the given number of tray icons.
    void launch(std::size_t icons) {
        ASSERT_EQ(trayIconCount(nullptr), 0u) << "an icon left over from an earlier run";
        process = startProgram();
        ASSERT_NE(process.hProcess, nullptr);
        ASSERT_TRUE(
            waitFor([&] { return (window = visibleDialogOf(process.dwProcessId)) != nullptr; }, 10000))
            << "the window did not appear";
        ASSERT_TRUE(waitFor([&] { return trayIcons() == icons; }, 5000)) << trayIcons() << " tray icons";
    }

    void TearDown() override {
        if (running())
            TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
        closeHandles(process);
        waitFor([&] { return trayIcons() == 0; }, 3000);
    }

    bool running() { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }
    HWND item(int id) { return GetDlgItem(window, id); }
    void click(int id) { SendMessageA(item(id), BM_CLICK, 0, 0); }
    std::string label(int id) { return windowText(item(id)); }
    // The first text after a start is the full period, or one second less if a second began meanwhile.
    bool shows(int id, const char *full, const char *oneLess) {
        return waitFor([&] { return label(id) == full || label(id) == oneLess; }, 1500);
    }
    bool allReady() {
        for (int id : {IDC_CRIME_TIME, IDC_CARRO_TIME, IDC_VOAR_TIME, IDC_HEIST_TIME, IDC_OC_TIME,
                       IDC_BALAS_TIME, IDC_MATAR_TIME})
            if (label(id) != "AGORA")
                return false;
        return true;
    }
    // Real input (SendInput) reaches only the foreground window. Wine hands the foreground to any program
    // that asks; Windows may refuse it to a process in the background, as on a hosted CI runner, and the
    // check cannot be made there. The caller returns when IsSkipped() or HasFatalFailure().
    void takeForeground() {
        SetForegroundWindow(window);
        if (waitFor([&] { return GetForegroundWindow() == window; }, 2000))
            return;
        ASSERT_FALSE(onWine()) << "cannot give it the foreground";
        GTEST_SKIP() << platformName() << " does not let this process give the program the foreground, and "
                     << "real input reaches only the foreground window";
    }
    std::size_t trayIcons() { return trayIconCount(window); }
    void doubleClickIcon() { clickTrayIcon(window, true); }
    RECT windowRect() {
        RECT r;
        GetWindowRect(window, &r);
        return r;
    }
    DWORD endsWithSair() {
        click(IDC_EXIT);
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
};
