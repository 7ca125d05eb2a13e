// The named shared memory that outside monitoring programs publish. Each copy opens the
// mapping, copies from its view and closes it again: nothing stays open between calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class SharedMemory {
public:
    virtual ~SharedMemory() = default;
    // Opens the mapping `name` for reading and copies the first bytes of its view into
    // `buffer`: `size` bytes, or fewer when the view holds fewer readable bytes. `copied`
    // tells how many. False, with `buffer` untouched, when there is no such mapping, it
    // cannot be opened or mapped, or its view holds nothing readable.
    virtual bool Copy(const std::string& name, uint8_t* buffer, size_t size, size_t& copied) = 0;
};

// The system's named mappings (the Windows build); the native build has none.
SharedMemory& SystemSharedMemory();

// Mappings kept in memory, each exactly as long as its bytes (tests, and the native build's
// stand-ins of outside programs).
class MemorySharedMemory : public SharedMemory {
public:
    bool Copy(const std::string& name, uint8_t* buffer, size_t size, size_t& copied) override;
    void Publish(const std::string& name, std::vector<uint8_t> bytes) { blocks[name] = std::move(bytes); }
    void Close(const std::string& name) { blocks.erase(name); }

    std::map<std::string, std::vector<uint8_t>> blocks;
    int copies = 0;  // successful copies
};
