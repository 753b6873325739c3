#include "core/countdown.h"
#include "core/placement.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct FakeClock {
    UptimeSeconds now = 0;
    int reads = 0;
    UptimeClock clock() {
        return {
            [](void *c) { return ++static_cast<FakeClock *>(c)->reads, static_cast<FakeClock *>(c)->now; },
            this};
    }
};

// Keeps every call in order, so tests can check what came before what.
struct RecordingView {
    struct Event {
        ActivityId id;
        bool notice;
        std::string title, text;
    };
    std::vector<Event> events;
    // Runs inside a notice, as a message that the shell call lets in would.
    std::function<void()> duringNotice;

    CountdownView view() {
        return {[](void *c, ActivityId a, const char *text) {
                    static_cast<RecordingView *>(c)->events.push_back({a, false, {}, text});
                },
                [](void *c, ActivityId a, const ExpiryNotice &n) {
                    auto *self = static_cast<RecordingView *>(c);
                    self->events.push_back({a, true, n.title, n.text});
                    if (self->duringNotice)
                        self->duringNotice();
                },
                this};
    }
    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (const Event &e : events)
            if (!e.notice)
                out.push_back(e.text);
        return out;
    }
    std::string label(ActivityId a) const {
        std::string last;
        for (const Event &e : events)
            if (!e.notice && e.id == a)
                last = e.text;
        return last;
    }
    std::vector<Event> notices() const {
        std::vector<Event> out;
        for (const Event &e : events)
            if (e.notice)
                out.push_back(e);
        return out;
    }
};

struct Tick {
    CountdownBoard &board;
    FakeClock clock;
    RecordingView seen;

    // One evaluation at second t; returns what it showed.
    RecordingView &at(UptimeSeconds t) {
        clock.now = t;
        clock.reads = 0;
        seen.events.clear();
        RefreshCountdowns(board, clock.clock(), seen.view());
        return seen;
    }
};

std::string format(std::int32_t r, DisplayFormat f) {
    char buf[LabelBufferSize];
    std::memset(buf, 'x', sizeof buf);
    const std::size_t n = FormatRemainder(r, f, buf);
    EXPECT_EQ(n, std::strlen(buf));
    return buf;
}

constexpr ActivityId All[] = {ActivityId::Crime, ActivityId::Carro, ActivityId::Voar, ActivityId::Heist,
                              ActivityId::Oc,    ActivityId::Balas, ActivityId::Matar};

} // namespace

TEST(Tables, TextsAreSingleByteAndFitTheBalloon) {
    EXPECT_STREQ(ActivityTable[0].noticeText, "T\xE1s pronto para um crime !");
    EXPECT_EQ(std::strlen(ActivityTable[0].noticeText), 26u);
    const char *captions[] = {"Crime", "Carro", "Voar", "Heist", "OC", "Balas", "Matar"};
    const std::int32_t periods[] = {90, 300, 0, 10800, 43200, 3600, 3600};
    for (std::size_t i = 0; i < ActivityCount; ++i) {
        EXPECT_STREQ(ActivityTable[i].caption, captions[i]);
        EXPECT_EQ(ActivityTable[i].period, periods[i]);
        EXPECT_EQ(std::strncmp(ActivityTable[i].noticeText, "T\xE1s pronto para ", 16), 0);
        EXPECT_LE(std::strlen(ActivityTable[i].caption), 63u);
        EXPECT_LE(std::strlen(ActivityTable[i].noticeText), 255u);
    }
    EXPECT_EQ(ActivityTable[indexOf(ActivityId::Carro)].format, DisplayFormat::MinSec);
    EXPECT_EQ(ActivityTable[indexOf(ActivityId::Voar)].format, DisplayFormat::HourMinSec);
}

