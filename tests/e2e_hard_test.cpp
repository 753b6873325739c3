// The real program under abuse and over time: hostile messages from another process, the shell going away
// and coming back, a shell that is not there at start, and a soak.
#include "e2e_util.h"
#include "ui/tray_icon.h" // ClaimRetryMs

#include <psapi.h>
#include <shellapi.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <thread>

namespace {

struct Action {
    int button, label, period;
};
constexpr Action Actions[] = {{IDC_CRIME, IDC_CRIME_TIME, 90},    {IDC_CARRO, IDC_CARRO_TIME, 300},
                              {IDC_HEIST, IDC_HEIST_TIME, 10800}, {IDC_OC, IDC_OC_TIME, 43200},
                              {IDC_BALAS, IDC_BALAS_TIME, 3600},  {IDC_MATAR, IDC_MATAR_TIME, 3600}};

// Seconds left in a label's text, or -1 for "AGORA".
int secondsShown(const std::string &text) {
    int h = 0, m = 0, s = 0;
    if (text == "AGORA")
        return -1;
    if (std::sscanf(text.c_str(), "%dh %dm %ds", &h, &m, &s) == 3)
        return h * 3600 + m * 60 + s;
    if (std::sscanf(text.c_str(), "%dm %ds", &m, &s) == 2)
        return m * 60 + s;
    return -2;
}

constexpr UINT TrayMessage = 0x467;

} // namespace

TEST_F(Program, HostileMessagesChangeNothing) {
    std::mt19937 random(20261208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const std::set<int> commands{1002, 1003, 1006, 1008, 1010, 1011, 1012, 1017, 1018, 1019};
    // When each action was last started by a real command, by this machine's uptime (0: not running).
    ULONGLONG startedAt[std::size(Actions)] = {};

    for (int i = 0; i < 10000; ++i) {
        if (i % 250 == 0) { // a real command among the noise
            const int which = pick(0, static_cast<int>(std::size(Actions)));
            if (which == static_cast<int>(std::size(Actions))) {
                click(IDC_RESET);
                std::fill(std::begin(startedAt), std::end(startedAt), 0);
            } else {
                startedAt[which] = GetTickCount64();
                click(Actions[which].button);
            }
        }
        UINT message = WM_SYSCOMMAND;
        WPARAM wParam = 0;
        LPARAM lParam = static_cast<LPARAM>(random());
        switch (pick(0, 2)) {
        case 0: // a command identifier outside the table, with any notification code
            message = WM_COMMAND;
            do
                wParam = MAKEWPARAM(pick(0, 0xFFFF), pick(0, 0xFFFF));
            while (commands.count(LOWORD(wParam)));
            break;
        case 1: { // the tray's mouse messages and notification codes, and anything else
            message = TrayMessage;
            wParam = static_cast<WPARAM>(random());
            const int kind = pick(0, 3);
            lParam = kind == 0   ? pick(WM_MOUSEFIRST, WM_MOUSELAST)
                     : kind == 1 ? pick(0x400, 0x407) // NIN_SELECT to NIN_POPUPCLOSE
                     : kind == 2 ? WM_CONTEXTMENU
                                 : lParam;
            break;
        }
        default:
            // SC_CLOSE with low bits becomes a plain close; the rest are no system command at all. System
            // commands that start a modal loop (move, size, the menus, help) are left out.
            wParam = pick(0, 1)   ? SC_CLOSE | pick(1, 15)
                     : pick(0, 1) ? pick(0, 0xEFFF)
                                  : pick(0xF190, 0xFFFF);
        }
        // Mostly sent, so each is handled before the next; some posted, so they queue up.
        if (i % 10)
            SendMessageA(window, message, wParam, lParam);
        else
            PostMessageA(window, message, wParam, lParam);
        ASSERT_TRUE(running()) << "message " << i << ": 0x" << std::hex << message << " " << wParam;
    }
    // A harmless message posted last: once it has had its effect, every message posted before it has been
    // handled. The journey's vehicle counts for the next Voar only, which no step here starts.
    PostMessageA(item(IDC_VEHICLE), CB_SETCURSEL, 4, 0);
    ASSERT_TRUE(waitFor([&] { return SendMessageA(item(IDC_VEHICLE), CB_GETCURSEL, 0, 0) == 4; }, 10000))
        << "the posted messages were not all handled";

    ASSERT_TRUE(running());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(trayIcons(), 1u);
    const ULONGLONG now = GetTickCount64();
    for (std::size_t a = 0; a < std::size(Actions); ++a) {
        const int shown = secondsShown(label(Actions[a].label));
        if (!startedAt[a]) {
            EXPECT_EQ(shown, -1) << Actions[a].button;
            continue;
        }
        const auto expected = static_cast<int>(startedAt[a] / 1000 + Actions[a].period - now / 1000);
        EXPECT_NEAR(shown, expected, 1) << Actions[a].button;
    }
    EXPECT_EQ(endsWithSair(), static_cast<DWORD>(dialogResultOfAQuit()));
}

// What a desktop shell's restart looks like to a program: its icon is gone, then "TaskbarCreated" arrives.
// (That it is added once, not again and again, the window test sees in the shell's record: a real shell
// refuses a second add of the same icon, so the count of icons here could not show it.)
TEST_F(Program, TheIconComesBackWhenTheShellRestarts) {
    click(IDC_HIDE);
    ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(window); }, 2000));

    NOTIFYICONDATAA gone{};
    gone.cbSize = sizeof gone;
    gone.hWnd = window;
    gone.uID = 1;
    if (!Shell_NotifyIconA(NIM_DELETE, &gone)) {
        ASSERT_FALSE(onWine()) << "the icon could not be removed from outside";
        GTEST_SKIP() << platformName() << "'s shell does not let another process remove the program's icon";
    }
    ASSERT_TRUE(waitFor([&] { return trayIcons() == 0; }, 2000));

    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(waitFor([&] { return trayIcons() == 1; }, 3000));
    EXPECT_TRUE(holdsFor([&] { return trayIcons() == 1; }, ReactionMs)) << "the icon stays";

    doubleClickIcon();
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; }, 2000));
}

