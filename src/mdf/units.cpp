#include "mdf/units.h"

#include "platform/resources.h"

namespace {

bool ValidSystem(int units) { return units >= 0 && units < kUnitSystems; }
bool ValidKind(int kind) { return kind >= 0 && kind < kUnitKinds; }

}  // namespace

// Label numbers: system 0 uses 25000-25029, system 1 25030-25054, system 2 adds 25055-25060; kinds
// that share a label in one system share its entry.
const UNIT_STRUCT CUnits::UNITARRAY[kUnitSystems][kUnitKinds] = {
    {
        {25000, 1.0f},          {25001, 0.08333334f},   {25002, 1.0f},      {25003, 1.0f},
        {25004, 0.08333334f},   {25005, 1.0f},          {25006, 1.0f},      {25007, 0.006944444f},
        {25008, 0.0005787037f}, {25009, 2.143347e-05f}, {25010, 1.0f},      {25011, 1.0f},
        {25012, 1.0f},          {25013, 1.0f},          {25014, 1000.0f},   {25015, 1.0f},
        {25016, 144.0f},        {25016, 144.0f},        {25017, 144000.0f}, {25015, 1.0f},
        {25018, 1.0f},          {25018, 1.0f},          {25019, 1000.0f},   {25020, 0.08333334f},
        {25021, 0.05682f},      {25021, 0.05682f},      {25022, 1.0f},      {25023, 0.08333334f},
        {25024, 0.012f},        {25025, 12.0f},         {25024, 0.012f},    {25026, 1.0f},
        {25027, 0.0005787037f}, {25028, 1000.0f},       {25029, 1.0f},
    },
    {
        {25030, 25.4f},        {25031, 0.0254f},     {25032, 2.54f},     {25033, 112.9848f},
        {25034, 0.1129846f},   {25035, 645.16f},     {25036, 6.4516f},   {25037, 0.00065f},
        {25038, 1.6387e-05f},  {25038, 1.6387e-05f}, {25039, 416231.4f}, {25040, 41.62314f},
        {25041, 4.16231e-07f}, {25042, 6.89476f},    {25042, 6.89476f},  {25043, 6.89476f},
        {25043, 6.89476f},     {25044, 6894.76f},    {25044, 6894.76f},  {25044, 6894.76f},
        {25045, 4448.22f},     {25046, 4.44822f},    {25045, 1000.0f},   {25047, 0.0254f},
        {25048, 0.09144f},     {25047, 0.0254f},     {25049, 14.5939f},  {25050, 0.3048f},
        {25051, 175118.1f},    {25052, 175.1181f},   {25053, 0.01786f},  {25054, 16.0185f},
        {25054, 16.0185f},     {25049, 453.592f},    {25049, 453.592f},
    },
    {
        {25030, 25.4f},        {25031, 0.0254f},     {25032, 2.54f},     {25055, 11.52124f},
        {25055, 11.52124f},    {25035, 645.16f},     {25036, 6.4516f},   {25037, 0.00065f},
        {25038, 1.6387e-05f},  {25038, 1.6387e-05f}, {25039, 416231.4f}, {25040, 41.62314f},
        {25041, 4.16231e-07f}, {25056, 70.3081f},    {25056, 70.3081f},  {25057, 703081.0f},
        {25057, 703081.0f},    {25057, 703081.0f},   {25057, 703081.0f}, {25057, 703081.0f},
        {25058, 453.592f},     {25058, 453.592f},    {25058, 453.592f},  {25047, 0.0254f},
        {25048, 0.09144f},     {25059, 2.54e-05f},   {25060, 14.5939f},  {25050, 0.3048f},
        {25053, 17858.06f},    {25053, 17858.06f},   {25053, 17858.06f}, {25054, 16.0185f},
        {25054, 16.0185f},     {25049, 453.592f},    {25049, 453.592f},
    },
};

CUnits::CUnits(UNIT_TYPES units, bool trimLabels) : m_bTrimLabels(trimLabels) {
  ChangeUnitsTo(ValidSystem(units) ? units : UNITS_ENGLISH, true);
}

float CUnits::fnGetUnitValue(UNIT_TYP kind) const {
  return ValidKind(kind) ? UNITARRAY[m_eUnits][kind].fFactor : 0.0f;
}

CString CUnits::fnGetUnitString(UNIT_TYP kind) const { return fnGetUnitString(m_eUnits, kind); }

CString CUnits::fnGetUnitString(UNIT_TYPES units, UNIT_TYP kind) {
  if (!ValidSystem(units) || !ValidKind(kind)) return CString();
  return qel::LoadResString(UNITARRAY[units][kind].uLabelId);
}

void CUnits::ChangeUnitsTo(UNIT_TYPES units, bool force) {
  if (!force && units == m_eUnits) return;
  if (!ValidSystem(units)) return;
  m_eUnits = units;
  // The string table is linked into the library, so there is no resource module to select.
  for (int k = 0; k < kUnitKinds; ++k) {
    m_afFactor[k] = UNITARRAY[units][k].fFactor;
    m_astrLabel[k] = qel::LoadResString(UNITARRAY[units][k].uLabelId);
    if (m_bTrimLabels) m_astrLabel[k].TrimLeft();
  }
}

float CUnits::FactorFromTo(UNIT_TYPES fromUnits, UNIT_TYP fromKind, UNIT_TYPES toUnits,
                           UNIT_TYP toKind) {
  if (!ValidSystem(fromUnits) || !ValidKind(fromKind) || !ValidSystem(toUnits) ||
      !ValidKind(toKind))
    return 0.0f;
  float inverse = 1.0f / UNITARRAY[fromUnits][fromKind].fFactor;
  return inverse * UNITARRAY[toUnits][toKind].fFactor;
}
