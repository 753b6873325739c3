#include "tray_icon.h"

#include "app.h"
#include "res/resource.h"

#include <cstring>

namespace {

// Copies at most size - 1 bytes and always terminates: the shell reads these fields as C strings.
template <std::size_t N> void copyText(char (&field)[N], const char *text) {
    std::strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

// A fresh record for every call: the shell keeps its own copy, and fields left over from an earlier
// notice must never leak into a later one.
NOTIFYICONDATAA iconRecord(HWND window, UINT flags) {
    NOTIFYICONDATAA record{};
    record.cbSize = TrayRecordSize;
    record.hWnd = window;
    record.uID = TRAY_ICON_ID;
    record.uFlags = flags;
    record.uCallbackMessage = WM_TRAYICON;
    record.hIcon = platform::loadSharedIcon(g_instance, IDI_TRAY);
    copyText(record.szTip, TrayTip);
    return record;
}

} // namespace

namespace TrayIcon {

void add(HWND window) {
    NOTIFYICONDATAA record = iconRecord(window, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    platform::notifyIcon(NIM_ADD, record);
}

void showNotice(HWND window, const ExpiryNotice &notice) {
    NOTIFYICONDATAA record = iconRecord(window, NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO);
    copyText(record.szInfoTitle, notice.title);
    copyText(record.szInfo, notice.text);
    record.dwInfoFlags = NIIF_INFO;
    platform::notifyIcon(NIM_MODIFY, record);
}

void remove(HWND window) {
    NOTIFYICONDATAA record{};
    record.cbSize = TrayRecordSize;
    record.hWnd = window;
    record.uID = TRAY_ICON_ID;
    platform::notifyIcon(NIM_DELETE, record);
}

void onCallback(HWND window, LPARAM lParam) {
    // Version 0 callbacks: lParam is the whole mouse message or notification code.
    if (lParam == WM_LBUTTONDBLCLK || lParam == NIN_BALLOONUSERCLICK)
        platform::showWindow(window, true);
}

} // namespace TrayIcon
