#include "ui/controls.h"

#include <algorithm>

Control::Control(ControlKind kind, std::string name, int tag, Control* parent, Bounds bounds,
                 std::string caption, std::string hint)
    : kind(kind), name(std::move(name)), tag(tag), parent(parent), bounds(bounds),
      caption_(std::move(caption)), hint_(std::move(hint)) {}

void CheckBox::SetChecked(bool v) {
    if (Assign(checked_, v, {Property::Checked})) Run(OnClick);
}

void RadioGroup::SetItems(std::vector<std::string> items) {
    if (!Assign(items_, std::move(items), {Property::Items})) return;
    const int last = static_cast<int>(items_.size()) - 1;
    // Fewer items than before: the selection moves to the last one, without a click.
    if (itemIndex_ > last) Assign(itemIndex_, last, {Property::ItemIndex});
}

void RadioGroup::SetItemIndex(int index) {
    index = std::clamp(index, -1, static_cast<int>(items_.size()) - 1);
    if (Assign(itemIndex_, index, {Property::ItemIndex})) Run(OnClick);
}

void TrackBar::SetPosition(int position) {
    if (Assign(position_, std::clamp(position, min_, max_), {Property::Position})) Run(OnChange);
}

void Edit::SetText(const std::string& text) {
    if (Assign(text_, text, {Property::Text})) Run(OnChange);
}

void UpDown::SetRange(int min, int max) {
    max = std::max(min, max);
    if (min == min_ && max == max_) return;
    min_ = min;
    max_ = max;
    Notify({Property::Range});
}

void UpDown::SetPosition(int position) {
    if (!Assign(position_, std::clamp(position, min_, max_), {Property::Position})) return;
    if (associate) associate->SetText(std::to_string(position_));
    Run(OnClick);
}

void ListBox::SetItems(std::vector<std::string> items) {
    if (items == items_) return;
    selected_.assign(items.size(), false);
    Assign(items_, std::move(items), {Property::Items});
}

void ListBox::Add(const std::string& item) {
    items_.push_back(item);
    selected_.push_back(false);
    Notify({Property::Items, static_cast<int>(items_.size()) - 1});
}

bool ListBox::Selected(int index) const {
    return index >= 0 && static_cast<size_t>(index) < selected_.size() && selected_[index];
}

void ListBox::SetSelected(int index, bool selected) {
    if (index < 0 || static_cast<size_t>(index) >= selected_.size() || selected_[index] == selected) return;
    selected_[index] = selected;
    Notify({Property::Selection, index});
}

void ComboBox::Add(const std::string& item) {
    items_.push_back(item);
    Notify({Property::Items, static_cast<int>(items_.size()) - 1});
}

void ListView::AddColumn(Column c) {
    columns_.push_back(std::move(c));
    Notify({Property::Columns, static_cast<int>(columns_.size()) - 1});
}

void ListView::AddRow(std::string caption) {
    rows_.push_back(Row{std::move(caption), {}});
    Notify({Property::Rows, static_cast<int>(rows_.size()) - 1});
}

void ListView::SetSubItemCount(size_t row, size_t count) {
    if (row >= rows_.size() || rows_[row].subItems.size() == count) return;
    rows_[row].subItems.resize(count);
    Notify({Property::Rows, static_cast<int>(row)});
}

void ListView::SetCell(size_t row, size_t subItem, const std::string& text) {
    if (row >= rows_.size() || subItem == 0) return;
    auto& cells = rows_[row].subItems;
    if (cells.size() < subItem) cells.resize(subItem);
    Assign(cells[subItem - 1], text, {Property::Cell, static_cast<int>(row), static_cast<int>(subItem)});
}

std::vector<TabSheet*> PageControl::VisiblePages() const {
    std::vector<TabSheet*> shown;
    std::copy_if(pages.begin(), pages.end(), std::back_inserter(shown), [](TabSheet* p) { return p->Visible(); });
    return shown;
}
