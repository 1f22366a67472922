#pragma once
// Numbers as the user reads them: thousands grouping, a fixed number of decimals, the system's
// separators (passed in, so this stays free of the operating system).
//
// A number is rounded once, half away from zero, to whichever is coarser: `significantDigits`
// significant digits or `decimals` digits after the separator. What is rounded is the shortest
// decimal text that reads back as the same float or double, which removes the binary noise at the
// number's own precision: 0.15 (stored as 0.1499999...) shows as 0,2 at one decimal, and so does
// a recorded 1.015f (1.01499998...) at two, as 1,02. Rounding twice (to the significant digits,
// then to the decimals) would turn 1234.46875 into 1.235 at no decimals; once, it is 1.234.
// A result that rounds to zero has no sign.

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
// The float and double forms differ in what counts as noise: the recording keeps single
// precision, the value display shows the double.
void AppendNumber(std::string& out, double value, int decimals, int significantDigits,
                  const NumberSeparators& separators);
void AppendNumber(std::string& out, float value, int decimals, int significantDigits,
                  const NumberSeparators& separators);
std::string FormatNumber(double value, int decimals, int significantDigits,
                         const NumberSeparators& separators);
std::string FormatNumber(float value, int decimals, int significantDigits,
                         const NumberSeparators& separators);

// Sets out to the value display's caption for value (11 significant digits): blanks in front up
// to 8 characters, then one blank on each side, so the digits stay right-aligned in the label;
// characters are counted, not UTF-8 bytes. Allocation-free once out has grown to its working size.
void FormatValueCaption(std::string& out, double value, int decimals,
                        const NumberSeparators& separators);

// The unit's counts run from -1000 to 10000 before its decimal places are applied: the two values
// with the widest captions at the given decimals, from which the value display takes its width.
inline constexpr int kLowestCount = -1000;
inline constexpr int kHighestCount = 10000;
struct ValueExtremes {
  double lowest, highest;
};
ValueExtremes ValueDisplayExtremes(int decimals);

// A force: a limit or any figure of the unit at its decimal places, as the files write it.
std::string ForceFigure(double value, int decimalPlaces, const NumberSeparators& separators);

// Decimals that show the time of every value at this rate exactly (1/320 s = 0,003125: 6).
int TimeDecimals(double valuesPerSecond);

// Seconds as a scale or a file shows them: the given decimals, the decimal separator, no grouping.
void AppendSeconds(std::string& out, double seconds, int decimals,
                   const NumberSeparators& separators);

} // namespace dynlog
