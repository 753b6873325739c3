#pragma once
// The main window's behaviour: commands, ticks, dragging, the tray icon's callbacks.

#include "core/countdown.h"
#include "platform/platform.h"

inline constexpr UINT_PTR TICK_TIMER_ID = 1;
inline constexpr UINT TickPeriodMs = 100;

// The process's one board, alive from start to exit.
extern CountdownBoard g_board;

INT_PTR CALLBACK MainDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK TickProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// The clock that the core and every start read.
UptimeSeconds currentUptimeSeconds();
