// Plans a person can look at: a model's grid systems, drawn by the library's own grid drawing,
// and a story's members over them, fitted into a picture with a title, written as SVG or PNG.
#pragma once

#include <string>
#include <vector>

#include "geom/geom_types.h"
#include "geom/grid_sys.h"

namespace qeldb {

class ModelSource;

// Reads MODEL.grs for a command from the model's folder or archive (an opened source,
// model_source.h): false, after failing with kExitUsage, when the file is missing, a folder or not
// a valid grid-system file; bytes after the last system are reported as a warning.
bool ReadModelGrids(ModelSource& source, CArray<CGridSys, CGridSys&>& systems);

// Members of one story in plan coordinates.
struct PlanMembers {
  std::vector<_LINE2D> beams;
  std::vector<_LINE2D> walls;
  std::vector<_POINT2D> columns;
};

struct PlanStyle {
  int width = 1200;      // pixels
  bool bubbles = true;   // draw the grids' bubbles
  double textScale = 0;  // the grid drawing's text scale (0: default size)
  std::string title;     // drawn across the top
};

// The picture limits the command line enforces.
constexpr int kMinPlanWidth = 200;
constexpr int kMaxPlanWidth = 8000;
constexpr double kMaxTextScale = 5;

// The SVG document of the plan. False with a message when there is nothing to draw or the picture
// is too narrow for the text scale.
bool DrawPlan(const CArray<CGridSys, CGridSys&>& systems, const PlanMembers& members,
              const PlanStyle& style, std::string* svg, std::string* error);

// Writes the document to `path`: as PNG when the name ends in ".png", as SVG when it ends in
// ".svg" (any case), through a temporary file and a rename. An existing file is replaced only
// with `force`. Returns an exit code of command.h and prints the failure.
int WritePicture(const std::string& path, const std::string& svg, bool force);

// The model's name as a person calls it: the database name without its folder.
std::string ModelDisplayName(const std::string& base);

// Whether `path` names a picture WritePicture can write.
bool IsPictureName(const std::string& path);

}  // namespace qeldb
