#include "crest.h"

#include "platform/display.h"
#include "platform/windowing.h"
#include "res/resource.h"

namespace {

// The template's bitmap is the source of every copy (a copy of a copy would blur further) and is itself
// what a window at 96 DPI shows; any other DPI shows a scaled copy of ours, freed when the next one
// replaces it.
HBITMAP g_crest = nullptr;
HBITMAP g_scaledCrest = nullptr;

// 50 % to 1000 %: a DPI outside it comes from no display, and a picture that large could not be made.
constexpr UINT LeastDpi = 48, MostDpi = 960;

constexpr int atDpi(int pixels, UINT dpi) {
    return static_cast<int>((static_cast<long long>(pixels) * dpi + USER_DEFAULT_SCREEN_DPI / 2) /
                            USER_DEFAULT_SCREEN_DPI);
}

} // namespace

namespace Crest {

void init(HWND window) {
    g_crest = platform::pictureOf(platform::controlOf(window, IDC_PICTURE));
    showAt(window, platform::windowDpi(window));
}

void showAt(HWND window, UINT dpi) {
    if (!g_crest || dpi < LeastDpi || dpi > MostDpi)
        return;
    HBITMAP scaled = nullptr;
    if (dpi != USER_DEFAULT_SCREEN_DPI) {
        const SIZE size = platform::bitmapSize(g_crest);
        scaled = platform::scaledBitmap(g_crest, atDpi(size.cx, dpi), atDpi(size.cy, dpi));
        if (!scaled)
            return; // the picture shown stays
    }
    platform::showPicture(platform::controlOf(window, IDC_PICTURE), scaled ? scaled : g_crest);
    if (g_scaledCrest)
        platform::freeBitmap(g_scaledCrest);
    g_scaledCrest = scaled;
}

void release(HWND window) {
    if (!g_scaledCrest)
        return;
    platform::showPicture(platform::controlOf(window, IDC_PICTURE), g_crest);
    platform::freeBitmap(g_scaledCrest);
    g_scaledCrest = nullptr;
}

} // namespace Crest
