#pragma once
// What a test is of and by whom, as the person gives it before Start: the part or sample number
// (Prüfling), the operator (Prüfer), the order or batch (Auftrag) and a comment (Bemerkung); with
// the force unit and the limits, the description a recording is taken under.
#include "test/forceunit.h"
#include "test/verdict.h"

#include <string>
#include <string_view>

namespace dynlog {

struct TestTrace {
  std::string part;    // Prüfling
  std::string tester;  // Prüfer
  std::string order;   // Auftrag
  std::string comment; // Bemerkung
};

struct TestDescription {
  ForceUnit unit = ForceUnit::None;
  TestTrace trace;
  ForceLimits limits;
};

// The part number of the next test: the number at its end one higher, its leading zeros kept
// (Feder-0012, Feder-0013), one digit more only when all were nines (9999, 10000). A number
// without digits at its end stays as it is: there is nothing to count.
std::string NextPartNumber(std::string_view part);

} // namespace dynlog
