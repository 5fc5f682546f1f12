// The intersection method: 1 runs the vertex-linking engine first, anything else the clipping
// engine first. By default it is the settings file's choice, read once per process through the
// platform's setting source (the settings layer installs it); a host or a test may set it.
#include <mutex>
#include <optional>

#include "geom/polygon_lib.h"
#include "platform/setting_source.h"

namespace qel::geom {

namespace {

std::mutex g_lock;
std::optional<int> g_method;  // empty until read or set

}  // namespace

int PolygonIntMethod() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!g_method) g_method = ReadSettingInt("TESTING", "PolygonIntMethod", 0);
  return *g_method;
}

void SetPolygonIntMethod(int method) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_method = method;
}

void ResetPolygonIntMethod() {
  std::lock_guard<std::mutex> guard(g_lock);
  g_method.reset();
}

}  // namespace qel::geom
