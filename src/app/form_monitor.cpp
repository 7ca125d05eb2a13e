// The "Temp &Monitor" page and the temperature watch's place in the main window: the page
// appears while a temperature source is active, its controls choose the sensor, the action
// temperature, the reading interval and the action, and the main timer's tick drives the
// watch.
#include <algorithm>

#include "app/form.h"
#include "temp/monitor_window.h"

void TQuillarForm::WireMonitorHandlers() {
    UpDown1->OnClick = [this] { UpDown1Click(); };
    UpDown2->OnClick = [this] { UpDown2Click(); };
    TrackBarSensor->OnChange = [this] { TrackBarSensorChange(); };
    ButtonMonitor->OnClick = [this] { ButtonMonitorClick(); };
}

bool TQuillarForm::SetupMonitorTab() {
    const TTempSource source = watch.sources.DetectTempSource();
    ButtonMonitor->SetVisible(source == srcMBM);
    if (source == srcNone) {
        tsMonitor->SetVisible(false);
        return false;
    }
    // A source without sensors still offers sensor 1, which reads as unreadable (-1).
    UpDown1->SetRange(1, std::max(watch.sources.GetSensorCount(), 1));
    // A stored sensor number beyond this source's sensors is limited to its last sensor;
    // the limited number is what the next "&OK" saves.
    UpDown1->SetPosition(UpDown1->Position());
    SelectSensor();  // also the first reading, for the label
    tsMonitor->SetVisible(true);
    return true;
}

void TQuillarForm::SelectSensor() {
    watch.SelectSensor(UpDown1->Position());
    EditUpDown->SetText(std::to_string(UpDown1->Position()));
    UpdateSensorLabel();
}

void TQuillarForm::UpdateSensorLabel() {
    watch.ReadSelectedSensor();
    ShowSensorLabel();
}

// The label formats the pattern kept since start-up (the translated caption), so the
// caption itself can be overwritten freely.
void TQuillarForm::ShowSensorLabel() { LabelSensor->SetCaption(watch.SensorLabel(LabelSensor->helpKeyword)); }

void TQuillarForm::ResetSensorCountdown() {
    watch.ResetSensorCountdown(TrackBarSensor->Position(), MainTimer->Interval());
}

void TQuillarForm::WatchTemperature() {
    const WatchTick tick{rgAction->ItemIndex(), TrackBarSensor->Position(), MainTimer->Interval(),
                         host.OptionsVisible()};
    if (watch.WatchTemperature(tick)) ShowSensorLabel();
}

void TQuillarForm::UpDown1Click() {
    SelectSensor();
    SettingsChanged = true;
}

void TQuillarForm::UpDown2Click() { SettingsChanged = true; }

void TQuillarForm::TrackBarSensorChange() {
    ResetSensorCountdown();
    SettingsChanged = true;
}

void TQuillarForm::ButtonMonitorClick() { SignalMonitorWindow(); }
