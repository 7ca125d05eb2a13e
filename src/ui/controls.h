// The main window's controls as plain objects. They are the program's working copy of
// the settings: the controller reads and writes them, and the Windows view mirrors them
// into real windows.
//
// Every property changes the same way: only a different value changes anything, and then
// the view is told which property changed (and which item, row or cell), so that it
// updates only that. The values a user changes in a window (a check box's state, a radio
// group's selection, a track bar's or arrows' position, an edit field's text) run the
// control's handler when they change, whether the user or the program changed them: the
// program relies on that (loading the settings sets the timers' intervals through the
// track bars' handlers). Nothing else runs a handler: captions, hints, visibility, item
// lists and cells change quietly.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class ControlKind {
    Label,
    UrlLabel,
    Button,
    CheckBox,
    RadioGroup,
    GroupBox,
    TrackBar,
    Edit,
    UpDown,
    ListBox,
    ComboBox,
    ListView,
    Image,
    TabSheet,
    PageControl,
    MenuItem,
    Timer,
};

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
};

// The properties a view mirrors. `All` is never sent by a control: the view uses it for a
// window's first filling.
enum class Property {
    All,
    Caption,
    Hint,
    Visible,
    Enabled,
    Focus,       // a request: the keyboard focus goes to the control
    Checked,
    Shield,
    Items,       // index: the one item appended, or -1 for the whole list
    ItemIndex,
    Selection,   // index: the list item whose selection changed
    Position,
    Range,
    Text,
    Columns,     // index: the column added
    Rows,        // index: the row added or resized
    Cell,        // index: the row; subItem: the column (1 is the first sub-item)
    Picture,
    ActivePage,
    Interval,
};

struct Change {
    Property property;
    int index = -1;
    int subItem = -1;
};

class Control;
using ChangeObserver = std::function<void(Control&, const Change&)>;
using Handler = std::function<void()>;

class Control {
public:
    Control(ControlKind kind, std::string name, int tag, Control* parent, Bounds bounds,
            std::string caption = {}, std::string hint = {});
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlKind kind;
    const std::string name;
    int tag;
    Control* parent;  // the page or group it sits on; null for the window itself
    Bounds bounds;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text) { Assign(caption_, text, {Property::Caption}); }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& text) { Assign(hint_, text, {Property::Hint}); }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { Assign(visible_, v, {Property::Visible}); }
    // For a timer: whether it runs.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { Assign(enabled_, v, {Property::Enabled}); }
    // Puts the keyboard focus on the control's window, when it has one.
    void SetFocus() { Notify({Property::Focus}); }

    // Design-time properties, read when the control's window is made.
    // The help keyword: a spare text property (the sensor label keeps its pattern there).
    std::string helpKeyword;
    bool bold = false;
    bool handCursor = false;
    bool wordWrap = false;
    int fontSize = 0;  // 0: the window's font

    // Set by the view to hear about every change of this control.
    ChangeObserver observer;

protected:
    // The one way a property changes: a different value is stored and the view told;
    // true when it changed.
    template <typename T, typename V>
    bool Assign(T& field, V&& value, Change change) {
        if (field == value) return false;
        field = std::forward<V>(value);
        Notify(change);
        return true;
    }
    void Notify(const Change& change) {
        if (observer) observer(*this, change);
    }
    static void Run(const Handler& handler) {
        if (handler) handler();
    }

private:
    std::string caption_;
    std::string hint_;
    bool visible_ = true;
    bool enabled_ = true;
};

class Label : public Control {
public:
    Label(std::string name, int tag, Control* parent, Bounds b, std::string caption = {})
        : Control(ControlKind::Label, std::move(name), tag, parent, b, std::move(caption)) {}
    Handler OnClick;
};

class UrlLabel : public Control {
public:
    UrlLabel(std::string name, Control* parent, Bounds b, std::string caption, std::string url)
        : Control(ControlKind::UrlLabel, std::move(name), 0, parent, b, std::move(caption)), url(std::move(url)) {}
    std::string url;
};

class Button : public Control {
public:
    Button(std::string name, int tag, Control* parent, Bounds b, std::string caption)
        : Control(ControlKind::Button, std::move(name), tag, parent, b, std::move(caption)) {}
    Handler OnClick;
    bool isDefault = false;  // Enter presses it
    bool isCancel = false;   // Esc presses it
    // The elevation shield beside the caption.
    bool Shield() const { return shield_; }
    void SetShield(bool on) { Assign(shield_, on, {Property::Shield}); }

private:
    bool shield_ = false;
};

class CheckBox : public Control {
public:
    CheckBox(std::string name, int tag, Control* parent, Bounds b, std::string caption, std::string hint = {})
        : Control(ControlKind::CheckBox, std::move(name), tag, parent, b, std::move(caption), std::move(hint)) {}
    bool Checked() const { return checked_; }
    // Runs OnClick when the state changes.
    void SetChecked(bool v);
    Handler OnClick;

private:
    bool checked_ = false;
};

class RadioGroup : public Control {
public:
    RadioGroup(std::string name, int tag, Control* parent, Bounds b, std::string caption,
               std::vector<std::string> items, std::string hint = {})
        : Control(ControlKind::RadioGroup, std::move(name), tag, parent, b, std::move(caption), std::move(hint)),
          items_(std::move(items)) {}
    const std::vector<std::string>& Items() const { return items_; }
    // Replaces the items; the selection stays on the same index (limited to the last item)
    // and OnClick does not run: nobody chose anything.
    void SetItems(std::vector<std::string> items);
    int ItemIndex() const { return itemIndex_; }
    // Limits the index to -1 .. count - 1 and runs OnClick when the selection changes.
    void SetItemIndex(int index);
    Handler OnClick;

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
};

