#include "ui/controls_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "common/window_win32.h"
#include "ui/url_label_win32.h"

namespace {

constexpr int kFirstId = 1000;
const char* const kPageClass = "TQuillarPage";

// Where the windows go around the model's bounds, in pixels.
constexpr int kTabRowHeight = 24;       // the tabs above the pages
constexpr int kPageSideInset = 4;       // a page inside the tab control's frame, left and right
constexpr int kPageTopGap = 2;          // between the tab row and the page
constexpr int kPageBottomInset = 4;
constexpr int kRadioItemLeft = 10;      // radio items inside their group's frame
constexpr int kRadioItemRightInset = 8;
constexpr int kRadioItemTop = 16;       // below the group's caption
constexpr int kRadioGroupFrame = 20;    // caption and bottom edge: the items share the rest
constexpr int kRadioItemMaxHeight = 20;
constexpr int kDropDownHeight = 120;    // a combo box's open list
constexpr int kHintWidth = 400;         // longer hints wrap
// The window's font: "MS Sans Serif" at 8 points, that is height -11; other sizes follow
// the screen's resolution.
const char* const kFontFace = "MS Sans Serif";
constexpr int kFontPoints = 8;
constexpr int kFontHeight = -11;
constexpr int kCentredLabelPoints = 24;  // labels this large hold one centred sign ("?")

std::string WindowText(HWND h) {
    const int n = GetWindowTextLengthA(h);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    GetWindowTextA(h, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

// The setters below send only what differs from the window, so a change the window made
// itself (the user's click) is not sent back to it.
void SetText(HWND h, const std::string& text) {
    if (WindowText(h) != text) SetWindowTextA(h, text.c_str());
}

void SetCheck(HWND h, bool on) {
    const LRESULT state = on ? BST_CHECKED : BST_UNCHECKED;
    if (SendMessageA(h, BM_GETCHECK, 0, 0) != state) SendMessageA(h, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void Show(HWND h, bool visible) {
    if (((GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0) != visible) ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
}

void Enable(HWND h, bool enabled) {
    if ((IsWindowEnabled(h) != FALSE) != enabled) EnableWindow(h, enabled);
}

bool Is(const Change& change, Property p) { return change.property == p || change.property == Property::All; }

template <typename T>
T& As(ControlWindow& w) {
    return static_cast<T&>(*w.control);
}

// A notification of one of the control's windows.
struct Notice {
    ControlWindow& w;
    int item;  // the radio item, or -1
    UINT message;
    UINT code;
    HWND from;
    LPARAM lp;
    LRESULT& result;
};

}  // namespace

// One row per kind of control: how its window is made, mirrored and heard.
struct ControlKindRow {
    ControlKind kind;
    const char* windowClass = nullptr;  // null: no window, or one made by `create`
    DWORD style = 0;                    // besides WS_CHILD, and WS_VISIBLE while the control is visible
    DWORD exStyle = 0;
    DWORD (*styleOf)(const Control&) = nullptr;  // styles that follow design-time properties
    int extraHeight = 0;                         // added to the model's height
    bool showsCaption = false;                   // the window's text is the caption
    bool common = true;  // caption, visibility, enabled state, hint and focus apply to its windows
    HWND (*create)(ControlWindows&, ControlWindow&) = nullptr;   // a window made another way
    void (*created)(ControlWindows&, ControlWindow&) = nullptr;  // what is sent after creation
    void (*update)(ControlWindows&, ControlWindow&, const Change&) = nullptr;  // the kind's own properties
    bool (*notified)(ControlWindows&, const Notice&) = nullptr;
};

namespace {

// ---- pages ----

void ShowActivePage(ControlWindows& v, ControlWindow& tabs) {
    auto& pc = As<PageControl>(tabs);
    for (TabSheet* page : pc.pages)
        if (HWND h = v.WindowOf(*page)) Show(h, page == pc.ActivePage());
    // A page whose tab is hidden may still be shown (the "&OK" guard turns to a hidden
    // page): then no tab is selected.
    const std::vector<TabSheet*> shown = pc.VisiblePages();
    const auto at = std::find(shown.begin(), shown.end(), pc.ActivePage());
    SendMessageA(tabs.window, TCM_SETCURSEL, at == shown.end() ? -1 : at - shown.begin(), 0);
}

std::string TabText(HWND tabs, int i) {
    char text[128] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    return text;
}

// The tab row holds the visible pages' captions, in their order.
void UpdateTabs(ControlWindows& v, ControlWindow& tabs) {
    std::vector<std::string> wanted;
    for (TabSheet* page : As<PageControl>(tabs).VisiblePages()) wanted.push_back(page->Caption());
    std::vector<std::string> current(static_cast<size_t>(SendMessageA(tabs.window, TCM_GETITEMCOUNT, 0, 0)));
    for (size_t i = 0; i < current.size(); ++i) current[i] = TabText(tabs.window, static_cast<int>(i));
    if (current != wanted) {
        SendMessageA(tabs.window, TCM_DELETEALLITEMS, 0, 0);
        for (size_t i = 0; i < wanted.size(); ++i) {
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = wanted[i].data();
            SendMessageA(tabs.window, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
    }
    ShowActivePage(v, tabs);
}

void UpdatePageControl(ControlWindows& v, ControlWindow& w, const Change& change) {
    if (change.property == Property::All) UpdateTabs(v, w);
    if (change.property == Property::ActivePage) ShowActivePage(v, w);
}

bool PageControlNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_NOTIFY || n.code != TCN_SELCHANGE) return false;
    auto& pc = As<PageControl>(n.w);
    const int sel = static_cast<int>(SendMessageA(n.from, TCM_GETCURSEL, 0, 0));
    const std::vector<TabSheet*> shown = pc.VisiblePages();
    if (sel >= 0 && sel < static_cast<int>(shown.size())) pc.SetActivePage(shown[static_cast<size_t>(sel)]);
    return true;
}

// A page lies inside its page control's frame, below the tabs; the page control shows it.
HWND CreatePage(ControlWindows& v, ControlWindow& w) {
    const Bounds& pb = w.control->parent->bounds;
    HWND h = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD | WS_CLIPSIBLINGS, pb.left + kPageSideInset,
                             pb.top + kTabRowHeight + kPageTopGap, pb.width - 2 * kPageSideInset,
                             pb.height - kTabRowHeight - kPageTopGap - kPageBottomInset, v.Owner(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(w.id)), v.Instance(), &v);
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return h;
}

// A page's caption and visibility are its tab's.
void UpdatePage(ControlWindows& v, ControlWindow& w, const Change& change) {
    if (!Is(change, Property::Caption) && !Is(change, Property::Visible)) return;
    ControlWindow* tabs = v.Find(*w.control->parent);
    if (tabs && tabs->window) UpdateTabs(v, *tabs);
}

// ---- labels, buttons, check boxes ----

DWORD LabelStyle(const Control& c) {
    if (c.fontSize >= kCentredLabelPoints) return SS_CENTER | SS_CENTERIMAGE;
    return c.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
}

HWND CreateUrlLabel(ControlWindows& v, ControlWindow& w) {
    const Bounds& b = w.control->bounds;
    const RECT r{b.left, b.top, b.left + b.width, b.top + b.height};
    return CreateUrlLabelWindow(v.ParentWindowOf(*w.control), w.id, r, w.control->Visible(), w.control->Caption(),
                                static_cast<UrlLabel&>(*w.control).url);
}

// A click (command `Code`) runs the control's OnClick.
template <typename T, UINT Code>
bool Clicked(ControlWindows&, const Notice& n) {
    if (n.message != WM_COMMAND || n.code != Code) return false;
    if (const Handler& onClick = As<T>(n.w).OnClick) onClick();
    return true;
}

DWORD ButtonStyle(const Control& c) {
    return static_cast<const Button&>(c).isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void UpdateButton(ControlWindows&, ControlWindow& w, const Change& change) {
    if (Is(change, Property::Shield)) SendMessageA(w.window, BCM_SETSHIELD, 0, As<Button>(w).Shield() ? 1 : 0);
}

void UpdateCheckBox(ControlWindows&, ControlWindow& w, const Change& change) {
    if (Is(change, Property::Checked)) SetCheck(w.window, As<CheckBox>(w).Checked());
}

bool CheckBoxNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_COMMAND || n.code != BN_CLICKED) return false;
    As<CheckBox>(n.w).SetChecked(SendMessageA(n.from, BM_GETCHECK, 0, 0) == BST_CHECKED);
    return true;
}

// ---- radio groups ----

void RadioGroupCreated(ControlWindows& v, ControlWindow& w) { v.CreateRadioItems(w); }

void UpdateRadioGroup(ControlWindows& v, ControlWindow& w, const Change& change) {
    auto& rg = As<RadioGroup>(w);
    if (Is(change, Property::Items)) {
        if (w.items.size() != rg.Items().size()) v.CreateRadioItems(w);
        for (size_t i = 0; i < w.items.size(); ++i) SetText(w.items[i], rg.Items()[i]);
    }
    if (Is(change, Property::Items) || Is(change, Property::ItemIndex))
        for (size_t i = 0; i < w.items.size(); ++i) SetCheck(w.items[i], static_cast<int>(i) == rg.ItemIndex());
}

bool RadioGroupNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_COMMAND || n.item < 0 || n.code != BN_CLICKED) return false;
    As<RadioGroup>(n.w).SetItemIndex(n.item);
    return true;
}

// ---- track bars, edit fields, arrows ----

void TrackBarCreated(ControlWindows&, ControlWindow& w) {
    auto& tb = As<TrackBar>(w);
    SendMessageA(w.window, TBM_SETRANGE, FALSE, MAKELPARAM(tb.Min(), tb.Max()));
    SendMessageA(w.window, TBM_SETPAGESIZE, 0, tb.pageSize);
    SendMessageA(w.window, TBM_SETTICFREQ, static_cast<WPARAM>(tb.frequency), 0);
}

void UpdateTrackBar(ControlWindows&, ControlWindow& w, const Change& change) {
    const int position = As<TrackBar>(w).Position();
    if (Is(change, Property::Position) && SendMessageA(w.window, TBM_GETPOS, 0, 0) != position)
        SendMessageA(w.window, TBM_SETPOS, TRUE, position);
}

bool TrackBarNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_HSCROLL) return false;
    As<TrackBar>(n.w).SetPosition(static_cast<int>(SendMessageA(n.from, TBM_GETPOS, 0, 0)));
    return true;
}

