#include "app/commatext.h"

namespace {

// Blanks and control characters end an unquoted item and are skipped before one.
bool IsSeparatorChar(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool NeedsQuotes(const std::string& item) {
    for (char c : item)
        if (IsSeparatorChar(c) || c == '"' || c == ',') return true;
    return false;
}

std::string Quoted(const std::string& item) {
    std::string out = "\"";
    for (char c : item) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace

std::string CommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        out += NeedsQuotes(items[i]) ? Quoted(items[i]) : items[i];
    }
    return out;
}

std::vector<std::string> SplitCommaText(const std::string& full) {
    // The text ends at its first NUL, as it does for the system's own string readers.
    const std::string text = full.substr(0, full.find('\0'));
    const size_t n = text.size();
    std::vector<std::string> items;
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < n && IsSeparatorChar(text[i])) ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                // An unterminated quote runs to the end of the text, keeping every character.
                item += text[i++];
            }
        } else {
            while (i < n && text[i] != ',' && !IsSeparatorChar(text[i])) item += text[i++];
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < n && text[i] == ',') {
            ++i;
            // Only a comma that is the very last character adds an empty item; a comma
            // followed by blanks alone does not.
            if (i == n) items.emplace_back();
            skipBlanks();
        }
        // Anything else (a character right after a closing quote) starts the next item.
    }
    return items;
}
