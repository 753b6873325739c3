// The tick runs ten times a second for as long as the program runs: it must not touch the heap.
#include "core/countdown.h"

#include <gtest/gtest.h>

#include "alloc_counter.h"

TEST(RefreshCountdowns, AllocatesNothing) {
    CountdownBoard board;
    for (ActivityId a : {ActivityId::Crime, ActivityId::Carro, ActivityId::Heist, ActivityId::Oc,
                         ActivityId::Balas, ActivityId::Matar})
        start(board, a, 1000);
    startJourney(board, 2, 1000);

    UptimeSeconds now = 1000;
    const UptimeClock clock{[](void *c) { return *static_cast<UptimeSeconds *>(c); }, &now};
    int calls = 0;
    const CountdownView view{[](void *c, ActivityId, const char *) { ++*static_cast<int *>(c); },
                             [](void *c, ActivityId, const ExpiryNotice &) { ++*static_cast<int *>(c); },
                             &calls};

    // Walk every action through its texts and its expiry.
    allocCounting = true;
    for (; now <= 1000 + 43201; now += 7)
        RefreshCountdowns(board, clock, view);
    allocCounting = false;

    EXPECT_EQ(allocCount.load(), 0);
    EXPECT_GT(calls, 7 * 6000);
    // Proves the counter works, so a zero above means something.
    allocCounting = true;
    int *volatile probe = new int(1);
    delete probe;
    allocCounting = false;
    EXPECT_EQ(allocCount.load(), 1);
}