TEST(Format, WorkedTexts) {
    EXPECT_EQ(format(90, DisplayFormat::MinSec), "1m 30s");
    EXPECT_EQ(format(300, DisplayFormat::MinSec), "5m 00s");
    EXPECT_EQ(format(5, DisplayFormat::MinSec), "0m 05s");
    EXPECT_EQ(format(43200, DisplayFormat::HourMinSec), "12h 00m 00s");
    EXPECT_EQ(format(10800, DisplayFormat::HourMinSec), "03h 00m 00s");
    EXPECT_EQ(format(4500, DisplayFormat::HourMinSec), "01h 15m 00s");
    EXPECT_EQ(format(3599, DisplayFormat::HourMinSec), "00h 59m 59s");
    EXPECT_EQ(format(1, DisplayFormat::HourMinSec), "00h 00m 01s");
    EXPECT_EQ(format(-5, DisplayFormat::MinSec), "0m -5s");
    EXPECT_EQ(format(-5, DisplayFormat::HourMinSec), "00h 00m -5s");
    EXPECT_EQ(format(610, DisplayFormat::MinSec), "10m 10s");
}

TEST(Format, EveryPartIsReducedSoTheLongestTextsFitTheBuffer) {
    EXPECT_EQ(format(60 * 3600 + 61, DisplayFormat::HourMinSec), "00h 01m 01s");
    EXPECT_EQ(format(3600 * 60 - 1, DisplayFormat::HourMinSec), "59h 59m 59s");
    EXPECT_EQ(format(-(3600 * 60 - 1), DisplayFormat::HourMinSec), "-59h -59m -59s");
    EXPECT_EQ(format(-3599, DisplayFormat::MinSec), "-59m -59s");
    // Extremes of the signed range must neither overflow nor run past the 16 bytes.
    for (std::int32_t r : {INT32_MAX, INT32_MIN + 1, INT32_MIN, -3599 - 3600 * 59})
        for (DisplayFormat f : {DisplayFormat::MinSec, DisplayFormat::HourMinSec})
            EXPECT_LE(format(r, f).size(), 14u) << r;
    EXPECT_EQ(format(INT32_MIN, DisplayFormat::HourMinSec), "-3h -14m -8s");
}

TEST(Board, StartsIdleAndStartsAddThePeriod) {
    CountdownBoard b;
    for (std::int32_t d : b.deadlines)
        EXPECT_EQ(d, IDLE_DEADLINE);
    EXPECT_EQ(b.journeyDuration, 0);

    start(b, ActivityId::Crime, 1000);
    start(b, ActivityId::Oc, 1000);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Crime)], 1090);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Oc)], 44200);
    start(b, ActivityId::Crime, 1000);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Crime)], 1090) << "same second, same deadline";
    start(b, ActivityId::Crime, 1060);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Crime)], 1150) << "a restart replaces the deadline";
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Carro)], IDLE_DEADLINE);
}

TEST(Board, JourneysTakeTheSelectedVehicleAndRememberIt) {
    const std::int32_t expected[] = {5500, 4000, 3880, 3400, 2800};
    for (int sel = 0; sel < 5; ++sel) {
        CountdownBoard b;
        startJourney(b, sel, 1000);
        EXPECT_EQ(b.deadlines[indexOf(ActivityId::Voar)], expected[sel]) << sel;
    }

    CountdownBoard b;
    startJourney(b, -1, 1000);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Voar)], 1000) << "no vehicle ever chosen: duration 0";
    startJourney(b, 3, 1000);
    for (int invalid : {-1, 5, 1000, INT32_MIN, INT32_MAX}) {
        startJourney(b, invalid, 2000);
        EXPECT_EQ(b.deadlines[indexOf(ActivityId::Voar)], 4400) << invalid;
        EXPECT_EQ(b.journeyDuration, 2400);
    }
    start(b, ActivityId::Voar, 3000);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Voar)], 5400) << "a plain start reuses the last vehicle";
}

