#include "one_copy.h"

#include "platform/process.h"
#include "platform/windowing.h"
namespace {

// Names of our own; Local\ is the user's session, so another user signed in keeps a copy of their own.
constexpr const char *SessionName = "Local\\QuintabelaTimer.OneCopy.7d3f6a52";
constexpr const char *WindowProperty = "QuintabelaTimer.Window.7d3f6a52";
constexpr const char *RequestName = "QuintabelaTimer.BringBack.7d3f6a52";

// A running copy that does not take the request this soon is hung; one that shows no window this soon
// never will.
constexpr UINT AnswerWithinMs = 3000;
constexpr UINT WindowWithinMs = 5000, PollMs = 100;

UINT g_request = 0;

UINT request() {
    if (g_request == 0)
        g_request = platform::registerMessage(RequestName);
    return g_request;
}

} // namespace

namespace OneCopy {

bool handedToRunningCopy() {
    for (UINT waited = 0; waited <= WindowWithinMs; waited += PollMs) {
        // Asked again while waiting: a copy that was ending (after "Sair") gives the name up.
        if (platform::claimName(SessionName))
            return false;
        if (const HWND running = platform::findMarkedWindow(WindowProperty)) {
            platform::allowForegroundTo(running);
            return platform::deliverWithin(running, request(), AnswerWithinMs);
        }
        platform::pause(PollMs); // still starting: its window comes within a second
    }
    return false;
}

void markWindow(HWND window) {
    platform::markWindow(window, WindowProperty);
    platform::allowMessageFromLowerRights(window, request());
}

void unmarkWindow(HWND window) {
    platform::unmarkWindow(window, WindowProperty);
}

bool isBringBackRequest(UINT message) {
    return message != 0 && message == g_request;
}

} // namespace OneCopy