namespace {

// A stand-in shell that is there but refuses every icon, as when the real one has not started yet, until it
// is told to take them. Wine's Shell_NotifyIcon hands its record to the first "Shell_TrayWnd" window it
// finds. Every call of the program's reaches it as one offer: a claim is an add and, refused, a modify.
struct RefusingShell {
    HWND window = nullptr;
    std::atomic<int> offers = 0, taken = 0;
    std::atomic<bool> takes = false;
    std::atomic<ULONGLONG> lastOfferMs = 0, firstTakenMs = 0;
    DWORD threadId = 0;
    std::thread thread;

    RefusingShell() {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = std::thread([this, ready] {
            WNDCLASSA cls{};
            cls.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                if (m == WM_COPYDATA) {
                    auto *self = reinterpret_cast<RefusingShell *>(GetWindowLongPtrA(w, GWLP_USERDATA));
                    const ULONGLONG now = GetTickCount64();
                    if (self->takes) {
                        if (++self->taken == 1)
                            self->firstTakenMs = now;
                        return TRUE;
                    }
                    self->lastOfferMs = now;
                    ++self->offers;
                    return FALSE;
                }
                return DefWindowProcA(w, m, wp, lp);
            };
            cls.hInstance = GetModuleHandleA(nullptr);
            cls.lpszClassName = "Shell_TrayWnd";
            RegisterClassA(&cls);
            window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1,
                                     1, nullptr, nullptr, cls.hInstance, nullptr);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            threadId = GetCurrentThreadId();
            SetEvent(ready);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0)
                DispatchMessageA(&msg);
            DestroyWindow(window);
            UnregisterClassA("Shell_TrayWnd", GetModuleHandleA(nullptr));
        });
        // Without a limit: leave() needs the thread's identifier, and the thread always signals.
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    void leave() {
        if (thread.joinable()) {
            PostThreadMessageA(threadId, WM_QUIT, 0, 0);
            thread.join();
        }
    }
    ~RefusingShell() { leave(); }
};

