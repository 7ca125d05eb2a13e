#include "common/format.h"

#include <cmath>
#include <vector>

namespace {

std::string Digits(uint64_t magnitude, unsigned base) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[magnitude % base]);
        magnitude /= base;
    } while (magnitude != 0);
    return out;
}

[[noreturn]] void Invalid(std::string_view pattern) {
    throw EFormatError("Format '" + std::string(pattern) + "' invalid or incompatible with argument");
}

}  // namespace

std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
    const std::vector<const FormatArg*> list = [&] {
        std::vector<const FormatArg*> v;
        for (const FormatArg& a : args) v.push_back(&a);
        return v;
    }();
    std::string out;
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
        if (next >= list.size()) Invalid(pattern);
        const FormatArg& arg = *list[next++];

        std::string piece;
        switch (type) {
        case 'd': {
            if (arg.IsText()) Invalid(pattern);
            int64_t v = arg.Number();
            uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            piece = Digits(magnitude, 10);
            if (precision > 0 && piece.size() < static_cast<size_t>(precision))
                piece.insert(0, static_cast<size_t>(precision) - piece.size(), '0');
            if (v < 0) piece.insert(piece.begin(), '-');
            break;
        }
        case 'x': {
            if (arg.IsText()) Invalid(pattern);
            int64_t v = arg.Number();
            uint64_t bits = static_cast<uint64_t>(v);
            if (v < 0 && v >= INT32_MIN) bits = static_cast<uint32_t>(v);
            piece = Digits(bits, 16);
            if (precision > 0 && piece.size() < static_cast<size_t>(precision))
                piece.insert(0, static_cast<size_t>(precision) - piece.size(), '0');
            break;
        }
        case 's':
            if (!arg.IsText()) Invalid(pattern);
            piece = arg.Text();
            if (precision >= 0 && piece.size() > static_cast<size_t>(precision))
                piece.resize(static_cast<size_t>(precision));
            break;
        default:
            Invalid(pattern);
        }
        if (piece.size() < static_cast<size_t>(width)) {
            std::string pad(static_cast<size_t>(width) - piece.size(), ' ');
            piece = left ? piece + pad : pad + piece;
        }
        out += piece;
    }
    return out;
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
