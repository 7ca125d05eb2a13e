#include "ui/controls.h"

#include <algorithm>
#include <cctype>

Control::Control(ControlKind kind, std::string name, int tag, Control* parent, Bounds bounds,
                 std::string caption, std::string hint)
    : kind(kind), name(std::move(name)), tag(tag), parent(parent), bounds(bounds),
      caption_(std::move(caption)), hint_(std::move(hint)) {}

void Control::Changed() {
    if (observer) observer(*this);
}

void Control::SetCaption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    Changed();
}

void Control::SetHint(const std::string& text) {
    if (text == hint_) return;
    hint_ = text;
    Changed();
}

void Control::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    Changed();
}

void Control::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Changed();
}

void Button::SetShield(bool on) {
    if (on == shield) return;
    shield = on;
    Changed();
}

void CheckBox::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    Changed();
    if (OnClick) OnClick();
}

void RadioGroup::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    itemIndex_ = -1;
    Changed();
}

void RadioGroup::SetItemIndex(int index) {
    int last = static_cast<int>(items_.size()) - 1;
    if (index > last) index = last;
    if (index < -1) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Changed();
    if (OnClick) OnClick();
}

void TrackBar::SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) return;
    position_ = position;
    Changed();
    if (OnChange) OnChange();
}

void Edit::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Changed();
    if (OnChange) OnChange();
}

void UpDown::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    Changed();
}

void UpDown::SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) return;
    position_ = position;
    Changed();
    // The associated edit field shows the position, as the arrows' buddy does.
    if (associate) associate->SetText(std::to_string(position_));
    if (OnClick) OnClick();
}

void ListBox::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    selected_.assign(items_.size(), false);
    Changed();
}

void ListBox::Add(const std::string& item) {
    items_.push_back(item);
    selected_.push_back(false);
    Changed();
}

int ListBox::IndexOfIgnoreCase(const std::string& text) const {
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string wanted = lower(text);
    for (size_t i = 0; i < items_.size(); ++i)
        if (lower(items_[i]) == wanted) return static_cast<int>(i);
    return -1;
}

bool ListBox::Selected(int index) const {
    return index >= 0 && static_cast<size_t>(index) < selected_.size() && selected_[index];
}

void ListBox::SetSelected(int index, bool selected) {
    if (index < 0 || static_cast<size_t>(index) >= selected_.size() || selected_[index] == selected) return;
    selected_[index] = selected;
    Changed();
}

void ListBox::DeleteSelected() {
    std::vector<std::string> kept;
    for (size_t i = 0; i < items_.size(); ++i)
        if (!selected_[i]) kept.push_back(items_[i]);
    SetItems(std::move(kept));
}

void ComboBox::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Changed();
}

void ComboBox::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    Changed();
}

void ComboBox::Add(const std::string& item) {
    items_.push_back(item);
    Changed();
}

void ListView::AddColumn(Column c) {
    columns_.push_back(std::move(c));
    Changed();
}

void ListView::AddRow(std::string caption) {
    rows_.push_back(Row{std::move(caption), {}});
    Changed();
}

void ListView::SetSubItemCount(size_t row, size_t count) {
    if (row >= rows_.size()) return;
    rows_[row].subItems.resize(count);
    Changed();
}

void ListView::SetCell(size_t row, size_t subItem, const std::string& text) {
    if (row >= rows_.size() || subItem == 0) return;
    auto& cells = rows_[row].subItems;
    if (cells.size() < subItem) cells.resize(subItem);
    if (cells[subItem - 1] == text) return;
    cells[subItem - 1] = text;
    Changed();
}

void Image::SetPicture(uintptr_t picture) {
    if (picture == picture_) return;
    picture_ = picture;
    Changed();
}

void PageControl::SetActivePage(TabSheet* page) {
    if (page == active_) return;
    active_ = page;
    Changed();
}

void MenuItem::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    Changed();
}

void Timer::SetEnabled(bool v) {
    if (v == on_) return;
    on_ = v;
    Changed();
}

void Timer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Changed();
}
