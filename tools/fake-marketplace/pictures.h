#pragma once
// Small generated pictures in the three formats the marketplace serves, encoded here (zlib
// aside) so the fake marketplace needs no image library: a coloured tile with a number.

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::fake {

enum class PictureFormat { Jpeg, Png, Gif };

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3, rows top to bottom

    Canvas(int w, int h);
    void fillRect(int x, int y, int w, int h, std::uint32_t colour);
    std::uint32_t pixel(int x, int y) const;
};

std::string encodePng(const Canvas& canvas);
// Needs at most 256 distinct colours; further colours are mapped to the last palette entry.
std::string encodeGif(const Canvas& canvas);
std::string encodeJpeg(const Canvas& canvas, int quality = 90);

// A deterministic picture: colours from seed, the number drawn in the middle.
Canvas drawPicture(std::uint64_t seed, int number, int width, int height);
std::string encodePicture(const Canvas& canvas, PictureFormat format);

}  // namespace quillet::fake
