#include "main_dialog.h"

#include "app.h"
#include "crest.h"
#include "one_copy.h"
#include "placement.h"
#include "res/resource.h"
#include "tray_icon.h"

#include <array>
#include <cstring>
#include <limits>

HINSTANCE g_instance = nullptr;
CountdownBoard g_board;

namespace {

// Indexed by ActivityId.
constexpr std::array<int, ActivityCount> LabelIds{IDC_CRIME_TIME, IDC_CARRO_TIME, IDC_VOAR_TIME,
                                                  IDC_HEIST_TIME, IDC_OC_TIME,    IDC_BALAS_TIME,
                                                  IDC_MATAR_TIME};

struct StartCommand {
    int controlId;
    ActivityId activity;
};
constexpr StartCommand StartCommands[] = {
    {IDC_CRIME, ActivityId::Crime}, {IDC_CARRO, ActivityId::Carro}, {IDC_HEIST, ActivityId::Heist},
    {IDC_BALAS, ActivityId::Balas}, {IDC_MATAR, ActivityId::Matar}, {IDC_OC, ActivityId::Oc},
};

// Sent by the shell when it (re)starts: an icon added before then is gone, or was never shown.
UINT g_taskbarCreated = 0;

UptimeSeconds clockNow(void *) {
    return currentUptimeSeconds();
}

// Written only when it differs: the same text again still repaints the label, seven labels ten times a
// second. Compared with what the control shows, not a copy kept aside, so that a text anything else put
// there is mended at the next tick. A longer text there reads cut, and so never equal.
void showLabel(void *window, ActivityId a, const char *text) {
    const HWND label = platform::controlOf(static_cast<HWND>(window), LabelIds[indexOf(a)]);
    char shown[LabelBufferSize + 1];
    platform::windowText(label, shown, sizeof shown);
    if (std::strcmp(shown, text) != 0)
        platform::setWindowText(label, text);
}

// Windows holds notices back without a sound while a program fills the screen (automatic Do Not Disturb
// under a full-screen game or browser) and while nobody is there; the top-most window is then what the
// player sees, on their return too. Presentations, exclusive full-screen Direct3D and quiet time are left
// undisturbed, and so is a Do Not Disturb the user turned on, which the shell reports as accepting.
bool noticesHeldBack() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (!platform::userNotificationState(state))
        return false;
    return state == QUNS_BUSY || state == QUNS_APP || state == QUNS_NOT_PRESENT;
}

void showNotice(void *window, ActivityId, const ExpiryNotice &notice) {
    const HWND w = static_cast<HWND>(window);
    if (!platform::isVisible(w) && noticesHeldBack()) {
        Placement::keepOnScreen(w);
        platform::showWithoutActivating(w); // above the game, which keeps the keyboard
    }
    TrayIcon::showNotice(w, notice);
}

// Labels and list items go through single-byte calls, which read text in the system's code page: only
// ASCII reads the same in every one. The countdown texts are digits, signs and three ASCII letters.
constexpr bool isAscii(const char *text) {
    for (; *text != '\0'; ++text)
        if (static_cast<unsigned char>(*text) > 0x7F)
            return false;
    return true;
}
constexpr bool vehiclesAreAscii() {
    for (const VehicleChoice &v : VehicleTable)
        if (!isAscii(v.caption))
            return false;
    return true;
}
static_assert(isAscii(ReadyText) && vehiclesAreAscii(), "a single-byte text must be ASCII");

// Posted by WM_DPICHANGED: the picture is made again once the dialog manager has laid the controls out.
constexpr UINT WM_SHOWCREST = WM_APP + 1;

void fillVehicleList(HWND window) {
    const HWND list = platform::controlOf(window, IDC_VEHICLE);
    platform::clearList(list);
    // Each caption goes in at the top, last first: the list keeps table order although it has the sort
    // style, and a list position is a VehicleTable index.
    for (auto v = VehicleTable.rbegin(); v != VehicleTable.rend(); ++v)
        platform::insertListItem(list, 0, v->caption);
    platform::selectListItem(list, 0);
}

