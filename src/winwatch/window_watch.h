// The auto-off window watch: while a top-level window whose title contains one of the
// listed names exists, cooling is off; when none is left, it is on again. This module holds
// the watch's rules; the windows themselves are reached through TopLevelWindows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The system's top-level windows as the watch sees them.
class TopLevelWindows {
public:
    virtual ~TopLevelWindows() = default;
    // Calls `visit` for every top-level window, visible or not, in the system's order,
    // until `visit` returns false.
    virtual void ForEach(const std::function<bool(uintptr_t window)>& visit) = 0;
    // Copies at most size - 1 characters of the window's title and a terminating zero into
    // `buffer`; returns the number of characters copied, 0 when the title cannot be read.
    virtual size_t ReadTitle(uintptr_t window, char* buffer, size_t size) = 0;
};

// The windows of the running system (the Windows adapter).
std::unique_ptr<TopLevelWindows> SystemTopLevelWindows();

// Titles are read into a buffer of this many characters, so only their first 512 count.
constexpr size_t kTitleBufferSize = 513;

// The listed names, prepared once for many titles. A name matches a title when it occurs in
// it as a contiguous, case-sensitive substring; an empty name never matches.
class NameMatcher {
public:
    explicit NameMatcher(const std::vector<std::string>& names);
    bool Matches(std::string_view title) const;
    bool Empty() const { return names_.empty(); }

private:
    // The non-empty names grouped by their first byte: the names beginning with byte b are
    // names_[start_[b]] up to names_[start_[b + 1]]. A title is scanned once; only where a
    // byte begins some name are those names compared.
    std::vector<std::string> names_;
    uint32_t start_[257] = {};
};

// FindListedWindow: the first top-level window, in the system's order, whose title contains
// any of `names`; 0 when there is none.
uintptr_t FindListedWindow(TopLevelWindows& windows, const std::vector<std::string>& names);

// ---- the watch tick's state table ----
// E = CoolingEnabled, W = DisabledByWindow, and whether a listed window is present.

enum class WatchAction { None, CoolingOff, CoolingOn };
enum class ListedWindow { Any, Present, Absent };

struct WatchRow {
    bool coolingEnabled;
    bool disabledByWindow;
    ListedWindow listed;
    WatchAction action;
    bool nextDisabledByWindow;
};

extern const WatchRow kWatchTable[6];

struct WatchDecision {
    WatchAction action;
    bool disabledByWindow;  // the new DisabledByWindow
    bool looked;            // the windows were enumerated
};

// One tick's decision. `listedWindowPresent` (one full enumeration) is asked only when the
// row for E and W depends on it, that is while E differs from W.
WatchDecision DecideWatchTick(bool coolingEnabled, bool disabledByWindow,
                              const std::function<bool()>& listedWindowPresent);

// The watch timer runs exactly while the list has at least one name.
inline bool WindowWatchTimerEnabled(const std::vector<std::string>& names) { return !names.empty(); }
// The watch interval for a position of its track bar (tenths of a second).
inline unsigned WindowWatchInterval(int position) { return static_cast<unsigned>(position) * 100; }

// ---- the list on the "Auto-Off Windows" page ----

// Compares two names as the list box's exact search does: whole texts, letter case ignored
// (the letters of the Windows-1252 code page, accented ones included).
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// Adding a name ("&Add"): the list gains `text` unless it already holds the same name in
// any letter case; the drop-down gains it in every case. Returns whether the list grew.
bool AddWindowName(std::vector<std::string>& list, std::vector<std::string>& dropDown, const std::string& text);

// Deleting ("&Delete"): the list without its selected names (`selected` by index; missing
// entries count as not selected).
std::vector<std::string> WithoutSelectedNames(const std::vector<std::string>& list, const std::vector<bool>& selected);
