// End to end: the real Quintabela_Timer.exe, started and driven from this second process the way a user's
// clicks reach it, under Wine on a virtual display. Windows are found by process ID.
#include "e2e_util.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

namespace {

// The template's 293 dialog units at 100 %: the unit is the average width of the 52 letters in its font,
// 8 points at 96 DPI, as the dialog manager measures it. A shell-font template's "MS Shell Dlg" is
// "MS Shell Dlg 2" to the dialog manager.
double templateWidthAt100() {
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ before = SelectObject(dc, CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                                        DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg 2"));
    SIZE letters{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    DeleteObject(SelectObject(dc, before));
    ReleaseDC(nullptr, dc);
    return 293.0 * ((letters.cx / 26 + 1) / 2) / 4;
}

// Colours seen on the screen in a grid over r: one or two for a blank or failed picture.
std::size_t coloursIn(const RECT &r) {
    const HDC screen = GetDC(nullptr);
    std::set<COLORREF> colours;
    for (LONG y = r.top + 3; y < r.bottom - 3; y += 6)
        for (LONG x = r.left + 3; x < r.right - 3; x += 6)
            colours.insert(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return colours.size();
}

// Wine loads its own copy of a DLL it has built in and ignores one beside the program; Windows prefers the
// one beside it for every DLL that is not a KnownDLL. These programs' overrides make Wine look as Windows
// does, and are removed again afterwards. Only uxtheme: the dialog's theming loads it by name under both
// Wines, so a program that did not stop it would load the planted copy (dwmapi, which Windows loads too, is
// loaded by neither Wine, so a check of it could never fail here).
constexpr const char *PlantedNames[] = {"uxtheme.dll"};
void plantsNativeFirst(bool on) {
    for (const char *exe : {"Quintabela_Timer.exe", "planted_probe.exe"}) {
        const std::string key = std::string("Software\\Wine\\AppDefaults\\") + exe + "\\DllOverrides";
        if (!on) {
            RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
            continue;
        }
        for (const char *dll : PlantedNames) // the value is named without ".dll"
            RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), std::string(dll, std::strlen(dll) - 4).c_str(),
                            REG_SZ, "native,builtin", 15);
    }
}

} // namespace

// Players run the exe from their Downloads folder, where a DLL named as a system one may lie from another
// download. Loaded by its bare name, as system DLLs load uxtheme and dwmapi, it would run inside the program.
TEST(PlantedDlls, NoDllBesideTheExeRunsInsideIt) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "qt-planted-" + std::to_string(GetCurrentProcessId()) + "\\";
    const char *files[] = {"Quintabela_Timer.exe", "planted_probe.exe", "uxtheme.dll"};
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    for (const char *f : files) {
        const bool plant = std::strstr(f, ".dll") != nullptr;
        ASSERT_TRUE(
            CopyFileA(besideThisProgram(plant ? "planted_dll.dll" : f).c_str(), (dir + f).c_str(), FALSE));
    }
    const auto marked = [&](const char *plant) {
        return GetFileAttributesA((dir + plant + ".mark").c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    if (onWine())
        plantsNativeFirst(true);

    // The control: a program that does not restrict its search loads the planted copy. Under Wine, told to
    // prefer it, that always works; only elsewhere may the platform keep it out by itself.
    PROCESS_INFORMATION probe = startProgram(dir + "planted_probe.exe", dir.c_str());
    ASSERT_NE(probe.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(probe.hProcess, 10000), WAIT_OBJECT_0) << "the probe did not end";
    closeHandles(probe);
    const bool plantsLoad = marked("uxtheme.dll");
    DeleteFileA((dir + "uxtheme.dll.mark").c_str());
    EXPECT_TRUE(plantsLoad || !onWine()) << "the probe did not load the uxtheme.dll beside it, so the "
                                         << "program's check below would show nothing";

    if (plantsLoad) {
        PROCESS_INFORMATION program = startProgram(dir + "Quintabela_Timer.exe", dir.c_str());
        ASSERT_NE(program.hProcess, nullptr);
        HWND window = nullptr;
        EXPECT_TRUE(
            waitFor([&] { return (window = visibleDialogOf(program.dwProcessId)) != nullptr; }, 10000));
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (WaitForSingleObject(program.hProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(program.hProcess, 99);
        closeHandles(program);
        waitFor([] { return trayIconCount(nullptr) == 0; }, 3000);
        for (const char *plant : PlantedNames) {
            std::printf("%s beside the exe: %s\n", plant,
                        marked(plant) ? "ran inside the program" : "not run");
            EXPECT_FALSE(marked(plant));
        }
    }
    if (onWine())
        plantsNativeFirst(false);
    for (const char *f : files) {
        DeleteFileA((dir + f + ".mark").c_str());
        DeleteFileA((dir + f).c_str());
    }
    RemoveDirectoryA(dir.c_str());
    if (!plantsLoad && !onWine())
        GTEST_SKIP() << platformName()
                     << " did not load a uxtheme.dll beside a program that asked for it by name "
                     << "either, so a program kept from loading one shows nothing";
}

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

    clickTrayIcon(window, false);
    EXPECT_TRUE(holdsFor([&] { return !IsWindowVisible(window); }, ReactionMs))
        << "a single click shows nothing";

    doubleClickIcon();
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; }, 2000));

