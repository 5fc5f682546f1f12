#include "svg_raster.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace qeldb {
namespace {

struct GObjectUnref {
  void operator()(void* p) const { g_object_unref(p); }
};
struct SurfaceDestroy {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDestroy {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;

std::string Take(GError* e, const char* what) {
  std::string message = std::string(what) + (e != nullptr ? std::string(": ") + e->message : "");
  if (e != nullptr) g_error_free(e);
  return message;
}

}  // namespace

bool RenderSvg(const std::string& svg, Raster* out, std::string* error) {
  GError* e = nullptr;
  std::unique_ptr<RsvgHandle, GObjectUnref> handle(
      rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &e));
  if (!handle) {
    *error = Take(e, "cannot read the SVG document");
    return false;
  }
  double w = 0, h = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &w, &h) || !(w >= 1) || !(h >= 1)) {
    *error = "the SVG document has no size in pixels";
    return false;
  }
  const std::int64_t width = std::llround(std::ceil(w)), height = std::llround(std::ceil(h));
  if (width * height > kMaxRasterPixels) {
    *error = "the picture would be too large (" + std::to_string(width) + " x " +
             std::to_string(height) + " pixels)";
    return false;
  }
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width),
                                             static_cast<int>(height)));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    *error = "cannot make a picture of that size";
    return false;
  }
  {
    std::unique_ptr<cairo_t, ContextDestroy> cr(cairo_create(surface.get()));
    const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
    if (!rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &e)) {
      *error = Take(e, "cannot render the SVG document");
      return false;
    }
  }
  cairo_surface_flush(surface.get());
  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  out->pixels.resize(static_cast<std::size_t>(width * height));
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < out->height; ++y)
    std::memcpy(&out->pixels[static_cast<std::size_t>(y) * out->width], data + y * stride,
                static_cast<std::size_t>(out->width) * 4);
  return true;
}

bool EncodePng(const Raster& raster, std::vector<unsigned char>* png, std::string* error) {
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, raster.width);
  if (raster.width <= 0 || raster.height <= 0 || stride != raster.width * 4 ||
      raster.pixels.size() != static_cast<std::size_t>(raster.width) * raster.height) {
    *error = "no picture to encode";
    return false;
  }
  // cairo only reads the pixels; the cast does not let it change them.
  Surface surface(cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(raster.pixels.data())),
      CAIRO_FORMAT_ARGB32, raster.width, raster.height, stride));
  png->clear();
  auto append = [](void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
  };
  if (cairo_surface_write_to_png_stream(surface.get(), append, png) != CAIRO_STATUS_SUCCESS) {
    *error = "cannot encode the picture as PNG";
    return false;
  }
  return true;
}

}  // namespace qeldb
