// The program's own tray: its pictures, the double click and the tray menu of the main window.
#include "app/form_win32.h"

std::unique_ptr<ProgramTrayView> MakeProgramTray(HINSTANCE module, UINT bitmapId, WindowsForm& form) {
    auto view = std::make_unique<ProgramTrayView>(module, bitmapId);
    TTrayIcon2& tray = view->Tray();
    // The picture the icon is added with, before cooling first chooses one: not running.
    tray.SetTrayIcon(8);
    tray.OnDblClick = [&form](TTrayIcon2&) { form.Form().TrayDblClick(); };
    tray.SetPopupMenuBuilder([&form] { return form.BuildTrayMenu(); },
                             [&form](UINT command) { form.RunMenuCommand(command); });
    // The main window is created after the tray, so it is looked up when needed.
    tray.SetApplicationWindowProvider([&form] { return form.ApplicationWindow(); });
    return view;
}
