#include "admincheck/result_text.h"

#include <climits>
#include <cstring>

namespace ostrilon {

bool PushResultText(const LibraryValues& values, const char* text, const NodeMemory& memory) {
    if (!values.stack_head) return false;
    // The size comes from the caller unchecked; a node it cannot describe is never made.
    const int size = values.string_size;
    if (size <= 0 || size > INT_MAX - kNodeExtra) return false;
    auto* node = static_cast<char*>(memory.allocate(static_cast<std::size_t>(size) + kNodeExtra));
    if (!node) return false;
    memory.copy(node + kTextOffset, text, size);
    void* top = *values.stack_head;
    std::memcpy(node, &top, sizeof top);
    *values.stack_head = node;
    return true;
}

void DecimalText(std::int32_t value, char (&text)[20]) {
    // Digits are taken from the unsigned magnitude so that the most negative value works too.
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    char reversed[12];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int at = 0;
    if (value < 0) text[at++] = '-';
    while (count > 0) text[at++] = reversed[--count];
    text[at] = '\0';
}

}  // namespace ostrilon
