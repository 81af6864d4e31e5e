#include "fake-marketplace/pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

#include <zlib.h>

namespace quillet::fake {

namespace {

void putU32be(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v >> 24));
    out.push_back(static_cast<char>(v >> 16));
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

void putU16be(std::string& out, unsigned v) {
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
    out.push_back(static_cast<char>(v & 0xFF));
}

void putU16le(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

std::uint32_t crc32(const std::string& data, std::size_t from) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFU;
    for (std::size_t i = from; i < data.size(); ++i) {
        c = table[(c ^ static_cast<std::uint8_t>(data[i])) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFU;
}

void pngChunk(std::string& out, const char* type, const std::string& payload) {
    putU32be(out, static_cast<std::uint32_t>(payload.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out += payload;
    putU32be(out, crc32(out, start));
}

// 3x5 digit glyphs, one row per 3 bits.
constexpr std::array<std::array<std::uint8_t, 5>, 10> kDigits = {{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

constexpr std::array<int, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

constexpr std::array<int, 64> kLumaQuant = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void put(std::uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            acc_ = static_cast<std::uint8_t>((acc_ << 1) | ((bits >> i) & 1));
            if (++used_ == 8) {
                emit();
            }
        }
    }
    void flush() {
        while (used_ != 0) {
            put(1, 1);  // padding with one bits, as decoders expect
        }
    }

private:
    void emit() {
        out_.push_back(static_cast<char>(acc_));
        if (acc_ == 0xFF) {
            out_.push_back('\0');  // byte stuffing inside entropy-coded data
        }
        acc_ = 0;
        used_ = 0;
    }
    std::string& out_;
    std::uint8_t acc_ = 0;
    int used_ = 0;
};

int bitLength(int v) {
    v = std::abs(v);
    int n = 0;
    while (v != 0) {
        ++n;
        v >>= 1;
    }
    return n;
}

// Flat Huffman tables keep the encoder short: every DC category gets a 4-bit code and every
// AC symbol an 8-bit code. Valid baseline JPEG, only a little larger than with tuned tables.
struct FlatTables {
    std::vector<std::uint8_t> dcSymbols;
    std::vector<std::uint8_t> acSymbols;
    std::array<int, 256> acCode{};
    FlatTables() {
        for (int i = 0; i < 12; ++i) {
            dcSymbols.push_back(static_cast<std::uint8_t>(i));
        }
        acSymbols.push_back(0x00);
        acSymbols.push_back(0xF0);
        for (int run = 0; run < 16; ++run) {
            for (int size = 1; size <= 10; ++size) {
                acSymbols.push_back(static_cast<std::uint8_t>((run << 4) | size));
            }
        }
        acCode.fill(-1);
        for (std::size_t i = 0; i < acSymbols.size(); ++i) {
            acCode[acSymbols[i]] = static_cast<int>(i);
        }
    }
};

void jpegHuffmanTable(std::string& out, int tableClass, const std::vector<std::uint8_t>& symbols,
                      int codeLength) {
    out += "\xFF\xC4";
    putU16be(out, static_cast<unsigned>(2 + 1 + 16 + symbols.size()));
    out.push_back(static_cast<char>(tableClass << 4));
    for (int len = 1; len <= 16; ++len) {
        out.push_back(static_cast<char>(len == codeLength ? symbols.size() : 0));
    }
    for (auto s : symbols) {
        out.push_back(static_cast<char>(s));
    }
}

void encodeBlock(BitWriter& bits, const FlatTables& tables, const std::array<double, 64>& block,
                 const std::array<int, 64>& quant, int& previousDc) {
    static const auto cosines = [] {
        std::array<std::array<double, 8>, 8> c{};
        for (int x = 0; x < 8; ++x) {
            for (int u = 0; u < 8; ++u) {
                c[x][u] = std::cos((2 * x + 1) * u * std::numbers::pi / 16.0);
            }
        }
        return c;
    }();
    std::array<double, 64> rows{};
    for (int y = 0; y < 8; ++y) {
        for (int u = 0; u < 8; ++u) {
            double s = 0;
            for (int x = 0; x < 8; ++x) {
                s += block[y * 8 + x] * cosines[x][u];
            }
            rows[y * 8 + u] = s * (u == 0 ? std::numbers::sqrt2 / 2 : 1.0);
        }
    }
    std::array<int, 64> q{};
    for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
            double s = 0;
            for (int y = 0; y < 8; ++y) {
                s += rows[y * 8 + u] * cosines[y][v];
            }
            s *= (v == 0 ? std::numbers::sqrt2 / 2 : 1.0) / 4.0;
            q[v * 8 + u] = static_cast<int>(std::lround(s / quant[v * 8 + u]));
        }
    }
    const int dc = std::clamp(q[0], -1023, 1023);
    const int diff = dc - previousDc;
    previousDc = dc;
    const int dcCategory = bitLength(diff);
    bits.put(static_cast<std::uint32_t>(dcCategory), 4);
    if (dcCategory > 0) {
        const int v = diff < 0 ? diff + (1 << dcCategory) - 1 : diff;
        bits.put(static_cast<std::uint32_t>(v), dcCategory);
    }
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const int c = std::clamp(q[kZigzag[k]], -1023, 1023);
        if (c == 0) {
            ++run;
            continue;
        }
        while (run > 15) {
            bits.put(static_cast<std::uint32_t>(tables.acCode[0xF0]), 8);
            run -= 16;
        }
        const int size = bitLength(c);
        bits.put(static_cast<std::uint32_t>(tables.acCode[(run << 4) | size]), 8);
        bits.put(static_cast<std::uint32_t>(c < 0 ? c + (1 << size) - 1 : c), size);
        run = 0;
    }
    if (run > 0) {
        bits.put(static_cast<std::uint32_t>(tables.acCode[0x00]), 8);
    }
}

}  // namespace

Canvas::Canvas(int w, int h)
    : width(w), height(h), rgb(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3) {}

void Canvas::fillRect(int x, int y, int w, int h, std::uint32_t colour) {
    for (int yy = std::max(0, y); yy < std::min(height, y + h); ++yy) {
        for (int xx = std::max(0, x); xx < std::min(width, x + w); ++xx) {
            auto* p = &rgb[(static_cast<std::size_t>(yy) * width + xx) * 3];
            p[0] = static_cast<std::uint8_t>(colour >> 16);
            p[1] = static_cast<std::uint8_t>(colour >> 8);
            p[2] = static_cast<std::uint8_t>(colour);
        }
    }
}

std::uint32_t Canvas::pixel(int x, int y) const {
    const auto* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

std::string encodePng(const Canvas& canvas) {
    std::string out = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    putU32be(ihdr, static_cast<std::uint32_t>(canvas.width));
    putU32be(ihdr, static_cast<std::uint32_t>(canvas.height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
    pngChunk(out, "IHDR", ihdr);

    std::string raw;
    const std::size_t stride = static_cast<std::size_t>(canvas.width) * 3;
    for (int y = 0; y < canvas.height; ++y) {
        raw.push_back('\0');  // filter: none
        raw.append(reinterpret_cast<const char*>(&canvas.rgb[y * stride]), stride);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string z(size, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              static_cast<uLong>(raw.size()), 6);
    z.resize(size);
    pngChunk(out, "IDAT", z);
    pngChunk(out, "IEND", "");
    return out;
}

std::string encodeGif(const Canvas& canvas) {
    std::map<std::uint32_t, int> palette;
    std::vector<std::uint8_t> indices;
    indices.reserve(static_cast<std::size_t>(canvas.width) * canvas.height);
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const auto colour = canvas.pixel(x, y);
            auto it = palette.find(colour);
            if (it == palette.end()) {
                const int index = std::min<int>(static_cast<int>(palette.size()), 255);
                it = palette.emplace(colour, index).first;
            }
            indices.push_back(static_cast<std::uint8_t>(it->second));
        }
    }
    std::string out = "GIF89a";
    putU16le(out, static_cast<unsigned>(canvas.width));
    putU16le(out, static_cast<unsigned>(canvas.height));
    out += std::string("\xF7\x00\x00", 3);  // global table of 256 entries
    std::string table(768, '\0');
    for (const auto& [colour, index] : palette) {
        table[index * 3] = static_cast<char>(colour >> 16);
        table[index * 3 + 1] = static_cast<char>(colour >> 8);
        table[index * 3 + 2] = static_cast<char>(colour);
    }
    out += table;
    out.push_back(',');
    putU16le(out, 0);
    putU16le(out, 0);
    putU16le(out, static_cast<unsigned>(canvas.width));
    putU16le(out, static_cast<unsigned>(canvas.height));
    out.push_back('\0');
    out.push_back('\x08');  // LZW minimum code size

    // Every pixel goes out as a literal 9-bit code; a clear code before the table would grow
    // past 511 entries keeps the code width fixed, which every decoder accepts.
    std::string data;
    std::uint32_t acc = 0;
    int used = 0;
    auto putCode = [&](unsigned code) {
        acc |= code << used;
        used += 9;
        while (used >= 8) {
            data.push_back(static_cast<char>(acc & 0xFF));
            acc >>= 8;
            used -= 8;
        }
    };
    constexpr unsigned kClear = 256;
    constexpr unsigned kEnd = 257;
    putCode(kClear);
    int sinceClear = 0;
    for (auto index : indices) {
        putCode(index);
        if (++sinceClear == 250) {
            putCode(kClear);
            sinceClear = 0;
        }
    }
    putCode(kEnd);
    if (used > 0) {
        data.push_back(static_cast<char>(acc & 0xFF));
    }
    for (std::size_t pos = 0; pos < data.size(); pos += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
        out.push_back(static_cast<char>(n));
        out.append(data, pos, n);
    }
    out.push_back('\0');
    out.push_back(';');
    return out;
}

std::string encodeJpeg(const Canvas& canvas, int quality) {
    static const FlatTables tables;
    quality = std::clamp(quality, 1, 100);
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    std::array<int, 64> quant{};
    for (int i = 0; i < 64; ++i) {
        quant[i] = std::clamp((kLumaQuant[i] * scale + 50) / 100, 1, 255);
    }

    std::string out = "\xFF\xD8";
    out += "\xFF\xE0";
    putU16be(out, 16);
    out += std::string("JFIF\0\x01\x01\x00\x00\x01\x00\x01\x00\x00", 14);
    out += "\xFF\xDB";
    putU16be(out, 67);
    out.push_back('\0');
    for (int i = 0; i < 64; ++i) {
        out.push_back(static_cast<char>(quant[kZigzag[i]]));
    }
    out += "\xFF\xC0";
    putU16be(out, 17);
    out.push_back('\x08');
    putU16be(out, static_cast<unsigned>(canvas.height));
    putU16be(out, static_cast<unsigned>(canvas.width));
    out.push_back('\x03');
    for (int c = 1; c <= 3; ++c) {
        out.push_back(static_cast<char>(c));
        out.push_back('\x11');  // no subsampling
        out.push_back('\0');    // one quantisation table for all
    }
    jpegHuffmanTable(out, 0, tables.dcSymbols, 4);
    jpegHuffmanTable(out, 1, tables.acSymbols, 8);
    out += "\xFF\xDA";
    putU16be(out, 12);
    out.push_back('\x03');
    for (int c = 1; c <= 3; ++c) {
        out.push_back(static_cast<char>(c));
        out.push_back('\0');
    }
    out += std::string("\x00\x3F\x00", 3);

    BitWriter bits(out);
    std::array<int, 3> previousDc{};
    for (int by = 0; by < canvas.height; by += 8) {
        for (int bx = 0; bx < canvas.width; bx += 8) {
            std::array<std::array<double, 64>, 3> blocks{};
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    const auto colour = canvas.pixel(std::min(bx + x, canvas.width - 1),
                                                     std::min(by + y, canvas.height - 1));
                    const double r = (colour >> 16) & 0xFF;
                    const double g = (colour >> 8) & 0xFF;
                    const double b = colour & 0xFF;
                    blocks[0][y * 8 + x] = 0.299 * r + 0.587 * g + 0.114 * b - 128;
                    blocks[1][y * 8 + x] = -0.168736 * r - 0.331264 * g + 0.5 * b;
                    blocks[2][y * 8 + x] = 0.5 * r - 0.418688 * g - 0.081312 * b;
                }
            }
            for (int c = 0; c < 3; ++c) {
                encodeBlock(bits, tables, blocks[c], quant, previousDc[c]);
            }
        }
    }
    bits.flush();
    out += "\xFF\xD9";
    return out;
}

Canvas drawPicture(std::uint64_t seed, int number, int width, int height) {
    Canvas canvas(width, height);
    auto channel = [&](int shift) { return 96 + static_cast<int>((seed >> shift) % 160); };
    const std::uint32_t background = (static_cast<std::uint32_t>(channel(0)) << 16) |
                                     (static_cast<std::uint32_t>(channel(8)) << 8) |
                                     static_cast<std::uint32_t>(channel(16));
    const std::uint32_t border = (background >> 1) & 0x7F7F7F;
    canvas.fillRect(0, 0, width, height, border);
    const int edge = std::max(1, std::min(width, height) / 16);
    canvas.fillRect(edge, edge, width - 2 * edge, height - 2 * edge, background);

    const std::string digits = std::to_string(std::max(0, number));
    const int count = static_cast<int>(digits.size());
    // Glyphs are 3x5 cells with one cell of spacing; fit them into half the height.
    const int cell = std::max(1, std::min(height / 2 / 5, (width * 3 / 4) / (count * 4)));
    const int textWidth = (count * 4 - 1) * cell;
    const int left = (width - textWidth) / 2;
    const int top = (height - 5 * cell) / 2;
    for (int i = 0; i < count; ++i) {
        const auto& glyph = kDigits[digits[i] - '0'];
        for (int row = 0; row < 5; ++row) {
            for (int col = 0; col < 3; ++col) {
                if (glyph[row] & (4 >> col)) {
                    canvas.fillRect(left + (i * 4 + col) * cell, top + row * cell, cell, cell,
                                    0x202020);
                }
            }
        }
    }
    return canvas;
}

std::string encodePicture(const Canvas& canvas, PictureFormat format) {
    switch (format) {
        case PictureFormat::Png:
            return encodePng(canvas);
        case PictureFormat::Gif:
            return encodeGif(canvas);
        case PictureFormat::Jpeg:
            break;
    }
    return encodeJpeg(canvas);
}

}  // namespace quillet::fake