    // The countdowns went on while hidden.
    click(IDC_CRIME);
    click(IDC_HIDE);
    const std::string hidden = label(IDC_CRIME_TIME);
    EXPECT_TRUE(waitFor([&] { return label(IDC_CRIME_TIME) != hidden; }, 2500));
}

// A second start brings the running copy's window back, hidden or behind another window, and ends; the
// first keeps its countdowns and its one icon.
TEST_F(Program, ASecondStartBringsTheRunningWindowBack) {
    click(IDC_CRIME);
    ASSERT_TRUE(shows(IDC_CRIME_TIME, "1m 30s", "1m 29s"));
    const HWND other = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20,
                                       nullptr, nullptr, nullptr, nullptr);
    bool inFront = true;
    for (const bool hidden : {true, false}) {
        if (hidden)
            click(IDC_HIDE);
        SetForegroundWindow(other);
        ASSERT_TRUE(waitFor([&] { return IsWindowVisible(window) != hidden; }, 2000));
        // Else the window being in front afterwards would show nothing.
        const bool otherInFront = waitFor([&] { return GetForegroundWindow() == other; }, 2000);
        EXPECT_TRUE(otherInFront || !onWine()) << "the other window did not take the foreground";
        inFront = inFront && otherInFront;
        PROCESS_INFORMATION second = startProgram();
        ASSERT_EQ(WaitForSingleObject(second.hProcess, 5000), WAIT_OBJECT_0) << "hidden: " << hidden;
        DWORD code = 1;
        GetExitCodeProcess(second.hProcess, &code);
        EXPECT_EQ(code, 0u);
        closeHandles(second);
        EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; }, 2000)) << "hidden: " << hidden;
        inFront = inFront && waitFor([&] { return GetForegroundWindow() == window; }, 2000);
        EXPECT_EQ(trayIcons(), 1u);
        EXPECT_NE(label(IDC_CRIME_TIME), "AGORA") << "the countdown goes on";
    }
    DestroyWindow(other);
    if (!inFront) { // a foreground that this test's process could not hand on
        ASSERT_FALSE(onWine()) << "the running window did not come to the front";
        GTEST_SKIP() << platformName() << " did not let the window of the running copy take the foreground "
                     << "from this background process";
    }
}

