#include "app/form.h"

#include "app/autostart.h"
#include "app/languages.h"
#include "app/settings.h"
#include "app/switches.h"
#include "app/cpu_page.h"
#include "common/log.h"

const char* const kTitlePrefix = "Quillar Vantor";
const char* const kCompiledStamp = "2008.01.07 14:05:55";

template <class T, class... A>
T* TQuillarForm::Add(A&&... args) {
    auto control = std::make_unique<T>(std::forward<A>(args)...);
    T* raw = control.get();
    components.push_back(raw);
    owned_.push_back(std::move(control));
    return raw;
}

TQuillarForm::TQuillarForm(FormHost& host, const FormServices& services)
    : host(host),
      registry(services.registry),
      cpu(services.processors),
      idle(services.threads, chipset.ChipsetOptimized, chipset.C2PortAddress),
      dialogs(services.registry, services.dialogs),
      idlePriorities(idle),
      watch(services.temps, idlePriorities, services.shutdown) {
    BuildControls();
    WireHandlers();
}

TQuillarForm::~TQuillarForm() = default;

// The window's design: every control with its caption, Tag, hint and place.
// Places are in pixels relative to the page the control sits on.
void TQuillarForm::BuildControls() {
    PageControl1 = Add<PageControl>("PageControl1", nullptr, Bounds{8, 8, 547, 248});
    tsAbout = Add<TabSheet>("tsAbout", 900, PageControl1, "&About");
    tsCPU = Add<TabSheet>("tsCPU", 902, PageControl1, "&CPU Info");
    tsStartup = Add<TabSheet>("tsStartup", 903, PageControl1, "&StartUp");
    tsTaskBar = Add<TabSheet>("tsTaskBar", 907, PageControl1, "&TaskBar");
    tsMonitor = Add<TabSheet>("tsMonitor", 905, PageControl1, "Temp &Monitor");
    tsWindows = Add<TabSheet>("tsWindows", 908, PageControl1, "Auto-Off Windows");
    PageControl1->pages = {tsAbout, tsCPU, tsStartup, tsTaskBar, tsMonitor, tsWindows};
    PageControl1->SetActivePage(tsAbout);

    ButtonOK = Add<Button>("ButtonOK", 100, nullptr, Bounds{464, 264, 81, 25}, "&OK");
    ButtonOK->isDefault = true;
    ButtonOK->isCancel = true;

    // About
    LabelTitle = Add<Label>("LabelTitle", 0, tsAbout, Bounds{16, 14, 330, 22});
    LabelTitle->bold = true;
    LabelTitle->fontSize = 14;
    lbInfo = Add<Label>("lbInfo", 3, tsAbout, Bounds{16, 48, 330, 70},
                        "Quillar lowers the CPU temperature by disabling the CPU when not needed. This prolongs the "
                        "CPU life (a decrease by 10\xB0"
                        "C doubles the life span) and cuts power consumption. ");
    lbInfo->wordWrap = true;
    LabelActive = Add<Label>("LabelActive", 5, tsAbout, Bounds{16, 128, 120, 18}, "enabled");
    LabelInactive = Add<Label>("LabelInactive", 4, tsAbout, Bounds{16, 128, 120, 18}, "disabled");
    for (Label* l : {LabelActive, LabelInactive}) {
        l->bold = true;
        l->handCursor = true;
        l->fontSize = 10;
    }
    LabelActive->SetVisible(false);
    imNice = Add<Image>("imNice", tsAbout, Bounds{384, 14, 136, 136});
    imNice->builtin = "NICE";
    imNice->handCursor = true;
    UrlLabel1 = Add<UrlLabel>("UrlLabel1", tsAbout, Bounds{16, 186, 260, 16}, "http://www.quillar.example/",
                              "http://www.quillar.example/");
    ButtonHelp = Add<Button>("ButtonHelp", 101, tsAbout, Bounds{440, 180, 81, 25}, "&Help");

    // CPU Info
    imCPU = Add<Image>("imCPU", tsCPU, Bounds{12, 12, 96, 96});
    imCPU->SetVisible(false);
    LabelUnknown = Add<Label>("LabelUnknown", 0, tsCPU, Bounds{12, 12, 96, 96}, "?");
    LabelUnknown->fontSize = 48;
    LabelUnknown->bold = true;
    LabelUnknown->SetVisible(false);
    LabelPowered = Add<Label>("LabelPowered", 22, tsCPU, Bounds{12, 116, 96, 16}, "Powered by:");
    LabelCPUs = Add<Label>("LabelCPUs", 0, tsCPU, Bounds{12, 134, 96, 16});
    LabelID = Add<Label>("LabelID", 20, tsCPU, Bounds{120, 12, 260, 32},
                         "CPUID instruction not available on this machine.");
    LabelID->wordWrap = true;
    LabelID->SetVisible(false);
    lbMemo = Add<Label>("lbMemo", 0, tsCPU, Bounds{120, 2, 266, 216});
    lbMemo->wordWrap = true;
    lbMemo->fontSize = 7;  // the longest reports (K6, Cyrix) need 20 lines
    gbClockSpeed = Add<GroupBox>("gbClockSpeed", 23, tsCPU, Bounds{392, 4, 136, 46}, "Clock Speed");
    LabelClock = Add<Label>("LabelClock", 0, tsCPU, Bounds{404, 24, 112, 16});
    LabelClock->SetVisible(false);
    gbMemory = Add<GroupBox>("gbMemory", 21, tsCPU, Bounds{392, 58, 136, 46}, "Physical Memory");
    LabelMem = Add<Label>("LabelMem", 0, tsCPU, Bounds{404, 78, 112, 16});

    // StartUp
    gbStartupOptions = Add<GroupBox>("gbStartupOptions", 30, tsStartup, Bounds{8, 4, 272, 160}, "Startup Options");
    btAutoStart = Add<Button>("btAutoStart", 90, tsStartup, Bounds{20, 22, 160, 25}, "Enable &Autostart");
    cbAutoStart = Add<CheckBox>("cbAutoStart", 31, tsStartup, Bounds{20, 26, 236, 17}, "Run on &Windows startup",
                                "If checked Quillar will automatically be started together with Windows.");
    cbAutoStart->SetVisible(false);
    cbSplash = Add<CheckBox>("cbSplash", 32, tsStartup, Bounds{20, 56, 240, 17}, "Show &Splash Screen",
                             "Enable/ disable the splash screen at startup.");
    cbOptimize = Add<CheckBox>("cbOptimize", -1, tsStartup, Bounds{20, 80, 240, 17}, "Optimize C&PU / Chipset",
                               "Enables CPU optimization when Quillar starts- always turn on.");
    cbHideTaskbar = Add<CheckBox>("cbHideTaskbar", 36, tsStartup, Bounds{20, 104, 256, 17},
                                  "Hide Taskbar &Icon (restart to show again)");
    cbMBM = Add<CheckBox>("cbMBM", 38, tsStartup, Bounds{20, 128, 240, 17}, "Chec&k for temp monitoring software");
    rgCoolingMode = Add<RadioGroup>(
        "rgCoolingMode", 39, tsStartup, Bounds{288, 4, 242, 92}, "Athlon Cooling Mode Options",
        std::vector<std::string>{"OS controlled (use Windows)", "S1 state (standard cooling)",
                                 "C2 state (advanced cooling)"},
        "Choose OS-Controlled or S1/C2 ACPI modes (if availble)");
    rgCoolingMode->SetItemIndex(1);
    gbFixAudio = Add<GroupBox>("gbFixAudio", 49, tsStartup, Bounds{288, 102, 242, 112}, "Athlon Chipset Optimizations");
    cbFixAudio = Add<CheckBox>("cbFixAudio", 48, tsStartup, Bounds{300, 122, 200, 17}, "Fix Audio");
    lbFixAudioHint = Add<Label>(
        "lbFixAudioHint", 0, tsStartup, Bounds{300, 146, 222, 56},
        "This  setting can on some systems fix the audio issues experienced with VIA chipsets- use with caution!");
    lbFixAudioHint->wordWrap = true;

    // TaskBar
    rgIdle = Add<RadioGroup>("rgIdle", 40, tsTaskBar, Bounds{8, 4, 250, 92}, "&Idle display in task bar",
                             std::vector<std::string>{"&None", "N&umeric display", "&Graphical display"},
                             "Choose taskbar icon layout.");
    rgIdle->SetItemIndex(0);
    GroupBox8 = Add<GroupBox>("GroupBox8", 42, tsTaskBar, Bounds{8, 128, 522, 86}, "Update &Interval");
    TrackBarIdle = Add<TrackBar>("TrackBarIdle", 44, tsTaskBar, Bounds{16, 148, 340, 30}, 1, 100, 10,
                                 "Choose update interval of taskbar icon.");
    TrackBarIdle->frequency = 10;
    lbIdleScale = Add<Label>("lbIdleScale", 0, tsTaskBar, Bounds{24, 182, 340, 16},
                             "0.1   1      2      3      4      5     6      7      8      9   10s");
    lvTimes = Add<ListView>("lvTimes", tsTaskBar, Bounds{268, 10, 262, 110});
    lvTimes->AddColumn({"", 132, false});
    for (const char* row : {"Total Time:", "Total Idle Percent:", "Current Idle Percent:"}) lvTimes->AddRow(row);

    // Temp Monitor
    gbSensor = Add<GroupBox>("gbSensor", 55, tsMonitor, Bounds{8, 4, 300, 104}, "Select Sensor and Action Temperature");
    lbSensor = Add<Label>("lbSensor", 54, tsMonitor, Bounds{20, 28, 44, 16}, "Sensor");
    EditUpDown = Add<Edit>("EditUpDown", 0, tsMonitor, Bounds{68, 24, 34, 21}, "1");
    EditUpDown->readOnly = true;
    UpDown1 = Add<UpDown>("UpDown1", tsMonitor, Bounds{102, 24, 16, 21}, EditUpDown, 1, 255, 1);
    // The sensor count narrows the range once a temperature source is found.
    LabelSensor = Add<Label>("LabelSensor", 56, tsMonitor, Bounds{124, 22, 178, 30}, "(%s), current temperature: %d\xB0.");
    LabelSensor->wordWrap = true;  // a long sensor name takes a second line
    LabelIndicated = Add<Label>("LabelIndicated", 53, tsMonitor, Bounds{20, 66, 200, 16},
                                "If sensor indicates temperature of");
    EditTemp = Add<Edit>("EditTemp", 64, tsMonitor, Bounds{224, 62, 34, 21}, "75",
                         "Maximum temperature at which Quillar will increase CPU cooling.");
    EditTemp->readOnly = true;
    UpDown2 = Add<UpDown>("UpDown2", tsMonitor, Bounds{258, 62, 16, 21}, EditTemp, 1, 255, 75);
    rgAction = Add<RadioGroup>("rgAction", 50, tsMonitor, Bounds{8, 114, 300, 104}, "Select Action",
                               std::vector<std::string>{"&Ignore", "Increase priority &stepwise (recommended)",
                                                        "Run at &highest priority (maximum cooling)",
                                                        "Immediately sh&utdown Windows"});
    rgAction->SetItemIndex(0);
    GroupBox6 = Add<GroupBox>("GroupBox6", 42, tsMonitor, Bounds{316, 4, 214, 84}, "Update &Interval");
    TrackBarSensor = Add<TrackBar>("TrackBarSensor", 63, tsMonitor, Bounds{324, 24, 198, 30}, 1, 50, 1,
                                   "Update interval at which selected sensor is checked.");
    TrackBarSensor->frequency = 5;
    lbSensorScale = Add<Label>("lbSensorScale", 0, tsMonitor, Bounds{330, 58, 196, 16},
                               "10s    1       2        3       4   5min");
    ButtonMonitor = Add<Button>("ButtonMonitor", 0, tsMonitor, Bounds{316, 96, 81, 25}, "Mo&nitor");
    ButtonMonitor->SetVisible(false);

    // Auto-Off Windows
    GroupBox9 = Add<GroupBox>("GroupBox9", 80, tsWindows, Bounds{8, 4, 522, 150},
                              "Select Window Names causing Quillar to disable itself");
    cbWindows = Add<ComboBox>("cbWindows", tsWindows, Bounds{20, 26, 300, 21}, "Media Player");
    ListBoxWindows = Add<ListBox>("ListBoxWindows", tsWindows, Bounds{20, 54, 300, 92});
    btAdd = Add<Button>("btAdd", 104, tsWindows, Bounds{332, 24, 81, 25}, "&Add");
    btDel = Add<Button>("btDel", 105, tsWindows, Bounds{332, 54, 81, 25}, "&Delete");
    Label2 = Add<Label>("Label2", 42, tsWindows, Bounds{20, 170, 100, 16}, "Update &Interval");
    tbFindWindows = Add<TrackBar>("tbFindWindows", 44, tsWindows, Bounds{124, 162, 300, 30}, 1, 100, 10,
                                  "Choose update interval of taskbar icon.");
    tbFindWindows->pageSize = 5;
    tbFindWindows->frequency = 10;
    lbWindowsScale = Add<Label>("lbWindowsScale", 0, tsWindows, Bounds{128, 196, 296, 16},
                                "0.1        2          4         6          8        10s");

    // Tray menu
    Hide1 = Add<MenuItem>("Hide1", 800, "&Hide");
    Enabled1 = Add<MenuItem>("Enabled1", 801, "&Enabled");
    About1 = Add<MenuItem>("About1", 802, "&Options...");
    N1 = Add<MenuItem>("N1", 0, "-");
    N1->separator = true;
    Exit1 = Add<MenuItem>("Exit1", 803, "E&xit");
    menu = {Hide1, Enabled1, About1, N1, Exit1};

    MainTimer = Add<Timer>("Timer", 1000);
    TimerWindows = Add<Timer>("TimerWindows", 1000);
}

