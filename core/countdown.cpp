#include "countdown.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace {

static_assert(ActivityTable.size() == ActivityCount);
constexpr bool idsFollowTableOrder() {
    for (std::size_t i = 0; i < ActivityTable.size(); ++i)
        if (indexOf(ActivityTable[i].id) != i)
            return false;
    return true;
}
static_assert(idsFollowTableOrder(), "every per-action array is indexed by ActivityId");

// The deadline stays a positive signed 32-bit second; an uptime so close to the top of the range that
// the sum would overflow (68 years) gets the last representable second instead of undefined behaviour.
std::int32_t deadlineAfter(UptimeSeconds now, std::int32_t duration) {
    const std::int64_t sum = std::int64_t{now} + duration;
    return sum > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                          : static_cast<std::int32_t>(sum);
}

// A part is zero-filled to two digits unless negative, which keeps its sign and takes no fill.
char *writePart(char *p, char *end, int value, bool zeroFill) {
    if (zeroFill && value >= 0 && value < 10)
        *p++ = '0';
    return std::to_chars(p, end, value).ptr;
}

} // namespace

void start(CountdownBoard &board, ActivityId a, UptimeSeconds now) {
    // A journey restarted this way keeps the vehicle last chosen.
    const std::int32_t period = a == ActivityId::Voar ? board.journeyDuration : specOf(a).period;
    board.deadlines[indexOf(a)] = deadlineAfter(now, period);
}

void startJourney(CountdownBoard &board, int selection, UptimeSeconds now) {
    // Anything outside the table, -1 included, keeps the duration last chosen.
    if (static_cast<unsigned>(selection) < VehicleTable.size())
        board.journeyDuration = VehicleTable[static_cast<unsigned>(selection)].duration;
    board.deadlines[indexOf(ActivityId::Voar)] = deadlineAfter(now, board.journeyDuration);
}

void resetAll(CountdownBoard &board) {
    board.deadlines.fill(IDLE_DEADLINE);
}

std::size_t FormatRemainder(std::int32_t r, DisplayFormat f, char (&out)[LabelBufferSize]) {
    // Each part is reduced modulo 60, so no part has more than two digits and a sign.
    const int seconds = r % 60;
    const int minutes = (r / 60) % 60;
    char *p = out;
    char *const end = out + LabelBufferSize - 1;
    if (f == DisplayFormat::HourMinSec) {
        p = writePart(p, end, (r / 3600) % 60, true);
        *p++ = 'h';
        *p++ = ' ';
        p = writePart(p, end, minutes, true);
    } else {
        p = writePart(p, end, minutes, false);
    }
    *p++ = 'm';
    *p++ = ' ';
    p = writePart(p, end, seconds, true);
    *p++ = 's';
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}

std::size_t DescribeTimeLeft(const CountdownBoard &board, UptimeSeconds now, const char *header, char *out,
                             std::size_t capacity) {
    if (capacity == 0)
        return 0;
    // A caption of at most 5 letters, a space, a label and a line break for each action.
    char lines[ActivityCount * (5 + 1 + LabelBufferSize)];
    std::size_t used = 0;
    for (const ActivitySpec &row : ActivityTable) {
        const std::int32_t deadline = board.deadlines[indexOf(row.id)];
        if (deadline <= 0 || deadline - now <= 0)
            continue; // idle, or ready at the next tick
        char text[LabelBufferSize];
        FormatRemainder(deadline - now, row.format, text);
        for (const char *part : {used > 0 ? "\n" : "", row.caption, " ", static_cast<const char *>(text)})
            for (; *part != '\0' && used < sizeof lines; ++part)
                lines[used++] = *part;
    }
    const std::size_t headerLength = std::strlen(header);
    std::size_t length = 0;
    const auto append = [&](const char *from, std::size_t n) {
        n = std::min(n, capacity - 1 - length);
        std::memcpy(out + length, from, n);
        length += n;
    };
    if (used == 0 || headerLength + 1 + used < capacity) {
        append(header, headerLength);
        append("\n", used > 0 ? 1 : 0);
    }
    append(lines, used);
    out[length] = '\0';
    return length;
}

void RefreshCountdowns(CountdownBoard &board, const UptimeClock &clock, const CountdownView &view) {
    char text[LabelBufferSize];
    for (const ActivitySpec &row : ActivityTable) {
        std::int32_t &deadline = board.deadlines[indexOf(row.id)];
        const char *shown = ReadyText;
        if (deadline > 0) {
            // Read afresh for each action: idle actions never touch the clock.
            const std::int32_t remainder = deadline - clock.nowSeconds(clock.context);
            if (remainder > 0) {
                FormatRemainder(remainder, row.format, text);
                shown = text;
            } else {
                // Also when the second of expiry was missed (a stalled loop, a sleeping PC): the notice is
                // late rather than lost, and the label never counts below zero. Idle first: the shell call
                // behind the notice can let another program's press of this action in, and that press
                // must stand.
                deadline = IDLE_DEADLINE;
                view.raiseNotice(view.context, row.id, noticeOf(row.id));
            }
        }
        view.setLabelText(view.context, row.id, shown);
    }
}
