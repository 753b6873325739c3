#pragma once
// The worst case of the tick: all seven actions running, so every one reads the clock and formats a text.
#include "core/countdown.h"

inline CountdownBoard allRunning(UptimeSeconds now) {
    CountdownBoard board;
    for (const ActivitySpec &row : ActivityTable)
        start(board, row.id, now);
    startJourney(board, 0, now);
    return board;
}

// A clock that moves one second per read keeps texts changing; the deadlines are far enough ahead that
// nothing expires during a run.
inline UptimeSeconds steppingClock(void *c) {
    return (*static_cast<UptimeSeconds *>(c))++ % 3000 + 1000;
}

inline const CountdownView discardingView{[](void *, ActivityId, const char *) {},
                                          [](void *, ActivityId, const ExpiryNotice &) {}, nullptr};