DWORD EditStyle(const Control& c) { return static_cast<const Edit&>(c).readOnly ? ES_READONLY : 0; }

void UpdateEdit(ControlWindows&, ControlWindow& w, const Change& change) {
    if (Is(change, Property::Text)) SetText(w.window, As<Edit>(w).Text());
}

bool EditNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_COMMAND || n.code != EN_CHANGE) return false;
    As<Edit>(n.w).SetText(WindowText(n.from));
    return true;
}

void UpDownCreated(ControlWindows& v, ControlWindow& w) {
    if (Edit* buddy = As<UpDown>(w).associate)
        SendMessageA(w.window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(v.WindowOf(*buddy)), 0);
}

void UpdateUpDown(ControlWindows&, ControlWindow& w, const Change& change) {
    auto& ud = As<UpDown>(w);
    if (Is(change, Property::Range)) SendMessageA(w.window, UDM_SETRANGE32, static_cast<WPARAM>(ud.Min()), ud.Max());
    if (Is(change, Property::Position)) SendMessageA(w.window, UDM_SETPOS32, 0, ud.Position());
}

bool UpDownNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_NOTIFY || n.code != UDN_DELTAPOS) return false;
    const auto* delta = reinterpret_cast<const NMUPDOWN*>(n.lp);
    As<UpDown>(n.w).SetPosition(delta->iPos + delta->iDelta);
    n.result = TRUE;  // the model has moved it
    return true;
}

