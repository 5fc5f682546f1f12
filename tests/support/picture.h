// Pictures checked as a person sees them: the pixels of an SVG rendered by librsvg, or of a PNG
// file decoded by cairo, read back colour by colour.
#pragma once

#include <string>
#include <vector>

#include "svg_raster.h"

namespace qeltest {

struct Rgb {
  int r, g, b;
};

// The colour at (x, y) composed over white; white outside the picture.
Rgb PixelOverWhite(const qeldb::Raster& picture, int x, int y);
// Whether the pixel at (x, y) is visibly not white.
bool IsInk(const qeldb::Raster& picture, int x, int y);
// Whether any pixel within `radius` of (x, y), in x and in y, is ink. Anti-aliased lines of one
// unit's width spread over two pixels, so exact positions are checked with a radius of 1.
bool InkNear(const qeldb::Raster& picture, int x, int y, int radius = 1);

// The middle of each run of consecutive ink pixels along row y (left to right) or column x (top
// to bottom): where a person sees lines cross that row or column.
std::vector<int> InkRunsInRow(const qeldb::Raster& picture, int y);
std::vector<int> InkRunsInColumn(const qeldb::Raster& picture, int x);

// The rendered document; an empty picture (and a test failure) when it cannot be rendered.
qeldb::Raster RenderSvgForTest(const std::string& svg);
// The decoded PNG file; an empty picture when it is missing or not a PNG.
qeldb::Raster ReadPng(const std::string& path);

}  // namespace qeltest
