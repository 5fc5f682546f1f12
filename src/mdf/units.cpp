#include "mdf/units.h"

#include "platform/resources.h"
#include "res/string_ids.h"

namespace {

bool ValidSystem(int units) { return units >= 0 && units < kUnitSystems; }
bool ValidKind(int kind) { return kind >= 0 && kind < kUnitKinds; }

}  // namespace

// Label numbers: system 0 uses 25000-25029, system 1 25030-25054, system 2 adds 25055-25060; kinds
// that share a label in one system share its entry.
const UNIT_STRUCT CUnits::UNITARRAY[kUnitSystems][kUnitKinds] = {
    {
        {qel::kIdsIn, 1.0f},           {qel::kIdsFt, 0.08333334f},
        {qel::kIdsIn_25002, 1.0f},     {qel::kIdsKipIn, 1.0f},
        {qel::kIdsKipFt, 0.08333334f}, {qel::kIdsIn2, 1.0f},
        {qel::kIdsIn2_25006, 1.0f},    {qel::kIdsSqFt, 0.006944444f},
        {qel::kIdsFt3, 0.0005787037f}, {qel::kIdsYd3, 2.143347e-05f},
        {qel::kIdsIn4, 1.0f},          {qel::kIdsIn4_25011, 1.0f},
        {qel::kIdsIn4_25012, 1.0f},    {qel::kIdsKsi, 1.0f},
        {qel::kIdsPsi, 1000.0f},       {qel::kIdsKsi_25015, 1.0f},
        {qel::kIdsKsf, 144.0f},        {qel::kIdsKsf, 144.0f},
        {qel::kIdsPsf, 144000.0f},     {qel::kIdsKsi_25015, 1.0f},
        {qel::kIdsKip, 1.0f},          {qel::kIdsKip, 1.0f},
        {qel::kIdsLb, 1000.0f},        {qel::kIdsFtPerS, 0.08333334f},
        {qel::kIdsMph, 0.05682f},      {qel::kIdsMph, 0.05682f},
        {qel::kIdsKgS2PerM, 1.0f},     {qel::kIdsFtPerS2, 0.08333334f},
        {qel::kIdsLbPerFt, 0.012f},    {qel::kIdsKipPerFt, 12.0f},
        {qel::kIdsLbPerFt, 0.012f},    {qel::kIdsPcf, 1.0f},
        {qel::kIdsPci, 0.0005787037f}, {qel::kIdsLbs, 1000.0f},
        {qel::kIdsKips, 1.0f},
    },
    {
        {qel::kIdsMm, 25.4f},         {qel::kIdsM, 0.0254f},        {qel::kIdsCm, 2.54f},
        {qel::kIdsNm, 112.9848f},     {qel::kIdsKNm, 0.1129846f},   {qel::kIdsMm2, 645.16f},
        {qel::kIdsCm2, 6.4516f},      {qel::kIdsSqM, 0.00065f},     {qel::kIdsM3, 1.6387e-05f},
        {qel::kIdsM3, 1.6387e-05f},   {qel::kIdsMm4, 416231.4f},    {qel::kIdsCm4, 41.62314f},
        {qel::kIdsM4, 4.16231e-07f},  {qel::kIdsNPerMm2, 6.89476f}, {qel::kIdsNPerMm2, 6.89476f},
        {qel::kIdsMPa, 6.89476f},     {qel::kIdsMPa, 6.89476f},     {qel::kIdsKNPerM2, 6894.76f},
        {qel::kIdsKNPerM2, 6894.76f}, {qel::kIdsKNPerM2, 6894.76f}, {qel::kIdsN, 4448.22f},
        {qel::kIdsKN, 4.44822f},      {qel::kIdsN, 1000.0f},        {qel::kIdsMPerS, 0.0254f},
        {qel::kIdsKmPerH, 0.09144f},  {qel::kIdsMPerS, 0.0254f},    {qel::kIdsKg, 14.5939f},
        {qel::kIdsMPerS2, 0.3048f},   {qel::kIdsNPerM, 175118.1f},  {qel::kIdsKNPerM, 175.1181f},
        {qel::kIdsKgPerM, 0.01786f},  {qel::kIdsKgPerM3, 16.0185f}, {qel::kIdsKgPerM3, 16.0185f},
        {qel::kIdsKg, 453.592f},      {qel::kIdsKg, 453.592f},
    },
    {
        {qel::kIdsMm, 25.4f},          {qel::kIdsM, 0.0254f},         {qel::kIdsCm, 2.54f},
        {qel::kIdsKgM, 11.52124f},     {qel::kIdsKgM, 11.52124f},     {qel::kIdsMm2, 645.16f},
        {qel::kIdsCm2, 6.4516f},       {qel::kIdsSqM, 0.00065f},      {qel::kIdsM3, 1.6387e-05f},
        {qel::kIdsM3, 1.6387e-05f},    {qel::kIdsMm4, 416231.4f},     {qel::kIdsCm4, 41.62314f},
        {qel::kIdsM4, 4.16231e-07f},   {qel::kIdsKgPerCm2, 70.3081f}, {qel::kIdsKgPerCm2, 70.3081f},
        {qel::kIdsKgPerM2, 703081.0f}, {qel::kIdsKgPerM2, 703081.0f}, {qel::kIdsKgPerM2, 703081.0f},
        {qel::kIdsKgPerM2, 703081.0f}, {qel::kIdsKgPerM2, 703081.0f}, {qel::kIdsKgf, 453.592f},
        {qel::kIdsKgf, 453.592f},      {qel::kIdsKgf, 453.592f},      {qel::kIdsMPerS, 0.0254f},
        {qel::kIdsKmPerH, 0.09144f},   {qel::kIdsKmPerS, 2.54e-05f},  {qel::kIdsKg_25060, 14.5939f},
        {qel::kIdsMPerS2, 0.3048f},    {qel::kIdsKgPerM, 17858.06f},  {qel::kIdsKgPerM, 17858.06f},
        {qel::kIdsKgPerM, 17858.06f},  {qel::kIdsKgPerM3, 16.0185f},  {qel::kIdsKgPerM3, 16.0185f},
        {qel::kIdsKg, 453.592f},       {qel::kIdsKg, 453.592f},
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
