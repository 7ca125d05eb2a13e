// What the CPU information page shows of a processor: its vendor's display name, the class
// of its picture, the report text with the state of its power bits, and the Windows version
// class.
#pragma once
#include <string>
#include <vector>

#include "cpu/processor.h"

// The vendor's name as the page shows it. Codes 9-11 have no name in the original nine-entry
// list; the page names them after their vendor strings: "SiS", "Rise" and "NSC".
std::string VendorDisplayName(int vendorCode);
// The picture class of a processor ("INTEL_P3", "AMD_K6_2", ... or the vendor's name).
std::string PictureName(const TProcessorInfo& info);
// The resource names tried for the picture, in order: AMD parts first try "AMD_K7_" and the
// code name in upper case, then everyone tries PictureName.
std::vector<std::string> PictureCandidates(const TProcessorInfo& info);

// The four state words of the report, already translated.
struct StateWords {
    std::string disabled, enabled, notAvailable, available;
    const std::string& Enabled(bool on) const { return on ? enabled : disabled; }
    const std::string& Available(bool on) const { return on ? available : notAvailable; }
};

// Logs the "CPU ..." line and returns the report's lines in order (each without its line
// end). The power lines read the registers they describe.
std::vector<std::string> CpuReportLines(TCpu& cpu, const StateWords& words, int processorCount);

// GetVersionExA's answer reduced to a class 0-14 (14: NT 6, which needs elevation).
int WindowsVersionCode(const ProcessorPlatform::Version& version);
// The same for the running system; 0 when the version cannot be read.
int WindowsVersionCode(ProcessorPlatform& os);
