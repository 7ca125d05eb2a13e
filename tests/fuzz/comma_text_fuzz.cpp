// The stored window list and the radio items of the language file are comma text that
// other programs and people write. Whatever the text, reading it, writing the list back
// and reading that again must give the same list; and any list the user can build (items
// without NUL) must come back unchanged from its comma text.
#include <cstdint>
#include <string>
#include <vector>

#include "app/commatext.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // Text -> list -> text -> list.
    const std::vector<std::string> items = SplitCommaText(text);
    const std::string written = CommaText(items);
    FUZZ_REQUIRE(SplitCommaText(written) == items);
    FUZZ_REQUIRE(CommaText(SplitCommaText(written)) == written);

    // List -> text -> list, with the input's NUL bytes separating the items.
    std::vector<std::string> list;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i)
        if (i == size || text[i] == '\0') {
            list.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    if (size == 0) list.clear();
    FUZZ_REQUIRE(SplitCommaText(CommaText(list)) == list);
    return 0;
}
