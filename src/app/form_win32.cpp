#include "app/form_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "common/library_win32.h"
#include "cpu/cpu_report.h"
#include "ui/url_label_win32.h"


namespace {

const char* const kMainClass = "TQuillarForm";
const char* const kApplicationClass = "TQuillarApplication";
const char* const kPageClass = "TQuillarPage";
constexpr int kTabArea = 24;  // height of the tab row
constexpr int kHintPause = 12345;

std::string WindowText(HWND h) {
    int n = GetWindowTextLengthA(h);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    GetWindowTextA(h, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

}  // namespace

namespace {

// The system's services for the program's one run.
FormServices SystemServices(TempMonitoring& temps, SystemShutdown& shutdown) {
    return FormServices{SystemProcessorPlatform(), WindowsIdleThreadPlatform(), ProcessRegistry(),
                        ProcessDSAPlatform(), temps, shutdown};
}

}  // namespace

// The hidden application window: closing it from outside closes the main window, so that the
// program ends through its shutdown instead of losing its windows underneath it.
LRESULT CALLBACK WindowsForm::ApplicationProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        if (HWND main = reinterpret_cast<HWND>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
            PostMessageA(main, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

WindowsForm::WindowsForm(TempMonitoring& temps, SystemShutdown& shutdown)
    : form_(std::make_unique<TQuillarForm>(*this, SystemServices(temps, shutdown))) {}

WindowsForm::~WindowsForm() {
    for (auto& [name, font] : fonts_) DeleteObject(font);
}

bool WindowsForm::Create(HINSTANCE instance) {
    instance_ = instance;
    WNDCLASSA wc{};
    wc.lpfnWndProc = ApplicationProc;
    wc.hInstance = instance;
    wc.lpszClassName = kApplicationClass;
    RegisterClassA(&wc);

    wc.lpfnWndProc = MainProc;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    RegisterClassA(&wc);

    wc.lpfnWndProc = PageProc;
    wc.hIcon = nullptr;
    wc.lpszClassName = kPageClass;
    RegisterClassA(&wc);

    // The hidden application window owns the main window, so another instance can tell
    // a running program's main window from other windows of that class. It takes it on
    // only once start-up has run through: until then another instance finds no running
    // program and posts nothing into the start-up.
    appWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW, kApplicationClass, "Quillar", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, instance, nullptr);

    TQuillarForm& f = *form_;
    RECT r{0, 0, f.clientArea.width, f.clientArea.height};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    window_ = CreateWindowExA(exStyle, kMainClass, f.caption.c_str(), style, x, y, w, h, nullptr, nullptr,
                              instance, this);
    if (!window_) return false;
    SetWindowLongPtrA(appWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window_));
    // Consent prompts of the privileged object are modal to the main window.
    privilegedObjects_ =
        std::make_unique<ComPrivilegedObjectSource>(window_, WindowsVersionCode(SystemProcessorPlatform()));
    // The tray icon is active by design from the window's creation on; start-up hides it
    // again when the settings say so.
    if (tray_) tray_->SetActive(true);
    PrepareControls();
    f.FormCreate();
    SetWindowLongPtrA(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(appWindow_));
    return true;
}

void WindowsForm::SetTray(std::unique_ptr<ProgramTrayView> tray) {
    tray_ = std::move(tray);
    form_->tray = tray_.get();
}

void WindowsForm::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (modal_ && IsDialogMessageA(window_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void WindowsForm::Destroy() {
    form_->FormDestroy();
    // The tray icon goes with the window.
    form_->tray = nullptr;
    tray_.reset();
    for (Control* c : form_->components) c->observer = nullptr;
    DestroyWindow(window_);
    DestroyWindow(appWindow_);
    window_ = appWindow_ = nullptr;
}

// ---- the controls' windows ----

HWND WindowsForm::ParentWindowOf(const Control& c) const {
    if (c.parent && c.parent->kind == ControlKind::TabSheet) return windows_.at(c.parent);
    return window_;
}

HFONT WindowsForm::FontFor(const Control& c) {
    const int points = c.fontSize ? c.fontSize : 8;
    const bool underline = c.kind == ControlKind::UrlLabel;
    const std::string key = std::to_string(points) + (c.bold ? "b" : "") + (underline ? "u" : "");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    HDC dc = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(nullptr, dc);
    HFONT font = CreateFontA(points == 8 ? -11 : height, 0, 0, 0, c.bold ? FW_BOLD : FW_NORMAL, FALSE, underline,
                             FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    fonts_[key] = font;
    return font;
}

void WindowsForm::PrepareControls() {
    for (Control* c : form_->components) {
        const int id = nextId_++;
        ids_[c] = id;
        byId_[id] = c;
        c->observer = [this](Control& changed) { Update(changed); };
        if (c->kind == ControlKind::Timer) UpdateTimer(static_cast<Timer&>(*c));
    }
}

namespace {

// The common controls library comes with the options window's first showing, so a run that
// never opens it does not carry the library (which under Wine keeps 1.5 MB of pictures from
// the moment it loads). By its plain name: the manifest then chooses its version 6.
void LoadCommonControls() {
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = LibraryFunction<Init>(LoadLibraryA("comctl32.dll"), "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                   ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    if (init) init(&icc);
}

}  // namespace

void WindowsForm::CreateControlWindows() {
    if (controlsCreated_) return;
    controlsCreated_ = true;
    LoadCommonControls();
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
    SendMessageA(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, kHintPause);
    SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    for (Control* c : form_->components) CreateControlWindow(*c);
    ShowActivePage();
}

void WindowsForm::CreateControlWindow(Control& c) {
    if (c.kind == ControlKind::MenuItem || c.kind == ControlKind::Timer) return;
    const int id = ids_.at(&c);
    const Bounds& b = c.bounds;
    HWND parent = ParentWindowOf(c);
    HMENU hid = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    DWORD vis = c.Visible() ? WS_VISIBLE : 0;
    DWORD style = WS_CHILD | vis;
    HWND h = nullptr;
    switch (c.kind) {
    case ControlKind::PageControl: {
        h = CreateWindowExA(WS_EX_CONTROLPARENT, WC_TABCONTROLA, "", style | WS_CLIPSIBLINGS | TCS_MULTILINE, b.left,
                            b.top, b.width, b.height, window_, hid, instance_, nullptr);
        const std::vector<TabSheet*> pages = VisiblePages();
        for (size_t i = 0; i < pages.size(); ++i) {
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            std::string caption = pages[i]->Caption();
            item.pszText = caption.data();
            SendMessageA(h, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
        break;
    }
    case ControlKind::TabSheet: {
        const Bounds& pb = c.parent->bounds;
        h = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD | WS_CLIPSIBLINGS, pb.left + 4,
                            pb.top + kTabArea + 2, pb.width - 8, pb.height - kTabArea - 6, window_, hid, instance_,
                            this);
        SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        break;
    }
    case ControlKind::UrlLabel: {
        const RECT r{b.left, b.top, b.left + b.width, b.top + b.height};
        h = CreateUrlLabelWindow(parent, id, r, c.Visible(), c.Caption(), static_cast<UrlLabel&>(c).url);
        break;
    }
    case ControlKind::Label: {
        DWORD ss = c.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
        if (c.fontSize >= 24) ss = SS_CENTER | SS_CENTERIMAGE;
        h = CreateWindowExA(0, "STATIC", c.Caption().c_str(), style | ss | SS_NOTIFY, b.left, b.top,
                            b.width, b.height, parent, hid, instance_, nullptr);
        break;
    }
    case ControlKind::Button: {
        auto& button = static_cast<Button&>(c);
        h = CreateWindowExA(0, "BUTTON", c.Caption().c_str(),
                            style | WS_TABSTOP | (button.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), b.left, b.top,
                            b.width, b.height, parent, hid, instance_, nullptr);
        break;
    }
    case ControlKind::CheckBox:
        h = CreateWindowExA(0, "BUTTON", c.Caption().c_str(), style | WS_TABSTOP | BS_AUTOCHECKBOX, b.left, b.top,
                            b.width, b.height, parent, hid, instance_, nullptr);
        break;
    case ControlKind::GroupBox:
        h = CreateWindowExA(WS_EX_TRANSPARENT, "BUTTON", c.Caption().c_str(), style | BS_GROUPBOX, b.left, b.top,
                            b.width, b.height, parent, hid, instance_, nullptr);
        break;
    case ControlKind::RadioGroup: {
        auto& rg = static_cast<RadioGroup&>(c);
        h = CreateWindowExA(WS_EX_TRANSPARENT, "BUTTON", c.Caption().c_str(), style | BS_GROUPBOX, b.left, b.top,
                            b.width, b.height, parent, hid, instance_, nullptr);
        std::vector<HWND> buttons;
        const int n = static_cast<int>(rg.Items().size());
        const int rowHeight = n ? (b.height - 20) / n : 0;
        for (int i = 0; i < n; ++i) {
            // Radio items carry ids above the group's own: group id * 16 + item + 1 is unique
            // because control ids are spaced.
            HWND item = CreateWindowExA(0, "BUTTON", rg.Items()[i].c_str(),
                                        style | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), b.left + 10,
                                        b.top + 16 + i * rowHeight, b.width - 18, std::min(rowHeight, 20), parent,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id * 16 + i + 1)), instance_, nullptr);
            SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
            buttons.push_back(item);
        }
        radioButtons_[&c] = buttons;
        break;
    }
    case ControlKind::TrackBar: {
        auto& tb = static_cast<TrackBar&>(c);
        h = CreateWindowExA(0, TRACKBAR_CLASSA, "", style | WS_TABSTOP | TBS_AUTOTICKS | TBS_HORZ, b.left, b.top,
                            b.width, b.height, parent, hid, instance_, nullptr);
        SendMessageA(h, TBM_SETRANGE, FALSE, MAKELPARAM(tb.Min(), tb.Max()));
        SendMessageA(h, TBM_SETPAGESIZE, 0, tb.pageSize);
        SendMessageA(h, TBM_SETTICFREQ, tb.frequency, 0);
        break;
    }
    case ControlKind::Edit: {
        auto& e = static_cast<Edit&>(c);
        h = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", e.Text().c_str(),
                            style | WS_TABSTOP | ES_AUTOHSCROLL | (e.readOnly ? ES_READONLY : 0), b.left, b.top,
                            b.width, b.height, parent, hid, instance_, nullptr);
        e.focusRequest = [h] { SetFocus(h); };
        break;
    }
    case ControlKind::UpDown: {
        auto& ud = static_cast<UpDown&>(c);
        h = CreateWindowExA(0, UPDOWN_CLASSA, "", style | UDS_ARROWKEYS, b.left, b.top, b.width,
                            b.height, parent, hid, instance_, nullptr);
        if (ud.associate) SendMessageA(h, UDM_SETBUDDY, reinterpret_cast<WPARAM>(windows_.at(ud.associate)), 0);
        break;
    }
    case ControlKind::ListBox:
        h = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                            style | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
                            b.left, b.top, b.width, b.height, parent, hid, instance_, nullptr);
        break;
    case ControlKind::ComboBox:
        h = CreateWindowExA(0, "COMBOBOX", "", style | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, b.left,
                            b.top, b.width, b.height + 120, parent, hid, instance_, nullptr);
        break;
    case ControlKind::ListView:
        h = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                            style | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL, b.left, b.top, b.width,
                            b.height, parent, hid, instance_, nullptr);
        SendMessageA(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        break;
    case ControlKind::Image:
        h = CreateWindowExA(0, "STATIC", "", style | SS_OWNERDRAW | SS_NOTIFY, b.left, b.top, b.width, b.height,
                            parent, hid, instance_, nullptr);
        break;
    default:
        return;
    }
    if (!h) return;
    windows_[&c] = h;
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
    if (!c.Hint().empty() && tooltip_) {
        TOOLINFOA ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = window_;
        ti.uId = reinterpret_cast<UINT_PTR>(h);
        std::string hint = c.Hint();
        ti.lpszText = hint.data();
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    Update(c);
}

void WindowsForm::UpdateTimer(Timer& t) {
    const UINT_PTR id = static_cast<UINT_PTR>(ids_[&t]);
    if (t.Enabled() && t.Interval() > 0)
        SetTimer(window_, id, t.Interval(), nullptr);
    else
        KillTimer(window_, id);
}

// Mirrors the control's state into its window.
void WindowsForm::Update(Control& c) {
    if (c.kind == ControlKind::Timer) {
        UpdateTimer(static_cast<Timer&>(c));
        return;
    }
    auto it = windows_.find(&c);
    if (it == windows_.end()) return;
    HWND h = it->second;
    switch (c.kind) {
    case ControlKind::PageControl:
        ShowActivePage();
        break;
    case ControlKind::TabSheet:
        UpdateTabs();  // its caption or whether its tab shows
        return;
    case ControlKind::Label:
    case ControlKind::UrlLabel:
    case ControlKind::GroupBox:
        if (WindowText(h) != c.Caption()) SetWindowTextA(h, c.Caption().c_str());
        break;
    case ControlKind::Button:
        if (WindowText(h) != c.Caption()) SetWindowTextA(h, c.Caption().c_str());
        SetButtonShieldGlyph(h, static_cast<Button&>(c).shield);
        break;
    case ControlKind::CheckBox:
        if (WindowText(h) != c.Caption()) SetWindowTextA(h, c.Caption().c_str());
        SendMessageA(h, BM_SETCHECK, static_cast<CheckBox&>(c).Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::RadioGroup: {
        auto& rg = static_cast<RadioGroup&>(c);
        if (WindowText(h) != c.Caption()) SetWindowTextA(h, c.Caption().c_str());
        auto& buttons = radioButtons_[&c];
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (i < rg.Items().size() && WindowText(buttons[i]) != rg.Items()[i])
                SetWindowTextA(buttons[i], rg.Items()[i].c_str());
            SendMessageA(buttons[i], BM_SETCHECK, static_cast<int>(i) == rg.ItemIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
            EnableWindow(buttons[i], c.Enabled());
            ShowWindow(buttons[i], c.Visible() ? SW_SHOWNA : SW_HIDE);
        }
        break;
    }
    case ControlKind::TrackBar:
        SendMessageA(h, TBM_SETPOS, TRUE, static_cast<TrackBar&>(c).Position());
        break;
    case ControlKind::Edit:
        if (WindowText(h) != static_cast<Edit&>(c).Text()) SetWindowTextA(h, static_cast<Edit&>(c).Text().c_str());
        break;
    case ControlKind::UpDown: {
        auto& ud = static_cast<UpDown&>(c);
        SendMessageA(h, UDM_SETRANGE32, ud.Min(), ud.Max());
        SendMessageA(h, UDM_SETPOS32, 0, ud.Position());
        break;
    }
    case ControlKind::ListBox: {
        auto& lb = static_cast<ListBox&>(c);
        SendMessageA(h, WM_SETREDRAW, FALSE, 0);
        SendMessageA(h, LB_RESETCONTENT, 0, 0);
        for (size_t i = 0; i < lb.Items().size(); ++i) {
            SendMessageA(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lb.Items()[i].c_str()));
            SendMessageA(h, LB_SETSEL, lb.Selected(static_cast<int>(i)), static_cast<LPARAM>(i));
        }
        SendMessageA(h, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(h, nullptr, TRUE);
        break;
    }
    case ControlKind::ComboBox: {
        auto& cb = static_cast<ComboBox&>(c);
        const int count = static_cast<int>(SendMessageA(h, CB_GETCOUNT, 0, 0));
        if (count != static_cast<int>(cb.Items().size())) {
            SendMessageA(h, CB_RESETCONTENT, 0, 0);
            for (const auto& item : cb.Items()) SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        if (WindowText(h) != cb.Text()) SetWindowTextA(h, cb.Text().c_str());
        break;
    }
    case ControlKind::ListView: {
        auto& lv = static_cast<ListView&>(c);
        const int columns = Header_GetItemCount(ListView_GetHeader(h));
        for (int i = columns; i < static_cast<int>(lv.Columns().size()); ++i) {
            LVCOLUMNA col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            std::string caption = lv.Columns()[i].caption;
            col.pszText = caption.data();
            col.cx = lv.Columns()[i].width;
            col.fmt = lv.Columns()[i].alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
            SendMessageA(h, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
        }
        const int rows = static_cast<int>(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0));
        for (int r = 0; r < static_cast<int>(lv.Rows().size()); ++r) {
            const auto& row = lv.Rows()[r];
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = r;
            std::string caption = row.caption;
            item.pszText = caption.data();
            if (r >= rows)
                SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            for (size_t s = 0; s < row.subItems.size(); ++s) {
                std::string text = row.subItems[s];
                item.iSubItem = static_cast<int>(s + 1);
                item.pszText = text.data();
                SendMessageA(h, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
            }
        }
        break;
    }
    case ControlKind::Image:
        InvalidateRect(h, nullptr, TRUE);
        break;
    default:
        break;
    }
    if (c.kind != ControlKind::TabSheet && c.kind != ControlKind::RadioGroup) {
        EnableWindow(h, c.Enabled());
        const bool shown = IsWindowVisible(h) || (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE);
        if (shown != c.Visible()) ShowWindow(h, c.Visible() ? SW_SHOWNA : SW_HIDE);
    } else if (c.kind == ControlKind::RadioGroup) {
        EnableWindow(h, c.Enabled());
        ShowWindow(h, c.Visible() ? SW_SHOWNA : SW_HIDE);
    }
}

void WindowsForm::ShowActivePage() {
    for (TabSheet* page : form_->PageControl1->pages) {
        auto it = windows_.find(page);
        if (it == windows_.end()) continue;
        const bool active = page == form_->PageControl1->ActivePage();
        ShowWindow(it->second, active ? SW_SHOWNA : SW_HIDE);
    }
    auto tabs = windows_.find(form_->PageControl1);
    if (tabs == windows_.end()) return;
    // A page whose tab is hidden may still be shown (the "&OK" guard turns to tsMonitor):
    // then no tab is selected.
    const std::vector<TabSheet*> pages = VisiblePages();
    const auto at = std::find(pages.begin(), pages.end(), form_->PageControl1->ActivePage());
    SendMessageA(tabs->second, TCM_SETCURSEL, at == pages.end() ? -1 : at - pages.begin(), 0);
}

std::vector<TabSheet*> WindowsForm::VisiblePages() const {
    std::vector<TabSheet*> shown;
    for (TabSheet* page : form_->PageControl1->pages)
        if (page->Visible()) shown.push_back(page);
    return shown;
}

void WindowsForm::UpdateTabs() {
    auto tabs = windows_.find(form_->PageControl1);
    if (tabs == windows_.end()) return;
    const HWND h = tabs->second;
    const std::vector<TabSheet*> pages = VisiblePages();
    std::vector<std::string> wanted;
    for (TabSheet* page : pages) wanted.push_back(page->Caption());
    std::vector<std::string> current(static_cast<size_t>(SendMessageA(h, TCM_GETITEMCOUNT, 0, 0)));
    for (size_t i = 0; i < current.size(); ++i) {
        char text[128] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(h, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        current[i] = text;
    }
    if (current == wanted) return;
    SendMessageA(h, TCM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < wanted.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = wanted[i].data();
        SendMessageA(h, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    ShowActivePage();
}

void WindowsForm::PaintBuiltinImage(HWND hwnd, const Image& image, HDC dc) {
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (image.Picture()) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, reinterpret_cast<HBITMAP>(image.Picture()));
        BITMAP bm{};
        GetObjectA(reinterpret_cast<HBITMAP>(image.Picture()), sizeof bm, &bm);
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        return;
    }
    if (image.builtin == "NICE") {
        // A processor chip with cooling fins, drawn in place of a picture.
        const int w = r.right, h = r.bottom;
        HBRUSH fins = CreateSolidBrush(RGB(70, 130, 200));
        for (int i = 0; i < 7; ++i) {
            RECT fin{w / 8 + i * w / 9, h / 10, w / 8 + i * w / 9 + w / 22, h / 3};
            FillRect(dc, &fin, fins);
        }
        DeleteObject(fins);
        HBRUSH chip = CreateSolidBrush(RGB(40, 40, 48));
        RECT body{w / 6, h / 3, w * 5 / 6, h * 5 / 6};
        FillRect(dc, &body, chip);
        DeleteObject(chip);
        HPEN pin = CreatePen(PS_SOLID, 2, RGB(200, 170, 60));
        HGDIOBJ oldPen = SelectObject(dc, pin);
        for (int i = 0; i < 8; ++i) {
            const int px = w / 6 + 6 + i * (w * 2 / 3 - 12) / 7;
            MoveToEx(dc, px, h * 5 / 6, nullptr);
            LineTo(dc, px, h * 5 / 6 + h / 14);
        }
        SelectObject(dc, oldPen);
        DeleteObject(pin);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(120, 200, 255));
        RECT label = body;
        DrawTextA(dc, "Q", 1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

// ---- messages ----

LRESULT CALLBACK WindowsForm::MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<WindowsForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    return self->Handle(hwnd, msg, wp, lp);
}

LRESULT CALLBACK WindowsForm::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<WindowsForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) {
        LRESULT result = 0;
        if (self->HandleChildNotification(msg, wp, lp, result)) return result;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool WindowsForm::HandleChildNotification(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        const int code = HIWORD(wp);
        if (id == IDOK || id == IDCANCEL) {
            if (form_->ButtonOK->OnClick) form_->ButtonOK->OnClick();
            return true;
        }
        auto it = byId_.find(id);
        if (it == byId_.end()) {
            // A radio item: group id * 16 + item + 1.
            auto group = byId_.find(id / 16);
            if (group != byId_.end() && group->second->kind == ControlKind::RadioGroup && code == BN_CLICKED)
                static_cast<RadioGroup*>(group->second)->SetItemIndex(id % 16 - 1);
            return true;
        }
        Control* c = it->second;
        HWND h = reinterpret_cast<HWND>(lp);
        switch (c->kind) {
        case ControlKind::Button:
            if (code == BN_CLICKED && static_cast<Button*>(c)->OnClick) static_cast<Button*>(c)->OnClick();
            break;
        case ControlKind::CheckBox:
            if (code == BN_CLICKED)
                static_cast<CheckBox*>(c)->SetChecked(SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED);
            break;
        case ControlKind::Label:
            if (code == STN_CLICKED && static_cast<Label*>(c)->OnClick) static_cast<Label*>(c)->OnClick();
            break;
        case ControlKind::Image:
            if (code == STN_CLICKED && static_cast<Image*>(c)->OnClick) static_cast<Image*>(c)->OnClick();
            break;
        case ControlKind::Edit:
            if (code == EN_CHANGE) static_cast<Edit*>(c)->SetText(WindowText(h));
            break;
        case ControlKind::ComboBox:
            if (code == CBN_EDITCHANGE) static_cast<ComboBox*>(c)->SetText(WindowText(h));
            if (code == CBN_SELCHANGE) {
                const int sel = static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0));
                auto* cb = static_cast<ComboBox*>(c);
                if (sel >= 0 && sel < static_cast<int>(cb->Items().size())) cb->SetText(cb->Items()[sel]);
            }
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE) {
                auto* lb = static_cast<ListBox*>(c);
                for (int i = 0; i < static_cast<int>(lb->Items().size()); ++i)
                    lb->SetSelected(i, SendMessageA(h, LB_GETSEL, i, 0) > 0);
            }
            break;
        default:
            break;
        }
        return true;
    }
    case WM_HSCROLL: {
        HWND h = reinterpret_cast<HWND>(lp);
        for (auto& [control, hwnd] : windows_)
            if (hwnd == h && control->kind == ControlKind::TrackBar) {
                const_cast<TrackBar*>(static_cast<const TrackBar*>(control))
                    ->SetPosition(static_cast<int>(SendMessageA(h, TBM_GETPOS, 0, 0)));
                return true;
            }
        return false;
    }
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        auto it = byId_.find(static_cast<int>(nm->idFrom));
        if (it == byId_.end()) return false;
        if (it->second->kind == ControlKind::PageControl && nm->code == TCN_SELCHANGE) {
            const int sel = static_cast<int>(SendMessageA(nm->hwndFrom, TCM_GETCURSEL, 0, 0));
            const std::vector<TabSheet*> pages = VisiblePages();
            if (sel >= 0 && sel < static_cast<int>(pages.size())) form_->PageControl1->SetActivePage(pages[sel]);
            return true;
        }
        if (it->second->kind == ControlKind::UpDown && nm->code == UDN_DELTAPOS) {
            auto* ud = static_cast<UpDown*>(it->second);
            auto* delta = reinterpret_cast<NMUPDOWN*>(lp);
            ud->SetPosition(delta->iPos + delta->iDelta);
            result = TRUE;  // the model has moved it
            return true;
        }
        return false;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        auto it = byId_.find(static_cast<int>(dis->CtlID));
        if (it == byId_.end() || it->second->kind != ControlKind::Image) return false;
        PaintBuiltinImage(dis->hwndItem, *static_cast<Image*>(it->second), dis->hDC);
        result = TRUE;
        return true;
    }
    case WM_SETCURSOR: {
        HWND h = reinterpret_cast<HWND>(wp);
        for (auto& [control, hwnd] : windows_)
            if (hwnd == h && control->handCursor) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                result = TRUE;
                return true;
            }
        return false;
    }
    default:
        return false;
    }
}

LRESULT WindowsForm::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (msg >= MSG_QUIT && msg <= MSG_COOLING_OFF) {
        form_->HandlePrivateMessage(msg);
        return 0;
    }
    if (HandleChildNotification(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_TIMER: {
        auto it = byId_.find(static_cast<int>(wp));
        if (it != byId_.end() && it->second->kind == ControlKind::Timer) {
            auto* t = static_cast<Timer*>(it->second);
            if (t->Enabled() && t->OnTimer) t->OnTimer();
        }
        return 0;
    }
    case WM_POWERBROADCAST:
        // The result stays 0, and the message is not passed on.
        WMPowerBroadcast(wp);
        return 0;
    case WM_CLOSE:
        // The close box hides the window and applies nothing. While the window is hidden there
        // is no close box: the message comes from outside (as a task manager closes a
        // program), and the program ends the ordinary way.
        if (OptionsVisible())
            CloseOptions();  // wakes the modal loop, also for a message sent from outside
        else
            Terminate();
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}
