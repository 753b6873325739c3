// The real window from the real template under Wine: first as the template alone makes it, then with the
// program's own dialog procedure, driven message by message. Only the shell is recorded instead of called.
#include "recording_shell.h"
#include "res/resource.h"
#include "shell_side.h"
#include "ui/app.h"
#include "ui/main_dialog.h"
#include "win_test_util.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <string>

namespace {

constexpr int LabelIds[] = {IDC_CRIME_TIME, IDC_CARRO_TIME, IDC_VOAR_TIME, IDC_HEIST_TIME,
                            IDC_OC_TIME,    IDC_BALAS_TIME, IDC_MATAR_TIME};

INT_PTR CALLBACK TemplateOnly(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

HWND createMain(DLGPROC procedure) {
    g_instance = GetModuleHandleA(nullptr);
    return CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, procedure, 0);
}

void drainMessages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        if (m.message != WM_QUIT)
            DispatchMessageA(&m);
}

bool visible(HWND w) {
    return (GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The texts written to the labels (WM_SETTEXT) by control, counted in the procedure all statics share.
std::map<int, int> g_labelWrites;
WNDPROC g_staticProc = nullptr;

LRESULT CALLBACK CountingLabel(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    g_labelWrites[GetDlgCtrlID(w)] += message == WM_SETTEXT;
    return CallWindowProcA(g_staticProc, w, message, wParam, lParam);
}

// As the program is, before any window of this process exists.
[[maybe_unused]] const bool g_dpiAware = (platform::becomeDpiAware(), true);

} // namespace

TEST(Template, WhatAUserSeesAtCreation) {
    const HWND w = createMain(TemplateOnly);
    ASSERT_NE(w, nullptr);
    ShowWindow(w, SW_SHOW);
    for (int id : LabelIds)
        EXPECT_EQ(windowText(GetDlgItem(w, id)), "AGORA") << id;

    const LONG style = GetWindowLongA(w, GWL_STYLE), exStyle = GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, 0) << "no title bar";
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_NE(exStyle & WS_EX_TOPMOST, 0);
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0) << "no taskbar button";
    EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(windowText(w), "");

    RECT r, work;
    GetWindowRect(w, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((r.left + r.right) / 2.0, (work.left + work.right) / 2.0, 1.0);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, (work.top + work.bottom) / 2.0, 1.0);
    RECT units{0, 0, 293, 78};
    MapDialogRect(w, &units);
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, units.right) << "293 x 78 dialog units";
    EXPECT_EQ(client.bottom, units.bottom);

    RECT picture;
    GetWindowRect(GetDlgItem(w, IDC_PICTURE), &picture);
    EXPECT_EQ(picture.right - picture.left, 78) << "sized to the bitmap, not to the template";
    EXPECT_EQ(picture.bottom - picture.top, 100);
    EXPECT_NE(SendDlgItemMessageA(w, IDC_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

    const HWND list = GetDlgItem(w, IDC_VEHICLE);
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 0) << "empty until the program fills it";
    EXPECT_EQ(GetDlgItem(w, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(w, IDCANCEL), nullptr);
    DestroyWindow(w);
}

// Every run says which code page it had. One that asked for a code page checks it got it: a locale missing
// from the machine gives 1252 without a word, and the run would then test nothing of other languages. (Not
// a QT_ name: Wine hands no variable of that prefix to Windows programs.)
TEST(CodePage, TheRunHasTheOneItAskedFor) {
    std::printf("ANSI code page %u, OEM code page %u\n", GetACP(), GetOEMCP());
    const char *asked = std::getenv("TEST_ANSI_CODE_PAGE");
    if (!asked)
        GTEST_SKIP() << "TEST_ANSI_CODE_PAGE names no code page for this run";
    EXPECT_EQ(GetACP(), std::strtoul(asked, nullptr, 10));
}

// The bytes mean Windows-1252 letters in any code page: the euro sign and the letters above 0x9F, not
// what the system's own code page or Latin-1 make of them.
TEST(CodePage, TextsWidenFrom1252CutToFit) {
    wchar_t field[8];
    platform::widenWindows1252("\x80 \xE1\x9F", field, 8);
    EXPECT_STREQ(field, L"\u20AC \u00E1\u0178");
    platform::widenWindows1252("T\xE1s pronto", field, 4);
    EXPECT_STREQ(field, L"T\u00E1s") << "three letters and the terminating zero";
    platform::widenWindows1252("", field, 8);
    EXPECT_STREQ(field, L"");
}

class MainWindow : public ::testing::Test {
  protected:
    HWND dialog = nullptr;

    void SetUp() override { open({}); }
    void TearDown() override {
        DestroyWindow(dialog);
        drainMessages();
    }
    void open(const FakeShell &shell) {
        g_board = CountdownBoard{};
        g_shellCalls.clear();
        g_shell = shell;
        dialog = createMain(MainDialog);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
    }
    void reopen(const FakeShell &shell) {
        TearDown();
        open(shell);
    }
    // Lets the real timer tick for up to ms milliseconds, until done says so.
    bool runUntil(const std::function<bool()> &done, DWORD ms) {
        for (const DWORD until = GetTickCount() + ms; GetTickCount() < until; Sleep(10)) {
            drainMessages();
            if (done())
                return true;
        }
        return done();
    }

    // The procedure's own answer, which SendMessage would hide.
    INT_PTR call(UINT message, WPARAM wParam, LPARAM lParam) {
        return MainDialog(dialog, message, wParam, lParam);
    }
    INT_PTR command(int id, WORD code = BN_CLICKED) {
        return call(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    std::string label(int id) { return windowText(GetDlgItem(dialog, id)); }
    void tick() { TickProc(dialog, WM_TIMER, TICK_TIMER_ID, GetTickCount()); }
    std::int32_t deadline(ActivityId a) { return g_board.deadlines[indexOf(a)]; }
    bool quitPosted() {
        MSG m;
        return PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && m.wParam == 0;
    }
};

// The record the shell must get: UTF-16, through the balloon fields without the GUID (952 bytes on x64),
// and every field the program does not name is zero.
NOTIFYICONDATAW expectedRecord(HWND w, UINT flags) {
    NOTIFYICONDATAW r;
    std::memset(&r, 0, sizeof r);
    r.cbSize = offsetof(NOTIFYICONDATAW, guidItem);
    r.hWnd = w;
    r.uID = 1;
    r.uFlags = flags;
    r.uCallbackMessage = 0x467;
    r.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(103));
    std::wcscpy(r.szTip, L"Quintabela Timer");
    return r;
}

// The record of a notice: the icon's fields, the balloon's title and text, and the information symbol.
NOTIFYICONDATAW expectedNotice(HWND w, const wchar_t *title, const wchar_t *text) {
    NOTIFYICONDATAW r = expectedRecord(w, 0x17);
    std::wcscpy(r.szInfoTitle, title);
    std::wcscpy(r.szInfo, text);
    r.dwInfoFlags = 1; // NIIF_INFO
    return r;
}

void expectSameRecord(const NOTIFYICONDATAW &actual, const NOTIFYICONDATAW &expected) {
    EXPECT_EQ(actual.cbSize, expected.cbSize);
    EXPECT_EQ(actual.hWnd, expected.hWnd);
    EXPECT_EQ(actual.uID, expected.uID);
    EXPECT_EQ(actual.uFlags, expected.uFlags);
    EXPECT_EQ(actual.uCallbackMessage, expected.uCallbackMessage);
    EXPECT_EQ(actual.hIcon, expected.hIcon);
    EXPECT_EQ(std::memcmp(actual.szTip, expected.szTip, sizeof actual.szTip), 0) << actual.szTip;
    EXPECT_EQ(actual.dwState, 0u);
    EXPECT_EQ(actual.dwStateMask, 0u);
    EXPECT_EQ(std::memcmp(actual.szInfo, expected.szInfo, sizeof actual.szInfo), 0) << actual.szInfo;
    EXPECT_EQ(actual.uTimeout, 0u) << "the shell's own display time";
    EXPECT_EQ(std::memcmp(actual.szInfoTitle, expected.szInfoTitle, sizeof actual.szInfoTitle), 0)
        << actual.szInfoTitle;
    EXPECT_EQ(actual.dwInfoFlags, expected.dwInfoFlags);
    const GUID none{};
    EXPECT_EQ(std::memcmp(&actual.guidItem, &none, sizeof none), 0);
    EXPECT_EQ(actual.hBalloonIcon, nullptr);
}

TEST_F(MainWindow, InitialisationAddsTheIconFillsTheListAndStartsTheTimer) {
    ASSERT_EQ(g_shellCalls.size(), 1u);
    EXPECT_EQ(g_shellCalls[0].message, static_cast<DWORD>(NIM_ADD));
    expectSameRecord(g_shellCalls[0].record, expectedRecord(dialog, 7));
    EXPECT_NE(g_shellCalls[0].record.hIcon, nullptr);

    const HWND list = GetDlgItem(dialog, IDC_VEHICLE);
    const char *captions[] = {"Comboio", "Fokker DR 1", "Havilland DH 82A", "Fleet 7", "Douglas DC-3"};
    ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        char text[64] = {};
        SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, captions[i]) << "unsorted, in table order";
    }
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_CRIME));

    // The labels are still the template's; the running timer rewrites them.
    for (int id : LabelIds)
        EXPECT_EQ(label(id), "AGORA");
    command(IDC_CRIME);
    const DWORD until = GetTickCount() + 2000;
    while (label(IDC_CRIME_TIME) == "AGORA" && GetTickCount() < until) {
        drainMessages();
        Sleep(10);
    }
    const std::string shown = label(IDC_CRIME_TIME);
    EXPECT_TRUE(shown == "1m 30s" || shown == "1m 29s") << shown;
}

