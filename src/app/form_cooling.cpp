// Cooling on and off, its modes and the option dependencies.
#include "app/form.h"
#include "app/languages.h"
#include "common/log.h"

namespace {
constexpr int kPictureStopped = 8;
constexpr int kPictureRunning = 9;
}  // namespace

void TQuillarForm::SetCooling(bool enable) {
    LogText(enable ? "Cooling enable" : "Cooling disable");
    if (enable) {
        chipset.ChipsetCoolingOn(cbOptimize->Checked(), cbFixAudio->Checked());
        const int mode = rgCoolingMode->ItemIndex();
        if (mode == 0) {
            if (idle.IdleThreadsRunning()) idle.SuspendIdleThreads(true);
        } else if (mode == 1 || mode == 2) {
            idle.C2Idling = mode == 2 && cbOptimize->Checked() && chipset.C2PortAvailable;
            idle.SetIdlePriority(0);
            idle.SuspendIdleThreads(false);
        }
        LogFormat("Cooling Mode %d", {mode});
        LogFormat("C2 Idling %s", {BoolText(idle.C2Idling)});
    } else {
        idle.SuspendIdleThreads(true);
        chipset.ChipsetCoolingOff();
    }
    CoolingEnabled = enable;
    Enabled1->SetChecked(enable);
    LabelInactive->SetVisible(!enable);
    LabelActive->SetVisible(!LabelInactive->Visible());

    if (chipset.ChipsetKnown() && rgCoolingMode->ItemIndex() == 0 && cbOptimize->Checked() && CoolingEnabled) {
        DrawTrayIcon("K7", -1);
        if (tray) tray->SetToolTip(TitleText() + "\r" + "[K7 Mode]");
        return;
    }
    DrawTrayIcon("", idle.IdleThreadsRunning() ? kPictureRunning : kPictureStopped);
}

void TQuillarForm::rgCoolingModeClick() {
    if (Loading) return;
    if (rgCoolingMode->ItemIndex() == 2 && !chipset.C2PortAvailable) {
        host.MessageDialog(
            FormatTranslated("C2 cooling support has not been detected on your chipset.\r\n\r\nThis does not mean "
                             "that %s does not work on this system. Instead of using C2 mode, the standard S1 "
                             "mode should be used. OS mode should be tried if S1 mode does not provide cooling",
                             5072,
                             {TitleText()}),
            mtInformation, mbOK, 1, 0);
        // Runs this handler again for item 1 before going on here.
        rgCoolingMode->SetItemIndex(1);
    } else if (rgCoolingMode->ItemIndex() == 1 && host.OptionsVisible()) {
        host.MessageDialog(
            FormatTranslated("You've selected the standard S1 cooling mode. \r\n\r\nIf cooling performance is not "
                             "satisfactory, try C2 mode (if supported) or use the OS mode.",
                             5071,
                             {TitleText()}),
            mtInformation, mbOK, 1, 0);
    }
    UpdateClick();
}

void TQuillarForm::UpdateClick() {
    SettingsChanged = true;
    if (Loading) return;
    if (!cbOptimize->Checked()) rgCoolingMode->SetItemIndex(1);
    if (rgCoolingMode->ItemIndex() == 0)
        host.MessageDialog(
            FormatTranslated("If you have an Athlon/ Duron CPU on VIA chipsets, and have ACPI enabled, setting this "
                             "option will disable %s's cooling thread and use the OS cooling mechanism instead. "
                             "This can save ressources and enable you to use the OS's cpu load indicators "
                             "again.\r\n\r\nIf you notice rising temperature with this setting, uncheck this "
                             "option.",
                             5069,
                             {TitleText()}),
            mtInformation, mbOK, 1, 0);
    UpdateAthlonOptions();
}

void TQuillarForm::UpdateAthlonOptions() {
    rgCoolingMode->SetEnabled(chipset.ChipsetKnown() && cbOptimize->Checked());
    gbFixAudio->SetEnabled(chipset.NorthbridgeVendor() == 0x1106);
    cbFixAudio->SetEnabled(gbFixAudio->Enabled());
    lbFixAudioHint->SetEnabled(gbFixAudio->Enabled());
}
