// Comma text: a list of items in one string, the format of the stored window list and
// of the radio-group item lists in the language file.
#pragma once
#include <string>
#include <vector>

// Items separated by single commas. An item holding a control character, a blank, a
// double quote or a comma is put in double quotes with its inner quotes doubled. A list
// of one empty item is two double quotes; an empty list is the empty string.
std::string CommaText(const std::vector<std::string>& items);

// The reverse: blanks and control characters before an item are skipped, a quoted item
// runs to its closing quote (a doubled quote stands for one), an unquoted item runs up to
// the next comma, blank or control character, and a trailing comma adds an empty item.
std::vector<std::string> SplitCommaText(const std::string& text);