bool onCommand(HWND window, int controlId) {
    for (const StartCommand &c : StartCommands) {
        if (c.controlId == controlId) {
            start(g_board, c.activity, currentUptimeSeconds());
            return true;
        }
    }
    switch (controlId) {
    case IDC_VOAR: {
        const int selection = platform::listSelection(platform::controlOf(window, IDC_VEHICLE));
        startJourney(g_board, selection, currentUptimeSeconds());
        return true;
    }
    case IDC_HIDE:
        // Only with an icon to come back through: a window hidden without one would be lost.
        if (TrayIcon::isShown())
            platform::showWindow(window, false);
        return true;
    case IDC_RESET: resetAll(g_board); return true;
    case IDC_EXIT: platform::sendCloseCommand(window); return true;
    default: return false; // labels, the list's notifications, and Enter/Esc's IDOK/IDCANCEL
    }
}

void endRun(HWND window) {
    TrayIcon::remove(window);
    platform::stopTimer(window, TICK_TIMER_ID);
    platform::postQuit(0);
}

} // namespace

UptimeSeconds currentUptimeSeconds() {
    // Whole seconds of a 64-bit counter: no wrap after 49.7 days. Capped at the core's range (68 years).
    const std::uint64_t seconds = platform::uptimeMilliseconds() / 1000;
    constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<UptimeSeconds>::max());
    return static_cast<UptimeSeconds>(seconds < most ? seconds : most);
}

void CALLBACK TickProc(HWND window, UINT, UINT_PTR, DWORD) {
    const UptimeClock clock{clockNow, nullptr};
    const CountdownView view{showLabel, showNotice, window};
    TrayIcon::onTick(window); // first, so that a notice of this tick finds the icon if it can be had
    RefreshCountdowns(g_board, clock, view);
}

INT_PTR CALLBACK MainDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        g_taskbarCreated = platform::registerMessage("TaskbarCreated");
        platform::allowMessageFromLowerRights(window, g_taskbarCreated);
        OneCopy::markWindow(window);
        TrayIcon::add(window, g_board, currentUptimeSeconds);
        fillVehicleList(window);
        Crest::init(window);
        platform::startTimer(window, TICK_TIMER_ID, TickPeriodMs, TickProc);
        return TRUE; // focus to the first tab stop, "Crime"
    case WM_COMMAND: return onCommand(window, LOWORD(wParam));
    case WM_SYSCOMMAND:
        // Exactly SC_CLOSE: other values, SC_CLOSE with low bits set among them, get the default handling.
        if (wParam != SC_CLOSE)
            return FALSE;
        endRun(window);
        return TRUE;
    case WM_LBUTTONDOWN: platform::beginWindowDrag(window); return TRUE;
    case WM_TRAYICON: TrayIcon::onCallback(window, lParam); return TRUE;
    case WM_DPICHANGED:
        // On a monitor of another scale. Left unhandled, so that Windows' dialog manager lays the
        // template out again at the new DPI, which may size the picture control anew; the crest is scaled
        // after that, from the queue. Both axes have the same DPI.
        if (lParam != 0)
            platform::placeWindow(window, *reinterpret_cast<const RECT *>(lParam));
        platform::postMessage(window, WM_SHOWCREST, HIWORD(wParam), 0);
        return FALSE;
    case WM_SHOWCREST:
        Crest::showAt(window, static_cast<UINT>(wParam));
        Placement::keepOnScreen(window); // as laid out anew, at the new monitor's scale
        return TRUE;
    case WM_DISPLAYCHANGE: // a monitor gone, or a lower resolution
    case WM_SETTINGCHANGE: // with SPI_SETWORKAREA: the taskbar moved or grew
        if ((message == WM_DISPLAYCHANGE || wParam == SPI_SETWORKAREA) && platform::isVisible(window))
            Placement::keepOnScreen(window); // a hidden window is brought on screen when shown
        return FALSE;
    case WM_DESTROY:
        Crest::release(window);
        OneCopy::unmarkWindow(window);
        return FALSE;
    default:
        if (message == g_taskbarCreated && g_taskbarCreated != 0) {
            TrayIcon::onShellRestart(window);
            return TRUE;
        }
        if (OneCopy::isBringBackRequest(message)) { // from a second start
            Placement::show(window);
            platform::bringToFront(window);
            return TRUE;
        }
        return FALSE;
    }
}
