// Grid systems: the named sets of grid lines a building model is laid out on.
//
// A CGridSys is orthogonal (X grids are lines x = location, Y grids lines y = location, in the
// system's own frame) or radial (X grids are rays at an angle of `location` degrees, Y grids are
// circles of radius `location`), placed in plan at its origin and rotated counter-clockwise by its
// angle. The stored form (Save/Load) is the model's grid-system file format: little-endian fields
// in declaration order, strings in the archive's counted form, no padding and no version.
//
// Contract:
// - Save/Load pass CArchiveException (and the file's CFileException) through to the caller: a
//   truncated record raises endOfFile, a record count that the remaining bytes cannot hold raises
//   endOfFile before anything is allocated, a negative count raises badIndex.
// - The geometric queries (grid_sys_geom.cpp) never throw for bad indices except
//   IsRadialGridBetweenMinMax(int const&, int const&), whose index check is the array's own; they
//   answer 0 or nothing for a system of type 1.
// - Working values (drawIndex, marked, the result arrays, the drawing state) are never stored,
//   copied or compared.
// - DrawGridLines (grid_draw.cpp) draws on any CDC; it reports nothing, skips grids that give no
//   line, and leaves the context's alignment, brush, font and pen as it found them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "geom/geom_types.h"
#include "platform/carchive.h"
#include "platform/carray.h"
#include "platform/cdc.h"
#include "platform/crect.h"
#include "platform/cstring.h"

enum GRID_SYS_TYPE_ : std::int32_t {
  GRID_SYS_ORTHOGONAL = 0,
  GRID_SYS_RESERVED = 1,  // accepted, but gives no lines or points
  GRID_SYS_RADIAL = 2,
};

// Sizes of grid labels, in device units, for the suite's programs (the drawing here does not use
// them).
extern const int nGridLabelSize;
extern const int nGridLabelSizeC;

class CGrid {
 public:
  CGrid() = default;
  CGrid(int id, CString const& label, double location, double minExtent, double maxExtent,
        int hasMin, int hasMax, int bubbleStart, int bubbleEnd, int auxFlag);
  CGrid(CGrid const& other);
  explicit CGrid(CGrid const* other);
  virtual ~CGrid() = default;

  // Copies the stored fields; drawIndex and marked keep their values.
  CGrid& operator=(CGrid const& other);
  // Ids, labels (case-sensitive) and the five stored integers equal; doubles within 0.001.
  bool operator==(CGrid const& other) const;
  bool operator!=(CGrid const& other) const { return !(*this == other); }
  // Non-zero when the location moved by more than 0.001.
  int IsGridMoveChanged(CGrid const& other) const;

  void Save(CArchive& ar) const;
  void Load(CArchive& ar);

  // Stored fields, in stored order.
  std::int32_t m_nId = 0;
  CString m_strLabel;
  double m_dLocation = 0;  // orthogonal: offset; radial X: angle (deg); radial Y: radius
  double m_dMinExtent = 0;
  double m_dMaxExtent = 0;
  std::int32_t m_bHasMinExtent = 0;
  std::int32_t m_bHasMaxExtent = 0;
  std::int32_t m_bBubbleAtStart = 0;
  std::int32_t m_bBubbleAtEnd = 0;
  std::int32_t m_nAuxFlag = 0;  // kept for the suite's programs, not interpreted here

  // Working values.
  std::int32_t m_nDrawIndex = -1;
  std::int32_t m_bMarked = 0;  // taken by the Ex queries when the include-all switch is off

  // The smallest stored record: an empty label.
  static constexpr unsigned kMinStoredBytes = 4 + 1 + 3 * 8 + 5 * 4;
};

class CGridSys {
 public:
  CGridSys() = default;
  CGridSys(int id, CString const& name, GRID_SYS_TYPE_ type, double x, double y, double angle,
           int auxValue1);
  // A copy of the stored fields and grids, with fresh working values.
  CGridSys(CGridSys const& other);
  virtual ~CGridSys() = default;

  // Copies the stored fields and nX/nY, and appends copies of the other system's grids (the
  // target is expected empty, as after construction).
  CGridSys& operator=(CGridSys const& other);

