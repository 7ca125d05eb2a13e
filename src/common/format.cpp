#include "common/format.h"

#include <cmath>

namespace {

// The largest index, width or precision a pattern may give. Patterns come from translators
// too: a larger number is taken for a broken pattern rather than a request for that many
// blanks (or a number that does not fit).
constexpr int kLargestNumber = 1024;

// Appends the digits of `magnitude`, at least `minDigits` of them, to `out`.
void AppendDigits(std::string& out, uint64_t magnitude, unsigned base, int minDigits) {
    static const char kDigits[] = "0123456789ABCDEF";
    char buf[64];
    int n = 0;
    do {
        buf[n++] = kDigits[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    while (n < minDigits && n < 64) buf[n++] = '0';
    while (n > 0) out += buf[--n];
}

void Pad(std::string& out, size_t start, int width, bool left) {
    size_t len = out.size() - start;
    if (len >= static_cast<size_t>(width)) return;
    size_t pad = static_cast<size_t>(width) - len;
    if (left)
        out.append(pad, ' ');
    else
        out.insert(start, pad, ' ');
}

[[noreturn]] void Invalid(std::string_view pattern) {
    throw EFormatError("Format '" + std::string(pattern) + "' invalid or incompatible with argument");
}

}  // namespace

void FormatAppend(std::string& out, std::string_view pattern, std::initializer_list<FormatArg> args) {
    const FormatArg* list = args.begin();
    const size_t count = args.size();
    size_t next = 0;
    size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i >= pattern.size()) Invalid(pattern);
        if (pattern[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // [index:] [-] [width] [.precision] type
        auto readNumber = [&](int& value) {
            bool any = false;
            value = 0;
            while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
                value = value * 10 + (pattern[i] - '0');
                if (value > kLargestNumber) Invalid(pattern);
                ++i;
                any = true;
            }
            return any;
        };
        int number = 0;
        size_t mark = i;
        if (readNumber(number) && i < pattern.size() && pattern[i] == ':') {
            next = static_cast<size_t>(number);
            ++i;
        } else {
            i = mark;
        }
        bool left = false;
        if (i < pattern.size() && pattern[i] == '-') {
            left = true;
            ++i;
        }
        int width = 0;
        readNumber(width);
        int precision = -1;
        if (i < pattern.size() && pattern[i] == '.') {
            ++i;
            readNumber(precision);
        }
        if (i >= pattern.size()) Invalid(pattern);
        char type = static_cast<char>(pattern[i++] | 0x20);  // lower case
        if (next >= count) Invalid(pattern);
        const FormatArg& arg = list[next++];

        const size_t start = out.size();
        switch (type) {
        case 'd': {
            if (arg.IsText()) Invalid(pattern);
            int64_t v = arg.Number();
            if (v < 0) out += '-';
            uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            AppendDigits(out, magnitude, 10, precision);
            break;
        }
        case 'x': {
            if (arg.IsText()) Invalid(pattern);
            int64_t v = arg.Number();
            uint64_t bits = static_cast<uint64_t>(v);
            if (v < 0 && v >= INT32_MIN) bits = static_cast<uint32_t>(v);
            AppendDigits(out, bits, 16, precision);
            break;
        }
        case 's': {
            if (!arg.IsText()) Invalid(pattern);
            std::string_view text = arg.Text();
            if (precision >= 0 && text.size() > static_cast<size_t>(precision)) text = text.substr(0, precision);
            out += text;
            break;
        }
        default:
            Invalid(pattern);
        }
        Pad(out, start, width, left);
    }
}

std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    FormatAppend(out, pattern, args);
    return out;
}

std::string FormatWithFallback(std::string_view pattern, std::string_view fallback,
                               std::initializer_list<FormatArg> args) {
    try {
        return Format(pattern, args);
    } catch (const EFormatError&) {
        return Format(fallback, args);
    }
}

int64_t RoundHalfEven(double value) {
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5) return static_cast<int64_t>(whole) + 1;
    if (fraction < 0.5) return static_cast<int64_t>(whole);
    int64_t w = static_cast<int64_t>(whole);
    return (w % 2 == 0) ? w : w + 1;
}

std::string ZeroPad(int64_t number, int width) {
    std::string text = std::to_string(number);
    while (text.size() < static_cast<size_t>(width)) text.insert(text.begin(), '0');
    return text;
}
