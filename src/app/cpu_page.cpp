#include "app/cpu_page.h"

#include "app/form.h"
#include "app/languages.h"
#include "common/format.h"
#include "common/log.h"
#include "cpu/cpu_report.h"

const char* const kCpuReportAddress = "cpu-report@quillar.example";

namespace {

const char* const kLibraryName = "Lumisca.dll";

// The four state words, translated once per fill and cut to 32 characters.
std::string Word(const char* english, int number) { return TranslateText(english, number).substr(0, 32); }

StateWords FetchStateWords() {
    return StateWords{Word("disabled", 5063), Word("enabled", 5062), Word("not available", 5083),
                      Word("available", 5082)};
}

void RequestUnknownReport(TQuillarForm& form, const TProcessorInfo& p) {
    // A translation whose placeholders do not fit must not stop the start: the English text is used.
    const std::string text = FormatTranslated(UnknownCpuText(), 5070,
                                              {form.TitleText(), p.VendorCode, VendorDisplayName(p.VendorCode),
                                               p.Family, p.Model, p.Stepping});
    form.host.MessageDialog(text, mtInformation, mbOK, 1, 0);
}

void LoadPicture(TQuillarForm& form, const TProcessorInfo& p) {
    // Only from the program's own folder: a library of that name in the current folder
    // must never be picked up.
    const std::string folder = form.host.ProgramFolder();
    if (folder.empty()) return;
    const uintptr_t picture = form.host.LoadCpuPicture(folder + kLibraryName, PictureCandidates(p));
    if (!picture) return;
    form.imCPU->SetPicture(picture);
    form.imCPU->SetVisible(true);
    form.LabelUnknown->SetVisible(false);
}

}  // namespace

std::string UnknownCpuText() {
    return std::string("%s found a CPU that it didn't recognize. If you want to help improving Quillar, please send "
                       "the following information to ") +
           kCpuReportAddress + ":\r\n\r\nVendor %x (%s), Familiy %x, Model %x, Stepping %x";
}

void AppendReportLine(TQuillarForm& form, const std::string& text) {
    form.lbMemo->SetCaption(form.lbMemo->Caption() + text + "\r\n");
}

void FillCpuPage(TQuillarForm& form) {
    const StateWords words = FetchStateWords();
    TCpu& cpu = form.cpu;
    cpu.IdentifyProcessor();
    const TProcessorInfo& p = cpu.ProcessorInfo;
    if (p.ProcessorName == "unknown") RequestUnknownReport(form, p);
    if (p.CpuidAvailable) {
        if (form.cbOptimize->Checked()) cpu.ForEachProcessor(true, form.idle.ProcessorCount);
        form.LabelID->SetVisible(false);
        LoadPicture(form, p);
        for (const std::string& line : CpuReportLines(cpu, words, form.idle.ProcessorCount))
            AppendReportLine(form, line);
    }
    form.LabelMem->SetCaption(Format("%d MB", {PhysicalMemoryMB()}));
}

void FillClockPage(TQuillarForm& form) {
    if (form.cpu.MeasureClockSpeed() > 0) {
        form.LabelClock->SetCaption(Format("%d MHz", {form.cpu.ClockMHz}));
        form.LabelClock->SetVisible(true);
    }
    LogText(form.LabelClock->Caption());
}
