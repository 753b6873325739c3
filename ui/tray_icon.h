#pragma once
// The program's presence in the notification area: the way back to a hidden window, and where notices show.

#include "core/countdown.h"
#include "platform/win32.h"

#include <cstdint>

inline constexpr UINT WM_TRAYICON = WM_USER + 103;
inline constexpr UINT TRAY_ICON_ID = 1;
inline constexpr const char *TrayTip = "Quintabela Timer";

// The record through the balloon fields, without the identifier GUID: what every shell since Windows 2000
// understands, and what the shell is always handed here.
inline const DWORD TrayRecordSize = static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE);

// Until the shell says it holds the icon, the icon is claimed again about once a second, and the latest
// notice that could not be shown waits for it.
inline constexpr std::uint64_t ClaimRetryMs = 1000;
// The tip carries the time left, refreshed while the pointer rests on the icon at most this often.
inline constexpr std::uint64_t TipRefreshMs = 1000;

namespace TrayIcon {

// The tip tells the time left on board by the clock now, which the caller owns for as long as the icon.
void add(HWND window, const CountdownBoard &board, UptimeSeconds (*now)());
void showNotice(HWND window, const ExpiryNotice &notice);
void remove(HWND window);
void onCallback(HWND window, LPARAM lParam);
// "TaskbarCreated": a new shell holds no icon of ours.
void onShellRestart(HWND window);
// From every tick: claims the icon again when it is missing and a second has passed since the last try.
void onTick(HWND window);
// Whether the shell last said it holds the icon: without it a hidden window has no way back.
bool isShown();

} // namespace TrayIcon
