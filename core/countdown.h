#pragma once
// The countdown state and the evaluation done at every tick. No platform here: the clock and the
// place where texts and notices go are handed in, so any clock and any view can drive it.

#include "activities.h"

#include <array>
#include <cstddef>
#include <cstdint>

// Whole seconds since the machine started; never negative.
using UptimeSeconds = std::int32_t;

// Any deadline of 0 or below means idle; this is the one value written to make an action idle.
inline constexpr std::int32_t IDLE_DEADLINE = -1;

struct CountdownBoard {
    std::array<std::int32_t, ActivityCount> deadlines{IDLE_DEADLINE, IDLE_DEADLINE, IDLE_DEADLINE,
                                                      IDLE_DEADLINE, IDLE_DEADLINE, IDLE_DEADLINE,
                                                      IDLE_DEADLINE};
    std::int32_t journeyDuration = 0; // last vehicle chosen; survives resetAll
};

struct UptimeClock {
    UptimeSeconds (*nowSeconds)(void *context);
    void *context;
};

struct CountdownView {
    void (*setLabelText)(void *context, ActivityId a, const char *text);
    void (*raiseNotice)(void *context, ActivityId a, const ExpiryNotice &notice);
    void *context;
};

// Room for the longest text any remainder can give ("-59h -59m -59s") and its terminating zero.
inline constexpr std::size_t LabelBufferSize = 16;

void start(CountdownBoard &board, ActivityId a, UptimeSeconds now);
// selection is the vehicle list's answer: -1 when nothing is selected.
void startJourney(CountdownBoard &board, int selection, UptimeSeconds now);
void resetAll(CountdownBoard &board);

// Writes the text of remainder r in format f into out, terminated; returns the text's length.
std::size_t FormatRemainder(std::int32_t r, DisplayFormat f, char (&out)[LabelBufferSize]);

// The tray icon's tip: header, then a line for each running action in table order, its caption and the
// text its label shows ("Crime 1m 29s"). The lines alone when header and lines do not fit in capacity bytes
// with the terminating zero, cut if even they do not. Returns the text's length.
std::size_t DescribeTimeLeft(const CountdownBoard &board, UptimeSeconds now, const char *header, char *out,
                             std::size_t capacity);

void RefreshCountdowns(CountdownBoard &board, const UptimeClock &clock, const CountdownView &view);