  // Sets nX and nY from the arrays, then writes the record.
  void Save(CArchive& ar);
  // Reads a record; grids are loaded into positions 0, 1, ... of arrays grown one by one, so the
  // arrays are expected empty.
  void Load(CArchive& ar);

  // ---- Lines ------------------------------------------------------------------------------
  // Appends X lines, then Y lines, to xLines (labels alongside) and radial circles to arcs;
  // returns lines + arcs appended. clear != 0 empties the outputs and the own-extents list first.
  int GetGridLines(CArray<_LINE2D, _LINE2D&>& xLines, CStringArray& xLabels,
                   CArray<_ARC2D, _ARC2D&>& arcs, CStringArray& arcLabels, int clear);
  // Fills the member result arrays from the grids taken by the include-all switch or their
  // marked flag, recording each output's grid index; returns X lines + Y lines + arcs.
  int GetGridLinesEx();
  int GetXGridLinesEx();
  int GetYGridLinesEx();
  // 1 when X grid i used its own extents in the last plain line query.
  int IsGridXMM(int i) const;

  // ---- Points -----------------------------------------------------------------------------
  // 1 and the plan point where X grid i meets Y grid j; 0 when they do not meet or on bad input.
  int GetGridPoint(int i, int j, _POINT2D* pt) const;
  // The direction of the grid point's X grid in plan (degrees); 0 on bad input.
  int GetGridPointAngle(int i, int j, double* angle) const;
  int IsGridPointInFence(int i, int j, _RECT2D const& fence) const;
  int IsGridPointInFence(int i, int j, CRect const& fence) const;
  // Appends CPoint(i, j) for every grid point inside the fence (i outer, j inner); returns how
  // many were appended.
  int GetGridPointsInFence(_RECT2D const& fence, CArray<CPoint, CPoint const&>& out) const;
  int GetGridPointsInFence(CRect const& fence, CArray<CPoint, CPoint const&>& out) const;
  // Bounding box of the grid points and of the ends of lines with their own extents; 0 with the
  // outputs untouched when there are none.
  int GetMinMax(_POINT2D* min, _POINT2D* max) const;
  // Labels of the first grid point within tol of P (1); otherwise the labels become P's
  // coordinates in "%f" form (0). sysName is always the system's name.
  int GetGridLabelFromPoint(_POINT2D* P, CString& xLabel, CString& yLabel, CString& sysName,
                            double tol) const;

  // ---- Nearest lines ----------------------------------------------------------------------
  // dist on entry is the search limit (negative: none); 1 when a closer segment was found.
  static int FindClosestLine(_POINT2D const& P, CArray<_LINE2D, _LINE2D&> const& lines,
                             _LINE2D& out, double& dist);
  int FindClosestGridLine(_POINT2D const& P, _LINE2D& out, double& dist) const;
  int FindClosestGridLine(_POINT2D const& P, _LINE2D& out) const;

  // ---- Angles -----------------------------------------------------------------------------
  // 1 when radial line i lies within the angular span of circle j. Bad indices throw.
  int IsRadialGridBetweenMinMax(int const& i, int const& j) const;
  // angle brought into [from, from + 360) by whole turns.
  static double NormalizedAngle(double angle, double from);
  static int IsAngleBetweenMinMax(double const& angle, double const& min, double const& max);

  // ---- Drawing ----------------------------------------------------------------------------
  // Draws every X grid, then every Y grid, on dc: each line 10 device units longer than the grid
  // at both ends, radial circles as arcs, and a bubble with the grid's label 30 units beyond each
  // end that asks for one. Plan (x, y) maps to device (trunc((x - origin.x) * scale),
  // trunc((y - origin.y) * scale)); the caller's mapping mode orients it. textScale (when
  // |textScale| >= 0.001) scales the label font (16) and the bubble radius (20). With
  // drawBubbles set and a context that belongs to a window, a bubble outside the window's
  // client area less 20 units is moved to where its grid crosses that margin, nearest to it.
  void DrawGridLines(CDC* dc, CPoint& origin, double scale, int drawBubbles, double textScale);

