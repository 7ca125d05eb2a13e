#include "sim/halt.h"

#include <algorithm>
#include <cctype>

namespace sim {

int RunnableInLoadAverage(std::string_view text) {
    // The fourth field: running/total.
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos) return -1;
    size_t start = slash;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(text[start - 1]))) --start;
    if (start == slash) return -1;
    int n = 0;
    for (size_t i = start; i < slash; ++i) n = n * 10 + (text[i] - '0');
    return n;
}

int IdleHalts::Seat(uint32_t id, int64_t now) {
    for (int i = 0; i < kSeats; ++i)
        if (places_[i].owner == id) return i;
    for (int i = 0; i < kSeats; ++i) {
        Place& p = places_[i];
        uint32_t owner = p.owner;
        const bool free = owner == 0 || (p.state == kOutside && now - p.seen >= kLeft);
        if (free && p.owner.compare_exchange_strong(owner, id)) {
            p.state = kOutside;
            p.seen = now;
            p.rest = 0;
            return i;
        }
    }
    return -1;
}

bool IdleHalts::Holds(int seat, uint32_t id) const {
    return seat >= 0 && seat < kSeats && places_[seat].owner == id;
}

bool IdleHalts::OtherWorkHere(HaltHost& host, int seat, int64_t now) const {
    const int runnable = host.RunnableThreads();
    if (runnable < 0) return false;
    int ours = 1;       // this thread, running now
    int explained = 0;  // processors of other seats that have other work
    for (int i = 0; i < kSeats; ++i) {
        const Place& p = places_[i];
        if (i == seat || p.owner == 0) continue;
        const int state = p.state;
        const bool starved = state == kSpinning && now - p.seen >= kStarved;
        if (state == kSpinning || state == kChecking) ++ours;
        if (state == kResting || state == kChecking || starved) ++explained;
    }
    return runnable - ours > explained;
}

void IdleHalts::Rest(HaltHost& host, Place& me, int64_t length) {
    me.rest = length;
    me.state = kResting;
    host.SleepFor(length);
    me.seen = host.Clock();
    me.state = kOutside;
}

void IdleHalts::Halt(HaltHost& host, int seat) {
    int64_t now = host.Clock();
    const int64_t end = now + kHaltLength;
    if (seat < 0) {
        do host.Spin();
        while (host.Clock() < end);
        return;
    }
    Place& me = places_[seat];
    me.seen = now;
    if (me.rest > 0) {
        me.state = kChecking;
        if (OtherWorkHere(host, seat, now)) {
            // The work goes on: look again less often, but at least once a timer period.
            Rest(host, me, std::min<int64_t>(me.rest * 2, kLongestRest));
            return;
        }
        me.rest = 0;
    }
    me.state = kSpinning;
    int64_t ran = host.ThreadTime();
    for (;;) {
        host.Spin();
        const int64_t lastNow = now, lastRan = ran;
        now = host.Clock();
        ran = host.ThreadTime();
        if ((now - lastNow) - (ran - lastRan) >= kGap) {
            me.seen = now;
            if (OtherWorkHere(host, seat, now)) {
                Rest(host, me, kHaltLength);
                return;
            }
        }
        if (now >= end) break;
    }
    me.state = kOutside;
}

}  // namespace sim