TEST(Board, ResetIdlesEverythingButKeepsTheVehicle) {
    CountdownBoard b;
    for (ActivityId a : All)
        start(b, a, 10);
    startJourney(b, 4, 10);
    resetAll(b);
    for (std::int32_t d : b.deadlines)
        EXPECT_EQ(d, IDLE_DEADLINE);
    EXPECT_EQ(b.journeyDuration, 1800);
    startJourney(b, -1, 100);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Voar)], 1900);
}

TEST(Board, DeadlinesStayPositiveAcrossTheWholeClockRange) {
    CountdownBoard b;
    start(b, ActivityId::Oc, 4294967);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Oc)], 4294967 + 43200);
    start(b, ActivityId::Oc, INT32_MAX - 43200);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Oc)], INT32_MAX);
    start(b, ActivityId::Oc, INT32_MAX);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Oc)], INT32_MAX);
    startJourney(b, 0, INT32_MAX - 1);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Voar)], INT32_MAX);
}

TEST(Refresh, IdleActionsShowReadyAndReadNoClock) {
    CountdownBoard b;
    b.deadlines[indexOf(ActivityId::Carro)] = 0;
    Tick t{b, {}, {}};
    RecordingView &v = t.at(5000);
    EXPECT_EQ(v.labels(), std::vector<std::string>(7, "AGORA"));
    EXPECT_TRUE(v.notices().empty());
    EXPECT_EQ(t.clock.reads, 0);
}

TEST(Refresh, CrimeTimeline) {
    CountdownBoard b;
    start(b, ActivityId::Crime, 1000);
    Tick t{b, {}, {}};
    EXPECT_EQ(t.at(1000).label(ActivityId::Crime), "1m 30s");
    EXPECT_EQ(t.clock.reads, 1) << "only the running action reads the clock";
    EXPECT_EQ(t.at(1089).label(ActivityId::Crime), "0m 01s");
    EXPECT_TRUE(t.seen.notices().empty());

    RecordingView &v = t.at(1090);
    ASSERT_EQ(v.events.size(), 8u);
    EXPECT_TRUE(v.events[0].notice) << "the notice comes before the label";
    EXPECT_EQ(v.events[0].id, ActivityId::Crime);
    EXPECT_EQ(v.events[0].title, "Crime");
    EXPECT_EQ(v.events[0].text, "T\xE1s pronto para um crime !");
    EXPECT_EQ(v.label(ActivityId::Crime), "AGORA");
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Crime)], IDLE_DEADLINE);

    EXPECT_EQ(t.at(1091).label(ActivityId::Crime), "AGORA");
    EXPECT_TRUE(t.seen.notices().empty());
    EXPECT_EQ(t.clock.reads, 0);
}

TEST(Refresh, SevenLabelsInTableOrderEveryCall) {
    CountdownBoard b;
    start(b, ActivityId::Carro, 0);
    startJourney(b, 0, 0);
    start(b, ActivityId::Heist, 0);
    start(b, ActivityId::Oc, 0);
    start(b, ActivityId::Balas, 0);
    start(b, ActivityId::Matar, 0);
    Tick t{b, {}, {}};
    RecordingView &v = t.at(0);
    ASSERT_EQ(v.events.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(v.events[i].id, All[i]);
    EXPECT_EQ(v.labels(), (std::vector<std::string>{"AGORA", "5m 00s", "01h 15m 00s", "03h 00m 00s",
                                                    "12h 00m 00s", "01h 00m 00s", "01h 00m 00s"}));
    EXPECT_EQ(t.clock.reads, 6);
    EXPECT_EQ(t.at(1).label(ActivityId::Voar), "01h 14m 59s");
}

TEST(Refresh, ExpiriesInOneCallNotifyInTableOrder) {
    CountdownBoard b;
    start(b, ActivityId::Matar, 100);
    start(b, ActivityId::Balas, 100);
    start(b, ActivityId::Crime, 3610);
    Tick t{b, {}, {}};
    RecordingView &v = t.at(3700);
    ASSERT_EQ(v.notices().size(), 3u);
    // Each notice directly precedes its own label.
    ASSERT_EQ(v.events.size(), 10u);
    const ActivityId order[] = {ActivityId::Crime, ActivityId::Crime, ActivityId::Carro, ActivityId::Voar,
                                ActivityId::Heist, ActivityId::Oc,    ActivityId::Balas, ActivityId::Balas,
                                ActivityId::Matar, ActivityId::Matar};
    const bool notice[] = {true, false, false, false, false, false, true, false, true, false};
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(v.events[i].id, order[i]) << i;
        EXPECT_EQ(v.events[i].notice, notice[i]) << i;
    }
    EXPECT_EQ(v.events[6].title, "Balas");
    EXPECT_EQ(v.events[6].text, "T\xE1s pronto para comprar balas !");
    EXPECT_EQ(v.events[8].title, "Matar");
    EXPECT_EQ(v.events[8].text, "T\xE1s pronto para Matar !");
}

