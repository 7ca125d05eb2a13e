// The main timer: idle share per processor, tooltip, tray icon and statistics list.
#include <stdexcept>

#include "app/form.h"
#include "app/languages.h"
#include "common/log.h"

namespace {
constexpr int kRowTotalTime = 0;
constexpr int kRowTotalIdle = 1;
constexpr int kRowCurrentIdle = 2;
constexpr size_t kMaxIconText = 255;
}  // namespace

int MeasureIdlePercent(TIdle& thread) {
    uint64_t kernel = 0;
    // A time that cannot be read must not pass for zero: the difference would wrap.
    IdleThreadPlatform& platform = thread.owner.platform;
    if (!platform.KernelTime(thread.handle, kernel)) throw std::runtime_error("thread times not readable");
    const uint32_t kernelMs = static_cast<uint32_t>(kernel / 10000);
    const uint32_t now = platform.TickCount();
    // Differences as 32-bit unsigned values, so a wrap of the tick counter is harmless.
    const uint32_t busy = kernelMs - thread.LastKernelMs;
    const uint32_t interval = now - thread.LastSampleTick;
    int64_t percent = 0;
    if (interval != 0) percent = RoundHalfEven(static_cast<double>(busy) * 100.0 / interval);
    thread.LastKernelMs = kernelMs;
    thread.LastSampleTick = now;
    if (percent < 0) percent = 0;
    if (percent > 99) percent = 99;
    return static_cast<int>(percent);
}

void TQuillarForm::DrawTrayIcon(const std::string& text, int index) {
    if (index == LastIconIndex && text == LastIconText) return;
    LastIconIndex = index;
    LastIconText = text.substr(0, kMaxIconText);
    if (!tray) return;
    if (text.empty()) {
        tray->SetTrayIcon(index);
        return;
    }
    // Shows the drawing slot; the cache then holds its index and an empty text, so a
    // text icon is drawn afresh on every call.
    DrawTrayIcon("", tray->RenderTextIcon(text, index));
}

void TQuillarForm::TimerTimer() {
    try {
        if (!TempSourceActive() && cbMBM->Checked()) SetupMonitorTab();
        host.ProcessMessages();
        // The tooltip is the tick's only allocation: its lines are appended in place.
        std::string tip;
        tip.reserve(TitleText().size() + 16 + 16 * static_cast<size_t>(idle.ProcessorCount));
        tip = TitleText();
        if (TempSourceActive()) {
            WatchTemperature();
            watch.AppendTemperatureLine(tip);
        }
        if (idle.IdleThreadsRunning()) {
            watch.DropRaisedPriorities();
            int sum = 0;
            int measured = 0;
            const bool listVisible = host.OptionsVisible();
            for (int cpu = 0; cpu < idle.ProcessorCount; ++cpu) {
                TIdle* t = idle.IdleThreads[cpu];
                if (!t) {
                    // No thread for this processor: nothing to measure, left out of the average.
                    FormatAppend(tip, "\rCPU %d: -", {cpu + 1});
                    if (listVisible)
                        for (int row : {kRowTotalTime, kRowTotalIdle, kRowCurrentIdle}) lvTimes->SetCell(row, cpu + 1, "-");
                    continue;
                }
                int current = 0;
                int64_t total = 0;
                try {
                    current = MeasureIdlePercent(*t);
                    const uint32_t span = t->LastSampleTick - idle.IdleStartTick.load();
                    total = span ? RoundHalfEven(static_cast<double>(t->LastKernelMs) * 100.0 / span) : 0;
                } catch (const std::exception&) {
                    current = 0;
                    total = 0;
                }
                sum += current;
                ++measured;
                FormatAppend(tip, "\rCPU %d: %d%%", {cpu + 1, current});
                if (listVisible) {
                    lvTimes->SetCell(kRowTotalTime, cpu + 1,
                                     std::to_string(t->LastKernelMs / 60000) + ":" +
                                         ZeroPad((t->LastKernelMs / 1000) % 60, 2));
                    lvTimes->SetCell(kRowTotalIdle, cpu + 1, std::to_string(total) + "%");
                    lvTimes->SetCell(kRowCurrentIdle, cpu + 1, std::to_string(current) + "%");
                }
            }
            const int average = measured ? sum / measured : 0;
            switch (rgIdle->ItemIndex()) {
            case 1:
                DrawTrayIcon(ZeroPad(average, 2), -1);
                break;
            case 2: {
                int level = idle.IdleThreads[0] ? idle.IdleThreads[0]->PriorityLevel() : 0;
                DrawTrayIcon(level != 0 ? std::to_string(level) : std::string(), average / 14);
                break;
            }
            default:
                break;
            }
        }
        if (tray) tray->SetToolTip(tip);
    } catch (const std::exception& e) {
        LogText(std::string("Exception caught: ") + e.what());
    }
}

void TQuillarForm::TrackBarIdleChange() {
    MainTimer->SetInterval(static_cast<unsigned>(TrackBarIdle->Position()) * 100);
    ResetSensorCountdown();
    SettingsChanged = true;
}

void TQuillarForm::rgIdleClick() {
    if (rgIdle->ItemIndex() == 0 && idle.IdleThreads[0])
        DrawTrayIcon("", idle.IdleThreads[0]->Suspended ? 8 : 9);
    if (MainTimer->Enabled()) TimerTimer();
    SettingsChanged = true;
}
