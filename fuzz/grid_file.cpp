// Loads arbitrary bytes as a grid-system file and exercises the loaded systems' geometry.
#include "geom/grid_file.h"

#include <cstddef>
#include <cstdint>

#include "platform/cmemfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CMemFile file(data, static_cast<UINT>(size));
  CArray<CGridSys, CGridSys&> systems;
  try {
    CArchive ar(&file, CArchive::load);
    qel::LoadGridSystems(ar, systems);
  } catch (const CArchiveException&) {
    return 0;
  } catch (const CFileException&) {
    return 0;
  }
  // Whatever loads must also be safe to query, however odd its numbers. The queries are
  // quadratic in the grid count, so only small systems go on.
  for (CGridSys& s : systems) {
    if (s.m_aXGrids.GetSize() * s.m_aYGrids.GetSize() > 4096) continue;
    s.m_bIncludeAll = 1;
    s.GetGridLinesEx();
    _POINT2D lo, hi, p{0, 0};
    s.GetMinMax(&lo, &hi);
    CString xl, yl, name;
    s.GetGridLabelFromPoint(&p, xl, yl, name, 0.01);
    _LINE2D line;
    s.FindClosestGridLine(p, line);
    CArray<CPoint, CPoint const&> pairs;
    s.GetGridPointsInFence(_RECT2D{-100, -100, 200, 200}, pairs);
  }
  return 0;
}
