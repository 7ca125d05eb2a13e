// Small text helpers shared by the program.
#pragma once
#include <string>

// Compares two texts without regard to the case of ASCII letters.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);
// Removes leading and trailing blanks and control characters.
std::string Trim(const std::string& s);
