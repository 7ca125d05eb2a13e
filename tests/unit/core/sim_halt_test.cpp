// The simulated halt's decisions, on a scripted host: one clock shared by every thread, and
// threads that "run at the same time" by starting one halt from inside another's.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include "sim/halt.h"

namespace {

constexpr int64_t kMs = 1000000;

struct ScriptedHost : sim::HaltHost {
    explicit ScriptedHost(int64_t& clock) : clock(clock) {}
    int64_t& clock;
    int runnable = 1;
    int64_t spinTime = 1000;            // one spin on the processor
    int64_t ran = 0;                    // this thread's processor time
    int64_t stolen = 0;                 // off the processor during the next spin
    std::function<void()> whileSpinning;  // runs once, inside the next spin
    std::function<void()> whileSleeping;  // runs once, inside the next sleep
    int spins = 0;
    int looks = 0;
    std::vector<int64_t> sleeps;

    void Spin() override {
        ++spins;
        clock += spinTime + std::exchange(stolen, 0);
        ran += spinTime;
        if (auto f = std::exchange(whileSpinning, nullptr)) f();
    }
    int64_t Clock() override { return clock; }
    int64_t ThreadTime() override { return ran; }
    void SleepFor(int64_t ns) override {
        sleeps.push_back(ns);
        if (auto f = std::exchange(whileSleeping, nullptr)) f();
        clock += ns;
    }
    int RunnableThreads() override {
        ++looks;
        return runnable;
    }
};

TEST(SimHalt, OnAFreeProcessorOneHaltSpinsForATimerPeriodWithoutAskingTheHost) {
    int64_t clock = 5 * kMs;
    sim::IdleHalts halts;
    const int seat = halts.Seat(1, clock);
    // A slow host's long spins are no sign of other work: the thread kept its processor.
    for (auto [seatUsed, spinTime, spins] : {std::tuple{seat, 1000, 1000}, {-1, 1000, 1000}, {seat, 600000, 2}}) {
        ScriptedHost host(clock);
        host.spinTime = spinTime;
        const int64_t start = clock;
        halts.Halt(host, seatUsed);
        // A fast timer interrupt's period: 1 ms.
        EXPECT_GE(clock - start, kMs) << "seat " << seatUsed << ", spin " << spinTime;
        EXPECT_LT(clock - start, kMs + spinTime);
        EXPECT_EQ(host.spins, spins);
        EXPECT_EQ(host.looks, 0);
        EXPECT_TRUE(host.sleeps.empty());
    }
}

TEST(SimHalt, OtherWorkOnItsProcessorRestsTheThreadLongerAndLongerUntilItEnds) {
    int64_t clock = 0;
    sim::IdleHalts halts;
    ScriptedHost host(clock);
    const int seat = halts.Seat(7, clock);
    host.stolen = 4 * kMs;
    host.runnable = 2;  // this thread and the work that took its processor
    halts.Halt(host, seat);
    EXPECT_EQ(host.sleeps, std::vector<int64_t>{kMs});
    host.spins = 0;
    for (int i = 0; i < 5; ++i) halts.Halt(host, seat);
    EXPECT_EQ(host.spins, 0) << "a resting thread does not compete for its processor";
    EXPECT_EQ(host.sleeps, (std::vector<int64_t>{kMs, 2 * kMs, 4 * kMs, 8 * kMs, 16 * kMs, 16 * kMs}));
    host.runnable = 1;
    halts.Halt(host, seat);
    EXPECT_EQ(host.sleeps.size(), 6u);
    EXPECT_EQ(host.spins, 1000) << "back to spinning once the work has ended";
}

// Thread A loses its processor for a while; whether that means work on its processor
// depends on what else is runnable and what thread B's seat accounts for.
TEST(SimHalt, ALostProcessorMeansWorkThereOnlyWhenNoOtherSeatExplainsTheRunnableThreads) {
    struct Case {
        const char* what;
        int runnable;  // as A sees it after its gap
        enum { kNone, kSpinning, kStarved, kResting } b;
        bool aRests;
    };
    const Case cases[] = {
        {"time stolen by the host, nothing else runnable", 1, Case::kNone, false},
        {"the work on B's processor, B resting", 2, Case::kResting, false},
        {"the work on B's processor, B starved", 3, Case::kStarved, false},
        {"B spinning on a free processor: the work is on A's", 3, Case::kSpinning, true},
        {"two pieces of work, B resting: one is on A's", 3, Case::kResting, true},
    };
    for (const Case& c : cases) {
        int64_t clock = 100 * kMs;
        sim::IdleHalts halts;
        ScriptedHost hostA(clock), hostB(clock);
        const int seatA = halts.Seat(1, clock);
        const int seatB = halts.Seat(2, clock);
        auto haltA = [&] {
            hostA.stolen = 2 * kMs;
            hostA.runnable = c.runnable;
            halts.Halt(hostA, seatA);
        };
        switch (c.b) {
        case Case::kNone: haltA(); break;
        case Case::kSpinning: hostB.whileSpinning = haltA; break;
        case Case::kStarved: hostB.whileSpinning = [&] { clock += 4 * kMs; haltA(); }; break;
        case Case::kResting:
            hostB.stolen = 2 * kMs;
            hostB.runnable = 2;
            hostB.whileSleeping = haltA;
            break;
        }
        if (c.b != Case::kNone) halts.Halt(hostB, seatB);
        EXPECT_EQ(hostA.looks, 1) << c.what;
        EXPECT_EQ(!hostA.sleeps.empty(), c.aRests) << c.what;
    }
}

TEST(SimHalt, SeatsStayWithTheirThreadsAndPassOnWhenAThreadHasEnded) {
    int64_t clock = 0;
    sim::IdleHalts halts;
    const int first = halts.Seat(100, clock);
    EXPECT_EQ(halts.Seat(100, clock), first);
    EXPECT_TRUE(halts.Holds(first, 100));
    EXPECT_FALSE(halts.Holds(first, 101));
    EXPECT_FALSE(halts.Holds(-1, 100));
    for (uint32_t id = 101; id < 100 + sim::IdleHalts::kSeats; ++id) EXPECT_GE(halts.Seat(id, clock), 0);
    EXPECT_EQ(halts.Seat(999, clock), -1) << "every seat held";
    clock += sim::IdleHalts::kLeft;
    const int reused = halts.Seat(999, clock);
    EXPECT_GE(reused, 0) << "seats of threads that stopped halting long ago are free again";
    EXPECT_FALSE(halts.Holds(reused, 100 + static_cast<uint32_t>(reused)));
}

TEST(SimHalt, RunnableCountFromTheLoadAverageText) {
    EXPECT_EQ(sim::RunnableInLoadAverage("0.20 0.18 0.12 3/198 4120\n"), 3);
    EXPECT_EQ(sim::RunnableInLoadAverage("10.46 9.47 5.87 13/1198 23767\n"), 13);
    EXPECT_EQ(sim::RunnableInLoadAverage("0.20 0.18 0.12 /198 4120"), -1);
    EXPECT_EQ(sim::RunnableInLoadAverage(""), -1);
}

}  // namespace