TEST_F(MainWindow, EachStartCommandStartsItsActionAtTheCurrentSecond) {
    const struct {
        int id;
        ActivityId activity;
        int period;
    } starts[] = {{1002, ActivityId::Crime, 90},    {1003, ActivityId::Carro, 300},
                  {1008, ActivityId::Heist, 10800}, {1010, ActivityId::Balas, 3600},
                  {1011, ActivityId::Matar, 3600},  {1012, ActivityId::Oc, 43200}};
    for (const auto &s : starts) {
        const UptimeSeconds before = currentUptimeSeconds();
        EXPECT_EQ(command(s.id), TRUE) << s.id;
        const UptimeSeconds after = currentUptimeSeconds();
        EXPECT_GE(deadline(s.activity), before + s.period) << s.id;
        EXPECT_LE(deadline(s.activity), after + s.period) << s.id;
    }
    // The notification code in the high word does not matter.
    g_board = CountdownBoard{};
    EXPECT_EQ(call(WM_COMMAND, MAKEWPARAM(IDC_CARRO, 0x1234), 0), TRUE);
    EXPECT_GT(deadline(ActivityId::Carro), 0);
    EXPECT_EQ(deadline(ActivityId::Crime), -1);
}

TEST_F(MainWindow, OtherCommandIdentifiersDoNothing) {
    for (int id : {0, IDOK, IDCANCEL, 1000, IDC_PICTURE, IDC_CRIME_TIME, IDC_VEHICLE, IDC_HEIST_TIME,
                   IDC_MATAR_TIME, 1020, 0xFFFF}) {
        EXPECT_EQ(command(id), FALSE) << id;
        EXPECT_EQ(command(id, CBN_SELCHANGE), FALSE) << id;
    }
    for (std::int32_t d : g_board.deadlines)
        EXPECT_EQ(d, -1);
    EXPECT_TRUE(visible(dialog));
    EXPECT_EQ(g_shellCalls.size(), 1u);
    EXPECT_FALSE(quitPosted());
}

