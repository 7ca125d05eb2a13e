// Top-level windows of the tests: handles 1, 2, ... with the given titles, read the way
// GetWindowTextA reads them (cut to the buffer).
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "winwatch/window_watch.h"

class FakeWindows : public TopLevelWindows {
public:
    explicit FakeWindows(std::vector<std::string> titles) : titles(std::move(titles)) {}
    std::vector<std::string> titles;
    int enumerations = 0;
    size_t titlesRead = 0;

    void ForEach(const std::function<bool(uintptr_t)>& visit) override {
        ++enumerations;
        for (size_t i = 0; i < titles.size(); ++i)
            if (!visit(i + 1)) return;
    }
    size_t ReadTitle(uintptr_t window, char* buffer, size_t size) override {
        ++titlesRead;
        const std::string& t = titles[window - 1];
        const size_t n = std::min(t.size(), size - 1);
        std::memcpy(buffer, t.data(), n);
        buffer[n] = 0;
        return n;
    }
};
