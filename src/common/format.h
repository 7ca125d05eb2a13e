// The program's text formatting: one helper for the log, the messages and the labels.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

// One value of a Format argument list: a whole number or a text.
class FormatArg {
public:
    FormatArg(int v) : isText_(false), number_(v) {}
    FormatArg(unsigned v) : isText_(false), number_(v) {}
    FormatArg(long v) : isText_(false), number_(v) {}
    FormatArg(unsigned long v) : isText_(false), number_(static_cast<int64_t>(v)) {}
    FormatArg(long long v) : isText_(false), number_(v) {}
    FormatArg(unsigned long long v) : isText_(false), number_(static_cast<int64_t>(v)) {}
    // Texts are referred to, not copied: an argument list lives only during one call.
    FormatArg(const char* s) : isText_(true), text_(s ? s : "") {}
    FormatArg(std::string_view s) : isText_(true), text_(s) {}
    FormatArg(const std::string& s) : isText_(true), text_(s) {}

    bool IsText() const { return isText_; }
    int64_t Number() const { return number_; }
    std::string_view Text() const { return text_; }

private:
    bool isText_;
    int64_t number_ = 0;
    std::string_view text_;
};

// Raised when a pattern does not fit its arguments (unknown conversion, missing
// argument, a number where a text is expected or the other way round).
class EFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Formats `pattern` over `args`:
//   %[index:][-][width][.precision]type  with type d, x (upper-case hex), s; %% is a percent sign.
//   d: precision is the least number of digits (zeros added after the sign);
//   x: negative 32-bit values print as their unsigned 32-bit pattern;
//   s: precision is the most characters taken; width pads with blanks (left with '-').
std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args);
// The same, appended to `out` (no allocation when `out` has room).
void FormatAppend(std::string& out, std::string_view pattern, std::initializer_list<FormatArg> args);
// Formats a pattern that comes from outside the program (a translation); when it does not
// fit `args`, formats `fallback` instead, the program's own pattern for the same arguments.
std::string FormatWithFallback(std::string_view pattern, std::string_view fallback,
                               std::initializer_list<FormatArg> args);

// Nearest integer, halves going to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).
int64_t RoundHalfEven(double value);

// Decimal text of `number` with "0" put in front until it is at least `width` characters long.
std::string ZeroPad(int64_t number, int width);
