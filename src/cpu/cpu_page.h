// The "&CPU Info" page: picture, report, memory and clock of the identified processor, the
// request to report an unknown processor, and the Windows version class.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cpu/cpuid.h"
#include "hw/timing.h"

class TQuillarForm;

// Identifies the processor, applies the per-processor settings when "Optimize C&PU / Chipset"
// is ticked, and fills picture, report and memory. Runs once at start, before the idle threads.
void FillCpuPage(TQuillarForm& form);
// Measures the clock and shows it ("%d MHz"), or leaves the label hidden when none was measured.
void FillClockPage(TQuillarForm& form);

// The vendor's name as the page shows it. Codes 9-11 have no name in the original nine-entry
// list; the page names them after their vendor strings: "SiS", "Rise" and "NSC".
std::string VendorDisplayName(int vendorCode);
// The picture class of a processor ("INTEL_P3", "AMD_K6_2", ... or the vendor's name).
std::string PictureName(const TProcessorInfo& info);
std::string PictureName();
// The resource names tried for the picture, in order: AMD parts first try "AMD_K7_" and the
// code name in upper case, then everyone tries PictureName.
std::vector<std::string> PictureCandidates(const TProcessorInfo& info);
// lbMemo := lbMemo + text + CR LF.
void AppendReportLine(TQuillarForm& form, const std::string& text);

// GetVersionExA's answer reduced to a class 0-14 (14: NT 6, which needs elevation).
int WindowsVersionCode(const ProcessorPlatform::Version& version);
int WindowsVersionCode();

// The contact address in the unknown-processor request.
extern const char* const kCpuReportAddress;
// The English text of the unknown-processor request (number 5070).
std::string UnknownCpuText();

// Loads the first of `names` that the picture library at `libraryPath` holds, as a bitmap
// handle for imCPU; 0 when the library or every name is missing (cpu_picture_*.cpp).
uintptr_t LoadCpuPicture(const std::string& libraryPath, const std::vector<std::string>& names);
// Tests replace the loader; null goes back to LoadCpuPicture.
using CpuPictureLoader = std::function<uintptr_t(const std::string& libraryPath, const std::vector<std::string>& names)>;
void SetCpuPictureLoader(CpuPictureLoader loader);
