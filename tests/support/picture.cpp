#include "picture.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>

namespace qeltest {

Rgb PixelOverWhite(const qeldb::Raster& picture, int x, int y) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return {255, 255, 255};
  const std::uint32_t p = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
  // Premultiplied: over white, each channel gains what alpha leaves uncovered.
  const int a = static_cast<int>(p >> 24);
  return {static_cast<int>((p >> 16) & 0xFF) + 255 - a, static_cast<int>((p >> 8) & 0xFF) + 255 - a,
          static_cast<int>(p & 0xFF) + 255 - a};
}

bool IsInk(const qeldb::Raster& picture, int x, int y) {
  constexpr int kVisible = 48;  // a step below white that a person sees at once
  const Rgb c = PixelOverWhite(picture, x, y);
  return c.r < 255 - kVisible || c.g < 255 - kVisible || c.b < 255 - kVisible;
}

bool InkNear(const qeldb::Raster& picture, int x, int y, int radius) {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx)
      if (IsInk(picture, x + dx, y + dy)) return true;
  return false;
}

namespace {

template <class InkAt>
std::vector<int> Runs(int length, InkAt inkAt) {
  std::vector<int> middles;
  for (int i = 0; i < length;) {
    if (!inkAt(i)) {
      ++i;
      continue;
    }
    int first = i;
    while (i < length && inkAt(i)) ++i;
    middles.push_back((first + i - 1) / 2);
  }
  return middles;
}

}  // namespace

std::vector<int> InkRunsInRow(const qeldb::Raster& picture, int y) {
  return Runs(picture.width, [&](int x) { return IsInk(picture, x, y); });
}

std::vector<int> InkRunsInColumn(const qeldb::Raster& picture, int x) {
  return Runs(picture.height, [&](int y) { return IsInk(picture, x, y); });
}

qeldb::Raster RenderSvgForTest(const std::string& svg) {
  qeldb::Raster picture;
  std::string error;
  if (!qeldb::RenderSvg(svg, &picture, &error)) ADD_FAILURE() << error << "\n" << svg;
  return picture;
}

qeldb::Raster ReadPng(const std::string& path) {
  qeldb::Raster picture;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_t* argb = s;
    if (cairo_image_surface_get_format(s) != CAIRO_FORMAT_ARGB32) {
      // Opaque PNGs decode as RGB24: copy into ARGB32 so every picture reads alike.
      argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                        cairo_image_surface_get_height(s));
      cairo_t* cr = cairo_create(argb);
      cairo_set_source_surface(cr, s, 0, 0);
      cairo_paint(cr);
      cairo_destroy(cr);
    }
    cairo_surface_flush(argb);
    picture.width = cairo_image_surface_get_width(argb);
    picture.height = cairo_image_surface_get_height(argb);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    const unsigned char* data = cairo_image_surface_get_data(argb);
    const int stride = cairo_image_surface_get_stride(argb);
    for (int y = 0; y < picture.height; ++y)
      std::memcpy(&picture.pixels[static_cast<std::size_t>(y) * picture.width], data + y * stride,
                  static_cast<std::size_t>(picture.width) * 4);
    if (argb != s) cairo_surface_destroy(argb);
  }
  cairo_surface_destroy(s);
  return picture;
}

}  // namespace qeltest
