#include "test/forceunit.h"

namespace dynlog {

std::string_view UnitSymbol(ForceUnit unit) {
  switch (unit) {
  case ForceUnit::N:
    return "N";
  case ForceUnit::kN:
    return "kN";
  case ForceUnit::g:
    return "g";
  case ForceUnit::kg:
    return "kg";
  case ForceUnit::t:
    return "t";
  case ForceUnit::lbf:
    return "lbf";
  case ForceUnit::None:
    break;
  }
  return {};
}

std::string_view UnitChoiceText(ForceUnit unit) {
  return unit == ForceUnit::None ? "ohne Einheit" : UnitSymbol(unit);
}

std::optional<ForceUnit> ForceUnitFromText(std::string_view text) {
  for (const ForceUnit unit : kForceUnits)
    if (text == UnitChoiceText(unit))
      return unit;
  return std::nullopt;
}

std::string WithUnit(std::string_view figure, ForceUnit unit) {
  std::string text(figure);
  if (unit != ForceUnit::None) {
    text += ' ';
    text += UnitSymbol(unit);
  }
  return text;
}

std::string AxisName(ForceUnit unit) {
  return unit == ForceUnit::None ? "F" : "F in " + std::string(UnitSymbol(unit));
}

std::string ForceColumnName(ForceUnit unit) {
  return unit == ForceUnit::None ? "Wert" : "Kraft in " + std::string(UnitSymbol(unit));
}

} // namespace dynlog
