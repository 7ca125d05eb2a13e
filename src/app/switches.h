// Command-line switches: an argument that starts with '-' or '/' and whose remainder equals
// the switch name without regard to case.
#pragma once
#include <string>
#include <vector>

// The arguments after the program name.
void SetStartArguments(std::vector<std::string> args);
const std::vector<std::string>& StartArguments();
bool HasSwitch(const std::string& name);
bool HasSwitch(const std::vector<std::string>& args, const std::string& name);

// The message a second instance forwards: "ON" before "OFF", else show the options.
unsigned ForwardedMessage(const std::vector<std::string>& args);

// Splits a Windows command line into arguments the way the runtime does
// (blanks separate, double quotes group, backslashes before quotes escape them).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
