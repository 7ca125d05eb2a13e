// One main-timer tick's own work (idle shares, tooltip, icon choice) for 1, 4 and 32
// processors, and the heap allocations it makes, counted by a replaced operator new.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "app/form.h"
#include "idle/idle_threads.h"
#include "unit/core/fakes.h"

static std::atomic<uint64_t> g_allocations{0};

// The replaced allocation functions pair malloc with free themselves, which the compiler
// cannot see through the inlined operators.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
    ++g_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// A tray that keeps nothing, so that only the tick's own work is measured.
class NullTray : public TrayIconView {
public:
    bool Active() const override { return true; }
    void SetActive(bool) override {}
    const std::string& ToolTip() const override { return empty_; }
    void SetToolTip(const std::string& t) override { benchmark::DoNotOptimize(t.data()); }
    void SetTrayIcon(int) override {}
    int RenderTextIcon(const std::string&, int) override { return 11; }
    int ImageCount() const override { return 12; }

private:
    std::string empty_;
};

void Tick(benchmark::State& state, int display) {
    TestServices services;
    FakeIdlePlatform& platform = services.threads;
    FakeHost host;
    NullTray tray;
    TQuillarForm form(host, services.Services());
    form.tray = &tray;
    form.LabelTitle->SetCaption("Quillar Vantor");
    form.rgIdle->SetItemIndex(display);
    form.idle.ProcessorCount = static_cast<int32_t>(state.range(0));
    form.idle.CreateIdleThreads([](const std::string&) {});
    uint64_t ticks = 0;
    const uint64_t before = g_allocations;
    for (auto _ : state) {
        platform.tick += 100;
        for (auto& [handle, t] : platform.threads) t.kernel100ns += 970000;
        form.TimerTimer();
        ++ticks;
    }
    state.counters["allocs_per_tick"] = static_cast<double>(g_allocations - before) / static_cast<double>(ticks);
    state.counters["ns_per_cpu"] = benchmark::Counter(static_cast<double>(ticks * state.range(0)),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_TickNumeric(benchmark::State& state) { Tick(state, 1); }
void BM_TickGraphical(benchmark::State& state) { Tick(state, 2); }

}  // namespace

BENCHMARK(BM_TickNumeric)->Arg(1)->Arg(4)->Arg(32);
BENCHMARK(BM_TickGraphical)->Arg(1)->Arg(4)->Arg(32);
BENCHMARK_MAIN();
