// A synthetic building model, complete and consistent, generated from a seed: master data with
// the right counts, a grid system, stories and floor types, columns on the grid points, beams
// framing between them (girders on the grid lines, infill beams between the girders), walls and
// braces. `qeldb demo-model`, the tests and the benchmarks build their models with it.
//
// The generator is a list of steps run in order over one Context (model_gen.cpp, kSteps). A
// step plans its part of the building from what earlier steps planned (ctx.building), writes its
// files through the library, notes every file extension it wrote in ctx.written and sets the
// counts of its tables in ctx.mdf. The master data file is written last, once every step has set
// its counts. A table family adds its part by writing one step function (in a file of its own)
// and adding a line to kSteps.
//
// The building is consistent in the sense the readers expect: every story's and floor type's
// ranges are in the files, and every beam's stored elevations and lengths are those its supports
// give it (so recomputing them changes nothing beyond rounding). Beams may be written with an
// older stamp, in that stamp's shorter layout; beams older than 14.5.1 then lack the values the
// upgrade recomputes (support and link elevations are written as 0).
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "mdf/smdf.h"

namespace qelgen {

struct Options {
  int stories = 3;
  int beamsPerStory = 40;
  unsigned long beamStamp = 0x00110100;  // 17.1.0
  unsigned seed = 1;
  int units = 0;
  std::string job = "Demo building";
  // Called after each story is written (done, total); may be empty.
  std::function<void(int, int)> progress;
};

// What the steps planned, for the steps after them.
struct Building {
  std::vector<double> xs, ys;  // grid line positions (plan inches)
  struct Story {
    float elevation = 0;
    int floorType = 0;
    int firstBeam = 0, beams = 0, firstColumn = 0, columns = 0;
    int firstWall = 0, walls = 0, firstBrace = 0, braces = 0;
  };
  std::vector<Story> stories;
  int floorTypes = 0;
};

// CDBIO with the raw record primitives, which a generator of older layouts needs.
class GeneratorDB : public CDBIO {
 public:
  using CDBIO::CDBIO;
  using CDBIO::ReadDB;
  using CDBIO::WriteDB;
};

struct Context {
  GeneratorDB& db;
  SMDF& mdf;
  const Options& options;
  std::mt19937 rng;
  Building building;
  std::vector<std::string> written;  // extensions of the files written so far ("qel" included)

  // A value in [lo, hi) from the generator's own sequence (the same on every platform).
  double Uniform(double lo, double hi);
  void Wrote(const std::string& ext);
};

// One step: false with a message in `error` when it cannot do its part.
struct Step {
  const char* name;
  bool (*run)(Context& ctx, std::string& error);
};

// Generates the model "<base>.*" (existing files of those names are replaced). On failure the
// files written so far stay and `error` says what went wrong; `written` lists the extensions
// written either way.
bool Generate(const std::string& base, const Options& options, std::vector<std::string>& written,
              std::string& error);

// The steps, in the order they run.
const std::vector<Step>& Steps();

// ---- the steps of the frame (frame_step.cpp) ----
bool PlanGrid(Context& ctx, std::string& error);
bool WriteFrame(Context& ctx, std::string& error);

}  // namespace qelgen
