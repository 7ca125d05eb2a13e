// Named file mappings of other processes, copied through a read-only view.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "temp/shared_memory.h"

namespace {

// Readable bytes from the start of a view. The system reports whole pages, so a block
// shorter than a page shows as one page whose tail reads as zeros; a block that is
// shorter than the copy wanted ends where its last page ends.
size_t ReadableBytes(const void* view) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(view, &info, sizeof info) != sizeof info) return 0;
    if (info.State != MEM_COMMIT) return 0;
    if (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) return 0;
    const size_t offset = static_cast<const uint8_t*>(view) - static_cast<const uint8_t*>(info.BaseAddress);
    return info.RegionSize > offset ? info.RegionSize - offset : 0;
}

class WindowsSharedMemory : public SharedMemory {
public:
    bool Copy(const std::string& name, uint8_t* buffer, size_t size, size_t& copied) override {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
        if (!mapping) return false;
        bool ok = false;
        if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
            const size_t readable = ReadableBytes(view);
            if (readable > 0) {
                copied = std::min(size, readable);
                std::memcpy(buffer, view, copied);
                ok = true;
            }
            UnmapViewOfFile(view);
        }
        CloseHandle(mapping);
        return ok;
    }
};

}  // namespace

SharedMemory& SystemSharedMemory() {
    static WindowsSharedMemory system;
    return system;
}
