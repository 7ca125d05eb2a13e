// The folders of src/ are layers: a folder includes only its own headers and those of the
// folders below it, in the order src/layers.txt gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::map<std::string, int> ReadLayers(const fs::path& file) {
    std::map<std::string, int> rank;
    std::ifstream in(file);
    std::string line;
    int next = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        rank[line] = next++;
    }
    return rank;
}

// The folder of an include line ("cpu" for #include "cpu/cpuid.h"), or empty.
std::string IncludedFolder(const std::string& line) {
    std::istringstream in(line);
    std::string directive, target;
    in >> directive >> target;
    if (directive != "#include" || target.size() < 2 || target[0] != '"') return {};
    const size_t slash = target.find('/');
    return slash == std::string::npos ? std::string() : target.substr(1, slash - 1);
}

// "path:line: text" for every include of a folder above the including file's own.
std::vector<std::string> UpwardIncludes(const fs::path& src, const std::map<std::string, int>& rank) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), src);
        if (relative.begin() == relative.end() || std::next(relative.begin()) == relative.end()) continue;
        const std::string folder = relative.begin()->string();
        const auto own = rank.find(folder);
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            const auto target = rank.find(IncludedFolder(line));
            if (target == rank.end()) continue;  // not a folder of ours
            if (own == rank.end() || target->second > own->second)
                found.push_back(relative.string() + ":" + std::to_string(number) + ": " + line);
        }
    }
    return found;
}

TEST(Layering, EveryFolderHasItsPlace) {
    const fs::path src = QUILLAR_SOURCE;
    const auto rank = ReadLayers(src / "layers.txt");
    ASSERT_FALSE(rank.empty());
    for (const auto& entry : fs::directory_iterator(src)) {
        if (entry.is_directory()) {
            EXPECT_TRUE(rank.count(entry.path().filename().string()))
                << entry.path().filename() << " is missing from src/layers.txt";
        }
    }
}

TEST(Layering, NoFolderIncludesOneAboveIt) {
    const fs::path src = QUILLAR_SOURCE;
    const std::vector<std::string> upward = UpwardIncludes(src, ReadLayers(src / "layers.txt"));
    std::ostringstream list;
    for (const std::string& u : upward) list << "\n  " << u;
    EXPECT_TRUE(upward.empty()) << "includes of a higher layer:" << list.str();
}

}  // namespace