TEST_F(MainWindow, AJourneyTakesTheSelectedVehicleOnce) {
    const HWND list = GetDlgItem(dialog, IDC_VEHICLE);
    SendMessageA(list, CB_SETCURSEL, 3, 0); // Fleet 7
    const UptimeSeconds now = currentUptimeSeconds();
    EXPECT_EQ(command(IDC_VOAR), TRUE);
    EXPECT_GE(deadline(ActivityId::Voar), now + 2400);
    EXPECT_LE(deadline(ActivityId::Voar), now + 2401);
    const std::int32_t started = deadline(ActivityId::Voar);
    tick();
    const std::string shown = label(IDC_VOAR_TIME);
    EXPECT_TRUE(shown == "00h 40m 00s" || shown == "00h 39m 59s") << shown;

    SendMessageA(list, CB_SETCURSEL, 0, 0);
    tick();
    EXPECT_EQ(deadline(ActivityId::Voar), started) << "a later choice leaves a running journey alone";

    // With no selection the last vehicle chosen stands.
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    g_board.deadlines[indexOf(ActivityId::Voar)] = IDLE_DEADLINE;
    const UptimeSeconds again = currentUptimeSeconds();
    EXPECT_EQ(command(IDC_VOAR), TRUE);
    EXPECT_GE(deadline(ActivityId::Voar), again + 2400) << "a journey of Fleet 7's 40 minutes";
    EXPECT_LE(deadline(ActivityId::Voar), again + 2401);
}

