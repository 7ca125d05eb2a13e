// The clock speed: time-stamp ticks against the performance counter (or the tick count),
// measured on processor 0 with the processor's halt power saving switched off meanwhile.
#include <cmath>
#include <limits>

#include "common/format.h"
#include "cpu/processor.h"

namespace {

constexpr uint32_t kPreciseSleepMs = 50;
constexpr uint32_t kCoarseSleepMs = 1000;
constexpr uint32_t kIntelPowerOnConfig = 0x2A;     // bit 26: low-power stop grant on halt
constexpr uint64_t kIntelHaltPowerSave = 0x04000000;
constexpr uint8_t kCyrixSuspendOnHalt = 0x08;      // CCR2 bit 3

int32_t ClampToMHz(double x) {
    if (!(x > 0) || x > std::numeric_limits<int32_t>::max()) return 0;
    return RoundClockMHz(x);
}

}  // namespace

uint64_t TCpu::ReadTimeStampCounter() {
    TimeStampReading = hw::backend::ReadTimeStamp();
    return TimeStampReading;
}

int32_t TCpu::PreciseMeasurement() {
    int64_t f = 0, q0 = 0, q1 = 0;
    if (!os.QueryFrequency(f)) return 0;
    if (!os.QueryCounter(q0)) return 0;
    TimeStampStart = ReadTimeStampCounter();
    os.Sleep(kPreciseSleepMs);
    if (!os.QueryCounter(q1)) return 0;
    const uint64_t t1 = ReadTimeStampCounter();
    if (t1 < TimeStampStart) return 0;
    return ClockFromCounters(t1 - TimeStampStart, q1 - q0, f);
}

int32_t TCpu::CoarseMeasurement() {
    TimeStampStart = ReadTimeStampCounter();
    const uint32_t g0 = os.TickCount();
    os.Sleep(kCoarseSleepMs);
    const uint32_t elapsed = os.TickCount() - g0;  // wraps correctly across the 49-day roll-over
    if (elapsed == 0) return 0;
    const uint64_t now = ReadTimeStampCounter();
    if (now < TimeStampStart) return 0;
    return ClampToMHz((static_cast<double>(now - TimeStampStart) / 1000.0) / elapsed);
}

int32_t RoundClockMHz(double x) {
    const double a = static_cast<double>(RoundHalfEven(x / 10) * 10);
    if (std::fabs(a - x) <= 1.5) return static_cast<int32_t>(a);
    const double b = static_cast<double>(RoundHalfEven(x / 100) * 100 + 33);
    if (std::fabs(b - x) <= 1.5) return static_cast<int32_t>(b);
    return static_cast<int32_t>(RoundHalfEven(x));
}

int32_t ClockFromCounters(uint64_t ticks, int64_t counterTicks, int64_t frequency) {
    if (counterTicks <= 0 || frequency <= 0) return 0;
    // ticks x frequency is formed as a 64-bit integer; an overflow counts as a failed measurement.
    uint64_t product = 0;
    if (__builtin_mul_overflow(ticks, static_cast<uint64_t>(frequency), &product)) return 0;
    if (product > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return 0;
    return ClampToMHz(static_cast<double>(static_cast<int64_t>(product)) /
                      (static_cast<double>(counterTicks) * 1000000.0));
}

int32_t TCpu::MeasureClockSpeed() {
    const TProcessorInfo& p = ProcessorInfo;

    // The counters of different processors need not agree: measure on processor 0 only.
    ProcessPlacement placement(os);
    placement.PinTo(0);

    ClockMHz = 0;
    if (p.CpuidAvailable && (p.FeatureFlags & kFeatureTSC)) {
        // Halt power saving stops the counter on some processors while Sleep idles: off for now.
        const bool cyrix = p.VendorCode == kVendorCyrix;
        const bool intelP6 = p.VendorCode == kVendorIntel && p.Family == 6 && p.Model >= 3;
        uint8_t oldCyrix = 0;
        uint64_t oldMsr = 0;
        bool msrSaved = false;
        if (cyrix) {
            registers.EnsureCyrixPorts();
            oldCyrix = registers.ModifyCyrixRegister(kCyrixCCR2, 0, kCyrixSuspendOnHalt);
        } else if (intelP6) {
            msrSaved = registers.TryModifyMsr(kIntelPowerOnConfig, 0, kIntelHaltPowerSave, oldMsr);
        }

        int32_t result = PreciseMeasurement();
        if (result == 0) result = CoarseMeasurement();

        // Put back exactly what was there; a register that could not be read was not changed.
        if (cyrix)
            registers.WriteCyrixRegister(kCyrixCCR2, oldCyrix);
        else if (intelP6 && msrSaved)
            registers.WriteMsrValue(kIntelPowerOnConfig, static_cast<uint32_t>(oldMsr),
                                    static_cast<uint32_t>(oldMsr >> 32));
        ClockMHz = result;
    }

    return ClockMHz;
}
