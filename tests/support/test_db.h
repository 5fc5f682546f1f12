// CDBIO with the protected primitives the dbio tests drive directly opened to them.
#pragma once

#include "dbio/dbio.h"

namespace qeltest {

class TestDB : public CDBIO {
 public:
  using CDBIO::CDBIO;
  using CDBIO::GetVersionedRecordSize;
  using CDBIO::InitBeamZs;
  using CDBIO::IsPointOnFoundation;
  using CDBIO::ReadDB;
  using CDBIO::ReadVersionedTable;
  using CDBIO::WriteDB;
};

}  // namespace qeltest