// Started while the stand-in refuses every icon: the program runs without one, and Esconder keeps the
// window, which could not come back.
class ProgramBeforeTheShell : public Program {
  protected:
    RefusingShell shell;

    void SetUp() override {
        // Both Wines offer icons to the first Shell_TrayWnd; Windows' shell keeps the icons to itself.
        if (FindWindowA("Shell_TrayWnd", nullptr) != shell.window) {
            ASSERT_FALSE(onWine()) << "the stand-in is not the shell found first";
            GTEST_SKIP() << "on " << platformName() << " the stand-in is not the shell found first";
        }
        launch(0);
        if (HasFatalFailure())
            return;
        if (!waitFor([&] { return shell.offers > 0; }, 3000)) {
            ASSERT_FALSE(onWine()) << "no icon was offered to the stand-in";
            GTEST_SKIP() << platformName() << "'s Shell_NotifyIcon does not offer icons to a Shell_TrayWnd";
        }
        EXPECT_TRUE(holdsFor([&] { return trayIcons() == 0; }, ReactionMs)) << "an icon the shell refused";
        click(IDC_HIDE);
        EXPECT_TRUE(holdsFor([&] { return IsWindowVisible(window) != FALSE; }, ReactionMs))
            << "hidden without an icon, it could not come back";
    }
    // The stand-in takes icons from now on; it was refused last at lastOfferMs, the program's claim being
    // whole (an add and a modify) by then.
    void shellTakesIcons() {
        const int before = shell.offers;
        ASSERT_TRUE(waitFor([&] { return shell.offers >= before + 2 && shell.offers % 2 == 0; }, 3000))
            << "the program did not claim its icon again";
        shell.takes = true;
    }
    // Taken once, and not offered again over two claims' time: a program that kept claiming would be.
    void expectTakenOnce() {
        EXPECT_TRUE(waitFor([&] { return shell.taken > 0; }, 3000)) << "not taken";
        EXPECT_TRUE(holdsFor([&] { return shell.taken == 1; }, static_cast<DWORD>(2 * ClaimRetryMs + 500)))
            << shell.taken << " offers taken, not one";
    }
    // The real shell, which the stand-in stood before: announced, it gets the icon too.
    void realShellComesBack() {
        shell.leave();
        PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_TRUE(waitFor([&] { return trayIcons() == 1; }, 3000));
    }
    // The icon can show before the shell's answer reaches the program, which keeps the window until then.
    void hideAndBringBack() {
        ASSERT_TRUE(waitFor([&] { return click(IDC_HIDE), !IsWindowVisible(window); }, 2000));
        doubleClickIcon();
        EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; }, 2000));
    }
};

} // namespace

// Announced right after a refused claim, the shell has the icon long before the next claim would bring it.
TEST_F(ProgramBeforeTheShell, GetsItsIconWhenTheShellAnnouncesItself) {
    shellTakesIcons();
    ASSERT_FALSE(HasFatalFailure());
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    expectTakenOnce();
    const ULONGLONG after = shell.firstTakenMs - shell.lastOfferMs;
    std::printf("taken %llu ms after the last refused claim\n", after);
    EXPECT_LT(after, ClaimRetryMs / 2) << "taken at the next claim, not when the shell announced itself";
    realShellComesBack();
    hideAndBringBack();
}

// As at logon: the shell takes icons again, and says nothing.
TEST_F(ProgramBeforeTheShell, GetsItsIconWhenTheShellTakesIconsAgainWithoutAWord) {
    shellTakesIcons();
    ASSERT_FALSE(HasFatalFailure());
    expectTakenOnce();
    const ULONGLONG after = shell.firstTakenMs - shell.lastOfferMs;
    std::printf("taken %llu ms after the last refused claim\n", after);
    EXPECT_LE(after, ClaimRetryMs + 500) << "at the next claim";
    realShellComesBack();
    hideAndBringBack();
}

