// End to end: the real Quintabela_Timer.exe, started and driven from this second process the way a user's
// clicks reach it, under Wine on a virtual display. Windows are found by process ID.
#include "res/resource.h"
#include "win_test_util.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

bool waitFor(const std::function<bool()> &condition, DWORD timeoutMs) {
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= until)
            return false;
        Sleep(20);
    }
}

std::vector<HWND> topLevelWindows(const char *className, DWORD pid = 0) {
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

// Wine shows notification icons as children of a stand-alone tray window in its desktop process.
std::vector<HWND> trayIcons() {
    std::vector<HWND> icons;
    for (HWND tray : topLevelWindows("__winex11_standalone_tray"))
        for (HWND child = GetWindow(tray, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char cls[64] = {};
            GetClassNameA(child, cls, sizeof cls);
            if (std::string(cls) == "__winex11_tray_icon")
                icons.push_back(child);
        }
    return icons;
}

std::wstring wideText(HWND w) {
    wchar_t text[512] = {};
    SendMessageW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::wstring> visibleBalloonTexts() {
    std::vector<std::wstring> texts;
    for (HWND tip : topLevelWindows("tooltips_class32"))
        if (IsWindowVisible(tip) && (GetWindowLongA(tip, GWL_STYLE) & TTS_BALLOON))
            texts.push_back(wideText(tip));
    return texts;
}

// What a modal dialog ended by PostQuitMessage(0) returns on this platform: the exit code to expect.
INT_PTR dialogResultOfAQuit() {
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

void mouseTo(int x, int y, DWORD extra = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | extra;
    SendInput(1, &in, sizeof in);
    Sleep(30);
}

// A press at (x, y), a move in steps by (dx, dy), a release: what a user's drag sends.
void drag(int x, int y, int dx, int dy) {
    mouseTo(x, y);
    mouseTo(x, y, MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 10; ++step)
        mouseTo(x + dx * step / 10, y + dy * step / 10);
    mouseTo(x + dx, y + dy, MOUSEEVENTF_LEFTUP);
    Sleep(200);
}

POINT centreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class Program : public ::testing::Test {
  protected:
    PROCESS_INFORMATION process{};
    HWND window = nullptr;

    void SetUp() override {
        ASSERT_TRUE(trayIcons().empty()) << "an icon left over from an earlier run";
        std::string exe = besideThisProgram("Quintabela_Timer.exe");
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process));
        ASSERT_TRUE(waitFor(
            [&] {
                for (HWND w : topLevelWindows("#32770", process.dwProcessId))
                    if (IsWindowVisible(w))
                        window = w;
                return window != nullptr;
            },
            10000))
            << "the window did not appear";
        ASSERT_TRUE(waitFor([] { return trayIcons().size() == 1; }, 5000)) << "no tray icon";
    }

    void TearDown() override {
        if (running())
            TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        waitFor([] { return trayIcons().empty(); }, 3000);
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

} // namespace

TEST_F(Program, ButtonsCountDownAndResetClearsThem) {
    EXPECT_TRUE(allReady());
    click(IDC_CRIME);
    EXPECT_TRUE(shows(IDC_CRIME_TIME, "1m 30s", "1m 29s")) << label(IDC_CRIME_TIME);
    click(IDC_CARRO);
    EXPECT_TRUE(shows(IDC_CARRO_TIME, "5m 00s", "4m 59s")) << label(IDC_CARRO_TIME);

    const HWND list = item(IDC_VEHICLE);
    SendMessageA(list, CB_SETCURSEL, 3, 0);
    wchar_t vehicle[64] = {}; // the single-byte variant comes back mangled across processes under Wine
    SendMessageW(list, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(vehicle));
    EXPECT_EQ(std::wstring(vehicle), L"Fleet 7");
    click(IDC_VOAR);
    EXPECT_TRUE(shows(IDC_VOAR_TIME, "00h 40m 00s", "00h 39m 59s")) << label(IDC_VOAR_TIME);

    click(IDC_HEIST);
    EXPECT_TRUE(shows(IDC_HEIST_TIME, "03h 00m 00s", "02h 59m 59s")) << label(IDC_HEIST_TIME);
    click(IDC_OC);
    EXPECT_TRUE(shows(IDC_OC_TIME, "12h 00m 00s", "11h 59m 59s")) << label(IDC_OC_TIME);
    click(IDC_BALAS);
    EXPECT_TRUE(shows(IDC_BALAS_TIME, "01h 00m 00s", "00h 59m 59s")) << label(IDC_BALAS_TIME);
    click(IDC_MATAR);
    EXPECT_TRUE(shows(IDC_MATAR_TIME, "01h 00m 00s", "00h 59m 59s")) << label(IDC_MATAR_TIME);

    const std::string before = label(IDC_CRIME_TIME);
    EXPECT_TRUE(waitFor([&] { return label(IDC_CRIME_TIME) < before; }, 2000)) << "counts down";

    click(IDC_RESET);
    EXPECT_TRUE(waitFor([&] { return allReady(); }, 1000));
    EXPECT_TRUE(running());
}

TEST_F(Program, HiddenWithEsconderAndShownAgainFromTheTray) {
    click(IDC_HIDE);
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(window); }, 2000));

    const HWND icon = trayIcons().at(0);
    PostMessageA(icon, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    PostMessageA(icon, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    Sleep(500);
    EXPECT_FALSE(IsWindowVisible(window)) << "a single click shows nothing";

    PostMessageA(icon, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    PostMessageA(icon, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    PostMessageA(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
    PostMessageA(icon, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; }, 2000));

    // The countdowns went on while hidden.
    click(IDC_CRIME);
    click(IDC_HIDE);
    const std::string hidden = label(IDC_CRIME_TIME);
    EXPECT_TRUE(waitFor([&] { return label(IDC_CRIME_TIME) != hidden; }, 2500));
}

// Both reach the program as the cancel command, which it ignores.
TEST_F(Program, EscAndAPlainCloseLeaveItRunning) {
    const HWND focus = item(IDC_CRIME);
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    Sleep(400);
    EXPECT_TRUE(running());
    EXPECT_TRUE(IsWindowVisible(window)) << "Esc";

    PostMessageA(window, WM_CLOSE, 0, 0);
    Sleep(400);
    EXPECT_TRUE(running());
    EXPECT_TRUE(IsWindowVisible(window)) << "WM_CLOSE";
    EXPECT_EQ(trayIcons().size(), 1u);
    EXPECT_TRUE(allReady()) << "nothing started either";
}

TEST_F(Program, DraggingALabelMovesTheWindowButPressingAButtonDoesNot) {
    const RECT start = windowRect();
    const POINT labelCentre = centreOf(item(IDC_OC_TIME));
    drag(labelCentre.x, labelCentre.y, 60, 40);
    const RECT moved = windowRect();
    EXPECT_NEAR(moved.left - start.left, 60, 2);
    EXPECT_NEAR(moved.top - start.top, 40, 2);

    const POINT buttonCentre = centreOf(item(IDC_HEIST));
    drag(buttonCentre.x, buttonCentre.y, -60, -40);
    const RECT after = windowRect();
    EXPECT_EQ(after.left, moved.left);
    EXPECT_EQ(after.top, moved.top);
    EXPECT_TRUE(running());
}

TEST_F(Program, SairRemovesTheIconAndExitsWithTheDialogResult) {
    const INT_PTR expected = dialogResultOfAQuit();
    std::printf("a modal dialog ended by a quit message returns %lld here\n",
                static_cast<long long>(expected));
    EXPECT_EQ(endsWithSair(), static_cast<DWORD>(expected));
    EXPECT_TRUE(waitFor([] { return trayIcons().empty(); }, 2000));
}

// Waits out the shortest real period, 90 s.
TEST_F(Program, ARealExpiryRaisesTheBalloon) {
    click(IDC_CRIME);
    ASSERT_TRUE(shows(IDC_CRIME_TIME, "1m 30s", "1m 29s"));
    EXPECT_TRUE(waitFor([&] { return label(IDC_CRIME_TIME) == "AGORA"; }, 92000)) << label(IDC_CRIME_TIME);
    const std::wstring expected = L"T\u00E1s pronto para um crime !";
    EXPECT_TRUE(waitFor(
        [&] {
            for (const std::wstring &t : visibleBalloonTexts())
                if (t == expected)
                    return true;
            return false;
        },
        6000))
        << "no balloon";
    EXPECT_EQ(label(IDC_CRIME_TIME), "AGORA");
}