void TQuillarForm::WireHandlers() {
    Hide1->OnClick = [this] { HideClick(); };
    Enabled1->OnClick = [this] { TrayDblClick(); };
    About1->OnClick = [this] { About1Click(); };
    Exit1->OnClick = [this] { Exit1Click(); };
    LabelActive->OnClick = [this] { TrayDblClick(); };
    LabelInactive->OnClick = [this] { TrayDblClick(); };
    imNice->OnClick = [this] { TrayDblClick(); };
    ButtonOK->OnClick = [this] { ButtonOKClick(); };
    ButtonHelp->OnClick = [this] { ButtonHelpClick(); };
    for (CheckBox* c : {cbAutoStart, cbSplash, cbHideTaskbar, cbMBM}) c->OnClick = [this] { SettingsChangedClick(); };
    rgAction->OnClick = [this] { SettingsChangedClick(); };
    cbOptimize->OnClick = [this] { UpdateClick(); };
    cbFixAudio->OnClick = [this] { UpdateClick(); };
    EditTemp->OnChange = [this] { UpdateClick(); };
    rgCoolingMode->OnClick = [this] { rgCoolingModeClick(); };
    rgIdle->OnClick = [this] { rgIdleClick(); };
    TrackBarIdle->OnChange = [this] { TrackBarIdleChange(); };
    MainTimer->OnTimer = [this] { TimerTimer(); };
    WireMonitorHandlers();
    btAdd->OnClick = [this] { btAddClick(); };
    btDel->OnClick = [this] { btDelClick(); };
    tbFindWindows->OnChange = [this] { tbFindWindowsChange(); };
    TimerWindows->OnTimer = [this] { TimerWindowsTimer(); };
    btAutoStart->OnClick = [this] { btAutoStartClick(); };
}

