// qeldb demo-grids MODEL: writes MODEL.grs with one orthogonal and one radial grid system, so
// the demo (and anyone trying the tool) has a grid-system file to look at.
#include <memory>
#include <string>

#include "command.h"
#include "geom/grid_file.h"
#include "geom/grid_sys.h"
#include "model_name.h"
#include "platform/cfile.h"

namespace {

// A grid whose line runs between the other family's first and last grids, bubbles at both ends.
CGrid Line(int id, const char* label, double location) {
  return CGrid(id, label, location, 0, 0, 0, 0, 1, 1, 0);
}

struct Options {
  std::string model;
  bool force = false;
};

void Run(const Options& opt) {
  const std::string path = qeldb::ModelBase(opt.model) + ".grs";
  if (qeldb::RefuseDirectory(path, "a grid-system file") || !qeldb::CheckFolderWritable(path))
    return;
  CFileStatus status;
  if (!opt.force && CFile::GetStatus(path.c_str(), status)) {
    qeldb::Fail(qeldb::kExitUsage, path + " already exists (use --force to replace it)");
    return;
  }
  CArray<CGridSys, CGridSys&> systems;

  // Bays of 20 ft by 25 ft (model units are inches); grid D stops short of grid 3.
  CGridSys main(1, "Main", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  const char* xLabels[] = {"A", "B", "C", "D"};
  for (int i = 0; i < 4; ++i) {
    CGrid g = Line(i + 1, xLabels[i], 240.0 * i);
    if (i == 3) {
      g.m_bHasMaxExtent = 1;
      g.m_dMaxExtent = 450;
    }
    main.m_aXGrids.Add(g);
  }
  for (int j = 0; j < 3; ++j) {
    CGrid g = Line(j + 1, std::to_string(j + 1).c_str(), 300.0 * j);
    main.m_aYGrids.Add(g);
  }
  systems.Add(main);

  // A rotunda east of the main block: rays every 45 degrees over a half turn, three rings, the
  // outer one only over the first quarter.
  CGridSys rotunda(2, "Rotunda", GRID_SYS_RADIAL, 1200, 300, 15, 0);
  for (int i = 0; i < 5; ++i) {
    CGrid g = Line(i + 1, ("R" + std::to_string(i + 1)).c_str(), 45.0 * i);
    rotunda.m_aXGrids.Add(g);
  }
  for (int j = 0; j < 3; ++j) {
    CGrid g = Line(j + 1, ("C" + std::to_string(j + 1)).c_str(), 120.0 * (j + 1));
    if (j == 2) {
      g.m_bHasMinExtent = g.m_bHasMaxExtent = 1;
      g.m_dMinExtent = 0;
      g.m_dMaxExtent = 90;
    }
    rotunda.m_aYGrids.Add(g);
  }
  systems.Add(rotunda);

  CString error;
  if (!qel::WriteGridSysFile(path.c_str(), systems, &error)) {
    qeldb::Fail(qeldb::kExitFailed, error.str());
    return;
  }
  std::printf("wrote %s: %d grid systems\n", path.c_str(), systems.GetSize());
}

const bool registered = qeldb::RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("demo-grids",
                                     "Write MODEL.grs with a sample orthogonal and radial system");
  cmd->add_option("MODEL", opt->model, "the model: its base path, MODEL.grs or any file of it")
      ->required();
  cmd->add_flag("--force", opt->force, "replace an existing grid-system file");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
