#include "running_board.h"

#include <benchmark/benchmark.h>

static void BM_RefreshCountdowns_SevenRunning(benchmark::State &state) {
    CountdownBoard board = allRunning(1000);
    UptimeSeconds seconds = 0;
    const UptimeClock clock{steppingClock, &seconds};
    for (auto _ : state) {
        RefreshCountdowns(board, clock, discardingView);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RefreshCountdowns_SevenRunning);

BENCHMARK_MAIN();
