// Fuzz target for the story, floor-type and member readers: arbitrary bytes become a model's
// files, with arbitrary master-data counts, and every reader of those tables runs over them --
// stories and floor types with their member arrays, the foundation walls, whole and partial reads
// of every versioned member table (old stamps convert, and may rewrite, the files) and the beam
// elevations. Counts and indexes from the files are absurd as often as not: the readers must
// refuse them without reading past a buffer or allocating what the files do not hold.
//
// Input: int32 NumStories, int32 NumFlrTypes, int32 start record, then for each file in kFiles a
// uint16 length and that many bytes (cut short where the input ends).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "dbio/versioned_table.h"
#include "mdf/smdf.h"

namespace {

class FuzzDB : public CDBIO {
 public:
  using CDBIO::CDBIO;
  using CDBIO::InitBeamZs;
};

const char* const kFiles[] = {"sty", "flt", "b3d", "c3d", "w3d", "r3d", "ftg", "bfe", "cli", "cln"};

const std::string& Base() {
  static const std::string base =
      (std::filesystem::temp_directory_path() /
       ("fuzz_story_members." +
        std::to_string(std::hash<std::string>{}(std::filesystem::current_path().string()))))
          .string();
  return base;
}

struct Input {
  const std::uint8_t* p;
  std::size_t left;
  std::uint32_t U32() {
    std::uint32_t v = 0;
    const std::size_t n = std::min<std::size_t>(4, left);
    std::memcpy(&v, p, n);
    p += n;
    left -= n;
    return v;
  }
  std::vector<char> Bytes() {
    std::uint16_t len = 0;
    const std::size_t n = std::min<std::size_t>(2, left);
    std::memcpy(&len, p, n);
    p += n;
    left -= n;
    const std::size_t take = std::min<std::size_t>(len, left);
    std::vector<char> out(p, p + take);
    p += take;
    left -= take;
    return out;
  }
};

// Records of the table at its file's layout (bounded by the file's size).
int Records(CDBIO& db, const char* ext, int size) {
  if (size <= 0) return 0;
  return std::max(db.GetRecordCount(ext, size), 0);
}

void ReadEverything(FuzzDB& db, int start) {
  const int nStories = Records(db, "sty", 336), nFloors = Records(db, "flt", 472);
  std::vector<SSTORY> stories(static_cast<std::size_t>(nStories));
  db.ReadStoryDataWith3DGeom(stories.data(), nStories, 0);
  db.FindFoundationGravityWalls(stories.data(), nStories);
  db.CleanStory(stories.data(), nStories);
  std::vector<SFLRTYPE> floors(static_cast<std::size_t>(nFloors));
  db.ReadFloorDataWith3DGeom(floors.data(), nFloors, 0);
  db.CleanFloor(floors.data(), nFloors);

  // Every versioned table whole, then from `start` (a partial read converts old files).
  const int nb = Records(db, "b3d", db.GetBeamRecordSize(qel::kStampOfFile));
  std::vector<_BEAM3D> beams(static_cast<std::size_t>(nb));
  db.ReadBeam3DData(beams.data(), nb, 0);
  const int nc = Records(db, "c3d", db.GetColRecordSize(qel::kStampOfFile));
  std::vector<_COL3D> columns(static_cast<std::size_t>(nc));
  db.ReadCol3DData(columns.data(), nc, 0);
  const int nw = Records(db, "w3d", db.GetWallRecordSize(qel::kStampOfFile));
  std::vector<_WALL3D> walls(static_cast<std::size_t>(nw));
  db.ReadWall3DData(walls.data(), nw, 0);
  const int nf = Records(db, "bfe", db.GetBeamFERecordSize(qel::kStampOfFile));
  std::vector<_BEAMFE> fes(static_cast<std::size_t>(nf));
  db.ReadBeamFEs(fes.data(), nf, 0);
  const int ni = Records(db, "cli", db.GetColLineIndexRecordSize(qel::kStampOfFile));
  std::vector<COLLINEINDEXSTRUCT> index(static_cast<std::size_t>(ni));
  db.ReadColLineIndex(index.data(), ni);
  if (start >= 0 && start < nb) db.ReadBeam3DData(beams.data(), std::min(2, nb - start), start);
  if (start >= 0 && start < nc) db.ReadCol3DData(columns.data(), std::min(2, nc - start), start);
  if (start >= 0 && start < nw) db.ReadWall3DData(walls.data(), std::min(2, nw - start), start);
  if (start >= 0 && start < nf) db.ReadBeamFEs(fes.data(), std::min(2, nf - start), start);
  COLLINESTRUCT lines[4];
  db.ReadColLine(lines, 4, start);
  db.InitBeamZs();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  auto mdf = std::make_unique<SMDF>();
  mdf->NumStories = static_cast<std::int32_t>(in.U32());
  mdf->NumFlrTypes = static_cast<std::int32_t>(in.U32());
  const int start = static_cast<std::int32_t>(in.U32());
  for (const char* ext : kFiles) {
    const std::vector<char> bytes = in.Bytes();
    std::ofstream(Base() + "." + ext, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  FuzzDB db(CString(Base()), mdf.get());
  ReadEverything(db, start);

  // The same readers with the whole input standing for every table.
  std::vector<unsigned char> memory(data, data + size);
  db.SetMemoryReadBuffer(&memory);
  ReadEverything(db, start);
  return 0;
}
