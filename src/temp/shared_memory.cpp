#include "temp/shared_memory.h"

#include <algorithm>
#include <cstring>

bool MemorySharedMemory::Copy(const std::string& name, uint8_t* buffer, size_t size, size_t& copied) {
    auto it = blocks.find(name);
    if (it == blocks.end() || it->second.empty()) return false;
    copied = std::min(size, it->second.size());
    std::memcpy(buffer, it->second.data(), copied);
    ++copies;
    return true;
}
