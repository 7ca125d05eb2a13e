// The simulated halt on a host whose processors are shared with other programs.
//
// A real halt stops the processor until the next interrupt, and the idle thread gets the
// processor back only when nothing else wants it. The simulation gives one halt about a
// fast timer interrupt's time, during which the idle thread spins in the kernel in the
// host's idle scheduling class. That class alone is not enough: a host that shares each
// processor fairly between groups of programs (one group per login session, for example)
// still hands the spinning thread its group's share when another group's work wants it.
// So a thread that finds other work on its processor rests (sleeps) instead, and looks
// again at every halt.
#pragma once
#include <atomic>
#include <cstdint>
#include <string_view>

namespace sim {

// What a halt needs of the host's kernel (its system calls under Wine; a fake in tests).
class HaltHost {
public:
    virtual ~HaltHost() = default;
    // Keeps the processor for a few microseconds of kernel-mode work, and no longer than
    // that when another thread wants it (the idle scheduling class sees to that).
    virtual void Spin() = 0;
    // Monotonic clock in nanoseconds.
    virtual int64_t Clock() = 0;
    // The processor time the calling thread has had, in nanoseconds.
    virtual int64_t ThreadTime() = 0;
    virtual void SleepFor(int64_t nanoseconds) = 0;
    // Threads of the whole host that are running or waiting for a processor; -1 when unknown.
    virtual int RunnableThreads() = 0;
};

// The runnable count in the text of /proc/loadavg ("0.20 0.18 0.12 3/198 4120" gives 3);
// -1 when the text has none.
int RunnableInLoadAverage(std::string_view text);

// The halting idle threads of one program. Each thread takes a seat on its first halt;
// the seats tell each other which processors already have other work to explain the
// host's runnable count.
class IdleHalts {
public:
    static constexpr int kSeats = 64;
    // One halt: a fast system timer's interrupt period.
    static constexpr int64_t kHaltLength = 1000000;
    // A thread that was off its processor this long during one spin saw something else
    // run there (or the host stole the time; the runnable count tells which).
    static constexpr int64_t kGap = 250000;
    // A spinning thread not seen for this long is waiting for its processor: other work has it.
    static constexpr int64_t kStarved = 3000000;
    // A resting thread looks again after 1, 2, 4, 8 and then every 16 ms: about the
    // default timer period, so no rest outlasts the tick a real halt would wake at.
    static constexpr int64_t kLongestRest = 16000000;
    // A seat whose thread stayed outside a halt this long has been left (the thread ended).
    static constexpr int64_t kLeft = 1000000000;

    // The seat of thread `id` (not 0), taken on its first halt; -1 when every seat is held.
    int Seat(uint32_t id, int64_t now);
    bool Holds(int seat, uint32_t id) const;
    // One halt of the thread in `seat`; with no seat (-1) it only spins until the halt ends.
    void Halt(HaltHost& host, int seat);

private:
    enum State { kOutside, kSpinning, kChecking, kResting };
    struct Place {
        std::atomic<uint32_t> owner{0};
        std::atomic<int> state{kOutside};
        std::atomic<int64_t> seen{0};  // clock when the thread last ran here
        std::atomic<int64_t> rest{0};  // length of the last rest, 0 while the processor is free
    };
    // True when the host has more runnable threads than this program's own and the other
    // work that the other seats account for: the surplus wants this thread's processor.
    bool OtherWorkHere(HaltHost& host, int seat, int64_t now) const;
    void Rest(HaltHost& host, Place& me, int64_t length);

    Place places_[kSeats];
};

}  // namespace sim
