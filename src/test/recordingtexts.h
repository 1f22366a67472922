#pragma once
// The measurement window's own texts beside its controls' captions: the status line, the question
// before an unsaved recording is dropped, and the lines a failed save adds to the file error text.
#include "base/numberformat.h"
#include "test/forceunit.h"
#include "test/samplerate.h"

#include <optional>
#include <string>
#include <string_view>

namespace dynlog {

enum class MeasuringState { Idle, Running, Stopped };

struct StatusLine {
  MeasuringState state = MeasuringState::Idle;
  int recorded = 0;      // values recorded since the last Start
  SampleRate keptRate{}; // the rate really kept at the port's baud rate
  bool averaging = false;
  std::string_view port; // "COM3"; empty while no port is open
  int baud = 0;
  std::string_view unit; // the unit's identification, empty when none was heard
  bool armed = false;    // started, waiting for the start condition
  bool zeroed = false;   // a zero is taken off the values
  bool zeroing = false;  // a zero waits for its half second of values
  std::string waiting;   // armed: "Wartet, bis die Kraft unter 20,0 N fällt" before the start
  std::string end;       // "Ende: Bruch bei 45 % des Maximums" after a stop condition
};

// Whether the recording holds as many values as it can.
bool RecordingFull(int recorded);

// The lowest line in two parts. Left, what is measured and kept: "Misst · 1.234 von 10.000 Werten
// · 10 Werte/s gemittelt", or "Aufnahme voll: 10.000 Werte" for the count; "Wartet auf
// Auslösung" (or what it waits for first) for "Misst" while armed, "Nullt" while a zero is taken,
// "Gestoppt · Ende: Zeit" after a stop condition, and "genullt" at the end while a zero is set; a
// narrow window cuts its end.
std::string StatusLineText(const StatusLine& line, const NumberSeparators& separators);
// Right, never cut: "COM3, 19200 Baud · KM470 V2.03", or "nicht verbunden".
std::string ConnectionText(const StatusLine& line);

// The unit's identification in its reply to "?V": from its model name up to the line's end;
// empty when the reply names no model.
std::string IdentificationText(std::string_view reply);

// The question before Start or closing drops a recording that has not been saved; running: the
// unit is still measuring.
std::string UnsavedRecordingQuestion(int count, bool closing, bool running,
                                     const NumberSeparators& separators);

// A failed save: the file error text as the error box shows it, then the file and that the
// recording is still there to be saved elsewhere.
std::string SaveFailureText(std::string_view errorText, std::string_view path, int count,
                            const NumberSeparators& separators);

// The held peak below the value display: "Max. 940,3 N" ("Min. …" holding the lowest); empty
// before a frame came.
std::string HeldPeakText(std::optional<float> peak, bool minimum, int decimalPlaces, ForceUnit unit,
                         const NumberSeparators& separators);

} // namespace dynlog