  // Stored fields, in stored order.
  std::int32_t m_nId = 0;
  CString m_strName;
  GRID_SYS_TYPE_ m_eType = GRID_SYS_ORTHOGONAL;
  double m_dOriginX = 0;
  double m_dOriginY = 0;
  double m_dAngle = 0;  // degrees, counter-clockwise about the origin
  std::int32_t m_nAuxValue1 = 0;
  CArray<CGrid, CGrid&> m_aXGrids;
  std::int32_t m_nAuxValue2 = -1;
  std::int32_t m_nX = 0;  // X grids as last saved or loaded
  CArray<CGrid, CGrid&> m_aYGrids;
  std::int32_t m_nAuxValue3 = -1;
  std::int32_t m_nY = 0;

  // Working values.
  int m_bIncludeAll = 0;          // Ex queries: take every grid, not only marked ones
  CUIntArray m_aOwnExtentXGrids;  // X grids whose plain line used its own extents
  CArray<_LINE2D, _LINE2D&> m_aXLinesEx;
  CArray<_LINE2D, _LINE2D&> m_aYLinesEx;
  CArray<_ARC2D, _ARC2D&> m_aYArcsEx;
  CStringArray m_aXLabelsEx;
  CStringArray m_aYLabelsEx;  // for Y lines, then arcs
  CUIntArray m_aXIndexEx;     // grid index of each X line
  CUIntArray m_aYIndexEx;     // grid index of each Y line, then of each arc

  // Drawing state, held for the length of one DrawGridLines call.
  CDC* m_pDC = nullptr;
  CPoint m_ptDrawOrigin;  // plan point drawn at device (0, 0)
  double m_dDrawScale = 1;
  double m_dTextScale = 0;
  int m_bDrawBubbles = 0;
  CPen m_penBubble;
  CFont m_fontLabel;

  // The smallest stored record: an empty name and no grids.
  static constexpr unsigned kMinStoredBytes = 4 + 1 + 4 + 3 * 8 + 5 * 4;

 private:
  int GetXGridLines(CArray<_LINE2D, _LINE2D&>& lines, CStringArray& labels);
  int GetYGridLines(CArray<_LINE2D, _LINE2D&>& lines, CStringArray& labels,
                    CArray<_ARC2D, _ARC2D&>& arcs, CStringArray& arcLabels);
  int GetGridPointOrtho(CGrid const& x, CGrid const& y, _POINT2D* pt) const;
  int GetGridPointRadial(CGrid const& x, CGrid const& y, _POINT2D* pt) const;
  int IsRadialGridBetweenMinMax(CGrid const& x, CGrid const& y) const;
  // The plan point of the pair when the extents (widened by margin) and, for a radial system,
  // the circle's angular span admit it.
  int PairPoint(CGrid const& x, CGrid const& y, double margin, _POINT2D* pt) const;
  int IsSamePoint(_POINT2D* P, _POINT2D* Q, double tol) const;
  static _RECT2D Rect2dFromCRect(CRect const& rect);

  void DrawXGridLines();
  void DrawYGridLines();
  // Draws a straight grid from `from` to `to` along its own direction, overshoot and bubbles
  // included; at(t) is the plan point t along it.
  void DrawStraightGrid(CGrid* grid, double from, double to,
                        const std::function<_POINT2D(double)>& at);
  // Draws the bubbles the grid asks for at bubbleStart and bubbleEnd (plan points).
  void DrawGridLabels(CGrid* grid, _POINT2D lineStart, _POINT2D lineEnd, _POINT2D bubbleStart,
                      _POINT2D bubbleEnd);
  void DrawGridBubble(CPoint const& centre, CString const& label);    // device point
  void DrawGridBubble(_POINT2D const& centre, CString const& label);  // plan point
  // Keeps in *best the candidate nearest to reference (the first when *found is 0).
  void SetAltPointForBubble(_POINT2D& candidate, _POINT2D& reference, int* found, CPoint* best);
  // Where the grid crosses one edge of the visible margin (device units).
  using MarginCrossings = std::function<void(const _LINE2D& edge, std::vector<_POINT2D>& out)>;
  void DrawBubbles(CGrid* grid, _POINT2D bubbleStart, _POINT2D bubbleEnd,
                   const MarginCrossings& crossings);
  // The window's client area less the margin, in logical units; false without a window.
  bool VisibleMargin(CRect* rect) const;
  CPoint ToDevice(_POINT2D const& p) const;
  void DrawLine(_POINT2D const& from, _POINT2D const& to);
};
