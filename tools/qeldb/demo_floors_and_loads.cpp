#include "demo_floors_and_loads.h"

#include <cstring>
#include <vector>

#include "dbio/dbio.h"
#include "mdf/smdf.h"
#include "platform/cfile.h"
#include "platform/file_system.h"

namespace qeldb {
namespace {

SDECKPROP Composite(const char* name, const char* display) {
  SDECKPROP p = {};
  qel::CopyFixedText(p.szName, sizeof p.szName, name);
  qel::CopyFixedText(p.szDisplayName, sizeof p.szDisplayName, display);
  for (double& f : p.adFactor) f = 1.0;
  return p;
}

template <class Record>
Record Named(const char* name) {
  Record r = {};
  qel::CopyFixedText(r.szName, sizeof r.szName, name);
  for (double& f : r.adFactor) f = 1.0;
  return r;
}

SDECKS Deck(int kind, int property) {
  SDECKS d = {};
  d.nDeckKind = kind;
  d.nDeckPropIndex = property;
  return d;
}

_LOADCOMBO Combo(std::vector<int> cases) {
  _LOADCOMBO c = {};
  c.nLoadCases = static_cast<int>(cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) c.anLoadCase[i] = cases[i];
  return c;
}

SDEFLCRIT Triple(double dead, double live, double net) { return SDEFLCRIT{dead, live, net}; }

SSTEELDEFLCRIT Steel(const char* name, double live, double total, double absLive, double absNet) {
  SSTEELDEFLCRIT c = {};
  qel::CopyFixedText(c.szName, sizeof c.szName, name);
  c.Ratio = {0, live, total, total, Triple(0, live, total), Triple(0, live, total)};
  c.Abs = {0, absLive, absNet, absNet, Triple(0, absLive, absNet), Triple(0, absLive, absNet)};
  return c;
}

// Tables the library reads but never writes are written here as they lie on disk: records of
// the stored size, whose fields belong to the suite's programs (left zero).
bool WriteBlocks(const std::string& path, std::size_t bytes) {
  std::vector<unsigned char> zeros(bytes, 0);
  CFile file;
  if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
    return false;
  try {
    file.Write(zeros.data(), static_cast<UINT>(zeros.size()));
    file.Close();
  } catch (const CFileException&) {
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> DemoFloorsAndLoadsExtensions() {
  return {"dpt", "ndp", "cdp", "dec", "lca", "lpt", "lod", kDemoComboExt, "sdc", "cdc"};
}

bool WriteDemoFloorsAndLoads(const std::string& base, SMDF& mdf, std::string& error) {
  // The writers below that do not truncate would keep records of an older, longer table.
  for (const std::string& ext : DemoFloorsAndLoadsExtensions())
    DeleteFileA((base + "." + ext).c_str());

  CDBIO db(CString(base.c_str()), &mdf);
  SDECKPROP composite[] = {Composite("3VLI18", "3VLI18 normal weight"),
                           Composite("2VLI20", "2VLI20 light weight")};
  SNONCOMPDECKPROP metal[] = {Named<SNONCOMPDECKPROP>("1.5B22")};
  SCONCDECKPROP slab[] = {Named<SCONCDECKPROP>("Slab 8in")};
  // Office floors on composite deck, the roof on the lighter deck, a mechanical platform on bare
  // metal deck and the ground floor slab.
  SDECKS decks[] = {Deck(0, 0), Deck(0, 0), Deck(0, 1), Deck(1, 0), Deck(2, 0)};
  _LOADCOMBO combos[] = {Combo({0}), Combo({0, 1}), Combo({0, 1, 2})};
  SSTEELDEFLCRIT steel[] = {Steel("Default", 360, 240, 1.0, 1.5),
                            Steel("Floors", 480, 360, 0.75, 1.0)};
  SCONCDEFLCRIT concrete[1] = {};
  qel::CopyFixedText(concrete[0].szName, sizeof concrete[0].szName, "Default");
  concrete[0].Ratio = {0, 360, 0, 240};
  concrete[0].Abs = {0, 0.5, 0, 1.0};
  std::vector<_LOADCASE> cases(3);
  std::memset(cases.data(), 0, cases.size() * sizeof(_LOADCASE));

  const int n = static_cast<int>(std::size(decks));
  const bool ok = db.WriteDeckProp(composite, 2, 0, 1) && db.WriteNonCompDeckProp(metal, 1, 0, 1) &&
                  db.WriteConcDeckProp(slab, 1, 0, 1) && db.WriteDeckData(decks, n, 0, 1) &&
                  db.WriteSteelDeflCrit(steel, 2) && db.WriteConcDeflCrit(concrete, 1) &&
                  WriteBlocks(base + ".lpt", 2 * sizeof(SLOADPROP)) &&
                  WriteBlocks(base + ".lod", 4 * sizeof(SLOADS));
  if (!ok) {
    error = "cannot write the floor and load tables of " + base;
    return false;
  }
  // These writers report nothing; what they wrote is checked by counting it.
  db.WriteLoadCases(cases.data(), 3, 0);
  db.WriteLoadCombos(kDemoComboExt, combos, 3);
  bool written = false;
  try {
    written = db.GetRecordCount("lca", sizeof(_LOADCASE)) == 3 &&
              db.GetRecordCount(kDemoComboExt, sizeof(_LOADCOMBO)) == 3;
  } catch (const CFileException&) {
  }
  if (!written) {
    error = "cannot write the load cases and combinations of " + base;
    return false;
  }

  mdf.NumDeckProps = 2;
  mdf.NumLoadCases = 3;
  mdf.NumLoadCombos = 3;
  mdf.nSteelDeflCrit = 2;
  mdf.nConcDeflCrit = 1;
  return true;
}

}  // namespace qeldb