namespace {

// The soak's length in seconds: --soak-seconds=N on the command line (Wine does not hand a Windows
// program the Unix environment's own variables). Five minutes hold three Crime expiries.
int g_soakSeconds = 300;

// Only what really moves under Wine for another process: the working set, the committed private memory
// (PagefileUsage; Wine leaves PrivateUsage at 0) and the handles that the server lists for the process
// (GetProcessHandleCount answers 0). Wine keeps no count of GDI and USER objects.
struct Footprint {
    SIZE_T workingSet = 0, privateBytes = 0;
    ULONG handles = 0;
};

ULONG handlesOf(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Query = LONG(WINAPI *)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<std::uint8_t> buffer(1 << 22);
    ULONG used = 0;
    constexpr ULONG SystemHandleInformation = 16;
    if (!query ||
        query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &used) != 0)
        return 0;
    const auto *table = reinterpret_cast<const Table *>(buffer.data());
    ULONG mine = 0;
    for (ULONG i = 0; i < table->count; ++i)
        mine += table->entries[i].ownerPid == pid;
    return mine;
}

Footprint footprintOf(const PROCESS_INFORMATION &process) {
    Footprint f;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    f.workingSet = memory.WorkingSetSize;
    f.privateBytes = memory.PagefileUsage;
    f.handles = handlesOf(process.dwProcessId);
    return f;
}

void print(const char *when, const Footprint &f) {
    std::printf("%s: working set %zu KiB, private %zu KiB, handles %lu\n", when, f.workingSet / 1024,
                f.privateBytes / 1024, f.handles);
}

} // namespace

TEST_F(Program, SoakKeepsMemoryAndHandlesFlat) {
    const int seconds = g_soakSeconds;
    const ULONGLONG begin = GetTickCount64(), end = begin + seconds * 1000ULL;
    Footprint first{}, last{};
    bool firstTaken = false;
    int expiries = 0, restarts = 0, hides = 0;
    bool crimeRunning = false;

    for (ULONGLONG now = begin; now < end; now = GetTickCount64()) {
        // Everything but Crime is restarted every second, so only Crime expires, every 90 s.
        for (const Action &a : Actions)
            if (a.button != IDC_CRIME)
                click(a.button), ++restarts;
        SendMessageA(item(IDC_VEHICLE), CB_SETCURSEL, restarts % 5, 0);
        click(IDC_VOAR);
        if (label(IDC_CRIME_TIME) == "AGORA") {
            expiries += crimeRunning;
            click(IDC_CRIME);
            crimeRunning = true;
        }
        if (restarts % 60 == 0) { // now and then hidden and brought back from the tray, as a user does
            click(IDC_HIDE);
            doubleClickIcon();
            ++hides;
        }
        if (!firstTaken && now - begin >= 60000) {
            first = footprintOf(process);
            firstTaken = true;
        }
        Sleep(1000);
    }
    last = footprintOf(process);
    print("after the first minute", first);
    print("at the end", last);
    std::printf("%d s, %d restarts, %d Crime expiries, %d hides\n", seconds, restarts, expiries, hides);

    ASSERT_TRUE(running());
    ASSERT_TRUE(firstTaken);
    ASSERT_GT(first.handles, 0u) << "no handle accounting";
    EXPECT_GE(expiries, seconds / 90 - 1);
    EXPECT_LE(last.workingSet, first.workingSet + 128 * 1024);
    EXPECT_LE(last.privateBytes, first.privateBytes + 64 * 1024);
    EXPECT_LE(last.handles, first.handles + 2);
    EXPECT_EQ(endsWithSair(), static_cast<DWORD>(dialogResultOfAQuit()));
}

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--soak-seconds=", 15) == 0)
            g_soakSeconds = std::atoi(argv[i] + 15);
    if (g_soakSeconds < 120) {
        std::printf("--soak-seconds must be at least 120: the first minute is the baseline\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
