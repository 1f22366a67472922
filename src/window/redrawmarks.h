#pragma once
// What of the measurement window must be drawn again. A change marks the parts it touches; the
// next paint draws what is marked and takes the marks. Nothing is compared with what was drawn.

namespace dynlog {

enum class WindowPart : unsigned {
  Lamps,   // the six indicators
  Value,   // the value display
  Scales,  // the force and time scales of the chart
  Results, // the results line below the chart
  Readout, // time and value under the mouse, above the chart
};

class RedrawMarks {
public:
  void Mark(WindowPart part) { bits_ |= Bit(part); }
  bool Marked(WindowPart part) const { return (bits_ & Bit(part)) != 0; }
  // Whether the part is marked; the mark is gone afterwards.
  bool Take(WindowPart part) {
    const bool marked = Marked(part);
    bits_ &= ~Bit(part);
    return marked;
  }

private:
  static unsigned Bit(WindowPart part) { return 1u << static_cast<unsigned>(part); }
  unsigned bits_ = 0;
};

} // namespace dynlog
