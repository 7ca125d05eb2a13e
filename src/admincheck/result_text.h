// How Ostrilon hands its answer back to the installer: a decimal text pushed onto the
// caller's string stack. The stack is a singly linked list of blocks the caller frees; each
// block holds the previous top at offset 0 and the zero-terminated text right after it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrilon {

// Bytes of a node beyond the text: the next pointer and a spare word.
constexpr int kNodeExtra = 8;
// Where the text starts inside a node (4 in the 32-bit library the installer loads).
constexpr std::size_t kTextOffset = sizeof(void*);

// The installer's arguments of the latest checkIsAdmin call, kept until the next one.
struct LibraryValues {
    void* parent_window = nullptr;
    int string_size = 0;        // bytes of one stack text, terminating zero included
    void* variables = nullptr;  // the installer's variables (not used)
    void** stack_head = nullptr;  // the caller's pointer to its top node
};

// The system calls a node is made with.
struct NodeMemory {
    // A zero-filled fixed block of `bytes` bytes, or null.
    void* (*allocate)(std::size_t bytes);
    // Copies at most `count` - 1 characters of `from` and a terminating zero.
    void (*copy)(char* to, const char* from, int count);
};

// Pushes `text` as a new top node. Nothing is pushed (and false returned) when there is no
// stack, when the text size is unusable (0 or less, or so large that the node size
// overflows), or when no node can be allocated; the caller's stack is then unchanged.
bool PushResultText(const LibraryValues& values, const char* text, const NodeMemory& memory);

// Base-10 text of a 32-bit value, with a minus sign when negative.
void DecimalText(std::int32_t value, char (&text)[20]);

}  // namespace ostrilon
