#include "app/switches.h"

#include "app/form.h"
#include "common/text.h"

namespace {
std::vector<std::string> g_args;
}

void SetStartArguments(std::vector<std::string> args) { g_args = std::move(args); }
const std::vector<std::string>& StartArguments() { return g_args; }

bool HasSwitch(const std::vector<std::string>& args, const std::string& name) {
    for (const std::string& a : args)
        if (a.size() > 1 && (a[0] == '-' || a[0] == '/') && EqualsIgnoreCase(a.substr(1), name)) return true;
    return false;
}

bool HasSwitch(const std::string& name) { return HasSwitch(g_args, name); }

unsigned ForwardedMessage(const std::vector<std::string>& args) {
    if (HasSwitch(args, "ON")) return MSG_COOLING_ON;
    if (HasSwitch(args, "OFF")) return MSG_COOLING_OFF;
    return MSG_SHOW_OPTIONS;
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2) {
                    arg += '"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}