TEST_F(MainWindow, TicksWriteAllSevenLabels) {
    for (int id : {IDC_CRIME, IDC_CARRO, IDC_VOAR, IDC_HEIST, IDC_OC, IDC_BALAS, IDC_MATAR})
        command(id);
    g_board.deadlines[indexOf(ActivityId::Matar)] -= 1800; // else Balas and Matar read alike
    tick();
    const char *full[] = {"1m 30s",      "5m 00s",      "01h 15m 00s", "03h 00m 00s",
                          "12h 00m 00s", "01h 00m 00s", "00h 30m 00s"};
    const char *less[] = {"1m 29s",      "4m 59s",      "01h 14m 59s", "02h 59m 59s",
                          "11h 59m 59s", "00h 59m 59s", "00h 29m 59s"};
    for (int i = 0; i < 7; ++i) {
        const std::string shown = label(LabelIds[i]);
        EXPECT_TRUE(shown == full[i] || shown == less[i]) << shown;
    }

    // A label is written only when its text changes: once a second at most while it runs, never while it
    // stays idle. Ten ticks write a running label once for each second they cross, however long they take.
    for (int id : LabelIds)
        g_staticProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            GetDlgItem(dialog, id), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingLabel)));
    g_board.deadlines[indexOf(ActivityId::Oc)] = IDLE_DEADLINE;
    const UptimeSeconds first = currentUptimeSeconds(); // before the texts the ten ticks start from
    tick();                                             // "AGORA" for OC
    g_labelWrites.clear();
    for (int t = 0; t < 10; ++t, Sleep(90))
        tick();
    const auto crossed = static_cast<int>(currentUptimeSeconds() - first);
    std::printf("writes in ten ticks across %d seconds:", crossed);
    for (int id : LabelIds) {
        std::printf(" %d", g_labelWrites[id]);
        EXPECT_LE(g_labelWrites[id], id == IDC_OC_TIME ? 0 : crossed) << id;
    }
    std::printf("\n");
    SetWindowTextA(GetDlgItem(dialog, IDC_OC_TIME), "AGORA and more"); // mended at the next tick
    tick();
    EXPECT_EQ(label(IDC_OC_TIME), "AGORA");
}

TEST_F(MainWindow, ResetShowsReadyAtTheNextTickAndSilencesAnExpiry) {
    command(IDC_CRIME);
    command(IDC_OC);
    tick();
    g_board.deadlines[indexOf(ActivityId::Crime)] = currentUptimeSeconds(); // about to expire
    EXPECT_EQ(command(IDC_RESET), TRUE);
    EXPECT_NE(label(IDC_OC_TIME), "AGORA") << "a reset touches no label itself";
    tick();
    for (int id : LabelIds)
        EXPECT_EQ(label(id), "AGORA");
    EXPECT_EQ(g_shellCalls.size(), 1u) << "no notice";
}

TEST_F(MainWindow, EachExpiryHandsTheShellItsOwnNotice) {
    // The letters, whatever the code page of the run: U+00E1 is the "a" with an acute accent.
    const struct {
        ActivityId activity;
        int label;
        const wchar_t *title, *text;
    } notices[] = {
        {ActivityId::Crime, IDC_CRIME_TIME, L"Crime", L"T\u00E1s pronto para um crime !"},
        {ActivityId::Carro, IDC_CARRO_TIME, L"Carro", L"T\u00E1s pronto para roubar um carro !"},
        {ActivityId::Voar, IDC_VOAR_TIME, L"Voar", L"T\u00E1s pronto para voar !"},
        {ActivityId::Heist, IDC_HEIST_TIME, L"Heist", L"T\u00E1s pronto para um Heist !"},
        {ActivityId::Oc, IDC_OC_TIME, L"OC", L"T\u00E1s pronto para um OC !"},
        {ActivityId::Balas, IDC_BALAS_TIME, L"Balas", L"T\u00E1s pronto para comprar balas !"},
        {ActivityId::Matar, IDC_MATAR_TIME, L"Matar", L"T\u00E1s pronto para Matar !"},
    };
    for (const auto &n : notices) {
        g_shellCalls.clear();
        g_board.deadlines[indexOf(n.activity)] = currentUptimeSeconds();
        tick();
        ASSERT_EQ(g_shellCalls.size(), 1u) << n.title;
        EXPECT_EQ(g_shellCalls[0].message, static_cast<DWORD>(NIM_MODIFY));
        expectSameRecord(g_shellCalls[0].record, expectedNotice(dialog, n.title, n.text));
        EXPECT_EQ(label(n.label), "AGORA") << n.title;
        EXPECT_EQ(deadline(n.activity), -1) << n.title;
    }
    tick();
    EXPECT_EQ(g_shellCalls.size(), 1u) << "once each";
}

