// The program's own copy of an outside program's block: the first N bytes of the block,
// read as little-endian fields. A block shorter than N leaves the rest of the copy zero,
// and `valid` remembers how many bytes really came from it, so that the readers never
// take an entry beyond them for data.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "temp/shared_memory.h"

template <size_t N>
class BlockSnapshot {
public:
    static constexpr size_t kSize = N;

    // Takes a fresh copy; on failure the snapshot stays as it was.
    bool Take(SharedMemory& memory, const std::string& name) {
        std::array<uint8_t, N> fresh{};  // what the block does not hold stays zero
        size_t copied = 0;
        if (!memory.Copy(name, fresh.data(), N, copied)) return false;
        bytes_ = fresh;
        valid_ = copied < N ? copied : N;
        return true;
    }

    size_t Valid() const { return valid_; }
    // Whether `length` bytes at `offset` lie within the bytes that came from the block.
    bool Holds(size_t offset, size_t length) const { return offset <= valid_ && length <= valid_ - offset; }

    uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Unsigned(offset, 2)); }
    int32_t I32(size_t offset) const { return static_cast<int32_t>(static_cast<uint32_t>(Unsigned(offset, 4))); }
    double F64(size_t offset) const {
        const uint64_t bits = Unsigned(offset, 8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const uint8_t* At(size_t offset) const { return bytes_.data() + offset; }

private:
    uint64_t Unsigned(size_t offset, size_t width) const {
        uint64_t value = 0;
        if (offset > N || width > N - offset) return 0;
        for (size_t i = width; i-- > 0;) value = (value << 8) | bytes_[offset + i];
        return value;
    }

    std::array<uint8_t, N> bytes_{};
    size_t valid_ = 0;
};
