#pragma once
// The force unit the display unit is set to. The unit sends the figure it shows and never says in
// which unit; the person says it, and the program names it beside every figure. Choosing another
// unit changes no value.
#include <optional>
#include <string>
#include <string_view>

namespace dynlog {

enum class ForceUnit { None, N, kN, g, kg, t, lbf };

// Every unit in the order a list offers them, "ohne Einheit" first.
inline constexpr ForceUnit kForceUnits[] = {ForceUnit::None, ForceUnit::N,  ForceUnit::kN,
                                            ForceUnit::g,    ForceUnit::kg, ForceUnit::t,
                                            ForceUnit::lbf};

// The unit's symbol, as the files, km470.ini and the command line write it: "N", "kN", "lbf";
// empty for none.
std::string_view UnitSymbol(ForceUnit unit);
// What a list shows: the symbol, or "ohne Einheit".
std::string_view UnitChoiceText(ForceUnit unit);
// The unit for its symbol (in that exact case: "g" and "G" are not the same) or for "ohne
// Einheit"; nothing for any other text.
std::optional<ForceUnit> ForceUnitFromText(std::string_view text);

// "940,3 N" for the figure "940,3"; the figure alone without a unit.
std::string WithUnit(std::string_view figure, ForceUnit unit);
// The force axis and the CSV column: "F in N", "Kraft in N"; "F" and "Wert" without a unit, as
// before there were units.
std::string AxisName(ForceUnit unit);
std::string ForceColumnName(ForceUnit unit);

} // namespace dynlog