// ---- lists ----

// The messages of the two kinds of list a window keeps.
struct ListMessages {
    UINT count, textLength, text, remove, insert;
};
constexpr ListMessages kListBoxMessages{LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_DELETESTRING, LB_INSERTSTRING};
constexpr ListMessages kComboBoxMessages{CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_DELETESTRING,
                                         CB_INSERTSTRING};

// A count or length the window answers; its errors (negative) count as 0.
size_t Answer(HWND h, UINT message, WPARAM wp = 0, LPARAM lp = 0) {
    return static_cast<size_t>(std::max<LRESULT>(SendMessageA(h, message, wp, lp), 0));
}

std::vector<std::string> ListedItems(HWND h, const ListMessages& m) {
    std::vector<std::string> items(Answer(h, m.count));
    for (size_t i = 0; i < items.size(); ++i) {
        std::string& text = items[i];
        text.resize(Answer(h, m.textLength, i) + 1);
        text.resize(Answer(h, m.text, i, reinterpret_cast<LPARAM>(text.data())));
    }
    return items;
}

// Brings the window's list to `items` by removing and inserting only the items between the
// runs both lists share at their start and at their end: the rest stays, and with it the
// scroll position, the selection and the anchor of a shift-click. An appended item
// (`appended` >= 0) is inserted without reading the list.
void SyncList(HWND h, const ListMessages& m, const std::vector<std::string>& items, int appended) {
    const size_t at = static_cast<size_t>(appended);
    if (appended >= 0 && Answer(h, m.count) == at) {
        SendMessageA(h, m.insert, at, reinterpret_cast<LPARAM>(items[at].c_str()));
        return;
    }
    const std::vector<std::string> shown = ListedItems(h, m);
    const size_t front = static_cast<size_t>(
        std::mismatch(shown.begin(), shown.end(), items.begin(), items.end()).first - shown.begin());
    size_t back = 0;
    while (back < shown.size() - front && back < items.size() - front &&
           shown[shown.size() - 1 - back] == items[items.size() - 1 - back])
        ++back;
    for (size_t i = shown.size() - back; i-- > front;) SendMessageA(h, m.remove, i, 0);
    for (size_t i = front; i < items.size() - back; ++i)
        SendMessageA(h, m.insert, i, reinterpret_cast<LPARAM>(items[i].c_str()));
}