// Main-window creation: brings every subsystem up in a fixed order.
void TQuillarForm::FormCreate() {
    chipset.ScanPCIBus();                                     // 1
    if (HasSwitch("DELAY")) host.Sleep(10000);                // 2 ReadStartSwitches
    SetLogging(HasSwitch("DEBUG"));
    dialogs.SetDSAStoragePath("Software\\Quillar\\Dialogs");  // 3
    LogText("");                                              // 4
    LogText("--> Start");
    if (host.IsWindowsNT()) {                                 // 5
        LogText("WinNT");
        LogFormat("No CPUs %d", {idle.ProcessorCount});
    }
    if (HasSwitch("HIBEROFF")) LogText("Returning from HIBERNATE.DLL");  // 6
    if (OpenLanguageFile()) TranslateForm(*this);             // 7
    LabelSensor->helpKeyword = LabelSensor->Caption();        // 8
    LoadSettings(*this);                                      // 9
    TimerWindows->SetInterval(static_cast<unsigned>(tbFindWindows->Position()) * 100);
    LabelTitle->SetCaption(kTitlePrefix + LabelTitle->Caption());  // 10
    if (tray) tray->SetToolTip(TitleText());
    LogText(TitleText() + " compiled " + kCompiledStamp);     // 11
    if (cbSplash->Checked()) host.ShowSplash();               // 12
    host.MessageDialog(                                       // 13
        FormatTranslated("Welcome! You are running %1s for the first time.\r\n\r\nRight-click on the tray icon "
                         "to configure Quillar.\r\nDouble-click on the icon to disable Quillar.",
                         5064,
                         {TitleText()}),
        mtInformation, mbOK, 0, 0);
    SetupMonitorTab();                                        // 14
    FillCpuPage(*this);                                       // 15
    FillClockPage(*this);
    chipset.IdentifyChipset();                                // 16
    if (tray) tray->SetActive(!cbHideTaskbar->Checked());     // 17
    idle.CreateIdleThreads([this](const std::string& text) { host.ErrorBox(text); });  // 18
    MainTimer->SetEnabled(true);                              // 19
    if (chipset.ChipsetKnown() && !cbOptimize->Checked())     // 20
        host.MessageDialog(
            FormatTranslated("%1s has detected that your computer is equipped with an AMD Athlon or Duron CPU.\r\n\r\n"
                             "To make sure Quillar can achieve the best cooling results you need to enable the "
                             "CPU/chipset optimization: \r\nGoto Options -> StartUp and enable the CPU/chipset "
                             "optimization.",
                             5068,
                             {TitleText()}),
            mtInformation, mbOK, 1, 0);
    UpdateAthlonOptions();                                    // 21
    TrackBarIdleChange();                                     // 22
    watch.SensorCountdown = 0;                                // 23
    CloseLanguageFile();                                      // 24
    SetButtonShield(*btAutoStart, true);                      // 25
    for (int n = 1; n <= idle.ProcessorCount; ++n)            // 26
        lvTimes->AddColumn({"CPU " + std::to_string(n), 58, true});
    for (size_t row = 0; row < lvTimes->Rows().size(); ++row)
        if (lvTimes->Rows()[row].subItems.size() < static_cast<size_t>(idle.ProcessorCount))
            lvTimes->SetSubItemCount(row, static_cast<size_t>(idle.ProcessorCount));
    UpdateClick();                                            // 27
    SetCooling(true);                                         // 28
    UpdateWindowWatchTimer();                                 // 29
    PageControl1->SetActivePage(tsAbout);                     // 30
    TaskbarWindow = host.FindTaskbarWindow();                 // 31
}

