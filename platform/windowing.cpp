#include "windowing.h"

namespace platform {

INT_PTR runModalDialog(HINSTANCE instance, int templateId, DLGPROC procedure) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), nullptr, procedure, 0);
}

HWND controlOf(HWND dialog, int controlId) {
    return GetDlgItem(dialog, controlId);
}

void setWindowText(HWND window, const char *text) {
    SetWindowTextA(window, text);
}

void windowText(HWND window, char *text, int capacity) {
    if (capacity > 0 && GetWindowTextA(window, text, capacity) == 0)
        text[0] = '\0';
}

void clearList(HWND list) {
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
}

void insertListItem(HWND list, int position, const char *text) {
    SendMessageA(list, CB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text));
}

void selectListItem(HWND list, int position) {
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

int listSelection(HWND list) {
    return static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
}

void sendCloseCommand(HWND window) {
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void beginWindowDrag(HWND window) {
    ReleaseCapture();
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void showWindow(HWND window, bool visible) {
    ShowWindow(window, visible ? SW_SHOW : SW_HIDE);
}

bool isVisible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

void showWithoutActivating(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void bringToFront(HWND window) {
    SetForegroundWindow(window);
}

void placeWindow(HWND window, const RECT &rect) {
    SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

void startTimer(HWND window, UINT_PTR id, UINT periodMs, TIMERPROC procedure) {
    SetTimer(window, id, periodMs, procedure);
}

void stopTimer(HWND window, UINT_PTR id) {
    KillTimer(window, id);
}

void postQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageA(window, message, wParam, lParam);
}

UINT registerMessage(const char *name) {
    return RegisterWindowMessageA(name);
}

void allowMessageFromLowerRights(HWND window, UINT message) {
    ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

bool deliverWithin(HWND window, UINT message, UINT timeoutMs) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &answer) !=
           0;
}

void widenWindows1252(const char *text, wchar_t *field, std::size_t capacity) {
    // A single-byte code page: one unit per byte, so what fits is known before converting.
    int bytes = 0;
    while (static_cast<std::size_t>(bytes) + 1 < capacity && text[bytes] != '\0')
        ++bytes;
    const int units = bytes == 0 ? 0 : MultiByteToWideChar(1252, 0, text, bytes, field, bytes);
    field[units] = L'\0';
}

} // namespace platform