void SyncSelection(HWND h, const ListBox& lb, int index) {
    const bool selected = lb.Selected(index);
    if ((SendMessageA(h, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0) != selected)
        SendMessageA(h, LB_SETSEL, selected, index);
}

void UpdateListBox(ControlWindows&, ControlWindow& w, const Change& change) {
    const auto& lb = As<ListBox>(w);
    if (Is(change, Property::Items)) SyncList(w.window, kListBoxMessages, lb.Items(), change.index);
    if (change.property == Property::Selection || (change.property == Property::Items && change.index >= 0))
        SyncSelection(w.window, lb, change.index);
    else if (Is(change, Property::Items))  // new items: the window's selection follows the model's
        for (int i = 0; i < static_cast<int>(lb.Items().size()); ++i) SyncSelection(w.window, lb, i);
}

bool ListBoxNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_COMMAND || n.code != LBN_SELCHANGE) return false;
    auto& lb = As<ListBox>(n.w);
    for (int i = 0; i < static_cast<int>(lb.Items().size()); ++i)
        lb.SetSelected(i, SendMessageA(n.from, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0);
    return true;
}

void UpdateComboBox(ControlWindows&, ControlWindow& w, const Change& change) {
    const auto& cb = As<ComboBox>(w);
    if (Is(change, Property::Items)) SyncList(w.window, kComboBoxMessages, cb.Items(), change.index);
    // Changing the list may change the edit text, so the text follows in either case.
    SetText(w.window, cb.Text());
}

bool ComboBoxNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_COMMAND) return false;
    auto& cb = As<ComboBox>(n.w);
    if (n.code == CBN_EDITCHANGE) cb.SetText(WindowText(n.from));
    if (n.code == CBN_SELCHANGE) {
        const int sel = static_cast<int>(SendMessageA(n.from, CB_GETCURSEL, 0, 0));
        if (sel >= 0 && sel < static_cast<int>(cb.Items().size())) cb.SetText(cb.Items()[static_cast<size_t>(sel)]);
    }
    return true;
}