void TQuillarForm::FormDestroy() {
    LogText("Shutdown");
    if (CoolingEnabled) SetCooling(false);
    MainTimer->SetEnabled(false);
    idle.DestroyIdleThreads();
    LogText("--> Stop\r\n");
}

bool TQuillarForm::HandlePrivateMessage(unsigned message) {
    switch (message) {
    case MSG_QUIT:
        if (!host.OptionsVisible()) Exit1Click();
        return true;
    case MSG_SHOW_OPTIONS:
        if (tray) tray->SetActive(true);
        About1Click();
        return true;
    case MSG_COOLING_ON:
        SetCooling(true);
        return true;
    case MSG_COOLING_OFF:
        SetCooling(false);
        return true;
    default:
        return false;
    }
}

void TQuillarForm::HideClick() {
    if (tray) tray->SetActive(false);
}

void TQuillarForm::About1Click() {
    if (!host.OptionsVisible()) host.ShowOptionsModal();
}

void TQuillarForm::Exit1Click() { host.Terminate(); }

void TQuillarForm::PopupMenuPopup() { Enabled1->SetChecked(CoolingEnabled); }

void TQuillarForm::SettingsChangedClick() { SettingsChanged = true; }

void TQuillarForm::TrayDblClick() {
    SetCooling(!CoolingEnabled);
    if (!tray) return;
    if (idle.IdleThreadsRunning())
        tray->SetToolTip(tray->ToolTip());
    else
        tray->SetToolTip(TitleText());
}