class GroupBox : public Control {
public:
    GroupBox(std::string name, int tag, Control* parent, Bounds b, std::string caption)
        : Control(ControlKind::GroupBox, std::move(name), tag, parent, b, std::move(caption)) {}
};

class TrackBar : public Control {
public:
    TrackBar(std::string name, int tag, Control* parent, Bounds b, int min, int max, int position,
             std::string hint = {})
        : Control(ControlKind::TrackBar, std::move(name), tag, parent, b, {}, std::move(hint)),
          min_(min), max_(max), position_(position) {}
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    // Limits the position to the range and runs OnChange when it changes.
    void SetPosition(int position);
    int pageSize = 1;
    int frequency = 1;
    Handler OnChange;

private:
    int min_, max_, position_;
};

class Edit : public Control {
public:
    Edit(std::string name, int tag, Control* parent, Bounds b, std::string text, std::string hint = {})
        : Control(ControlKind::Edit, std::move(name), tag, parent, b, {}, std::move(hint)), text_(std::move(text)) {}
    const std::string& Text() const { return text_; }
    // Runs OnChange when the text changes.
    void SetText(const std::string& text);
    bool readOnly = false;
    Handler OnChange;

private:
    std::string text_;
};

class UpDown : public Control {
public:
    UpDown(std::string name, Control* parent, Bounds b, Edit* associate, int min, int max, int position)
        : Control(ControlKind::UpDown, std::move(name), 0, parent, b), associate(associate),
          min_(min), max_(max), position_(position) {}
    Edit* associate;
    int Min() const { return min_; }
    int Max() const { return max_; }
    // The position is not limited by a new range here (the caller limits it when it must).
    void SetRange(int min, int max);
    int Position() const { return position_; }
    // Limits the position to the range; when it changes, the associated edit field shows
    // it (as the arrows' buddy does) and OnClick runs.
    void SetPosition(int position);
    Handler OnClick;

private:
    int min_, max_, position_;
};

class ListBox : public Control {
public:
    ListBox(std::string name, Control* parent, Bounds b)
        : Control(ControlKind::ListBox, std::move(name), 0, parent, b) {}
    const std::vector<std::string>& Items() const { return items_; }
    // Replaces the items; when they differ, nothing is selected any more.
    void SetItems(std::vector<std::string> items);
    void Add(const std::string& item);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);

private:
    std::vector<std::string> items_;
    std::vector<bool> selected_;
};

class ComboBox : public Control {
public:
    ComboBox(std::string name, Control* parent, Bounds b, std::string text)
        : Control(ControlKind::ComboBox, std::move(name), 0, parent, b), text_(std::move(text)) {}
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text) { Assign(text_, text, {Property::Text}); }
    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items) { Assign(items_, std::move(items), {Property::Items}); }
    void Add(const std::string& item);

private:
    std::string text_;
    std::vector<std::string> items_;
};

class ListView : public Control {
public:
    struct Column {
        std::string caption;
        int width;
        bool alignRight;
    };
    struct Row {
        std::string caption;
        std::vector<std::string> subItems;
    };
    ListView(std::string name, Control* parent, Bounds b) : Control(ControlKind::ListView, std::move(name), 0, parent, b) {}
    const std::vector<Column>& Columns() const { return columns_; }
    void AddColumn(Column c);
    const std::vector<Row>& Rows() const { return rows_; }
    void AddRow(std::string caption);
    void SetSubItemCount(size_t row, size_t count);
    // Sets one cell; column 1 is the first sub-item. Changes nothing for an equal text.
    void SetCell(size_t row, size_t subItem, const std::string& text);

private:
    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

class Image : public Control {
public:
    Image(std::string name, Control* parent, Bounds b) : Control(ControlKind::Image, std::move(name), 0, parent, b) {}
    // An opaque picture handle of the view (a bitmap on Windows); 0 for none.
    uintptr_t Picture() const { return picture_; }
    void SetPicture(uintptr_t picture) { Assign(picture_, picture, {Property::Picture}); }
    // Name of a picture built into the program (drawn by the view), used when Picture() is 0.
    std::string builtin;
    Handler OnClick;

private:
    uintptr_t picture_ = 0;
};

class TabSheet : public Control {
public:
    TabSheet(std::string name, int tag, Control* parent, std::string caption)
        : Control(ControlKind::TabSheet, std::move(name), tag, parent, {}, std::move(caption)) {}
};

class PageControl : public Control {
public:
    PageControl(std::string name, Control* parent, Bounds b) : Control(ControlKind::PageControl, std::move(name), 0, parent, b) {}
    std::vector<TabSheet*> pages;
    TabSheet* ActivePage() const { return active_; }
    void SetActivePage(TabSheet* page) { Assign(active_, page, {Property::ActivePage}); }
    // The pages whose tabs show (the visible ones), in their order.
    std::vector<TabSheet*> VisiblePages() const;

private:
    TabSheet* active_ = nullptr;
};

class MenuItem : public Control {
public:
    MenuItem(std::string name, int tag, std::string caption)
        : Control(ControlKind::MenuItem, std::move(name), tag, nullptr, {}, std::move(caption)) {}
    bool Checked() const { return checked_; }
    void SetChecked(bool v) { Assign(checked_, v, {Property::Checked}); }
    bool separator = false;
    Handler OnClick;

private:
    bool checked_ = false;
};

// A window timer: runs OnTimer every `Interval` ms while Enabled(). It starts disabled.
class Timer : public Control {
public:
    explicit Timer(std::string name, unsigned interval = 1000)
        : Control(ControlKind::Timer, std::move(name), 0, nullptr, {}), interval_(interval) {
        SetEnabled(false);
    }
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms) { Assign(interval_, ms, {Property::Interval}); }
    Handler OnTimer;

private:
    unsigned interval_;
};
