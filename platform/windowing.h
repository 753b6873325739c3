#pragma once
// Windows, dialogs and their controls, messages and timers (user32). Single-byte calls: the window's texts
// are ASCII and so read the same in every code page.

#include "win32.h"

#include <cstddef>

namespace platform {

// Runs the template as a modal dialog, without owner, until the quit message; returns the dialog's result.
INT_PTR runModalDialog(HINSTANCE instance, int templateId, DLGPROC procedure);

HWND controlOf(HWND dialog, int controlId);
void setWindowText(HWND window, const char *text);
// The window's text, cut to fit capacity bytes with the terminating zero; empty on failure.
void windowText(HWND window, char *text, int capacity);

// The vehicle list. Inserting at a position keeps the order given, even in a list with the sort style.
void clearList(HWND list);
void insertListItem(HWND list, int position, const char *text);
void selectListItem(HWND list, int position);
int listSelection(HWND list); // -1 when nothing is selected

// The close system command, handled before this returns.
void sendCloseCommand(HWND window);
// Lets the mouse drag the window as if its title bar had been pressed.
void beginWindowDrag(HWND window);
void showWindow(HWND window, bool visible);
bool isVisible(HWND window);
// Shown and raised among the top-most windows, without taking the foreground or the keyboard focus.
void showWithoutActivating(HWND window);
// SetForegroundWindow: Windows grants it only where the foreground's owner allowed it.
void bringToFront(HWND window);
// Moves and sizes the window to rect, in screen pixels.
void placeWindow(HWND window, const RECT &rect);
RECT windowRect(HWND window);

void startTimer(HWND window, UINT_PTR id, UINT periodMs, TIMERPROC procedure);
void stopTimer(HWND window, UINT_PTR id);
void postQuit(int exitCode);
void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
UINT registerMessage(const char *name);
// Lets this one message reach the window from a process with lower rights (the shell, when this program
// runs as administrator); every other message stays filtered.
void allowMessageFromLowerRights(HWND window, UINT message);
// SendMessageTimeout: true when the window's thread took the message within timeoutMs.
bool deliverWithin(HWND window, UINT message, UINT timeoutMs);

// The program's texts are Windows-1252 bytes. A single-byte call would read them in the system's code page,
// which is 1252 only on Western settings, so the shell gets the letters they mean: widened from 1252 itself,
// cut to fit capacity units with the terminating zero.
void widenWindows1252(const char *text, wchar_t *field, std::size_t capacity);

} // namespace platform
