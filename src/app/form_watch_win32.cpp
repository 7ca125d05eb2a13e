// The main window's services for the window watch, the tray icon's repair after a shell
// restart, the privileged object, and the power broadcast.
#include "app/form_win32.h"
#include "app/power.h"

TopLevelWindows& WindowsForm::SystemWindows() { return *topLevelWindows_; }

bool WindowsForm::RecreateTrayIcon() {
    // No tray, nothing to repair.
    if (!tray_) return true;
    return tray_->RecreateTray();
}

PrivilegedObjectSource& WindowsForm::PrivilegedObjects() { return *privilegedObjects_; }

void WindowsForm::WMPowerBroadcast(WPARAM code) {
    const std::string folder = ProgramFolder();
    const bool suspend = PowerBroadcast(static_cast<uint32_t>(code),
                                        [&folder] { return StartCompanion(folder, OwnCommandLine()); });
    // The ordinary shutdown: the message loop ends, then the window's destruction switches
    // cooling off, ends the idle threads and removes the icon.
    if (suspend) Terminate();
}
