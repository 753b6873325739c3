#include "tray_icon.h"

#include "app.h"
#include "placement.h"
#include "platform/display.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/windowing.h"
#include "res/resource.h"

namespace {

// Cut to fit and always terminated: the shell reads these fields as C strings.
template <std::size_t N> void copyText(wchar_t (&field)[N], const char *text) {
    platform::widenWindows1252(text, field, N);
}

// Where the tip's time left comes from; set by add.
const CountdownBoard *g_tipBoard = nullptr;
UptimeSeconds (*g_tipNow)() = nullptr;

// A fresh record for every call: the shell keeps its own copy, and fields left over from an earlier
// notice must never leak into a later one.
NOTIFYICONDATAW iconRecord(HWND window, UINT flags) {
    NOTIFYICONDATAW record{};
    record.cbSize = TrayRecordSize;
    record.hWnd = window;
    record.uID = TRAY_ICON_ID;
    record.uFlags = flags;
    record.uCallbackMessage = WM_TRAYICON;
    record.hIcon = platform::loadSharedIcon(g_instance, IDI_TRAY);
    char tip[sizeof record.szTip / sizeof record.szTip[0]];
    if (g_tipBoard) {
        DescribeTimeLeft(*g_tipBoard, g_tipNow(), TrayTip, tip, sizeof tip);
        copyText(record.szTip, tip);
    } else {
        copyText(record.szTip, TrayTip);
    }
    return record;
}

// What the shell last answered. Every shell call may let messages sent to the window in before it
// returns, so these are read again after each call rather than kept in locals across it.
bool g_wanted = false; // from add to remove
bool g_shown = false;  // the shell said it holds the icon
std::uint64_t g_nextClaimMs = 0;
std::uint64_t g_nextTipMs = 0;
ExpiryNotice g_pending{}; // the latest notice the shell could not show; no title when none

void showPending(HWND window) {
    if (!g_shown || !g_pending.title)
        return;
    const ExpiryNotice notice = g_pending;
    g_pending = {};
    TrayIcon::showNotice(window, notice);
}

// A busy shell can carry out an add and still report a failure (it timed out at logon, say); a second add
// of the same icon is then refused, so a modify asks whether the shell holds it after all.
void claim(HWND window) {
    NOTIFYICONDATAW record = iconRecord(window, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    const bool shown = platform::notifyIcon(NIM_ADD, record) || platform::notifyIcon(NIM_MODIFY, record);
    if (!g_wanted)
        return; // closed meanwhile
    g_shown = shown;
    g_nextClaimMs = platform::uptimeMilliseconds() + ClaimRetryMs;
    showPending(window);
}

// The pointer rests on the icon: the tip it is about to show gets the time left, once a second at most, so
// that the shell is called only while somebody looks.
void refreshTip(HWND window) {
    const std::uint64_t now = platform::uptimeMilliseconds();
    if (!g_shown || now < g_nextTipMs)
        return;
    g_nextTipMs = now + TipRefreshMs;
    NOTIFYICONDATAW record = iconRecord(window, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    const bool shown = platform::notifyIcon(NIM_MODIFY, record);
    if (g_wanted && !shown)
        g_shown = false; // lost: claimed again from the next tick on
}

} // namespace

namespace TrayIcon {

void add(HWND window, const CountdownBoard &board, UptimeSeconds (*now)()) {
    g_tipBoard = &board;
    g_tipNow = now;
    g_wanted = true;
    g_shown = false;
    g_pending = {};
    g_nextTipMs = 0;
    claim(window);
}

void onShellRestart(HWND window) {
    if (g_wanted)
        claim(window);
}

void onTick(HWND window) {
    if (g_wanted && !g_shown && platform::uptimeMilliseconds() >= g_nextClaimMs)
        claim(window);
}

bool isShown() {
    return g_shown;
}

void showNotice(HWND window, const ExpiryNotice &notice) {
    NOTIFYICONDATAW record = iconRecord(window, NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO);
    copyText(record.szInfoTitle, notice.title);
    copyText(record.szInfo, notice.text);
    record.dwInfoFlags = NIIF_INFO;
    const bool shown = platform::notifyIcon(NIM_MODIFY, record);
    if (!g_wanted)
        return;
    if (shown) {
        g_shown = true;
        return;
    }
    // No icon to show it from: the icon is claimed again from the next tick on, and the notice waits.
    g_shown = false;
    g_pending = notice;
}

void remove(HWND window) {
    g_wanted = false;
    g_shown = false;
    NOTIFYICONDATAW record{};
    record.cbSize = TrayRecordSize;
    record.hWnd = window;
    record.uID = TRAY_ICON_ID;
    platform::notifyIcon(NIM_DELETE, record);
}

void onCallback(HWND window, LPARAM lParam) {
    // Version 0 callbacks: lParam is the whole mouse message or notification code.
    if (lParam == WM_LBUTTONDBLCLK || lParam == NIN_BALLOONUSERCLICK)
        Placement::show(window);
    else if (lParam == WM_MOUSEMOVE)
        refreshTip(window);
}

} // namespace TrayIcon
