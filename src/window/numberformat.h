#pragma once
// Numbers as the user reads them: thousands grouping, a fixed number of decimals, the system's
// separators (passed in, so this stays free of the operating system).
//
// Rounding happens twice, on the exact value of the binary number: first to at most
// `significantDigits` significant digits, then to `decimals` digits after the separator, each
// time half away from zero. The first step removes the binary noise of a float or double, so
// 0.15 (stored as 0.1499999...) shows as 0,2 at one decimal, and a recorded single-precision
// 0.15f (0.1500000059...) as 0,2 as well; the second step then treats a true half as commercial
// rounding does: 2.5 at no decimals is 3, -2.5 is -3. A result that rounds to zero has no sign.

#include <string>
#include <string_view>

namespace dynlog {

struct NumberSeparators {
  std::string decimal;   // UTF-8, usually one character
  std::string thousands; // UTF-8, may be empty (no grouping shown)
};

// Comma for decimals, point for thousands: the German system the program is made for.
NumberSeparators GermanSeparators();

inline constexpr int kDisplaySignificantDigits = 11; // the value display
inline constexpr int kFileSignificantDigits = 5;     // the measurement file

// Appends the text of value to out. decimals is clamped to 0..20, significantDigits to 1..30.
// Reuses out's capacity, so a caller that keeps its string allocates nothing once it is warm.
void AppendNumber(std::string& out, double value, int decimals, int significantDigits,
                  const NumberSeparators& separators);
std::string FormatNumber(double value, int decimals, int significantDigits,
                         const NumberSeparators& separators);

// The value display's caption: blanks in front up to 8 characters, then one blank on each side,
// so the digits stay right-aligned in the label. Characters are counted, not UTF-8 bytes.
std::string ValueCaption(std::string_view numberText);

// Sets out to the value display's caption for value (11 significant digits); allocation-free once
// out has grown to its working size.
void FormatValueCaption(std::string& out, double value, int decimals,
                        const NumberSeparators& separators);

} // namespace dynlog
