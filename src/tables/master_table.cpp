#include "tables/master_table.h"

#include <climits>
#include <cstdlib>
#include <cstring>

_MASTERTABLE* MasterTable_Bgn_Ptr = nullptr;
int NumMasterTable = 0;

namespace {
int g_users = 0;
int g_unitsMetric = 0;
bool g_plankMode = false;
bool g_failureRemembered = false;
char g_lastFailedModel[MAX_PATH] = {};
}  // namespace

int GrowMasterTableIfNeeded(void** table, int needed, int* capacity) {
  if (!table || !capacity) return 0;
  if (needed <= *capacity) return 1;
  if (needed > INT_MAX - 50) return 0;
  const int newCapacity = needed + 50;
  const int old = *capacity < 0 ? 0 : *capacity;
  void* grown = std::realloc(*table, static_cast<std::size_t>(newCapacity) * sizeof(_MASTERTABLE));
  if (!grown) return 0;
  std::memset(static_cast<_MASTERTABLE*>(grown) + old, 0,
              static_cast<std::size_t>(newCapacity - old) * sizeof(_MASTERTABLE));
  *table = grown;
  *capacity = newCapacity;
  return 1;
}

int DeleteMasterSteelTable() {
  if (NumMasterTable > 0) {
    if (--g_users > 0) return 1;
    g_users = 0;
    std::free(MasterTable_Bgn_Ptr);
  } else if (g_users <= 0) {
    // No user and no record: nothing anyone could still be reading.
    std::free(MasterTable_Bgn_Ptr);
  }
  MasterTable_Bgn_Ptr = nullptr;
  NumMasterTable = 0;
  return 1;
}

void SetDBIO_PlankMode() { g_plankMode = true; }

namespace qel {

int& MasterTableUsers() { return g_users; }
int& MasterTableUnitsMetric() { return g_unitsMetric; }
bool PlankMode() { return g_plankMode; }
bool& MasterTableFailureRemembered() { return g_failureRemembered; }
char* LastFailedModelPath() { return g_lastFailedModel; }

void ResetMasterTable() {
  std::free(MasterTable_Bgn_Ptr);
  MasterTable_Bgn_Ptr = nullptr;
  NumMasterTable = 0;
  g_users = 0;
  g_unitsMetric = 0;
  g_failureRemembered = false;
  g_lastFailedModel[0] = '\0';
}

}  // namespace qel
