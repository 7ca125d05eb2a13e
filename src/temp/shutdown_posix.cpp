#include "temp/shutdown.h"

namespace {
class NoShutdown : public SystemShutdown {
public:
    bool ShutdownWindows(uint16_t) override { return false; }
};
}  // namespace

SystemShutdown& SystemShutdownCall() {
    static NoShutdown none;
    return none;
}
