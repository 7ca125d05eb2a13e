#include "winwatch/window_watch.h"

#include <algorithm>
#include <cstring>

NameMatcher::NameMatcher(const std::vector<std::string>& names) {
    uint32_t count[256] = {};
    for (const std::string& name : names)
        if (!name.empty()) ++count[static_cast<unsigned char>(name[0])];
    for (int b = 0; b < 256; ++b) start_[b + 1] = start_[b] + count[b];
    names_.resize(start_[256]);
    uint32_t next[256];
    std::copy(start_, start_ + 256, next);
    for (const std::string& name : names)
        if (!name.empty()) names_[next[static_cast<unsigned char>(name[0])]++] = name;
}

bool NameMatcher::Matches(std::string_view title) const {
    const char* const text = title.data();
    const size_t length = title.size();
    for (size_t i = 0; i < length; ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        for (uint32_t k = start_[b]; k < start_[b + 1]; ++k) {
            const std::string& name = names_[k];
            if (name.size() <= length - i && std::memcmp(text + i + 1, name.data() + 1, name.size() - 1) == 0)
                return true;
        }
    }
    return false;
}

uintptr_t FindListedWindow(TopLevelWindows& windows, const std::vector<std::string>& names) {
    const NameMatcher matcher(names);
    if (matcher.Empty()) return 0;
    char title[kTitleBufferSize];
    uintptr_t found = 0;
    windows.ForEach([&](uintptr_t window) {
        const size_t length = std::min(windows.ReadTitle(window, title, sizeof title), sizeof title - 1);
        if (!matcher.Matches(std::string_view(title, length))) return true;
        found = window;
        return false;
    });
    return found;
}

// Both false: cooling was switched off by another route, and the watch stays out of it.
// Both true: cooling was switched on by another route while the watch had it off; the
// watch forgets its own switch-off and looks again at the next tick.
const WatchRow kWatchTable[6] = {
    {false, false, ListedWindow::Any, WatchAction::None, false},
    {true, true, ListedWindow::Any, WatchAction::None, false},
    {true, false, ListedWindow::Absent, WatchAction::None, false},
    {true, false, ListedWindow::Present, WatchAction::CoolingOff, true},
    {false, true, ListedWindow::Present, WatchAction::None, true},
    {false, true, ListedWindow::Absent, WatchAction::CoolingOn, false},
};

WatchDecision DecideWatchTick(bool coolingEnabled, bool disabledByWindow,
                              const std::function<bool()>& listedWindowPresent) {
    bool looked = false;
    ListedWindow listed = ListedWindow::Any;
    for (const WatchRow& row : kWatchTable) {
        if (row.coolingEnabled != coolingEnabled || row.disabledByWindow != disabledByWindow) continue;
        if (row.listed != ListedWindow::Any && !looked) {
            looked = true;
            listed = listedWindowPresent() ? ListedWindow::Present : ListedWindow::Absent;
        }
        if (row.listed == ListedWindow::Any || row.listed == listed)
            return WatchDecision{row.action, row.nextDisabledByWindow, looked};
    }
    return WatchDecision{WatchAction::None, disabledByWindow, looked};  // not reached: the table is complete
}

namespace {

// Lower case of a Windows-1252 character: A-Z, the accented capitals C0-DE (not the
// multiplication sign D7), and the four capitals of the 80-9F block.
unsigned char LowerCp1252(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
    }
}

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerCp1252(static_cast<unsigned char>(a[i])) != LowerCp1252(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool AddWindowName(std::vector<std::string>& list, std::vector<std::string>& dropDown, const std::string& text) {
    dropDown.push_back(text);
    for (const std::string& item : list)
        if (SameNameIgnoringCase(item, text)) return false;
    list.push_back(text);
    return true;
}

std::vector<std::string> WithoutSelectedNames(const std::vector<std::string>& list, const std::vector<bool>& selected) {
    std::vector<std::string> kept;
    for (size_t i = 0; i < list.size(); ++i)
        if (i >= selected.size() || !selected[i]) kept.push_back(list[i]);
    return kept;
}
