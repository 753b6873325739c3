#pragma once
// Where the window may stand. It has no title bar and no taskbar button: a window that no monitor shows can
// never be dragged back. Plain rectangles, as the platform reports them, so that the rule needs no display.

struct ScreenRect {
    int left, top, right, bottom; // right and bottom exclusive
};

// One axis of MovedInto: the least shift that puts [low, high) inside [lowest, highest); longer than that,
// its low edge at lowest.
constexpr int ShiftInto(int low, int high, int lowest, int highest) {
    if (low < lowest || high - low > highest - lowest)
        return lowest - low;
    return high > highest ? highest - high : 0;
}

// The window moved the least distance that puts it wholly inside area (a monitor's work area), its size
// kept: not moved at all when it is inside already. Larger than area, it keeps its top-left corner inside,
// where the player can take hold of it.
constexpr ScreenRect MovedInto(const ScreenRect &window, const ScreenRect &area) {
    const int dx = ShiftInto(window.left, window.right, area.left, area.right);
    const int dy = ShiftInto(window.top, window.bottom, area.top, area.bottom);
    return {window.left + dx, window.top + dy, window.right + dx, window.bottom + dy};
}
