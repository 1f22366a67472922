#pragma once
// The two times of the connection search: the search dialog's step from one port setting to the
// next, and how long the modes without a person let the search look before they give up. Both can
// be shortened through the environment (DYNLOG_SEARCH_STEP_MS, DYNLOG_SEARCH_LIMIT_MS), so that a
// test need not wait them out; without it the program's own values hold.

#include <cstddef>

namespace km470 {

inline constexpr unsigned kSearchStepMs = 2000;
inline constexpr unsigned kSearchLimitMs = 20000;

// Milliseconds as an environment variable gives them: plain digits from 100 to 3600000. Anything
// else (no text, a sign, a unit, a number out of that range) gives def.
unsigned MillisecondsFromText(const char* text, unsigned def);

// The step and the limit, each read from the environment once. Without the environment's limit
// the search may go once round every port at both rates (ports: how many it steps through), and
// never less than kSearchLimitMs: a unit on the last of many adapters is still reached.
unsigned SearchStepMs();
unsigned SearchLimitMs(std::size_t ports);

} // namespace km470
