// Calls RefreshCountdowns a fixed number of times, for callgrind: instructions per call are the total
// counted inside RefreshCountdowns divided by the count printed here.
#include "running_board.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    const long calls = argc > 1 ? std::atol(argv[1]) : 100000;
    CountdownBoard board = allRunning(1000);
    UptimeSeconds seconds = 0;
    const UptimeClock clock{steppingClock, &seconds};
    for (long i = 0; i < calls; ++i)
        RefreshCountdowns(board, clock, discardingView);
    std::printf("%ld calls\n", calls);
}
