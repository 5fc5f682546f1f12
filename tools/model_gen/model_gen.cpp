#include "model_gen.h"

#include <algorithm>
#include <memory>

#include "mdf/cqelmdf.h"
#include "platform/ctime.h"

namespace qelgen {
namespace {

// Every part of the building, in the order it is planned and written. A table family adds its
// step here.
const std::vector<Step> kSteps = {
    {"grid system", PlanGrid},
    {"stories, floor types and members", WriteFrame},
};

}  // namespace

const std::vector<Step>& Steps() { return kSteps; }

double Context::Uniform(double lo, double hi) {
  return lo + (hi - lo) * (static_cast<double>(rng()) / 4294967296.0);
}

void Context::Wrote(const std::string& ext) {
  if (std::find(written.begin(), written.end(), ext) == written.end()) written.push_back(ext);
}

bool Generate(const std::string& base, const Options& options, std::vector<std::string>& written,
              std::string& error) {
  auto mdf = std::make_unique<SMDF>();
  CQelMDF defaults(options.units, mdf.get());
  defaults.FileNewInit(options.units, options.job.c_str());
  qel::StampMdf(mdf.get(), CTime::GetCurrentTime());

  GeneratorDB db(CString(base.c_str()), mdf.get());
  Context ctx{db, *mdf, options, std::mt19937(options.seed), {}, {}};
  bool ok = true;
  for (const Step& step : kSteps) {
    if (!step.run(ctx, error)) {
      error = std::string(step.name) + ": " + error;
      ok = false;
      break;
    }
  }
  if (ok) {
    if (db.WriteMdf(mdf.get()))
      ctx.Wrote("qel");
    else {
      error = "cannot write " + base + ".qel";
      ok = false;
    }
  }
  written = ctx.written;
  return ok;
}

}  // namespace qelgen
