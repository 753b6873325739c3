// Random sequences of what a user and time can do, checked after every evaluation against a small model
// of the countdown rules written independently here (its texts come from snprintf, not the core's code).
#include "core/countdown.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Model {
    bool running[ActivityCount] = {};
    std::int64_t deadline[ActivityCount] = {};
    std::int64_t journey = 0;
};

const std::int64_t Periods[ActivityCount] = {90, 300, 0, 10800, 43200, 3600, 3600};
const std::int64_t Vehicles[] = {4500, 3000, 2880, 2400, 1800};
const char *Titles[ActivityCount] = {"Crime", "Carro", "Voar", "Heist", "OC", "Balas", "Matar"};

std::string modelText(std::size_t a, std::int64_t r) {
    char s[64];
    if (a < 2)
        std::snprintf(s, sizeof s, "%dm %02ds", static_cast<int>(r / 60 % 60), static_cast<int>(r % 60));
    else
        std::snprintf(s, sizeof s, "%02dh %02dm %02ds", static_cast<int>(r / 3600 % 60),
                      static_cast<int>(r / 60 % 60), static_cast<int>(r % 60));
    return s;
}

struct Seen {
    std::vector<std::string> labels;
    std::vector<std::size_t> labelOrder;
    std::vector<std::size_t> notices;
    std::vector<std::string> titles;
    bool noticeBeforeItsLabel = true;
};

void runSequence(std::uint32_t seed, int steps) {
    std::mt19937 random(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };

    CountdownBoard board;
    Model model;
    UptimeSeconds now = pick(0, 5000);
    const UptimeClock clock{[](void *c) { return *static_cast<UptimeSeconds *>(c); }, &now};
    Seen seen;
    const CountdownView view{[](void *c, ActivityId a, const char *text) {
                                 auto *s = static_cast<Seen *>(c);
                                 EXPECT_LT(std::strlen(text), LabelBufferSize);
                                 s->labels.push_back(text);
                                 s->labelOrder.push_back(indexOf(a));
                             },
                             [](void *c, ActivityId a, const ExpiryNotice &n) {
                                 auto *s = static_cast<Seen *>(c);
                                 // Its own label must not have been written yet in this evaluation.
                                 for (std::size_t done : s->labelOrder)
                                     s->noticeBeforeItsLabel &= done != indexOf(a);
                                 s->notices.push_back(indexOf(a));
                                 s->titles.push_back(n.title);
                             },
                             &seen};

    for (int step = 0; step < steps; ++step) {
        const int what = pick(0, 99);
        if (what < 25) { // a start of any action but Voar
            std::size_t a = static_cast<std::size_t>(pick(0, 5));
            a += a >= 2;
            start(board, static_cast<ActivityId>(a), now);
            model.running[a] = true;
            model.deadline[a] = now + Periods[a];
        } else if (what < 35) { // a journey, with any selection the list could or could not report
            const int selection = pick(0, 9) < 8 ? pick(-1, 6) : pick(-100000, 100000);
            startJourney(board, selection, now);
            if (selection >= 0 && selection <= 4)
                model.journey = Vehicles[selection];
            model.running[2] = model.journey + now > 0;
            model.deadline[2] = now + model.journey;
        } else if (what < 38) {
            resetAll(board);
            for (bool &r : model.running)
                r = false;
        } else if (what < 70) { // time passes: mostly seconds, sometimes a lot
            const int kind = pick(0, 9);
            now += kind < 7 ? pick(0, 2) : kind < 9 ? pick(0, 200) : pick(0, 100000);
        } else { // an evaluation
            seen = Seen{};
            RefreshCountdowns(board, clock, view);
            std::vector<std::size_t> expectedNotices;
            std::vector<std::string> expectedTitles;
            for (std::size_t a = 0; a < ActivityCount; ++a) {
                std::string text = "AGORA";
                if (model.running[a] && model.deadline[a] <= now) {
                    expectedNotices.push_back(a);
                    expectedTitles.push_back(Titles[a]);
                    model.running[a] = false;
                } else if (model.running[a]) {
                    text = modelText(a, model.deadline[a] - now);
                }
                ASSERT_EQ(seen.labels.at(a), text) << "seed " << seed << " step " << step << " action " << a;
                ASSERT_EQ(seen.labelOrder[a], a);
            }
            ASSERT_EQ(seen.labels.size(), ActivityCount);
            ASSERT_EQ(seen.notices, expectedNotices) << "seed " << seed << " step " << step;
            ASSERT_EQ(seen.titles, expectedTitles);
            ASSERT_TRUE(seen.noticeBeforeItsLabel);
        }
        for (std::size_t a = 0; a < ActivityCount; ++a) {
            const std::int32_t d = board.deadlines[a];
            ASSERT_TRUE(d > 0 || d == IDLE_DEADLINE) << "seed " << seed << " step " << step;
            ASSERT_EQ(d > 0, model.running[a]) << "seed " << seed << " step " << step << " action " << a;
            if (model.running[a]) {
                ASSERT_EQ(d, model.deadline[a]);
            }
        }
    }
}

} // namespace

TEST(CountdownModel, RandomSequencesMatchTheModel) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed)
        runSequence(seed, 10000);
}