// A running copy whose thread hangs is not waited on for ever: the second start becomes a copy of its own.
TEST_F(Program, ASecondStartBesideAHungCopyRunsAsOneOfItsOwn) {
    ASSERT_NE(SuspendThread(process.hThread), static_cast<DWORD>(-1));
    const ULONGLONG started = GetTickCount64();
    PROCESS_INFORMATION second = startProgram();
    ASSERT_NE(second.hProcess, nullptr) << "the second copy did not start";
    HWND own = nullptr;
    EXPECT_TRUE(waitFor([&] { return (own = visibleDialogOf(second.dwProcessId)) != nullptr; }, 5000));
    EXPECT_NE(own, window) << "the hung copy's window is not the second copy's";
    std::printf("the second copy's window after %llu ms\n", GetTickCount64() - started);
    ResumeThread(process.hThread);
    PostMessageA(own, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (WaitForSingleObject(second.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(second.hProcess, 99);
    closeHandles(second);
}

// Laid out at the display's own scale rather than stretched by the system, the crest scaled to its place.
TEST_F(Program, DrawnAtTheDisplaysOwnScale) {
    const UINT dpi = GetDpiForSystem();
    std::printf("display at %u DPI\n", dpi);
    if (const char *asked = std::getenv("TEST_DISPLAY_DPI"); asked && *asked) {
        EXPECT_EQ(dpi, std::strtoul(asked, nullptr, 10)) << "the display scale this run asked for";
    }
    EXPECT_EQ(GetDpiForWindow(window), dpi) << "a window the system stretches reports 96";
    RECT client;
    GetClientRect(window, &client);
    const double width = templateWidthAt100() * dpi / 96;
    EXPECT_NEAR(client.right, width, width * 0.04) << "293 dialog units, grown with the scale";

    RECT picture;
    GetWindowRect(item(IDC_PICTURE), &picture);
    const SIZE size{picture.right - picture.left, picture.bottom - picture.top};
    std::printf("window %ld px wide inside, picture %ld x %ld px\n", client.right, size.cx, size.cy);
    EXPECT_TRUE(size.cx == MulDiv(78, static_cast<int>(dpi), 96) &&
                size.cy == MulDiv(100, static_cast<int>(dpi), 96));
    // Read once it is painted: the window is visible a moment before.
    EXPECT_TRUE(waitFor([&] { return coloursIn(picture) >= 8u; }, 5000))
        << "the crest is not drawn: " << coloursIn(picture) << " colours";
}

// Hidden where no monitor shows it (one unplugged meanwhile), or shown there when a monitor goes or the
// taskbar grows: every way back puts it wholly on a screen; a window on a screen stays exactly where it was.
TEST_F(Program, TheWindowAlwaysComesBackOnAScreen) {
    const int pastTheScreens =
        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) + 300;
    const auto where = [&] {
        const RECT r = windowRect();
        return std::to_string(r.left) + "," + std::to_string(r.top);
    };
    const std::pair<const char *, std::function<void()>> ways[] = {
        {"a double click on the icon", [&] { doubleClickIcon(); }},
        {"a balloon click", [&] { PostMessageA(window, 0x467 /* WM_TRAYICON */, 1, NIN_BALLOONUSERCLICK); }},
        {"a second start",
         [&] {
             PROCESS_INFORMATION second = startProgram();
             WaitForSingleObject(second.hProcess, 5000);
             closeHandles(second);
         }},
    };
    for (const auto &[way, bringBack] : ways) {
        moveWindowTo(window, pastTheScreens, 100);
        click(IDC_HIDE);
        ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(window); }, 2000));
        bringBack();
        EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) && onAScreen(window); }, 3000))
            << way << ": at " << where();
        std::printf("hidden at %d,100, brought back by %s: at %s\n", pastTheScreens, way, where().c_str());
    }
    const std::pair<UINT, WPARAM> changes[] = {{WM_DISPLAYCHANGE, 32}, {WM_SETTINGCHANGE, SPI_SETWORKAREA}};
    for (const auto &[message, wParam] : changes) {
        moveWindowTo(window, -2000, -2000);
        SendMessageA(window, message, wParam, message == WM_DISPLAYCHANGE ? MAKELPARAM(1024, 768) : 0);
        EXPECT_TRUE(onAScreen(window)) << "shown outside, then message " << message << ": at " << where();
    }
    moveWindowTo(window, 37, 41);
    const RECT before = windowRect();
    click(IDC_HIDE);
    doubleClickIcon();
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; }, 3000));
    const RECT after = windowRect();
    EXPECT_TRUE(EqualRect(&before, &after)) << "on a screen, it comes back where it was, not at " << where();
}

