#pragma once
// Every call the program makes into the kernel, user32, gdi32 and shell32, one function per operation.
// Single-byte variants for the window's texts, which are ASCII and so read the same in every code page; the
// shell gets UTF-16, since its texts are not. Results are passed back only where the program relies on them.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>

namespace platform {

// Every DLL loaded by its bare name from then on, by the program or by system DLLs on its behalf, comes from
// System32 only, never from the exe's own folder (a Downloads folder holds whatever was downloaded there).
// Looked up at run time: a Windows without the call keeps its default search and still runs.
void loadLibrariesFromSystemOnly();

// Milliseconds since the machine started; 64 bits, so it never wraps.
std::uint64_t uptimeMilliseconds();

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

// A named mutex: true when this process now holds the name, kept for its life; false when another process
// holds it, also one with other rights, whose mutex this one may not even open.
bool claimName(const char *name);
// A window property that tells the program's window apart from every other dialog.
void markWindow(HWND window, const char *property);
void unmarkWindow(HWND window, const char *property);
// The top-level dialog of another process that carries the property; null when there is none.
HWND findMarkedWindow(const char *property);
// Lets the window's process take the foreground, as this one (just started by the user) may.
void allowForegroundTo(HWND window);
// SendMessageTimeout: true when the window's thread took the message within timeoutMs.
bool deliverWithin(HWND window, UINT message, UINT timeoutMs);
void pause(UINT ms);

void startTimer(HWND window, UINT_PTR id, UINT periodMs, TIMERPROC procedure);
void stopTimer(HWND window, UINT_PTR id);
void postQuit(int exitCode);

// Per-monitor DPI awareness (v2), before any window exists, so that the system draws nothing stretched.
// Looked up at run time: a Windows 10 older than 1703 has no such call, and there the program stays as it
// was, unaware and stretched by the system.
void becomeDpiAware();
// The DPI the window is laid out at; 96 where the system has no per-window DPI.
UINT windowDpi(HWND window);
// Moves and sizes the window to rect, in screen pixels.
void placeWindow(HWND window, const RECT &rect);
RECT windowRect(HWND window);
// The work area (the monitor less the taskbar and docked bars) of the monitor that shows most of rect, or
// of the one nearest to it when none shows any; rect itself if the system cannot tell.
RECT workAreaNearest(const RECT &rect);
void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The bitmap a picture control shows. Showing another sizes the control to it, and gives back the one shown
// before, which the control then no longer uses.
HBITMAP pictureOf(HWND control);
HBITMAP showPicture(HWND control, HBITMAP picture);
SIZE bitmapSize(HBITMAP bitmap);
// A copy of source at width x height, each pixel averaged from those it covers (halftone), not repeated;
// null if none could be made. The caller frees it.
HBITMAP scaledBitmap(HBITMAP source, int width, int height);
void freeBitmap(HBITMAP bitmap);

// A shared handle: never destroyed, so loading it again costs nothing.
HICON loadSharedIcon(HINSTANCE instance, int iconId);
UINT registerMessage(const char *name);
// Lets this one message reach the window from a process with lower rights (the shell, when this program
// runs as administrator); every other message stays filtered.
void allowMessageFromLowerRights(HWND window, UINT message);

// The program's texts are Windows-1252 bytes. A single-byte call would read them in the system's code page,
// which is 1252 only on Western settings, so the shell gets the letters they mean: widened from 1252 itself,
// cut to fit capacity units with the terminating zero.
void widenWindows1252(const char *text, wchar_t *field, std::size_t capacity);

// Shell_NotifyIconW; true when the shell says it did what was asked. Kept apart (platform/shell.cpp) so that
// tests can link a stand-in shell in its place: what reaches the shell cannot be seen from outside.
bool notifyIcon(DWORD message, NOTIFYICONDATAW &record);
// SHQueryUserNotificationState, kept beside it for the same reason; false when the call fails.
bool userNotificationState(QUERY_USER_NOTIFICATION_STATE &state);

} // namespace platform