TEST(Refresh, AMissedSecondGivesOneLateNoticeAndNeverANegativeCountdown) {
    for (std::int32_t late : {1, 3600}) {
        CountdownBoard b;
        start(b, ActivityId::Heist, 1000);
        Tick t{b, {}, {}};
        RecordingView &v = t.at(1000 + 10800 + late);
        ASSERT_EQ(v.notices().size(), 1u) << late;
        EXPECT_EQ(v.notices()[0].text, "T\xE1s pronto para um Heist !");
        EXPECT_EQ(v.label(ActivityId::Heist), "AGORA");
        EXPECT_EQ(b.deadlines[indexOf(ActivityId::Heist)], IDLE_DEADLINE);

        EXPECT_EQ(t.at(1000 + 10800 + late + 1).label(ActivityId::Heist), "AGORA");
        EXPECT_TRUE(t.seen.notices().empty());
        EXPECT_EQ(t.clock.reads, 0);
    }
}

TEST(Refresh, ResetBeforeTheLastSecondRaisesNothing) {
    CountdownBoard b;
    start(b, ActivityId::Crime, 0);
    Tick t{b, {}, {}};
    EXPECT_EQ(t.at(89).label(ActivityId::Crime), "0m 01s");
    resetAll(b);
    EXPECT_EQ(t.at(90).labels(), std::vector<std::string>(7, "AGORA"));
    EXPECT_TRUE(t.seen.notices().empty());
}

TEST(Refresh, ARestartAfterExpiryCountsAndNotifiesAgain) {
    CountdownBoard b;
    start(b, ActivityId::Crime, 0);
    Tick t{b, {}, {}};
    EXPECT_EQ(t.at(90).notices().size(), 1u);
    start(b, ActivityId::Crime, 95);
    EXPECT_EQ(t.at(95).label(ActivityId::Crime), "1m 30s");

    // A press of the same action that arrives while its notice is being shown starts it afresh.
    t.seen.duringNotice = [&] { start(b, ActivityId::Crime, 185); };
    EXPECT_EQ(t.at(185).notices().size(), 1u);
    EXPECT_EQ(b.deadlines[indexOf(ActivityId::Crime)], 275);
    t.seen.duringNotice = nullptr;
    EXPECT_EQ(t.at(186).label(ActivityId::Crime), "1m 29s");
}

TEST(Refresh, LargeUptimesCountLikeSmallOnes) {
    for (UptimeSeconds base : {4294967, 1 << 30, INT32_MAX - 43200}) {
        CountdownBoard b;
        start(b, ActivityId::Oc, base);
        Tick t{b, {}, {}};
        EXPECT_EQ(t.at(base).label(ActivityId::Oc), "12h 00m 00s") << base;
        EXPECT_EQ(t.at(base + 43199).label(ActivityId::Oc), "00h 00m 01s") << base;
        EXPECT_EQ(t.at(base + 43200).notices().size(), 1u) << base;
    }
}

