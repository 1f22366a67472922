#include "test/trace.h"

namespace dynlog {

std::string NextPartNumber(std::string_view part) {
  std::string next(part);
  std::size_t digits = next.size();
  while (digits > 0 && next[digits - 1] >= '0' && next[digits - 1] <= '9')
    --digits;
  if (digits == next.size())
    return next;
  for (std::size_t i = next.size(); i-- > digits;) {
    if (next[i] != '9') {
      ++next[i];
      return next;
    }
    next[i] = '0';
  }
  next.insert(digits, 1, '1');
  return next;
}

} // namespace dynlog
