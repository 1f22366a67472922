#include "window/statuslines.h"

#include "window/maincontrols.h"
#include "window/windowfonts.h"

#include <algorithm>
#include <string>

using namespace dynlog::mainwindow;

bool StatusLines::Show(dynlog::StatusLine line, const dynlog::NumberSeparators& separators) {
  const bool full =
      line.state != dynlog::MeasuringState::Idle && dynlog::RecordingFull(line.recorded);
  // What ended the test gets a row of its own above the status line: beside the count and the
  // rate a narrow window would cut either it or them.
  std::string end = line.state == dynlog::MeasuringState::Stopped ? line.end : std::string();
  line.end.clear();
  labels_.status.SetTextColour(full ? kStatusWarning : kStatusText);
  labels_.status.SetText(dynlog::StatusLineText(line, separators));
  const std::string connection = dynlog::ConnectionText(line);
  if (connection != labels_.connection.Text()) {
    labels_.connection.SetText(connection);
    Place();
  }
  if (end == labels_.end.Text())
    return false;
  labels_.end.SetText(end);
  return true;
}

void StatusLines::Place() {
  // The connection keeps the room its text needs at the right; the rest of the line is the
  // status's, which a narrow window cuts at its end.
  const SIZE client = form_.LogicalClientSize();
  const int top = client.cy - kStatusHeight;
  const int text =
      dynlog::TextWidth(labels_.connection.Handle(), font_.get(), labels_.connection.Text());
  const int connection = std::min<int>(client.cx, form_.LogicalUp(text) + 6);
  labels_.connection.SetBounds(client.cx - connection, top, connection, kStatusHeight);
  labels_.status.SetBounds(0, top, client.cx - connection, kStatusHeight);
  labels_.end.SetBounds(0, top - kStatusHeight, client.cx, kStatusHeight);
  labels_.end.SetVisible(!labels_.end.Text().empty());
}

int StatusLines::EndRowHeight() const {
  return labels_.end.Text().empty() ? 0 : kStatusHeight;
}
