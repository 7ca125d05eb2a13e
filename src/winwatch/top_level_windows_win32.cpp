// The system's top-level windows for the window watch: EnumWindows in the system's order,
// titles through GetWindowTextA.
#include <windows.h>

#include "winwatch/window_watch.h"

namespace {

BOOL CALLBACK VisitWindow(HWND window, LPARAM param) {
    const auto& visit = *reinterpret_cast<const std::function<bool(uintptr_t)>*>(param);
    return visit(reinterpret_cast<uintptr_t>(window)) ? TRUE : FALSE;
}

class SystemWindows : public TopLevelWindows {
public:
    void ForEach(const std::function<bool(uintptr_t)>& visit) override {
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
    }

    size_t ReadTitle(uintptr_t window, char* buffer, size_t size) override {
        if (size == 0) return 0;
        buffer[0] = 0;
        const int n = GetWindowTextA(reinterpret_cast<HWND>(window), buffer, static_cast<int>(size));
        return n > 0 ? static_cast<size_t>(n) : 0;
    }
};

}  // namespace

std::unique_ptr<TopLevelWindows> SystemTopLevelWindows() { return std::make_unique<SystemWindows>(); }
