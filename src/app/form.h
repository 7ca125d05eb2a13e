// TQuillarForm: the main window. It is both the options window and the program's
// controller; its controls are the working copy of the settings. This class holds the
// decisions; the Windows side (form_win32.cpp, with ui/controls_win32 for the controls'
// windows) mirrors the controls into real windows and supplies the platform services
// through FormHost.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/idle_priorities.h"
#include "app/privileged_object.h"
#include "chipset/chipset.h"
#include "common/registry.h"
#include "cpu/processor.h"
#include "idle/idle_threads.h"
#include "temp/temp_watch.h"
#include "ui/controls.h"
#include "ui/dsa.h"
#include "ui/tray_view.h"
#include "winwatch/window_watch.h"

// Private messages another instance posts to the main window.
enum PrivateMessage : unsigned {
    MSG_QUIT = 0x8000,
    MSG_SHOW_OPTIONS = 0x8001,
    MSG_COOLING_ON = 0x8002,
    MSG_COOLING_OFF = 0x8003,
};

// Message-dialog kinds and buttons of the don't-show-again dialog.
enum DialogKind { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };
enum DialogButton : unsigned { mbOK = 4 };

// The platform services the controller uses. The Windows view implements them; tests fake them.
class FormHost {
public:
    virtual ~FormHost() = default;
    // A plain error box with one OK button.
    virtual void ErrorBox(const std::string& text) = 0;
    // A message box with the error icon, one OK button and the given caption.
    virtual void ErrorBoxWithCaption(const std::string& caption, const std::string& text) = 0;
    // The don't-show-again message dialog (returns the dialog result).
    virtual int MessageDialog(const std::string& text, DialogKind kind, unsigned buttons, int defaultResult,
                              int helpContext) = 0;
    virtual void ProcessMessages() = 0;
    virtual void Sleep(unsigned ms) = 0;
    virtual void ShowSplash() = 0;
    virtual bool OptionsVisible() = 0;
    // Shows the options window modally; returns when it closes.
    virtual void ShowOptionsModal() = 0;
    // Closes the modal options window with the result "OK".
    virtual void CloseOptions() = 0;
    // Ends the message loop; shutdown follows.
    virtual void Terminate() = 0;
    virtual uintptr_t FindTaskbarWindow() = 0;
    virtual bool IsWindowsNT() = 0;
    // Opens a file with the shell; false when that failed.
    virtual bool OpenWithShell(const std::string& path) = 0;
    virtual std::string ProgramFolder() = 0;  // with a trailing backslash
    // Loads the first of `names` that the picture library at `libraryPath` holds, as a bitmap
    // handle for imCPU; 0 when the library or every name is missing.
    virtual uintptr_t LoadCpuPicture(const std::string& libraryPath, const std::vector<std::string>& names) = 0;
    // The system's top-level windows, for the window watch.
    virtual TopLevelWindows& SystemWindows() = 0;
    // Re-creates the tray icon component from its published properties, which adds an
    // active icon to a new taskbar; false when that has to wait (the component is busy).
    virtual bool RecreateTrayIcon() = 0;
    // Creates the privileged object that writes the autostart entry.
    virtual PrivilegedObjectSource& PrivilegedObjects() = 0;
};

// The services one run of the program works with: the system's in the program, fakes in tests.
struct FormServices {
    ProcessorPlatform& processors;
    IdleThreadPlatform& threads;
    Registry& registry;
    DSAPlatform& dialogs;
    TempMonitoring& temps;      // the run's temperature sources, detected once at module start
    SystemShutdown& shutdown;   // what the watch's shutdown action calls
};

// Idle share (0..99) of one idle thread since its last sample; updates the sample.
int MeasureIdlePercent(TIdle& thread);

class TQuillarForm {
public:
    TQuillarForm(FormHost& host, const FormServices& services);
    ~TQuillarForm();

    FormHost& host;
    TrayIconView* tray = nullptr;  // set by the view before FormCreate

    // ---- the run's subsystems, handed down to whatever needs them ----
    Registry& registry;
    TCpu cpu;
    TChipsetSupport chipset;
    TIdleThreads idle;
    TDSADialogs dialogs;
    IdleThreadPriorities idlePriorities;  // the idle threads as the temperature watch sees them
    TemperatureWatch watch;               // CurrentTemp, TempThreshold, SelectedSensor, SensorCountdown

    // ---- fields ----
    bool CoolingEnabled = false;
    bool SettingsChanged = false;
    bool Loading = false;
    bool DisabledByWindow = false;
    int32_t LastIconIndex = 0;
    std::string LastIconText;
    std::string TipText;  // the tooltip being built, kept between ticks so a tick allocates nothing
    uintptr_t TaskbarWindow = 0;

    // The window itself.
    std::string caption = "Quillar";
    Bounds clientArea{0, 0, 563, 299};

