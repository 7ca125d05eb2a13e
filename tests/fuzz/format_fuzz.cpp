// A translated message is a Format pattern that comes from the language file, outside the
// program. Whatever it holds, formatting it over the arguments of the program's own calls
// either gives its text or falls back to the English pattern: never an exception that
// escapes, never a text out of all proportion to the pattern and its arguments.
#include <climits>
#include <cstdint>
#include <string>

#include "app/cpu_page.h"
#include "common/format.h"
#include "fuzz/fuzz_check.h"
#include "temp/temp_watch.h"

namespace {

const std::string kTitle = "Quillar Vantor 1.0";
const std::string kWelcome =
    "Welcome! You are running %1s for the first time.\r\n\r\nRight-click on the tray icon to configure "
    "Quillar.\r\nDouble-click on the icon to disable Quillar.";
const std::string kSensorName = "Temp1 (CPU core";  // a sensor name is at most 15 characters

// The most a pattern of `length` characters may give: each conversion takes at least two
// of them and yields at most a bounded padding, a number or one of the texts.
bool Proportionate(const std::string& out, size_t length, size_t longestText) {
    return out.size() <= length * (2048 + longestText);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string pattern(reinterpret_cast<const char*>(data), size);
    const std::string unknownCpu = UnknownCpuText();

    // The welcome message and the cooling-mode messages: the program's title.
    std::string out = FormatWithFallback(pattern, kWelcome, {kTitle});
    FUZZ_REQUIRE(Proportionate(out, size + kWelcome.size(), kTitle.size()));

    // The unknown-processor report, with values a processor may give.
    out = FormatWithFallback(pattern, unknownCpu, {kTitle, 8, "Unknown", 15, INT_MIN, 0xFFFFFFFFu});
    FUZZ_REQUIRE(Proportionate(out, size + unknownCpu.size(), kTitle.size()));

    // The sensor label, with the lowest reading there is.
    out = FormatWithFallback(pattern, kSensorLabelPattern, {kSensorName, INT32_MIN});
    FUZZ_REQUIRE(Proportionate(out, size + 64, kSensorName.size()));

    // 64-bit numbers reach Format too (log lines of register values).
    out = FormatWithFallback(pattern, "%d %x", {INT64_MIN, UINT64_MAX});
    FUZZ_REQUIRE(Proportionate(out, size + 8, 0));
    return 0;
}
