#include "testsupport.h"

#include "base/messageloop.h"

#include <cstdint>

void PumpFor(int ms) {
  base::Delay(static_cast<std::uint64_t>(ms));
}
