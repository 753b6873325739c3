#include "display.h"

namespace platform {

void becomeDpiAware() {
    using SetContext = BOOL(WINAPI *)(DPI_AWARENESS_CONTEXT);
    if (const auto set = systemFunction<SetContext>("user32.dll", "SetProcessDpiAwarenessContext"))
        set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

UINT windowDpi(HWND window) {
    using GetDpi = UINT(WINAPI *)(HWND);
    const auto get = systemFunction<GetDpi>("user32.dll", "GetDpiForWindow");
    const UINT dpi = get ? get(window) : 0;
    return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

RECT workAreaNearest(const RECT &rect) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
        return rect;
    return info.rcWork;
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

} // namespace platform
