// One window-watch tick's matching: 1,000 top-level window titles against 20 listed names,
// none of which matches (the tick then reads and tests every title).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "unit/winwatch/fake_windows.h"

namespace {

std::vector<std::string> Titles(int count) {
    const char* const kinds[] = {"Untitled - Notepad", "Inbox - Mail", "C:\\Windows\\system32\\cmd.exe",
                                 "Document", "Program Manager", "Calculator", "Project Plan.xls - Sheets",
                                 "Downloads", "", "Default IME"};
    std::vector<std::string> titles;
    for (int i = 0; i < count; ++i)
        titles.push_back(std::string(kinds[i % 10]) + (i % 10 == 8 ? "" : " " + std::to_string(i)));
    return titles;
}

std::vector<std::string> Names(int count) {
    const char* const kinds[] = {"Media Player", "Viewer", "Game", "DVD", "Player", "Movie", "Video", "Tuner",
                                 "Stream", "Radio"};
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(std::string(kinds[i % 10]) + (i < 10 ? "" : " 2"));
    return names;
}

void WatchTickMatching(benchmark::State& state) {
    FakeWindows windows(Titles(static_cast<int>(state.range(0))));
    const std::vector<std::string> names = Names(static_cast<int>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(FindListedWindow(windows, names));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(WatchTickMatching)->Args({1000, 20})->Args({200, 20})->Args({1000, 1})->Unit(benchmark::kMicrosecond);
