#include "platform.h"

namespace platform {

namespace {

// A system function that older Windows versions lack: null there.
template <typename Function> Function systemFunction(const char *dll, const char *name) {
    const FARPROC found = GetProcAddress(GetModuleHandleA(dll), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

template <typename Function> Function user32Function(const char *name) {
    return systemFunction<Function>("user32.dll", name);
}

} // namespace

void loadLibrariesFromSystemOnly() {
    using SetDirectories = BOOL(WINAPI *)(DWORD);
    if (const auto set = systemFunction<SetDirectories>("kernel32.dll", "SetDefaultDllDirectories"))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::uint64_t uptimeMilliseconds() {
    return GetTickCount64();
}

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

bool claimName(const char *name) {
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex && GetLastError() != ERROR_ALREADY_EXISTS)
        return true; // held until the process ends
    if (mutex)
        CloseHandle(mutex); // so that the name ends with the process that holds it
    return false;
}

void markWindow(HWND window, const char *property) {
    SetPropA(window, property, reinterpret_cast<HANDLE>(1));
}

void unmarkWindow(HWND window, const char *property) {
    RemovePropA(window, property);
}

HWND findMarkedWindow(const char *property) {
    struct Search {
        const char *property;
        HWND found;
    } search{property, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto *s = reinterpret_cast<Search *>(p);
            char cls[8] = {};
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == GetCurrentProcessId() || GetClassNameA(w, cls, sizeof cls) == 0 ||
                lstrcmpA(cls, "#32770") != 0 || !GetPropA(w, s->property))
                return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void allowForegroundTo(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    AllowSetForegroundWindow(owner);
}

bool deliverWithin(HWND window, UINT message, UINT timeoutMs) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &answer) !=
           0;
}

void pause(UINT ms) {
    Sleep(ms);
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

void becomeDpiAware() {
    using SetContext = BOOL(WINAPI *)(DPI_AWARENESS_CONTEXT);
    if (const auto set = user32Function<SetContext>("SetProcessDpiAwarenessContext"))
        set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

UINT windowDpi(HWND window) {
    using GetDpi = UINT(WINAPI *)(HWND);
    const auto get = user32Function<GetDpi>("GetDpiForWindow");
    const UINT dpi = get ? get(window) : 0;
    return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
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

RECT workAreaNearest(const RECT &rect) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
        return rect;
    return info.rcWork;
}

void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageA(window, message, wParam, lParam);
}

HBITMAP pictureOf(HWND control) {
    return reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

HBITMAP showPicture(HWND control, HBITMAP picture) {
    return reinterpret_cast<HBITMAP>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
}

SIZE bitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) == 0)
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

HBITMAP scaledBitmap(HBITMAP source, int width, int height) {
    const SIZE from = bitmapSize(source);
    if (from.cx <= 0 || from.cy <= 0 || width <= 0 || height <= 0)
        return nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC in = CreateCompatibleDC(screen), out = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    bool drawn = false;
    if (in && out && copy) {
        const HGDIOBJ inBefore = SelectObject(in, source), outBefore = SelectObject(out, copy);
        SetStretchBltMode(out, HALFTONE);
        SetBrushOrgEx(out, 0, 0, nullptr); // as HALFTONE requires after the mode is set
        drawn = StretchBlt(out, 0, 0, width, height, in, 0, 0, from.cx, from.cy, SRCCOPY) != FALSE;
        SelectObject(in, inBefore);
        SelectObject(out, outBefore);
    }
    if (in)
        DeleteDC(in);
    if (out)
        DeleteDC(out);
    if (copy && !drawn) {
        DeleteObject(copy);
        copy = nullptr;
    }
    return copy;
}

void freeBitmap(HBITMAP bitmap) {
    DeleteObject(bitmap);
}

HICON loadSharedIcon(HINSTANCE instance, int iconId) {
    return LoadIconA(instance, MAKEINTRESOURCEA(iconId));
}

UINT registerMessage(const char *name) {
    return RegisterWindowMessageA(name);
}

void widenWindows1252(const char *text, wchar_t *field, std::size_t capacity) {
    // A single-byte code page: one unit per byte, so what fits is known before converting.
    int bytes = 0;
    while (static_cast<std::size_t>(bytes) + 1 < capacity && text[bytes] != '\0')
        ++bytes;
    const int units = bytes == 0 ? 0 : MultiByteToWideChar(1252, 0, text, bytes, field, bytes);
    field[units] = L'\0';
}

void allowMessageFromLowerRights(HWND window, UINT message) {
    ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

} // namespace platform
