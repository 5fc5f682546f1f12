// Construction, copying, comparison and the stored form of CGrid and CGridSys.
#include "geom/grid_sys.h"

#include <cmath>

namespace {

// Two grid values closer than this are the same position.
constexpr double kGridValueTol = 0.001;

bool Near(double a, double b) { return !(std::fabs(a - b) > kGridValueTol); }

}  // namespace

// ---- CGrid ----------------------------------------------------------------------------------

CGrid::CGrid(int id, CString const& label, double location, double minExtent, double maxExtent,
             int hasMin, int hasMax, int bubbleStart, int bubbleEnd, int auxFlag)
    : m_nId(id),
      m_strLabel(label),
      m_dLocation(location),
      m_dMinExtent(minExtent),
      m_dMaxExtent(maxExtent),
      m_bHasMinExtent(hasMin),
      m_bHasMaxExtent(hasMax),
      m_bBubbleAtStart(bubbleStart),
      m_bBubbleAtEnd(bubbleEnd),
      m_nAuxFlag(auxFlag) {}

CGrid::CGrid(CGrid const& other) { *this = other; }

CGrid::CGrid(CGrid const* other) {
  if (other != nullptr) *this = *other;
}

CGrid& CGrid::operator=(CGrid const& other) {
  m_nId = other.m_nId;
  m_strLabel = other.m_strLabel;
  m_dLocation = other.m_dLocation;
  m_dMinExtent = other.m_dMinExtent;
  m_dMaxExtent = other.m_dMaxExtent;
  m_bHasMinExtent = other.m_bHasMinExtent;
  m_bHasMaxExtent = other.m_bHasMaxExtent;
  m_bBubbleAtStart = other.m_bBubbleAtStart;
  m_bBubbleAtEnd = other.m_bBubbleAtEnd;
  m_nAuxFlag = other.m_nAuxFlag;
  return *this;
}

bool CGrid::operator==(CGrid const& other) const {
  return m_nId == other.m_nId && m_strLabel == other.m_strLabel &&
         Near(m_dLocation, other.m_dLocation) && Near(m_dMinExtent, other.m_dMinExtent) &&
         Near(m_dMaxExtent, other.m_dMaxExtent) && m_bHasMinExtent == other.m_bHasMinExtent &&
         m_bHasMaxExtent == other.m_bHasMaxExtent && m_bBubbleAtStart == other.m_bBubbleAtStart &&
         m_bBubbleAtEnd == other.m_bBubbleAtEnd && m_nAuxFlag == other.m_nAuxFlag;
}

int CGrid::IsGridMoveChanged(CGrid const& other) const {
  return std::fabs(m_dLocation - other.m_dLocation) > kGridValueTol ? 1 : 0;
}

void CGrid::Save(CArchive& ar) const {
  ar << m_nId << m_strLabel << m_dLocation << m_dMinExtent << m_dMaxExtent << m_bHasMinExtent
     << m_bHasMaxExtent << m_bBubbleAtStart << m_bBubbleAtEnd << m_nAuxFlag;
}

void CGrid::Load(CArchive& ar) {
  ar >> m_nId >> m_strLabel >> m_dLocation >> m_dMinExtent >> m_dMaxExtent >> m_bHasMinExtent >>
      m_bHasMaxExtent >> m_bBubbleAtStart >> m_bBubbleAtEnd >> m_nAuxFlag;
}

// ---- CGridSys -------------------------------------------------------------------------------

CGridSys::CGridSys(int id, CString const& name, GRID_SYS_TYPE_ type, double x, double y,
                   double angle, int auxValue1)
    : m_nId(id),
      m_strName(name),
      m_eType(type),
      m_dOriginX(x),
      m_dOriginY(y),
      m_dAngle(angle),
      m_nAuxValue1(auxValue1) {}

CGridSys::CGridSys(CGridSys const& other) { *this = other; }

CGridSys& CGridSys::operator=(CGridSys const& other) {
  if (this == &other) return *this;
  m_nId = other.m_nId;
  m_strName = other.m_strName;
  m_eType = other.m_eType;
  m_dOriginX = other.m_dOriginX;
  m_dOriginY = other.m_dOriginY;
  m_dAngle = other.m_dAngle;
  m_nAuxValue1 = other.m_nAuxValue1;
  m_nAuxValue2 = other.m_nAuxValue2;
  m_nAuxValue3 = other.m_nAuxValue3;
  for (const CGrid& g : other.m_aXGrids) {
    CGrid copy(g);
    m_aXGrids.Add(copy);
  }
  for (const CGrid& g : other.m_aYGrids) {
    CGrid copy(g);
    m_aYGrids.Add(copy);
  }
  m_nX = other.m_nX;
  m_nY = other.m_nY;
  return *this;
}

void CGridSys::Save(CArchive& ar) {
  // Refuse before anything is written: a record that cannot be loaded back must not be stored.
  if (ar.IsLoading()) throw CArchiveException(CArchiveException::readOnly);
  m_nX = m_aXGrids.GetSize();
  m_nY = m_aYGrids.GetSize();
  ar << m_nId << m_strName << static_cast<std::int32_t>(m_eType) << m_dOriginX << m_dOriginY
     << m_dAngle << m_nAuxValue1 << m_nAuxValue2 << m_nAuxValue3 << m_nX << m_nY;
  for (const CGrid& g : m_aXGrids) g.Save(ar);
  for (const CGrid& g : m_aYGrids) g.Save(ar);
}

void CGridSys::Load(CArchive& ar) {
  std::int32_t type = 0;
  ar >> m_nId >> m_strName >> type >> m_dOriginX >> m_dOriginY >> m_dAngle >> m_nAuxValue1 >>
      m_nAuxValue2 >> m_nAuxValue3;
  m_eType = static_cast<GRID_SYS_TYPE_>(type);
  m_nX = qel::ReadBoundedCount(ar, CGrid::kMinStoredBytes);
  m_nY = qel::ReadBoundedCount(ar, CGrid::kMinStoredBytes);
  for (int i = 0; i < m_nX; ++i) {
    CGrid fresh;
    m_aXGrids.Add(fresh);
    m_aXGrids.ElementAt(i).Load(ar);
  }
  for (int j = 0; j < m_nY; ++j) {
    CGrid fresh;
    m_aYGrids.Add(fresh);
    m_aYGrids.ElementAt(j).Load(ar);
  }
}