// Hovering refreshes the tip with the time left instead, once a second at most.
TEST_F(MainWindow, TheTrayShowsTheWindowForADoubleClickOrABalloonClickOnly) {
    command(IDC_CRIME);
    g_board.deadlines[indexOf(ActivityId::Crime)] = currentUptimeSeconds() + 89;
    EXPECT_EQ(command(IDC_HIDE), TRUE);
    EXPECT_FALSE(visible(dialog));
    // Single clicks, right and middle buttons, hovering, other notifications, and a double click that
    // carries anything in its high word.
    const LPARAM ignored[] = {WM_MOUSEMOVE,
                              WM_LBUTTONDOWN,
                              WM_LBUTTONUP,
                              WM_RBUTTONDOWN,
                              WM_RBUTTONUP,
                              WM_RBUTTONDBLCLK,
                              WM_MBUTTONDOWN,
                              WM_MBUTTONDBLCLK,
                              WM_CONTEXTMENU,
                              0x400,
                              0x402,
                              0x403,
                              0x404,
                              0x406,
                              MAKELPARAM(WM_LBUTTONDBLCLK, 1),
                              MAKELPARAM(0x405, 1)};
    for (LPARAM code : ignored) {
        EXPECT_EQ(call(0x467 /* WM_TRAYICON */, 1, code), TRUE) << code;
        EXPECT_FALSE(visible(dialog)) << code;
    }
    call(0x467 /* WM_TRAYICON */, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(visible(dialog));
    call(0x467 /* WM_TRAYICON */, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(visible(dialog)) << "stays visible";

    command(IDC_HIDE);
    EXPECT_EQ(call(0x467, 0, 0x405 /* NIN_BALLOONUSERCLICK */), TRUE);
    EXPECT_TRUE(visible(dialog));
    call(0x467, 1, WM_MOUSEMOVE);
    ASSERT_EQ(g_shellCalls.size(), 2u) << "the add, and one tip for two hovers within a second";
    EXPECT_EQ(g_shellCalls[1].message, static_cast<DWORD>(NIM_MODIFY));
    // The time left when the tip was made: 89 s from the start of the test, less the seconds since.
    const std::wstring tip = g_shellCalls[1].record.szTip;
    const auto left = static_cast<int>(deadline(ActivityId::Crime) - currentUptimeSeconds());
    const auto tipFor = [](int s) {
        wchar_t text[64];
        std::swprintf(text, 64, L"Quintabela Timer\nCrime 1m %02ds", s - 60);
        return std::wstring(text);
    };
    EXPECT_TRUE(tip == tipFor(left) || tip == tipFor(left + 1)) << tip;
    EXPECT_LE(left, 89);
}

// Windows holds notices back while a program fills the screen or nobody is there: a hidden window then
// comes up, top-most, without taking the foreground or the focus. The notice goes to the shell in any case.
TEST_F(MainWindow, AHiddenWindowComesUpQuietlyWhereWindowsHoldsTheNoticeBack) {
    // The first three bring the window up; then a failed call, and a window that is shown already.
    const QUERY_USER_NOTIFICATION_STATE states[] = {QUNS_BUSY,
                                                    QUNS_APP,
                                                    QUNS_NOT_PRESENT,
                                                    QUNS_PRESENTATION_MODE,
                                                    QUNS_RUNNING_D3D_FULL_SCREEN,
                                                    QUNS_QUIET_TIME,
                                                    QUNS_ACCEPTS_NOTIFICATIONS,
                                                    QUNS_BUSY,
                                                    QUNS_BUSY};
    for (int i = 0; i < 9; ++i) {
        command(i < 8 ? IDC_HIDE : IDC_PICTURE);
        moveWindowTo(dialog, 5000, 5000); // where a monitor unplugged meanwhile was
        g_shell.notificationState = states[i];
        g_shell.stateFails = i == 7;
        const HWND foreground = GetForegroundWindow(), focus = GetFocus();
        g_shellCalls.clear();
        g_board.deadlines[indexOf(ActivityId::Crime)] = currentUptimeSeconds();
        tick();
        std::printf("state %d%s: window %s\n", states[i],
                    i == 7   ? ", call failed"
                    : i == 8 ? ", shown before"
                             : "",
                    visible(dialog) ? "shown" : "hidden");
        EXPECT_EQ(visible(dialog), i < 3 || i == 8) << i;
        EXPECT_TRUE(i >= 3 || onAScreen(dialog)) << "comes up where no monitor shows it: " << i;
        EXPECT_EQ(GetForegroundWindow(), foreground) << i;
        EXPECT_EQ(GetFocus(), focus) << i;
        ASSERT_EQ(g_shellCalls.size(), 1u);
        expectSameRecord(g_shellCalls[0].record,
                         expectedNotice(dialog, L"Crime", L"T\u00E1s pronto para um crime !"));
    }
}

TEST_F(MainWindow, TheCloseCommandRemovesTheIconStopsTheTimerAndQuits) {
    EXPECT_EQ(call(WM_SYSCOMMAND, SC_CLOSE, 0), TRUE);
    ASSERT_EQ(g_shellCalls.size(), 2u);
    EXPECT_EQ(g_shellCalls[1].message, static_cast<DWORD>(NIM_DELETE));
    NOTIFYICONDATAW expected;
    std::memset(&expected, 0, sizeof expected);
    expected.cbSize = offsetof(NOTIFYICONDATAW, guidItem);
    expected.hWnd = dialog;
    expected.uID = 1;
    expectSameRecord(g_shellCalls[1].record, expected);
    EXPECT_FALSE(KillTimer(dialog, 1)) << "already stopped";
    EXPECT_TRUE(quitPosted());
}

TEST_F(MainWindow, SairSendsTheCloseCommand) {
    EXPECT_EQ(command(IDC_EXIT), TRUE);
    ASSERT_EQ(g_shellCalls.size(), 2u);
    EXPECT_EQ(g_shellCalls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(quitPosted());
}

TEST_F(MainWindow, OnlyTheExactCloseCommandEndsTheRun) {
    // SC_CLOSE with low bits set is what the platform makes of some closes; it must not end the run.
    for (WPARAM low = 1; low < 16; ++low)
        EXPECT_EQ(call(WM_SYSCOMMAND, SC_CLOSE | low, 0), FALSE) << low;
    for (WPARAM other : {WPARAM{0}, WPARAM{SC_MOVE}, WPARAM{SC_MINIMIZE}, WPARAM{SC_RESTORE}, WPARAM{0x1234}})
        EXPECT_EQ(call(WM_SYSCOMMAND, other, 0), FALSE) << other;
    // Esc and other programs' WM_CLOSE arrive as IDCANCEL, which is ignored.
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(g_shellCalls.size(), 1u);
    EXPECT_FALSE(quitPosted());
    EXPECT_TRUE(KillTimer(dialog, 1)) << "still running";
}

// As Windows sends it when the window moves to a monitor of another scale: the new DPI in both halves of
// wParam, and the rectangle it suggests.
TEST_F(MainWindow, ADpiChangeRescalesTheCrestAndPlacesTheWindowWhereSuggested) {
    const HWND picture = GetDlgItem(dialog, IDC_PICTURE);
    const auto shown = [&] { return reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, 0, 0)); };
    const auto expectCrestAt = [&](UINT dpi) { // 78 x 100 px at 96 DPI, the bitmap and its control alike
        BITMAP bitmap{};
        GetObjectA(shown(), sizeof bitmap, &bitmap);
        RECT r;
        GetWindowRect(picture, &r);
        const int w = MulDiv(78, static_cast<int>(dpi), 96), h = MulDiv(100, static_cast<int>(dpi), 96);
        EXPECT_TRUE(bitmap.bmWidth == w && bitmap.bmHeight == h)
            << bitmap.bmWidth << " x " << bitmap.bmHeight;
        EXPECT_TRUE(r.right - r.left == w && r.bottom - r.top == h) << "the control at " << dpi;
    };
    const auto change = [&](UINT dpi, RECT *suggested) {
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(suggested));
        drainMessages();
    };
    expectCrestAt(GetDpiForWindow(dialog)); // as made, at the display's scale
    change(96, nullptr);
    const HBITMAP own = shown(); // the template's
    expectCrestAt(96);

    // Twenty changes there and back, after a first round that may fill the platform's own caches (fonts
    // at each DPI): each copy is freed when the next replaces it.
    DWORD gdiObjects = 0;
    HBITMAP before = own;
    for (int i = 0; i < 24; ++i) {
        if (i == 4)
            gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        const UINT dpi = i % 2 ? 96 : (i % 4 ? 144 : 192);
        RECT suggested{10 + i, 20 + i, 610 + i, 220 + i}, now;
        change(dpi, &suggested);
        expectCrestAt(dpi);
        GetWindowRect(dialog, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested)) << "the window takes the suggested rectangle at " << dpi;
        EXPECT_EQ(shown() == own, dpi == 96) << dpi;
        EXPECT_EQ(GetObjectType(before), before == own ? static_cast<DWORD>(OBJ_BITMAP) : 0u) << i;
        before = shown();
    }
    if (gdiObjects == 0)
        std::printf("%s counts no GDI objects: each copy was checked freed instead\n",
                    platformName().c_str());
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiObjects);

    for (UINT bogus : {1u, 0xFFFFu}) { // no display has such a DPI
        change(bogus, nullptr);
        EXPECT_EQ(shown(), own) << bogus;
    }

    // Laid out anew at the new scale, the window must still be wholly on a screen.
    RECT offScreen{-400, 20, 200, 220};
    change(144, &offScreen);
    EXPECT_TRUE(onAScreen(dialog));
}

