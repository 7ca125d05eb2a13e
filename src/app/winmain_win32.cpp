// Program entry: module start-up, platform refusal, single instance and the message loop.
#include <windows.h>

#include "app/form_win32.h"
#include "app/languages.h"
#include "app/program_shutdown.h"
#include "app/resource_tray.h"
#include "app/switches.h"
#include "common/com_win32.h"
#include "hw/backend.h"
#include "hw/driver.h"
#include "hw/pci_config.h"
#include "temp/temp_monitoring.h"

namespace {

bool IsWindowsNT() {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    GetVersionExA(&vi);
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void ErrorMessage(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Quillar", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

std::string ProgramFile() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// The modules' clean-up, after the main window is gone: the driver is closed last.
void CleanUpModules() {
    CloseDriver();
    hw::backend::Finish();
}

// A second start forwards its command to the running instance and ends at once.
void ForwardToRunningInstance(const std::vector<std::string>& args) {
    HWND running = FindWindowA("TQuillarForm", nullptr);
    if (running && GetWindow(running, GW_OWNER)) {
        PostMessageA(running, ForwardedMessage(args), 0, 0);
        return;
    }
    ErrorMessage(TranslateText("Quillar is already running.", 5054));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Module start-up, before the program entry.
    const bool nt = IsWindowsNT();
    if (nt) {
        try {
            OpenDriver();
        } catch (const EHardwareException& e) {
            ErrorMessage(e.what());
            return 0;
        }
    }
    PreparePCIAccess();
    // The run's temperature sources, looked for a first time.
    TempMonitoring temps(SystemSharedMemory());
    temps.DetectTempSource();

    // Program entry.
    SetLanguageFilePath(ProgramFile());
    if (!nt) {
        ErrorMessage(TranslateText("Sorry- This version of Quillar does not run on Windows 9x/ME", 5061));
        CleanUpModules();
        return 0;
    }
    std::vector<std::string> args = SplitCommandLine(GetCommandLineA());
    if (!args.empty()) args.erase(args.begin());
    SetStartArguments(args);

    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Quillar");
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) {
        ForwardToRunningInstance(args);
        CleanUpModules();
        return 0;
    }

    {
        WindowsForm form(temps, ProgramShutdown());
        form.Form().idle.CountProcessors();
        form.SetTray(MakeProgramTray(instance, IDB_TRAYICONS, form));
        if (form.Create(instance)) form.Run();
        form.Destroy();
    }
    com::LeaveApartment();
    CleanUpModules();
    return 0;
}