// Both reach the program as the cancel command, which it ignores.
TEST_F(Program, EscAndAPlainCloseLeaveItRunning) {
    const HWND focus = item(IDC_CRIME);
    const auto stillThere = [&] { return running() && IsWindowVisible(window); };
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    EXPECT_TRUE(holdsFor(stillThere, ReactionMs)) << "Esc";

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(holdsFor(stillThere, ReactionMs)) << "WM_CLOSE";
    EXPECT_EQ(trayIcons(), 1u);
    EXPECT_TRUE(allReady()) << "nothing started either";
}

TEST_F(Program, DraggingALabelMovesTheWindowButPressingAButtonDoesNot) {
    takeForeground();
    if (IsSkipped() || HasFatalFailure())
        return;
    const RECT start = windowRect();
    const POINT labelCentre = centreOf(item(IDC_OC_TIME));
    drag(labelCentre.x, labelCentre.y, 60, 40);
    RECT moved{};
    EXPECT_TRUE(waitFor(
        [&] {
            moved = windowRect();
            return std::abs(moved.left - start.left - 60) <= 2 && std::abs(moved.top - start.top - 40) <= 2;
        },
        ReactionMs))
        << "moved by " << moved.left - start.left << "," << moved.top - start.top << ", not by 60,40";

    const POINT buttonCentre = centreOf(item(IDC_HEIST));
    drag(buttonCentre.x, buttonCentre.y, -60, -40);
    EXPECT_TRUE(holdsFor(
        [&] {
            const RECT now = windowRect();
            return now.left == moved.left && now.top == moved.top;
        },
        ReactionMs))
        << "a press on a button moved the window";
    EXPECT_TRUE(running());
}

TEST_F(Program, SairRemovesTheIconAndExitsWithTheDialogResult) {
    const INT_PTR expected = dialogResultOfAQuit();
    std::printf("a modal dialog ended by a quit message returns %lld here\n",
                static_cast<long long>(expected));
    EXPECT_EQ(endsWithSair(), static_cast<DWORD>(expected));
    EXPECT_TRUE(waitFor([&] { return trayIcons() == 0; }, 2000));
    closeHandles(process);
    launch(1); // a first start again: its own window and icon
}

// Waits out the shortest real period, 90 s.
TEST_F(Program, ARealExpiryRaisesTheBalloon) {
    click(IDC_CRIME);
    ASSERT_TRUE(shows(IDC_CRIME_TIME, "1m 30s", "1m 29s"));
    EXPECT_TRUE(waitFor([&] { return label(IDC_CRIME_TIME) == "AGORA"; }, 92000)) << label(IDC_CRIME_TIME);
    if (!balloonsReadable())
        GTEST_SKIP() << platformName()
                     << " shows notices as its own notifications, which no other process can read";
    // Read back in UTF-16: the letter U+00E1 whatever the system's code page.
    const std::wstring expected = L"T\u00E1s pronto para um crime !";
    std::wstring seen;
    EXPECT_TRUE(waitFor(
        [&] {
            seen.clear();
            for (const std::wstring &t : visibleBalloonTexts())
                if (t == expected)
                    return true;
                else
                    seen += L"\"" + t + L"\" ";
            return false;
        },
        6000))
        << "no balloon reads it; balloons shown: " << seen;
    EXPECT_EQ(label(IDC_CRIME_TIME), "AGORA");
}

// Alt+F4 is the close system command, as "Sair" sends it.
TEST_F(Program, AltF4EndsItLikeSair) {
    takeForeground();
    if (IsSkipped() || HasFatalFailure())
        return;
    SetFocus(item(IDC_CRIME));
    INPUT keys[4] = {};
    const WORD sequence[][2] = {
        {VK_MENU, 0}, {VK_F4, 0}, {VK_F4, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP}};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = sequence[i][0];
        keys[i].ki.dwFlags = sequence[i][1];
    }
    SendInput(4, keys, sizeof keys[0]);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, static_cast<DWORD>(dialogResultOfAQuit()));
    EXPECT_TRUE(waitFor([&] { return trayIcons() == 0; }, 2000));
}
