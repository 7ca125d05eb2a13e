// The processor picture from the picture library. The library is mapped as a data and
// resource image from the program's own folder only: none of its code ever runs, and a
// library of the same name in the current folder is never looked at.
#include <windows.h>

#include "app/form_win32.h"

#ifndef LOAD_LIBRARY_AS_IMAGE_RESOURCE
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#endif

uintptr_t LoadPictureFromLibrary(const std::string& libraryPath, const std::vector<std::string>& names) {
    // Only a full path is accepted, so the loader's search order never comes into play.
    if (libraryPath.size() < 3 || (libraryPath[1] != ':' && libraryPath.rfind("\\\\", 0) != 0)) return 0;
    HMODULE library =
        LoadLibraryExA(libraryPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    // Systems before Vista reject the image-resource flag; a plain data mapping serves as well.
    if (!library) library = LoadLibraryExA(libraryPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!library) return 0;
    HANDLE bitmap = nullptr;
    for (const std::string& name : names) {
        bitmap = LoadImageA(library, name.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
        if (bitmap) break;
    }
    FreeLibrary(library);
    return reinterpret_cast<uintptr_t>(bitmap);
}
