// A list of 16 x 16 pictures, each a colour bitmap with a transparency mask. The tray icon
// takes its pictures from here and the main timer draws text icons into the last one.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "common/handles_win32.h"

// A new 24-bit bitmap of size x size pixels, all white, or none.
win32::Bitmap WhiteBitmap(int size);

class ImageList {
public:
    static constexpr int kSize = 16;
    // White is the transparent colour of every picture in the list.
    static constexpr COLORREF kTransparent = RGB(255, 255, 255);

    // An empty list.
    ImageList();
    // The pictures of a bitmap strip in the resources, cut into 16 x 16 pieces left to right.
    ImageList(HINSTANCE module, UINT bitmapId);
    ~ImageList();
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    // Appends the pictures of a bitmap strip (width a multiple of 16); false if it could not
    // be read. The bitmap stays the caller's.
    bool AddStrip(HBITMAP strip);
    // Loads a strip from a .bmp file (used where the resources are not linked in).
    bool AddStripFromFile(const char* path);

    int Count() const;
    // A new icon of picture `index`, or none.
    win32::Icon GetIcon(int index) const;
    // Draws picture `index` through its mask at x, y of `dc`.
    void Draw(int index, HDC dc, int x, int y) const;
    // Picture `index` drawn onto a new 16 x 16 24-bit bitmap on white.
    win32::Bitmap GetBitmap(int index) const;
    // Replaces picture `index` with the top-left 16 x 16 pixels of `bitmap`; its white pixels
    // become transparent. False when the index is out of range or the bitmap unreadable.
    bool ReplaceMasked(int index, HBITMAP bitmap);

    // Called when the list is destroyed, so that holders of a reference can drop it.
    void AddFreeNotification(const void* key, std::function<void()> onFree);
    void RemoveFreeNotification(const void* key);

private:
    struct Picture {
        win32::Bitmap image;  // 32-bit, black where transparent
        win32::Bitmap mask;   // 1 bit, set where transparent
    };

    std::vector<Picture> pictures_;
    struct Listener {
        const void* key;
        std::function<void()> onFree;
    };
    std::vector<Listener> listeners_;
};
