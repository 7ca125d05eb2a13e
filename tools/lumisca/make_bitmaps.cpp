// Draws the processor pictures of the picture library Lumisca.dll: one 96 x 96 24-bit BMP per
// picture name, a chip in the maker's colour with the name's parts written on it. Runs on the
// build machine; lumisca.rc then binds the files into the resource-only library.
//
//   make_bitmaps <output folder>
//
// Every name here has a line in lumisca.rc; the file of a name is its upper-case text with
// every character other than A-Z, 0-9 and '_' replaced by '_', plus ".bmp".
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 96;

struct Rgb {
    uint8_t r, g, b;
};

struct Picture {
    const char* name;     // the resource name (Windows-1252)
    const char* lines[3]; // the text drawn on the chip, top to bottom
    Rgb body;             // the chip's colour
};

constexpr Rgb kAmd{0x1E, 0x7B, 0x34}, kIntel{0x0A, 0x5D, 0xAB}, kCyrix{0x6A, 0x2C, 0x8E}, kCentaur{0x8C, 0x5A, 0x1E},
    kOther{0x50, 0x50, 0x58}, kUnknown{0x70, 0x70, 0x70};

const Picture kPictures[] = {
    // AMD parts by code name ("AMD_K7_" + the code name in upper case).
    {"AMD_K7_K7", {"AMD", "ATHLON", "K7"}, kAmd},
    {"AMD_K7_K75", {"AMD", "ATHLON", "K75"}, kAmd},
    {"AMD_K7_SPITFIRE", {"AMD", "DURON", "SPITFIRE"}, kAmd},
    {"AMD_K7_MORGAN", {"AMD", "DURON", "MORGAN"}, kAmd},
    {"AMD_K7_THUNDERBIRD", {"AMD", "ATHLON", "THUNDERBIRD"}, kAmd},
    {"AMD_K7_MUSTANG", {"AMD", "ATHLON", "MUSTANG"}, kAmd},
    {"AMD_K7_PALOMINO", {"AMD", "ATHLON XP", "PALOMINO"}, kAmd},
    {"AMD_K7_THOROUGHBRED", {"AMD", "ATHLON XP", "THOROUGHBRED"}, kAmd},
    {"AMD_K7_BARTON", {"AMD", "ATHLON XP", "BARTON"}, kAmd},
    {"AMD_K7_CLAWHAMMER", {"AMD", "ATHLON 64", "CLAWHAMMER"}, kAmd},
    {"AMD_K7_TOLEDO", {"AMD", "ATHLON X2", "TOLEDO"}, kAmd},
    {"AMD_K7_0.13 \xB5M 754", {"AMD", "ATHLON 64", "0.13\xB5M 754"}, kAmd},
    {"AMD_K7_0.13 \xB5M 939", {"AMD", "ATHLON 64", "0.13\xB5M 939"}, kAmd},
    {"AMD_K7_NEWCASTLE", {"AMD", "ATHLON 64", "NEWCASTLE"}, kAmd},
    // Picture classes.
    {"AMD_K6", {"AMD", "K6", nullptr}, kAmd},
    {"AMD_K6_2", {"AMD", "K6-2", nullptr}, kAmd},
    {"AMD_K6_3", {"AMD", "K6-III", nullptr}, kAmd},
    {"AMD_K7", {"AMD", "K7", nullptr}, kAmd},
    {"AMD_ATHLON", {"AMD", "ATHLON", nullptr}, kAmd},
    {"CYRIX_M1", {"CYRIX", "6X86", "M1"}, kCyrix},
    {"CYRIX_M2", {"CYRIX", "MII", "M2"}, kCyrix},
    {"CYRIX_III", {"CYRIX", "III", nullptr}, kCyrix},
    {"CYRIX_MEDIAGX", {"CYRIX", "MEDIAGX", nullptr}, kCyrix},
    {"INTEL_P5", {"INTEL", "PENTIUM", nullptr}, kIntel},
    {"INTEL_P2", {"INTEL", "PENTIUM II", nullptr}, kIntel},
    {"INTEL_P3_CELERON", {"INTEL", "CELERON", "P3"}, kIntel},
    {"INTEL_P3", {"INTEL", "PENTIUM III", nullptr}, kIntel},
    {"INTEL_P4", {"INTEL", "PENTIUM 4", nullptr}, kIntel},
    {"INTEL_PENTIUM_M", {"INTEL", "PENTIUM M", nullptr}, kIntel},
    {"INTEL_CORE", {"INTEL", "CORE", nullptr}, kIntel},
    {"INTEL_CORE2", {"INTEL", "CORE 2", nullptr}, kIntel},
    // The vendors' own names, for everything without a class.
    {"AMD", {"AMD", nullptr, nullptr}, kAmd},
    {"Cyrix", {"CYRIX", nullptr, nullptr}, kCyrix},
    {"Intel", {"INTEL", nullptr, nullptr}, kIntel},
    {"IDT", {"IDT", "WINCHIP", nullptr}, kCentaur},
    {"NexGen", {"NEXGEN", nullptr, nullptr}, kOther},
    {"UMC", {"UMC", nullptr, nullptr}, kOther},
    {"TransMeta", {"TRANSMETA", "CRUSOE", nullptr}, kOther},
    {"VIA", {"VIA", "C3", nullptr}, kCentaur},
    {"unknown", {"?", nullptr, nullptr}, kUnknown},
    {"SiS", {"SIS", nullptr, nullptr}, kOther},
    {"Rise", {"RISE", nullptr, nullptr}, kOther},
    {"NSC", {"NSC", "GEODE", nullptr}, kOther},
};