    // Every component in creation order (translation walks this order).
    std::vector<Control*> components;
    std::vector<MenuItem*> menu;

    // ---- controls ----
    PageControl* PageControl1;
    TabSheet *tsAbout, *tsCPU, *tsStartup, *tsTaskBar, *tsMonitor, *tsWindows;
    Button* ButtonOK;

    // About
    Label* LabelTitle;
    Label* lbInfo;
    Label* LabelActive;
    Label* LabelInactive;
    Image* imNice;
    UrlLabel* UrlLabel1;
    Button* ButtonHelp;

    // CPU Info
    Image* imCPU;
    Label* LabelUnknown;
    Label* lbMemo;
    Label* LabelID;
    GroupBox* gbClockSpeed;
    Label* LabelClock;
    GroupBox* gbMemory;
    Label* LabelMem;
    Label* LabelPowered;
    Label* LabelCPUs;

    // StartUp
    GroupBox* gbStartupOptions;
    Button* btAutoStart;
    CheckBox* cbAutoStart;
    CheckBox* cbSplash;
    CheckBox* cbOptimize;
    CheckBox* cbHideTaskbar;
    CheckBox* cbMBM;
    RadioGroup* rgCoolingMode;
    GroupBox* gbFixAudio;
    CheckBox* cbFixAudio;
    Label* lbFixAudioHint;

    // TaskBar
    RadioGroup* rgIdle;
    GroupBox* GroupBox8;
    TrackBar* TrackBarIdle;
    Label* lbIdleScale;
    ListView* lvTimes;

    // Temp Monitor
    GroupBox* gbSensor;
    Label* lbSensor;
    Edit* EditUpDown;
    UpDown* UpDown1;
    Label* LabelSensor;
    Label* LabelIndicated;
    Edit* EditTemp;
    UpDown* UpDown2;
    GroupBox* GroupBox6;
    TrackBar* TrackBarSensor;
    Label* lbSensorScale;
    RadioGroup* rgAction;
    Button* ButtonMonitor;

    // Auto-Off Windows
    GroupBox* GroupBox9;
    ComboBox* cbWindows;
    ListBox* ListBoxWindows;
    Button* btAdd;
    Button* btDel;
    Label* Label2;
    TrackBar* tbFindWindows;
    Label* lbWindowsScale;

    // Tray menu
    MenuItem *Hide1, *Enabled1, *About1, *N1, *Exit1;

    // Timers
    Timer* MainTimer;  // `Timer` of the design
    Timer* TimerWindows;

    // ---- the life of the window ----
    void FormCreate();
    void FormDestroy();
    // A private message from another instance; true when it was one of ours.
    bool HandlePrivateMessage(unsigned message);

    // ---- handlers ----
    void HideClick();
    void About1Click();
    void Exit1Click();
    void TrayDblClick();
    void PopupMenuPopup();
    void SettingsChangedClick();
    void ButtonOKClick();
    void ButtonHelpClick();
    void TrackBarIdleChange();
    void rgIdleClick();
    void TimerTimer();
    void UpdateClick();
    void rgCoolingModeClick();
    void UpdateAthlonOptions();
    // Window watch
    void UpdateWindowWatchTimer();
    void tbFindWindowsChange();
    void TimerWindowsTimer();
    void RecreateTrayIconIfShellRestarted();
    void btAddClick();
    void btDelClick();
    // Autostart
    void btAutoStartClick();

    void ShellExec(const std::string& file, bool relative);

    // ---- temperature page and watch (form_monitor.cpp) ----
    // Detects the source and prepares tsMonitor; true when a source is active.
    bool SetupMonitorTab();
    void SelectSensor();
    void UpdateSensorLabel();
    void ResetSensorCountdown();
    bool TempSourceActive() const { return watch.TempSourceActive(); }
    // The sensor steps of the main timer's tick: countdown, reading, emergency action.
    void WatchTemperature();
    void UpDown1Click();
    void UpDown2Click();
    void TrackBarSensorChange();
    void ButtonMonitorClick();

    // ---- cooling ----
    void SetCooling(bool enable);

    // ---- tray display ----
    // Puts a text or picture icon into the tray, unless it is the one drawn last.
    void DrawTrayIcon(const std::string& text, int index);

    // The caption of LabelTitle: "Quillar Vantor".
    const std::string& TitleText() const { return LabelTitle->Caption(); }

private:
    template <class T, class... A>
    T* Add(A&&... args);
    void BuildControls();
    void WireHandlers();
    void WireMonitorHandlers();
    void ShowSensorLabel();
    std::vector<std::unique_ptr<Control>> owned_;
};

// The program's design-time title prefix.
extern const char* const kTitlePrefix;  // "Quillar Vantor"
extern const char* const kCompiledStamp;
