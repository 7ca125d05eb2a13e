// The "Auto-Off Windows" page and its timer: cooling is off while a listed window exists,
// and the same tick repairs the tray icon after the shell's taskbar was re-created.
#include "app/form.h"

void TQuillarForm::UpdateWindowWatchTimer() {
    TimerWindows->SetEnabled(WindowWatchTimerEnabled(ListBoxWindows->Items()));
}

void TQuillarForm::tbFindWindowsChange() {
    TimerWindows->SetInterval(WindowWatchInterval(tbFindWindows->Position()));
    SettingsChanged = true;
}

void TQuillarForm::TimerWindowsTimer() {
    // Off while working, so the interval counts from the end of this tick and ticks never
    // pile up behind a slow switch of cooling.
    TimerWindows->SetEnabled(false);
    RecreateTrayIconIfShellRestarted();
    const WatchDecision decision = DecideWatchTick(CoolingEnabled, DisabledByWindow, [this] {
        return FindListedWindow(host.SystemWindows(), ListBoxWindows->Items()) != 0;
    });
    DisabledByWindow = decision.disabledByWindow;
    if (decision.action != WatchAction::None) SetCooling(decision.action == WatchAction::CoolingOn);
    TimerWindows->SetEnabled(true);
}

void TQuillarForm::RecreateTrayIconIfShellRestarted() {
    const uintptr_t taskbar = host.FindTaskbarWindow();
    if (taskbar == TaskbarWindow) return;
    // A component busy with one of its events (its menu is open, say) cannot go now; the
    // handle is kept unchanged so that the next tick tries again.
    if (!host.RecreateTrayIcon()) return;
    TaskbarWindow = taskbar;
}

void TQuillarForm::btAddClick() {
    std::vector<std::string> list = ListBoxWindows->Items();
    std::vector<std::string> dropDown = cbWindows->Items();
    const std::string text = cbWindows->Text();
    // Added one by one, so that the list keeps its selection.
    if (AddWindowName(list, dropDown, text)) ListBoxWindows->Add(text);
    cbWindows->Add(text);
    SettingsChanged = true;
}

void TQuillarForm::btDelClick() {
    const std::vector<std::string>& items = ListBoxWindows->Items();
    std::vector<bool> selected(items.size());
    for (size_t i = 0; i < items.size(); ++i) selected[i] = ListBoxWindows->Selected(static_cast<int>(i));
    ListBoxWindows->SetItems(WithoutSelectedNames(items, selected));
    SettingsChanged = true;
}