// A 5 x 7 font: seven rows, bit 4 the leftmost column.
struct Glyph {
    unsigned char c;
    uint8_t rows[7];
};

const Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}}, {' ', {0, 0, 0, 0, 0, 0, 0}},
    {0xB5, {0x00, 0x00, 0x11, 0x11, 0x11, 0x1E, 0x10}},  // the micro sign
};

const Glyph* Find(unsigned char c) {
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;
}

class Canvas {
public:
    Canvas() : pixels_(kSize * kSize, Rgb{0xFF, 0xFF, 0xFF}) {}

    void Fill(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (x >= 0 && y >= 0 && x < kSize && y < kSize) pixels_[y * kSize + x] = c;
    }

    static int TextWidth(const std::string& text, int scale) { return static_cast<int>(text.size()) * 6 * scale - scale; }

    // Draws `text` centred on x = kSize / 2 with its top at y.
    void Text(const std::string& text, int y, int scale, Rgb c) {
        int x = (kSize - TextWidth(text, scale)) / 2;
        for (unsigned char ch : text) {
            if (const Glyph* g = Find(ch))
                for (int row = 0; row < 7; ++row)
                    for (int col = 0; col < 5; ++col)
                        if (g->rows[row] & (0x10 >> col))
                            Fill(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, c);
            x += 6 * scale;
        }
    }

    bool WriteBmp(const std::string& path) const {
        const uint32_t rowBytes = kSize * 3;  // already a multiple of 4
        const uint32_t imageBytes = rowBytes * kSize;
        std::vector<uint8_t> out;
        auto u16 = [&](uint32_t v) {
            out.push_back(static_cast<uint8_t>(v));
            out.push_back(static_cast<uint8_t>(v >> 8));
        };
        auto u32 = [&](uint32_t v) {
            u16(v & 0xFFFF);
            u16(v >> 16);
        };
        // BITMAPFILEHEADER
        out.push_back('B');
        out.push_back('M');
        u32(14 + 40 + imageBytes);
        u32(0);
        u32(14 + 40);
        // BITMAPINFOHEADER
        u32(40);
        u32(kSize);
        u32(kSize);  // positive: rows bottom-up
        u16(1);
        u16(24);
        u32(0);  // BI_RGB
        u32(imageBytes);
        u32(2835);
        u32(2835);
        u32(0);
        u32(0);
        for (int y = kSize - 1; y >= 0; --y)
            for (int x = 0; x < kSize; ++x) {
                const Rgb& p = pixels_[y * kSize + x];
                out.push_back(p.b);
                out.push_back(p.g);
                out.push_back(p.r);
            }
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return false;
        const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
        return std::fclose(f) == 0 && ok;
    }

private:
    std::vector<Rgb> pixels_;
};

std::string FileName(const char* name) {
    std::string file;
    for (const char* p = name; *p; ++p) {
        char c = *p;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        file += keep ? c : '_';
    }
    return file + ".bmp";
}

void Draw(const Picture& pic, Canvas& canvas) {
    const Rgb pin{0xC8, 0xC8, 0xC8}, edge{0x20, 0x20, 0x20}, white{0xFF, 0xFF, 0xFF};
    // Pins on all four sides, then the package over them.
    for (int i = 0; i < 9; ++i) {
        const int at = 16 + i * 7;
        canvas.Fill(at, 4, at + 3, 12, pin);
        canvas.Fill(at, kSize - 12, at + 3, kSize - 4, pin);
        canvas.Fill(4, at, 12, at + 3, pin);
        canvas.Fill(kSize - 12, at, kSize - 4, at + 3, pin);
    }
    canvas.Fill(10, 10, kSize - 10, kSize - 10, edge);
    canvas.Fill(11, 11, kSize - 11, kSize - 11, pic.body);
    // A pin-1 mark.
    canvas.Fill(15, 15, 19, 19, white);

    int count = 0;
    for (const char* line : pic.lines)
        if (line) ++count;
    // The first line large when it fits (very large when it is all there is), the others small.
    int firstScale = Canvas::TextWidth(pic.lines[0], 2) <= kSize - 24 ? 2 : 1;
    if (count == 1 && Canvas::TextWidth(pic.lines[0], 4) <= kSize - 24) firstScale = 4;
    const int height = 7 * firstScale + (count - 1) * 11;
    int y = (kSize - height) / 2;
    for (int i = 0; i < count; ++i) {
        const int scale = i == 0 ? firstScale : 1;
        canvas.Text(pic.lines[i], y, scale, white);
        y += 7 * scale + (i == 0 ? 6 : 4);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_bitmaps <output folder>\n");
        return 2;
    }
    for (const Picture& pic : kPictures) {
        Canvas canvas;
        Draw(pic, canvas);
        const std::string path = std::string(argv[1]) + "/" + FileName(pic.name);
        if (!canvas.WriteBmp(path)) {
            std::fprintf(stderr, "make_bitmaps: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
