// The Windows side of the main window: the window itself with its messages (the private
// ones, power, close), the platform services of FormHost, and the controls' windows
// (ControlWindows, ui/controls_win32.h).
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/privileged_object_win32.h"
#include "ui/controls_win32.h"
#include "ui/tray_view_win32.h"

class WindowsForm : public FormHost {
public:
    WindowsForm(TempMonitoring& temps, SystemShutdown& shutdown);
    ~WindowsForm() override;

    // Creates the hidden application window and the main window (class "TQuillarForm"),
    // then runs FormCreate.
    bool Create(HINSTANCE instance);
    // Runs the message loop until the program is told to end.
    void Run();
    // FormDestroy, removal of the tray icon, destruction of the windows.
    void Destroy();

    TQuillarForm& Form() { return *form_; }
    HWND Handle() const { return window_; }
    HWND ApplicationWindow() const { return appWindow_; }

    // FormHost
    void ErrorBox(const std::string& text) override;
    void ErrorBoxWithCaption(const std::string& caption, const std::string& text) override;
    int MessageDialog(const std::string& text, DialogKind kind, unsigned buttons, int defaultResult,
                      int helpContext) override;
    void ProcessMessages() override;
    void Sleep(unsigned ms) override;
    void ShowSplash() override;
    bool OptionsVisible() override;
    void ShowOptionsModal() override;
    void CloseOptions() override;
    void Terminate() override;
    uintptr_t FindTaskbarWindow() override;
    bool IsWindowsNT() override;
    bool OpenWithShell(const std::string& path) override;
    std::string ProgramFolder() override;
    uintptr_t LoadCpuPicture(const std::string& libraryPath, const std::vector<std::string>& names) override;
    TopLevelWindows& SystemWindows() override;
    bool RecreateTrayIcon() override;
    PrivilegedObjectSource& PrivilegedObjects() override;

    // Installs the tray icon (its view lives with the window).
    void SetTray(std::unique_ptr<ProgramTrayView> tray);
    // The tray menu, opened by the tray component.
    HMENU BuildTrayMenu();
    void RunMenuCommand(UINT id);

private:
    static LRESULT CALLBACK ApplicationProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void RegisterClasses();
    bool CreateMainWindow();
    // The window's close box hides it; a close request from outside ends the program.
    void WMClose();
    // WM_POWERBROADCAST: logged; a suspend hands over to the companion and ends the program.
    void WMPowerBroadcast(WPARAM code);
    // The dialog keys (tab, Enter, Esc) work while the options window is shown.
    HWND DialogWindow() const { return modal_ ? window_ : nullptr; }

    HINSTANCE instance_ = nullptr;
    HWND appWindow_ = nullptr;
    HWND window_ = nullptr;
    std::unique_ptr<TQuillarForm> form_;
    std::unique_ptr<ProgramTrayView> tray_;
    std::unique_ptr<TopLevelWindows> topLevelWindows_ = SystemTopLevelWindows();
    std::unique_ptr<ComPrivilegedObjectSource> privilegedObjects_;
    // The controls' windows; they are made at the options window's first showing.
    std::unique_ptr<ControlWindows> controls_;
    bool modal_ = false;
};

// The program's tray: the pictures of the resource `bitmapId`, a double click running
// TrayDblClick, and the main window's tray menu (built afresh, with its check mark, each
// time it opens) brought up over the application window.
std::unique_ptr<ProgramTrayView> MakeProgramTray(HINSTANCE module, UINT bitmapId, WindowsForm& form);

// Loads the first of `names` that the picture library at `libraryPath` (a full path) holds,
// as a bitmap; 0 when the library or every name is missing (cpu_picture_win32.cpp).
uintptr_t LoadPictureFromLibrary(const std::string& libraryPath, const std::vector<std::string>& names);