TEST(TimeLeft, TheTipListsWhatRunsUnderTheHeaderWhileItFits) {
    CountdownBoard board;
    char tip[128];
    EXPECT_EQ(DescribeTimeLeft(board, 1000, "Quintabela Timer", tip, sizeof tip), 16u);
    EXPECT_STREQ(tip, "Quintabela Timer") << "nothing runs";

    start(board, ActivityId::Heist, 1000);
    start(board, ActivityId::Crime, 1000);
    board.deadlines[indexOf(ActivityId::Carro)] = 1001; // ready at the next tick: no line
    DescribeTimeLeft(board, 1001, "Quintabela Timer", tip, sizeof tip);
    EXPECT_STREQ(tip, "Quintabela Timer\nCrime 1m 29s\nHeist 02h 59m 59s");

    // All seven are one character too many for the shell's 127 with the header: the lines alone.
    for (const ActivitySpec &row : ActivityTable)
        board.deadlines[indexOf(row.id)] = 1001 + (row.period ? row.period : 4500);
    EXPECT_EQ(DescribeTimeLeft(board, 1002, "Quintabela Timer", tip, sizeof tip), 111u);
    EXPECT_STREQ(tip, "Crime 1m 29s\nCarro 4m 59s\nVoar 01h 14m 59s\nHeist 02h 59m 59s\nOC 11h 59m 59s\n"
                      "Balas 00h 59m 59s\nMatar 00h 59m 59s");
    // Cut, never overrun, where even the lines do not fit.
    char small[8];
    EXPECT_EQ(DescribeTimeLeft(board, 1002, "Quintabela Timer", small, sizeof small), 7u);
    EXPECT_STREQ(small, "Crime 1");
}

// A 200 x 100 window and a work area of 1000 x 700; a second monitor to its right, at 1000 to 2000.
TEST(Placement, MovedTheLeastDistanceWhollyIntoTheWorkArea) {
    const ScreenRect work{0, 0, 1000, 700}, right{1000, 0, 2000, 700};
    const struct {
        ScreenRect window, area, expected;
        const char *what;
    } cases[] = {
        {{10, 20, 210, 120}, work, {10, 20, 210, 120}, "inside: not a pixel"},
        {{800, 600, 1000, 700}, work, {800, 600, 1000, 700}, "touching the corner: inside"},
        {{900, 20, 1100, 120}, work, {800, 20, 1000, 120}, "past the right"},
        {{10, 650, 210, 750}, work, {10, 600, 210, 700}, "past the bottom"},
        {{-50, 20, 150, 120}, work, {0, 20, 200, 120}, "past the left"},
        {{10, -30, 210, 70}, work, {10, 0, 210, 100}, "above"},
        {{-5000, 9000, -4800, 9100}, work, {0, 600, 200, 700}, "far off on both axes"},
        {{500, 20, 1700, 120}, work, {0, 20, 1200, 120}, "wider: its left edge at the left"},
        {{10, 300, 210, 1100}, work, {10, 0, 210, 800}, "taller: its top edge at the top"},
        {{1900, 20, 2100, 120}, right, {1800, 20, 2000, 120}, "past the right of the second monitor"},
        {{950, 20, 1150, 120}, right, {1000, 20, 1200, 120}, "astride both, onto the one given"},
        {{1400, 20, 1600, 120}, right, {1400, 20, 1600, 120}, "inside the second: not a pixel"},
    };
    for (const auto &c : cases) {
        const ScreenRect moved = MovedInto(c.window, c.area);
        EXPECT_TRUE(moved.left == c.expected.left && moved.top == c.expected.top &&
                    moved.right == c.expected.right && moved.bottom == c.expected.bottom)
            << c.what << ": " << moved.left << "," << moved.top << " " << moved.right << "," << moved.bottom;
    }
}
