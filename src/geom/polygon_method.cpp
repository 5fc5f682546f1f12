// The intersection method chosen in the settings file: 1 runs the vertex-linking engine first,
// anything else the clipping engine first.
#include "geom/polygon_lib.h"
#include "mdf/settings.h"

namespace qel::geom {

int PolygonIntMethod() {
  // Read once per process; a function-local static is initialised exactly once even when two
  // threads arrive together.
  static const int method = static_cast<int>(QelGetProfileInt("TESTING", "PolygonIntMethod", 0));
  return method;
}

}  // namespace qel::geom
