#include "process.h"

namespace platform {

void loadLibrariesFromSystemOnly() {
    using SetDirectories = BOOL(WINAPI *)(DWORD);
    if (const auto set = systemFunction<SetDirectories>("kernel32.dll", "SetDefaultDllDirectories"))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::uint64_t uptimeMilliseconds() {
    return GetTickCount64();
}

void pause(UINT ms) {
    Sleep(ms);
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

} // namespace platform
