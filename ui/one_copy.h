#pragma once
// One copy per user session: a second start brings the running copy's window back instead of opening a
// second window, icon and set of idle countdowns.

#include "platform/win32.h"

namespace OneCopy {

// Before any window exists. True when a copy already runs in this session and took the request to bring
// its window back: this start then ends. False when this is the first copy, or when the running one did
// not answer in time (hung), or never showed a window: the player then gets a copy of their own.
bool handedToRunningCopy();
// At the window's creation: the window a later start asks for, and the request let in from lower rights.
void markWindow(HWND window);
// At its destruction: a property is the window's owner's to remove.
void unmarkWindow(HWND window);
// The request to bring the window back: shown if hidden, brought to the front either way.
bool isBringBackRequest(UINT message);

} // namespace OneCopy
