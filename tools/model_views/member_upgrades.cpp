// The member tables in the table-upgrade registry.
#include "table_upgrades.h"

namespace qeldb {
namespace {

const bool registered = [] {
  RegisterTableUpgrade(
      {"c3d", 10, [](CDBIO& db, unsigned long s) { return db.GetColRecordSize(s); },
       [](CDBIO& db, void* r, int n) { return db.ReadCol3DData(As<_COL3D>(r), n, 0) == 1; },
       [](CDBIO& db, void* r, int n) { return db.WriteCol3DData(As<_COL3D>(r), n, 0, 1) == 1; }});
  RegisterTableUpgrade(
      {"w3d", 10, [](CDBIO& db, unsigned long s) { return db.GetWallRecordSize(s); },
       [](CDBIO& db, void* r, int n) { return db.ReadWall3DData(As<_WALL3D>(r), n, 0); },
       [](CDBIO& db, void* r, int n) { return db.WriteWall3DData(As<_WALL3D>(r), n, 0, 1) == 1; }});
  RegisterTableUpgrade(
      {"bfe", 10, [](CDBIO& db, unsigned long s) { return db.GetBeamFERecordSize(s); },
       [](CDBIO& db, void* r, int n) { return db.ReadBeamFEs(As<_BEAMFE>(r), n, 0) == 1; },
       [](CDBIO& db, void* r, int n) { return db.WriteBeamFEs(As<_BEAMFE>(r), n, 0, 1) == 1; }});
  // The index is written from record 0 without truncating: its records only grow, so the
  // converted table covers the old file.
  RegisterTableUpgrade({"cli", 10,
                        [](CDBIO& db, unsigned long s) { return db.GetColLineIndexRecordSize(s); },
                        [](CDBIO& db, void* r, int n) {
                          return db.ReadColLineIndex(As<COLLINEINDEXSTRUCT>(r), n) == 1;
                        },
                        [](CDBIO& db, void* r, int n) {
                          return db.WriteColLineIndex(As<COLLINEINDEXSTRUCT>(r), n) == 1;
                        }});
  RegisterTableUpgrade(
      {"b3d", 100, [](CDBIO& db, unsigned long s) { return db.GetBeamRecordSize(s); },
       [](CDBIO& db, void* r, int n) { return db.ReadBeam3DData(As<_BEAM3D>(r), n, 0) == 1; },
       [](CDBIO& db, void* r, int n) { return db.WriteBeam3DData(As<_BEAM3D>(r), n, 0, 1) == 1; }});
  return true;
}();

}  // namespace
}  // namespace qeldb
