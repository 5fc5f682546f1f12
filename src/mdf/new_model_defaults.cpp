// The defaults a master data file is read over, computed once per unit system and settings file
// contents (see master_data_file.h).
#include <memory>
#include <mutex>

#include "mdf/cqelmdf.h"
#include "mdf/defaults_reader_internal.h"
#include "mdf/master_data_file.h"

namespace qel {

namespace {

struct CachedDefaults {
  std::uint64_t contentId = 0;
  std::unique_ptr<SMDF> record;  // null until first computed
};

struct DefaultsCache {
  std::mutex lock;
  CachedDefaults bySystem[3];
};

DefaultsCache& Cache() {
  static DefaultsCache cache;
  return cache;
}

void Compute(SMDF& mdf, int units) {
  CQelMDF defaults(units, &mdf);
  defaults.SetUnits(units);
  defaults.FileNewInit(units, "");
}

}  // namespace

void FillNewModelDefaults(SMDF& mdf, int units) {
  // One logical read of the settings file, shared with FileNewInit when it runs below.
  const DefaultsReadBatch batch;
  const ProfileSnapshot* settings = batch.Snapshot();
  if (settings == nullptr || units < 0 || units > 2) {
    Compute(mdf, units);  // an installed reader may answer differently every time
    return;
  }
  const std::uint64_t contentId = settings->ContentId();
  DefaultsCache& cache = Cache();
  {
    std::lock_guard<std::mutex> guard(cache.lock);
    CachedDefaults& c = cache.bySystem[units];
    if (c.record && c.contentId == contentId) {
      mdf = *c.record;
    } else {
      Compute(mdf, units);
      c.record = std::make_unique<SMDF>(mdf);
      c.contentId = contentId;
      return;  // made just now: date, time, identity and table stamps are fresh
    }
  }
  CQelMDF fresh(units, &mdf);
  fresh.SetMDFTableTimeStamps();
  fresh.GetTimeStamp();
  fresh.SetModelID();
}

}  // namespace qel
