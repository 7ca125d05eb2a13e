#include "app/program_shutdown.h"
#include "sim/machine.h"

namespace {
// The simulated machine notes the request and goes on running, as if the system had
// refused: the watch asks again at its next hot reading.
class SimulatedShutdown : public SystemShutdown {
public:
    bool ShutdownWindows(uint16_t flags) override {
        sim::RecordShutdown(flags);
        return false;
    }
};
}  // namespace

SystemShutdown& ProgramShutdown() {
    static SimulatedShutdown simulated;
    return simulated;
}
