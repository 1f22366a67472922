#pragma once
// The eight rates of the rate dialog and what they mean for the decimation of the unit's stream.

#include <string_view>

namespace dynlog {

// One value per radio button of the rate dialog, from RadioButton320 down to RadioButton2.
enum class SampleRate { Hz320, Hz160, Hz80, Hz40, Hz20, Hz10, Hz5, Hz2_5 };

// The rate as the user reads it and as the measurement file names it: "320" ... "5", "2,5".
std::string_view RateText(SampleRate rate);

// The unit's frames per second on a line at this baud rate: 320 at 19200 baud, half as many at
// 9600. The only place that knows the two rates apart.
int FramesPerSecond(int baud);

// Frames to skip after each emitted value, at the unit's frames per second: the slower line skips
// half as many frames for the same rate. At 160 frames a second "320" gives -1, which the
// acquisition treats like 0: every frame is emitted.
int ReloadValue(SampleRate rate, int framesPerSecond);

// The rate that is really kept: at 160 frames a second "320" keeps 160. Every other setting is
// kept as chosen.
SampleRate KeptRate(SampleRate rate, int framesPerSecond);

// Values per second of a rate: 320 ... 2.5.
double RatePerSecond(SampleRate rate);

} // namespace dynlog
