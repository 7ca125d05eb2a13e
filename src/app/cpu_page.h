// The "&CPU Info" page: picture, report, memory and clock of the identified processor, and
// the request to report an unknown processor.
#pragma once
#include <string>

class TQuillarForm;

// Identifies the processor, applies the per-processor settings when "Optimize C&PU / Chipset"
// is ticked, and fills picture, report and memory. Runs once at start, before the idle threads.
void FillCpuPage(TQuillarForm& form);
// Measures the clock and shows it ("%d MHz"), or leaves the label hidden when none was measured.
void FillClockPage(TQuillarForm& form);
// lbMemo := lbMemo + text + CR LF.
void AppendReportLine(TQuillarForm& form, const std::string& text);

// The contact address in the unknown-processor request.
extern const char* const kCpuReportAddress;
// The English text of the unknown-processor request (number 5070).
std::string UnknownCpuText();
