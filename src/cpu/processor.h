// The processor the program runs on, as one run of the program knows it: its identification,
// its measured clock, its register access, and the power settings behind
// "Optimize C&PU / Chipset". The main window owns one and hands it down; tests make their own.
#pragma once
#include <cstdint>

#include "cpu/cpuid.h"
#include "hw/backend.h"
#include "hw/registers.h"
#include "hw/timing.h"

class TCpu {
public:
    explicit TCpu(ProcessorPlatform& os) : os(os) {}

    ProcessorPlatform& os;
    TRegisters registers;

    // Filled by IdentifyProcessor.
    TProcessorInfo ProcessorInfo;
    // The registers of the last CPUID run.
    hw::CpuidRegisters CpuidResult{0, 0, 0, 0};
    // The last time-stamp reading and the start reading of the running measurement.
    uint64_t TimeStampReading = 0;
    uint64_t TimeStampStart = 0;
    // The last measured clock speed; 0 when none was measured.
    int32_t ClockMHz = 0;

    // ---- identification (cpuid.cpp) ----

    // Whether bit 21 of EFLAGS can be toggled; stores the answer in ProcessorInfo.CpuidAvailable.
    bool IsCpuidAvailable();
    // Runs CPUID for `leaf`, keeps the four registers in CpuidResult and returns EAX.
    uint32_t ExecuteCpuid(uint32_t leaf);
    // True when an 8-bit division leaves the arithmetic flags untouched (only Cyrix parts do).
    bool IsCyrixProcessor();
    // L2 size in KB from the leaf-2 descriptors 0x40-0x45; 0 for none.
    int L2CacheSizeKB();
    // Fills ProcessorInfo, starting from an empty record.
    void IdentifyProcessor();

    // ---- timing (clock.cpp) ----

    // Executes RDTSC, keeps the value in TimeStampReading and returns it.
    uint64_t ReadTimeStampCounter();
    // Measures the clock on processor 0 with halt power saving off, keeps it in ClockMHz and
    // returns it (0 without CPUID or time-stamp counter).
    int32_t MeasureClockSpeed();

    // ---- power settings (processor_settings.cpp) ----

    // Applies the power settings to the processor the calling thread runs on. `lockOption`
    // also sets the no-lock bits (only safe on a one-processor system).
    void ApplyProcessorSettings(bool lockOption);
    // Pins the process to each of the first `processorCount` processors in turn (mask 1 << i)
    // and applies the settings there, with the no-lock bits only when `lockOption` is set and
    // the system has one processor; then restores the process affinity. A process whose
    // affinity cannot be read is not moved and sets up only the processor it runs on. Must
    // run before the idle threads exist: the process mask would otherwise override their own.
    void ForEachProcessor(bool lockOption, int processorCount);

private:
    void ReadSignature();
    void ClassifyVendor();
    void ReadBrandString();
    int32_t PreciseMeasurement();
    int32_t CoarseMeasurement();
};

// Snaps a measured clock to a multiple of ten, or of a hundred plus 33, when it is within
// 1.5 MHz of one; otherwise rounds it.
int32_t RoundClockMHz(double x);
// The precise method's arithmetic: MHz from time-stamp ticks over performance-counter
// ticks at `frequency`; 0 when it cannot be computed.
int32_t ClockFromCounters(uint64_t ticks, int64_t counterTicks, int64_t frequency);
