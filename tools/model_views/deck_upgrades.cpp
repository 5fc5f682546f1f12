// The deck and deck property tables in the table-upgrade registry. Nothing of theirs depends on
// the member tables or the other way round; they come after the members.
#include "table_upgrades.h"

namespace qeldb {
namespace {

const bool registered = [] {
  RegisterTableUpgrade(
      {"dec", 200, [](CDBIO& db, unsigned long s) { return db.GetDeckRecordSize(s); },
       [](CDBIO& db, void* r, int n) { return db.ReadDeckData(As<SDECKS>(r), n, 0); },
       [](CDBIO& db, void* r, int n) { return db.WriteDeckData(As<SDECKS>(r), n, 0, 1) == 1; }});
  RegisterTableUpgrade(
      {"dpt", 200, [](CDBIO& db, unsigned long s) { return db.GetDeckPropRecordSize(s); },
       [](CDBIO& db, void* r, int n) { return db.ReadDeckProp(As<SDECKPROP>(r), n, 0) == 1; },
       [](CDBIO& db, void* r, int n) { return db.WriteDeckProp(As<SDECKPROP>(r), n, 0, 1) == 1; }});
  RegisterTableUpgrade({"cdp", 200,
                        [](CDBIO& db, unsigned long s) { return db.GetConcDeckPropRecordSize(s); },
                        [](CDBIO& db, void* r, int n) {
                          return db.ReadConcDeckProp(As<SCONCDECKPROP>(r), n, 0) == 1;
                        },
                        [](CDBIO& db, void* r, int n) {
                          return db.WriteConcDeckProp(As<SCONCDECKPROP>(r), n, 0, 1) == 1;
                        }});
  RegisterTableUpgrade(
      {"ndp", 200, [](CDBIO& db, unsigned long s) { return db.GetNonCompDeckPropRecordSize(s); },
       [](CDBIO& db, void* r, int n) {
         return db.ReadNonCompDeckProp(As<SNONCOMPDECKPROP>(r), n, 0) == 1;
       },
       [](CDBIO& db, void* r, int n) {
         return db.WriteNonCompDeckProp(As<SNONCOMPDECKPROP>(r), n, 0, 1) == 1;
       }});
  return true;
}();

}  // namespace
}  // namespace qeldb
