// Functions looked up at run time, for libraries the program loads only when it needs them
// and for calls that only newer systems have.
#pragma once
#include <windows.h>

// Function `name` of `library` as the function type F; nullptr when either is missing.
template <typename F>
F LibraryFunction(HMODULE library, const char* name) {
    // Through the generic function type: GetProcAddress's own type fits no other.
    return library ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, name))) : nullptr;
}