TEST_F(MainWindow, TaskbarCreatedAddsTheIconAgain) {
    g_shell.holdsIcon = false; // a new shell knows no icon
    SendMessageA(dialog, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_EQ(g_shellCalls.size(), 2u);
    EXPECT_EQ(g_shellCalls[1].message, static_cast<DWORD>(NIM_ADD));
    expectSameRecord(g_shellCalls[1].record, expectedRecord(dialog, 7));
}

TEST_F(MainWindow, ARefusedIconIsClaimedUntilTheShellTakesItAndTheNoticeWaitsForIt) {
    reopen({.refuses = true, .addFailsLate = false, .holdsIcon = false});
    ASSERT_EQ(g_shellCalls.size(), 2u);
    EXPECT_EQ(g_shellCalls[1].message, static_cast<DWORD>(NIM_MODIFY))
        << "asks whether it is there after all";
    command(IDC_HIDE);
    EXPECT_TRUE(visible(dialog)) << "hidden without an icon, it could not come back";

    command(IDC_HEIST);
    g_board.deadlines[indexOf(ActivityId::Heist)] = currentUptimeSeconds();
    tick();
    EXPECT_EQ(label(IDC_HEIST_TIME), "AGORA");

    // The shell takes icons again, and says nothing.
    g_shell.refuses = false;
    const std::size_t before = g_shellCalls.size();
    EXPECT_TRUE(runUntil([] { return g_shell.holdsIcon; }, 1500));
    runUntil([] { return false; }, 1200); // and nothing more is asked of it
    ASSERT_EQ(g_shellCalls.size(), before + 2);
    EXPECT_EQ(g_shellCalls[before].message, static_cast<DWORD>(NIM_ADD));
    expectSameRecord(g_shellCalls[before].record, expectedRecord(dialog, 7));
    EXPECT_EQ(g_shellCalls[before + 1].message, static_cast<DWORD>(NIM_MODIFY));
    expectSameRecord(g_shellCalls[before + 1].record,
                     expectedNotice(dialog, L"Heist", L"T\u00E1s pronto para um Heist !"));

    command(IDC_HIDE);
    EXPECT_FALSE(visible(dialog));
    call(0x467 /* WM_TRAYICON */, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(visible(dialog));
}

TEST_F(MainWindow, AnAddCarriedOutButReportedFailedIsNotRepeated) {
    reopen({.refuses = false, .addFailsLate = true, .holdsIcon = false});
    runUntil([] { return false; }, 1300);
    ASSERT_EQ(g_shellCalls.size(), 2u) << "the add, then a modify that finds the icon there";
    EXPECT_EQ(g_shellCalls[1].message, static_cast<DWORD>(NIM_MODIFY));
    expectSameRecord(g_shellCalls[1].record, expectedRecord(dialog, 7));
    command(IDC_HIDE);
    EXPECT_FALSE(visible(dialog));
}