void ListViewCreated(ControlWindows&, ControlWindow& w) {
    SendMessageA(w.window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

void InsertColumns(HWND h, const ListView& lv) {
    const int have = Header_GetItemCount(ListView_GetHeader(h));
    for (int i = have; i < static_cast<int>(lv.Columns().size()); ++i) {
        const ListView::Column& column = lv.Columns()[static_cast<size_t>(i)];
        std::string caption = column.caption;
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = caption.data();
        col.cx = column.width;
        col.fmt = column.alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
        SendMessageA(h, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
    }
}

// Column 0 is the row's caption, column s its sub-item s.
void SendCell(HWND h, const ListView& lv, int row, int column) {
    const ListView::Row& r = lv.Rows()[static_cast<size_t>(row)];
    std::string text = column == 0 ? r.caption : r.subItems[static_cast<size_t>(column - 1)];
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text.data();
    SendMessageA(h, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// A new or resized row: inserted when missing, then every cell of it.
void SendRow(HWND h, const ListView& lv, int row) {
    if (row >= SendMessageA(h, LVM_GETITEMCOUNT, 0, 0)) {
        std::string caption = lv.Rows()[static_cast<size_t>(row)].caption;
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = caption.data();
        SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (size_t s = 1; s <= lv.Rows()[static_cast<size_t>(row)].subItems.size(); ++s)
        SendCell(h, lv, row, static_cast<int>(s));
}

void UpdateListView(ControlWindows&, ControlWindow& w, const Change& change) {
    const auto& lv = As<ListView>(w);
    if (Is(change, Property::Columns)) InsertColumns(w.window, lv);
    if (change.property == Property::All)
        for (int r = 0; r < static_cast<int>(lv.Rows().size()); ++r) SendRow(w.window, lv, r);
    if (change.property == Property::Rows) SendRow(w.window, lv, change.index);
    if (change.property == Property::Cell) SendCell(w.window, lv, change.index, change.subItem);
}

// ---- pictures ----

void PaintBitmap(HDC dc, const RECT& r, HBITMAP picture) {
    win32::MemoryDC memory(dc);
    win32::Selection chosen(memory.Get(), picture);
    BITMAP bm{};
    GetObjectA(picture, sizeof bm, &bm);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, r.right, r.bottom, memory.Get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
}

// A processor chip with cooling fins, drawn in place of a picture.
void PaintChip(HDC dc, const RECT& r) {
    const int w = r.right, h = r.bottom;
    const win32::Brush fins(CreateSolidBrush(RGB(70, 130, 200)));
    for (int i = 0; i < 7; ++i) {
        const RECT fin{w / 8 + i * w / 9, h / 10, w / 8 + i * w / 9 + w / 22, h / 3};
        FillRect(dc, &fin, fins.Get());
    }
    const win32::Brush chip(CreateSolidBrush(RGB(40, 40, 48)));
    const RECT body{w / 6, h / 3, w * 5 / 6, h * 5 / 6};
    FillRect(dc, &body, chip.Get());
    {
        const win32::Pen pin(CreatePen(PS_SOLID, 2, RGB(200, 170, 60)));
        const win32::Selection pen(dc, pin.Get());
        for (int i = 0; i < 8; ++i) {
            const int px = w / 6 + 6 + i * (w * 2 / 3 - 12) / 7;
            MoveToEx(dc, px, h * 5 / 6, nullptr);
            LineTo(dc, px, h * 5 / 6 + h / 14);
        }
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(120, 200, 255));
    RECT label = body;
    DrawTextA(dc, "Q", 1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// The pictures built into the program, by the name an Image control gives.
struct BuiltinPicture {
    const char* name;
    void (*paint)(HDC, const RECT&);
};
const BuiltinPicture kBuiltinPictures[] = {
    {"NICE", PaintChip},
};

void PaintImage(const Image& image, HWND h, HDC dc) {
    RECT r;
    GetClientRect(h, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (image.Picture()) return PaintBitmap(dc, r, reinterpret_cast<HBITMAP>(image.Picture()));
    for (const BuiltinPicture& picture : kBuiltinPictures)
        if (image.builtin == picture.name) picture.paint(dc, r);
}

void UpdateImage(ControlWindows&, ControlWindow& w, const Change& change) {
    if (Is(change, Property::Picture)) InvalidateRect(w.window, nullptr, TRUE);
}

bool ImageNotified(ControlWindows& v, const Notice& n) {
    if (n.message == WM_DRAWITEM) {
        PaintImage(As<Image>(n.w), n.from, reinterpret_cast<const DRAWITEMSTRUCT*>(n.lp)->hDC);
        n.result = TRUE;
        return true;
    }
    return Clicked<Image, STN_CLICKED>(v, n);
}

// ---- windowless kinds ----

void UpdateTimer(ControlWindows& v, ControlWindow& w, const Change& change) {
    if (!Is(change, Property::Enabled) && !Is(change, Property::Interval)) return;
    auto& t = As<Timer>(w);
    const UINT_PTR id = static_cast<UINT_PTR>(w.id);
    if (t.Enabled() && t.Interval() > 0)
        SetTimer(v.Owner(), id, t.Interval(), nullptr);
    else
        KillTimer(v.Owner(), id);
}

bool TimerNotified(ControlWindows&, const Notice& n) {
    if (n.message != WM_TIMER) return false;
    auto& t = As<Timer>(n.w);
    if (t.Enabled() && t.OnTimer) t.OnTimer();
    n.result = 0;
    return true;
}

const ControlKindRow kKindRows[] = {
    {.kind = ControlKind::PageControl, .windowClass = WC_TABCONTROLA, .style = WS_CLIPSIBLINGS | TCS_MULTILINE,
     .exStyle = WS_EX_CONTROLPARENT, .update = UpdatePageControl, .notified = PageControlNotified},
    {.kind = ControlKind::TabSheet, .common = false, .create = CreatePage, .update = UpdatePage},
    {.kind = ControlKind::UrlLabel, .showsCaption = true, .create = CreateUrlLabel},
    {.kind = ControlKind::Label, .windowClass = "STATIC", .style = SS_NOTIFY, .styleOf = LabelStyle,
     .showsCaption = true, .notified = Clicked<Label, STN_CLICKED>},
    {.kind = ControlKind::Button, .windowClass = "BUTTON", .style = WS_TABSTOP, .styleOf = ButtonStyle,
     .showsCaption = true, .update = UpdateButton, .notified = Clicked<Button, BN_CLICKED>},
    {.kind = ControlKind::CheckBox, .windowClass = "BUTTON", .style = WS_TABSTOP | BS_AUTOCHECKBOX,
     .showsCaption = true, .update = UpdateCheckBox, .notified = CheckBoxNotified},
    {.kind = ControlKind::GroupBox, .windowClass = "BUTTON", .style = BS_GROUPBOX, .exStyle = WS_EX_TRANSPARENT,
     .showsCaption = true},
    {.kind = ControlKind::RadioGroup, .windowClass = "BUTTON", .style = BS_GROUPBOX, .exStyle = WS_EX_TRANSPARENT,
     .showsCaption = true, .created = RadioGroupCreated, .update = UpdateRadioGroup, .notified = RadioGroupNotified},
    {.kind = ControlKind::TrackBar, .windowClass = TRACKBAR_CLASSA, .style = WS_TABSTOP | TBS_AUTOTICKS | TBS_HORZ,
     .created = TrackBarCreated, .update = UpdateTrackBar, .notified = TrackBarNotified},
    {.kind = ControlKind::Edit, .windowClass = "EDIT", .style = WS_TABSTOP | ES_AUTOHSCROLL,
     .exStyle = WS_EX_CLIENTEDGE, .styleOf = EditStyle, .update = UpdateEdit, .notified = EditNotified},
    {.kind = ControlKind::UpDown, .windowClass = UPDOWN_CLASSA, .style = UDS_ARROWKEYS, .created = UpDownCreated,
     .update = UpdateUpDown, .notified = UpDownNotified},
    {.kind = ControlKind::ListBox, .windowClass = "LISTBOX",
     .style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
     .exStyle = WS_EX_CLIENTEDGE, .update = UpdateListBox, .notified = ListBoxNotified},
    {.kind = ControlKind::ComboBox, .windowClass = "COMBOBOX",
     .style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, .extraHeight = kDropDownHeight,
     .update = UpdateComboBox, .notified = ComboBoxNotified},
    {.kind = ControlKind::ListView, .windowClass = WC_LISTVIEWA,
     .style = WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL, .exStyle = WS_EX_CLIENTEDGE,
     .created = ListViewCreated, .update = UpdateListView},
    {.kind = ControlKind::Image, .windowClass = "STATIC", .style = SS_OWNERDRAW | SS_NOTIFY, .update = UpdateImage,
     .notified = ImageNotified},
    {.kind = ControlKind::MenuItem, .common = false, .notified = Clicked<MenuItem, 0>},
    {.kind = ControlKind::Timer, .common = false, .update = UpdateTimer, .notified = TimerNotified},
};

const ControlKindRow& RowOf(ControlKind kind) {
    for (const ControlKindRow& row : kKindRows)
        if (row.kind == kind) return row;
    // Every kind has a row; a kind without one would be a programming error.
    return kKindRows[0];
}

bool HasWindow(const ControlKindRow& row) { return row.windowClass || row.create; }

// The control's own window and its items' windows.
std::vector<HWND> WindowsOf(const ControlWindow& w) {
    std::vector<HWND> all{w.window};
    all.insert(all.end(), w.items.begin(), w.items.end());
    return all;
}

// Caption, visibility, enabled state, hint and focus, for all of the control's windows.
void UpdateCommon(ControlWindows& v, ControlWindow& w, const Change& change) {
    const Control& c = *w.control;
    if (Is(change, Property::Caption) && w.row->showsCaption) SetText(w.window, c.Caption());
    for (HWND h : WindowsOf(w)) {
        if (Is(change, Property::Visible)) Show(h, c.Visible());
        if (Is(change, Property::Enabled)) Enable(h, c.Enabled());
    }
    if (change.property == Property::Hint) v.UpdateHints(w);
    if (change.property == Property::Focus) SetFocus(w.window);
}

}  // namespace

ControlWindows::ControlWindows(HWND owner, HINSTANCE instance, UINT hintPause)
    : owner_(owner), instance_(instance), hintPause_(hintPause) {}

ControlWindows::~ControlWindows() { Detach(); }

void ControlWindows::Attach(const std::vector<Control*>& controls) {
    for (Control* c : controls) {
        auto w = std::make_unique<ControlWindow>();
        w->control = c;
        w->row = &RowOf(c->kind);
        ControlWindow* record = w.get();
        record->id = NewId(*record, -1);
        records_.push_back(std::move(w));
        c->observer = [this, record](Control&, const Change& change) { Update(*record, change); };
        if (c->kind == ControlKind::Timer) Update(*record, {Property::All});
    }
}

void ControlWindows::Detach() {
    for (auto& w : records_) {
        w->control->observer = nullptr;
        if (w->control->kind == ControlKind::Timer) KillTimer(owner_, static_cast<UINT_PTR>(w->id));
    }
}

int ControlWindows::NewId(ControlWindow& w, int item) {
    targets_.push_back(Target{&w, item});
    return kFirstId + static_cast<int>(targets_.size()) - 1;
}

const ControlWindows::Target* ControlWindows::TargetOf(int id) const {
    const size_t at = static_cast<size_t>(id - kFirstId);
    return id >= kFirstId && at < targets_.size() ? &targets_[at] : nullptr;
}

const ControlWindows::Target* ControlWindows::TargetOf(HWND window) const {
    const Target* t = window ? TargetOf(GetDlgCtrlID(window)) : nullptr;
    if (!t) return nullptr;
    // Another window may carry the same number: only our own window counts.
    const std::vector<HWND>& items = t->record->items;
    const size_t item = static_cast<size_t>(t->item);
    const HWND own = t->item < 0 ? t->record->window : item < items.size() ? items[item] : nullptr;
    return own == window ? t : nullptr;
}

ControlWindow* ControlWindows::Find(const Control& c) const {
    for (const auto& w : records_)
        if (w->control == &c) return w.get();
    return nullptr;
}

HWND ControlWindows::WindowOf(const Control& c) const {
    const ControlWindow* w = Find(c);
    return w ? w->window : nullptr;
}

HWND ControlWindows::ParentWindowOf(const Control& c) const {
    if (c.parent && c.parent->kind == ControlKind::TabSheet)
        if (HWND page = WindowOf(*c.parent)) return page;
    return owner_;
}

HFONT ControlWindows::FontFor(const Control& c) {
    const FontKey key{c.fontSize ? c.fontSize : kFontPoints, c.bold};
    win32::Font& font = fonts_[key];
    if (!font) {
        const win32::WindowDC screen;
        const int height = key.points == kFontPoints ? kFontHeight
                                                     : -MulDiv(key.points, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
        font.Reset(CreateFontA(height, 0, 0, 0, key.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               kFontFace));
    }
    return font.Get();
}

LRESULT CALLBACK ControlWindows::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (auto* self = win32::WindowOwner<ControlWindows>(hwnd, msg, lp))
        if (self->Handle(msg, wp, lp, result)) return result;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void ControlWindows::RegisterPageClass() {
    WNDCLASSA wc{};
    if (GetClassInfoA(instance_, kPageClass, &wc)) return;
    wc.lpfnWndProc = PageProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPageClass;
    RegisterClassA(&wc);
}

void ControlWindows::CreateWindows() {
    if (created_) return;
    created_ = true;
    RegisterPageClass();
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr, instance_, nullptr);
    SendMessageA(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, static_cast<LPARAM>(hintPause_));
    SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, kHintWidth);
    for (auto& w : records_) CreateWindowOf(*w);
}

void ControlWindows::CreateWindowOf(ControlWindow& w) {
    const ControlKindRow& row = *w.row;
    const Control& c = *w.control;
    if (row.create) {
        w.window = row.create(*this, w);
    } else if (row.windowClass) {
        const Bounds& b = c.bounds;
        const DWORD style = WS_CHILD | row.style | (row.styleOf ? row.styleOf(c) : 0) | (c.Visible() ? WS_VISIBLE : 0);
        w.window = CreateWindowExA(row.exStyle, row.windowClass, row.showsCaption ? c.Caption().c_str() : "", style,
                                   b.left, b.top, b.width, b.height + row.extraHeight, ParentWindowOf(c),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(w.id)), instance_, nullptr);
    }
    if (!w.window) return;
    SendMessageA(w.window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
    if (row.created) row.created(*this, w);
    UpdateHints(w);
    Update(w, {Property::All});
}

// The items lie inside the group's frame, one row each; the first one starts the tab group.
void ControlWindows::CreateRadioItems(ControlWindow& w) {
    for (HWND item : w.items) DestroyWindow(item);
    w.items.clear();
    const auto& rg = static_cast<const RadioGroup&>(*w.control);
    const Bounds& b = rg.bounds;
    const int n = static_cast<int>(rg.Items().size());
    const int rowHeight = n ? (b.height - kRadioGroupFrame) / n : 0;
    for (int i = 0; i < n; ++i) {
        if (static_cast<size_t>(i) == w.itemIds.size()) w.itemIds.push_back(NewId(w, i));
        const DWORD style = WS_CHILD | BS_AUTORADIOBUTTON | (rg.Visible() ? WS_VISIBLE : 0) |
                            (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        HWND item = CreateWindowExA(0, "BUTTON", rg.Items()[static_cast<size_t>(i)].c_str(), style,
                                    b.left + kRadioItemLeft, b.top + kRadioItemTop + i * rowHeight,
                                    b.width - kRadioItemLeft - kRadioItemRightInset,
                                    std::min(rowHeight, kRadioItemMaxHeight), ParentWindowOf(rg),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(w.itemIds[static_cast<size_t>(i)])),
                                    instance_, nullptr);
        SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(rg)), FALSE);
        Enable(item, rg.Enabled());
        w.items.push_back(item);
    }
    UpdateHints(w);
}

// Every window of the control shows its hint: a radio group's frame lets the mouse through
// to its items, so they carry the hint too.
void ControlWindows::UpdateHints(ControlWindow& w) {
    if (!tooltip_ || !w.window) return;
    std::string hint = w.control->Hint();
    for (HWND h : WindowsOf(w)) {
        TOOLINFOA ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = GetParent(h);
        ti.uId = reinterpret_cast<UINT_PTR>(h);
        SendMessageA(tooltip_, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&ti));
        if (hint.empty()) continue;
        ti.lpszText = hint.data();
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void ControlWindows::Update(ControlWindow& w, const Change& change) {
    const ControlKindRow& row = *w.row;
    if (HasWindow(row) && !w.window) return;  // mirrored once the windows exist
    if (row.common) UpdateCommon(*this, w, change);
    if (row.update) row.update(*this, w, change);
}

bool ControlWindows::Handle(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (PressDialogButton(id)) return true;
        const Target* t = TargetOf(id);
        return t && Notified(*t, message, HIWORD(wp), reinterpret_cast<HWND>(lp), lp, result);
    }
    case WM_NOTIFY: {
        const auto* nm = reinterpret_cast<const NMHDR*>(lp);
        const Target* t = TargetOf(static_cast<int>(nm->idFrom));
        return t && Notified(*t, message, nm->code, nm->hwndFrom, lp, result);
    }
    case WM_HSCROLL: {
        const Target* t = TargetOf(reinterpret_cast<HWND>(lp));
        return t && Notified(*t, message, LOWORD(wp), reinterpret_cast<HWND>(lp), lp, result);
    }
    case WM_DRAWITEM: {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        const Target* t = TargetOf(static_cast<int>(dis->CtlID));
        return t && Notified(*t, message, 0, dis->hwndItem, lp, result);
    }
    case WM_TIMER: {
        const Target* t = TargetOf(static_cast<int>(wp));
        return t && Notified(*t, message, 0, nullptr, lp, result);
    }
    case WM_SETCURSOR:
        return SetCursorOver(reinterpret_cast<HWND>(wp), result);
    default:
        return false;
    }
}

bool ControlWindows::Notified(const Target& target, UINT message, UINT code, HWND from, LPARAM lp, LRESULT& result) {
    const ControlKindRow& row = *target.record->row;
    return row.notified && row.notified(*this, Notice{*target.record, target.item, message, code, from, lp, result});
}

// Enter and Esc, as the dialog keys deliver them: the default or the cancel button is pressed.
bool ControlWindows::PressDialogButton(int id) {
    if (id != IDOK && id != IDCANCEL) return false;
    for (auto& w : records_) {
        if (w->control->kind != ControlKind::Button) continue;
        auto& button = static_cast<Button&>(*w->control);
        if (id == IDOK ? button.isDefault : button.isCancel) {
            if (button.OnClick) button.OnClick();
            return true;
        }
    }
    return true;
}

bool ControlWindows::SetCursorOver(HWND window, LRESULT& result) {
    const Target* t = TargetOf(window);
    if (!t || !t->record->control->handCursor) return false;
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    result = TRUE;
    return true;
}

HMENU ControlWindows::BuildMenu(const std::vector<MenuItem*>& items) const {
    HMENU menu = CreatePopupMenu();
    for (const MenuItem* item : items) {
        const ControlWindow* w = Find(*item);
        if (item->separator)
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else if (w)
            AppendMenuA(menu, MF_STRING | (item->Checked() ? MF_CHECKED : 0), static_cast<UINT_PTR>(w->id),
                        item->Caption().c_str());
    }
    return menu;
}
