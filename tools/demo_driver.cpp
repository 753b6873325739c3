// Puts the running program into a state worth a picture, for tools/screenshot: with "window", the window
// as it starts; with "running", countdowns going and the balloon of a real Crime expiry (about 90 s).
// Prints "ready" once the state is reached, and keeps it for the given seconds so a screenshot can be taken.
#include "res/resource.h"
#include "tests/shell_side.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND g_window = nullptr;

void click(int id) {
    SendMessageA(GetDlgItem(g_window, id), BM_CLICK, 0, 0);
}

std::string label(int id) {
    return windowText(GetDlgItem(g_window, id));
}

} // namespace

int main(int argc, char **argv) {
    const bool running = argc > 1 && std::strcmp(argv[1], "running") == 0;
    const int holdSeconds = argc > 2 ? std::atoi(argv[2]) : 10;

    const std::string path = besideThisProgram("Quintabela_Timer.exe");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("cannot start %s\n", path.c_str());
        return 1;
    }
    for (int i = 0; i < 200 && !g_window; ++i, Sleep(50))
        g_window = visibleDialogOf(process.dwProcessId);
    if (!g_window) {
        std::printf("no window\n");
        return 1;
    }

    if (running) {
        // Next to the tray, so that one small picture holds the window, the icon and the balloon.
        SetWindowPos(g_window, nullptr, 4, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        click(IDC_CRIME);
        Sleep(84000);
        click(IDC_CARRO);
        SendMessageA(GetDlgItem(g_window, IDC_VEHICLE), CB_SETCURSEL, 3, 0);
        click(IDC_VOAR);
        click(IDC_HEIST);
        click(IDC_BALAS);
        bool balloon = false;
        for (int i = 0; i < 300 && !balloon; ++i, Sleep(50))
            balloon = !visibleBalloonTexts().empty();
        Sleep(300);
        std::printf("Crime %s, balloon %s\n", label(IDC_CRIME_TIME).c_str(), balloon ? "shown" : "missing");
    } else {
        Sleep(500);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    Sleep(holdSeconds * 1000);
    click(IDC_EXIT);
    WaitForSingleObject(process.hProcess, 5000);
    return 0;
}
