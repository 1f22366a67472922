#pragma once
// The measurement window's lowest lines: the status (state, the recording against its limit, the
// rate kept) with the connection at its right (port, baud rate, unit), and above them, once a
// condition ended the test, what ended it.
#include "base/numberformat.h"
#include "test/recordingtexts.h"
#include "ui/controls.h"
#include "ui/form.h"

class StatusLines {
public:
  struct Labels {
    ui::Label &status, &connection, &end;
  };
  StatusLines(ui::Form& form, Labels labels, ui::ScaledFont& font)
      : form_(form), labels_(labels), font_(font) {}

  // Shows the figures; true when the row of the end came or went, so that the chart above gives
  // it up or takes it back.
  bool Show(dynlog::StatusLine line, const dynlog::NumberSeparators& separators);
  // At the bottom of the window's client area.
  void Place();
  // The height the lines above the status take from the chart, in logical pixels.
  int EndRowHeight() const;

private:
  ui::Form& form_;
  Labels labels_;
  ui::ScaledFont& font_;
};
