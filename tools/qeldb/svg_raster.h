// Pictures for people: SVG documents rendered to pixels by librsvg and written as PNG by cairo.
// Only the command-line tool (and the tests that look at its pictures) link these libraries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qeldb {

// An image in memory: `width` x `height` pixels, row by row from the top, each a 32-bit value
// 0xAARRGGBB with the colour premultiplied by alpha (cairo's ARGB32).
struct Raster {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The most pixels a picture may have: a larger request is refused rather than allocated.
constexpr std::int64_t kMaxRasterPixels = std::int64_t{64} << 20;

// Renders a whole SVG document at its own width and height in pixels. False with a message in
// *error when the document cannot be read, has no size or is larger than kMaxRasterPixels.
bool RenderSvg(const std::string& svg, Raster* out, std::string* error);

// The PNG encoding of the raster. False with a message in *error when encoding fails.
bool EncodePng(const Raster& raster, std::vector<unsigned char>* png, std::string* error);

}  // namespace qeldb
