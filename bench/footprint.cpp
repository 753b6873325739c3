// Measures the program against the floor, side by side in one run under the same conditions: time from
// process start to a visible window, private memory and peak working set once it is up, CPU time over a
// fixed span, and the file's size and imports. Every figure is the operating system's own accounting.
//
//   footprint.exe FLOOR.exe PROGRAM.exe [MORE.exe...] [--starts=N] [--seconds=S]
#include "res/resource.h"
#include "tests/pe_summary.h"
#include "tests/win_test_util.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Running {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    double startMs = 0;
};

double millisecondsSince(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

bool launch(const std::string &exe, Running &r) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &r.process))
        return false;
    for (int i = 0; i < 20000 && !r.window; ++i) {
        r.window = visibleDialogOf(r.process.dwProcessId);
        if (!r.window)
            Sleep(0 == i % 2 ? 0 : 1);
    }
    r.startMs = millisecondsSince(start);
    return r.window != nullptr;
}

void end(Running &r) {
    PostMessageA(r.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (WaitForSingleObject(r.process.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(r.process.hProcess, 1);
    CloseHandle(r.process.hThread);
    CloseHandle(r.process.hProcess);
}

struct Memory {
    double privateKiB = 0, peakWorkingSetKiB = 0;
};

// PagefileUsage is the committed private memory (Windows reports PrivateUsage as the same figure; Wine
// only fills in the former for another process).
Memory memoryOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    GetProcessMemoryInfo(process, &m, sizeof m);
    return {static_cast<double>(m.PagefileUsage) / 1024.0,
            static_cast<double>(m.PeakWorkingSetSize) / 1024.0};
}

// Under Wine, GetProcessTimes of another process keeps its start-up figure, so there the Linux kernel's
// own accounting of the same process is read, from /proc as Wine shows it on drive Z:.
bool underWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string readSmallFile(const std::string &path) {
    std::string text;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got)
        text.append(buffer, got);
    CloseHandle(f);
    return text;
}

// The Linux process whose program path ends with the given file name.
std::string procDirOf(const std::string &exeName) {
    std::string found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        const std::string pid = entry.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string program = readSmallFile("Z:\\proc\\" + pid + "\\cmdline");
        program = program.substr(0, program.find('\0'));
        program = program.substr(program.find_last_of("\\/") + 1);
        if (_stricmp(program.c_str(), exeName.c_str()) == 0)
            found = "Z:\\proc\\" + pid;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// User plus system time in 100 ns units.
ULONGLONG cpu100ns(HANDLE process, const std::string &procDir) {
    if (!procDir.empty()) {
        const std::string stat = readSmallFile(procDir + "\\stat");
        unsigned long long user = 0, system = 0;
        // Past the command name in parentheses: state is field 3, utime and stime fields 14 and 15.
        std::sscanf(stat.c_str() + stat.rfind(')') + 1,
                    " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system);
        return (user + system) * (10000000 / 100); // clock ticks of 1/100 s
    }
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto value = [](FILETIME f) { return (ULONGLONG{f.dwHighDateTime} << 32) | f.dwLowDateTime; };
    return value(kernel) + value(user);
}

// User plus system time over the span, as a share of one core.
double cpuPercent(HANDLE process, const std::string &procDir, int seconds) {
    const ULONGLONG before = cpu100ns(process, procDir);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    Sleep(seconds * 1000);
    const double wallMs = millisecondsSince(start);
    return 100.0 * static_cast<double>(cpu100ns(process, procDir) - before) / 10000.0 / wallMs;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Figures {
    std::string name;
    double startMs = 0, privateKiB = 0, peakKiB = 0, cpuVisible = -1, cpuHidden = -1, fileKiB = 0;
    PeSummary pe;
};

void click(HWND window, int id) {
    SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

Figures measure(const std::string &exe, bool isFloor, int starts, int seconds) {
    Figures f;
    f.name = exe.substr(exe.find_last_of("\\/") + 1);
    f.pe = readPe(exe);
    std::vector<double> times, privates, peaks;
    for (int i = 0; i < starts; ++i) {
        Running r;
        if (!launch(exe, r)) {
            std::printf("%s: no window\n", exe.c_str());
            std::exit(1);
        }
        times.push_back(r.startMs);
        Sleep(1000); // let it settle: first paint, first ticks
        const Memory m = memoryOf(r.process.hProcess);
        privates.push_back(m.privateKiB);
        peaks.push_back(m.peakWorkingSetKiB);
        end(r);
    }
    f.startMs = median(times);
    f.privateKiB = median(privates);
    f.peakKiB = median(peaks);

    Running r;
    launch(exe, r);
    if (!isFloor) // all seven countdowns running
        for (int id : {IDC_CRIME, IDC_CARRO, IDC_VOAR, IDC_HEIST, IDC_OC, IDC_BALAS, IDC_MATAR})
            click(r.window, id);
    Sleep(2000);
    const std::string procDir = underWine() ? procDirOf(f.name) : std::string();
    if (underWine() && procDir.empty())
        std::printf("%s: not found in /proc\n", f.name.c_str());
    f.cpuVisible = cpuPercent(r.process.hProcess, procDir, seconds);
    std::printf("%s: %.2f%% of a core, window visible\n", f.name.c_str(), f.cpuVisible);
    if (!isFloor) {
        click(r.window, IDC_HIDE);
        Sleep(2000);
        f.cpuHidden = cpuPercent(r.process.hProcess, procDir, seconds);
        std::printf("%s: %.2f%% of a core, window hidden\n", f.name.c_str(), f.cpuHidden);
    }
    end(r);
    return f;
}

// One line of the table: a cell per program, each after the first with its ratio to the floor.
void row(const char *figure, const char *unit, const std::vector<Figures> &all, double Figures::*field) {
    std::printf("%-34s", figure);
    const double floor = all[0].*field;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const double v = all[i].*field;
        char cell[32] = "-";
        if (v >= 0)
            std::snprintf(cell, sizeof cell, "%.2f %s", v, unit);
        std::printf(" %16s", cell);
        if (i > 0) {
            char ratio[16] = "";
            if (v >= 0 && floor > 0)
                std::snprintf(ratio, sizeof ratio, "x%.2f", v / floor);
            std::printf(" %-8s", ratio);
        }
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv) {
    std::vector<std::string> exes;
    int starts = 7, seconds = 60;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--starts=", 0) == 0)
            starts = std::atoi(a.c_str() + 9);
        else if (a.rfind("--seconds=", 0) == 0)
            seconds = std::atoi(a.c_str() + 10);
        else
            exes.push_back(a);
    }
    if (exes.size() < 2 || starts < 1 || seconds < 1) {
        std::printf("usage: footprint FLOOR.exe PROGRAM.exe [MORE.exe...] [--starts=N] [--seconds=S]\n");
        return 2;
    }

    std::vector<Figures> all;
    for (std::size_t i = 0; i < exes.size(); ++i)
        all.push_back(measure(exes[i], i == 0, starts, seconds));

    std::printf("\n%d starts each (median), CPU over %d s; ratio against the floor\n", starts, seconds);
    std::printf("%-34s", "");
    for (std::size_t i = 0; i < all.size(); ++i)
        std::printf(" %16.16s%s", all[i].name.c_str(), i ? "         " : "");
    std::printf("\n");
    row("start to visible window", "ms", all, &Figures::startMs);
    row("private memory", "KiB", all, &Figures::privateKiB);
    row("peak working set", "KiB", all, &Figures::peakKiB);
    row("CPU, window visible (floor: idle)", "%", all, &Figures::cpuVisible);
    row("CPU, window hidden", "%", all, &Figures::cpuHidden);
    for (Figures &f : all)
        f.fileKiB = static_cast<double>(f.pe.size) / 1024.0;
    row("file size", "KiB", all, &Figures::fileKiB);
    for (const Figures &f : all) {
        std::printf("imports of %s:", f.name.c_str());
        for (const std::string &d : f.pe.imports)
            std::printf(" %s", d.c_str());
        std::printf("\n");
    }
}
