// Saved tests opened in the measurement window, rendered as the screen shows them: the trace where
// the file's values say, a damaged file's first unread line named, two curves laid over each other
// with their legend, the figures of a stretch after a zoom, and the shown test's picture.
#include "app/application.h"
#include "chart/savedchartpicture.h"
#include "dialogs.h"
#include "fileprinter.h"
#include "files/csvfilewriter.h"
#include "link/ucom.h"
#include "picture.h"
#include "testfiles.h"
#include "ui/pngfile.h"
#include "uitest.h"

#include <gtest/gtest.h>

#include <cmath>

using testsupport::Picture;
using testsupport::PumpFor;

namespace {

constexpr COLORREF kRecordingBlue = RGB(0, 0, 255), kFileGreen = RGB(0, 150, 0);

// The topmost pixel of a colour in the trace below its legend, and how many there are.
std::pair<POINT, int> Topmost(const Picture& picture, const dynlog::ForceChart::Box& box,
                              COLORREF colour) {
  constexpr int kLegend = 40;
  std::pair<POINT, int> found{{-1, -1}, 0};
  for (int y = box.bottom - 1; y >= box.top + kLegend; --y)
    for (int x = box.left; x < box.right; ++x)
      if (picture.At(x, y) == colour && ++found.second)
        found.first = {x, y};
  return found;
}

void Drag(HWND window, int from, int to, int y) {
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, y));
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, y));
}

} // namespace

TEST(OpenedTests, FilesOpenBesideTheRecordingLieOverItAndAZoomGivesTheStretch) {
  testsupport::TempWorkDir dir;
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  // A recording in memory, stopped and not saved: 400 values with a peak of 300 at 0,625 s.
  app.fkm470d.RadioButton320.SetChecked(true);
  w.FirstStart = false;
  w.DecimalPlaces = 1;
  w.Button1Click();
  for (int i = -32; i < 400; ++i)
    w.HandleFrame({i == 200 ? 300.0 : 50.0, 0xC0});
  w.Button2Click();
  // A saved CSV of 2000 values with a peak of 400 at 3,125 s, and a copy damaged in line 1500.
  std::vector<float> values(2000, 100.0f);
  values[1000] = 400;
  dynlog::CsvHead head{{2026, 12, 8, 6, 0, 0, 60}, 320, false, 1, "KM470", "COM3"};
  head.test = {dynlog::ForceUnit::kN, {"Feder-7", "", "", ""}, {{}, 350.0}};
  const std::string csv = dir.Path() + "\\Feder-7.csv", bad = dir.Path() + "\\kaputt.csv";
  dynlog::SaveCsvFile(csv, head, {values, {}, [](std::uint64_t i) { return i / 320.0; }});
  std::string bytes = testsupport::ReadFile(csv);
  std::size_t at = 0;
  for (int line = 1; line < 1500; ++line)
    at = bytes.find('\n', at) + 1;
  testsupport::WriteBytes(bad, bytes.substr(0, at) + "kaputt\r\n" + bytes.substr(at));

  auto box = w.Chart().TraceBox();
  const auto columnX = [&](double seconds) {
    return box.left + 2 +
           static_cast<int>(
               std::lround(seconds / (1999 / 320.0) * (w.Chart().Axes().shape2Width - 1)));
  };
  testsupport::WhenWindowAppears([&](HWND dialog) { // Öffnen…
    testsupport::SaveAs(dialog, csv);
    return true;
  });
  w.ButtonOeffnenClick();
  PumpFor(30);
  ASSERT_TRUE(w.WholeTest().Shown());
  box = w.Chart().TraceBox(); // below the verdict row the file's limits bring
  EXPECT_FALSE(w.CurrentRecording().MayDropWithoutQuestion()) << "the recording keeps its question";
  EXPECT_EQ(w.WholeTest().TextLine(0).substr(0, 21), "2.000 Werte in 6,25 s");
  EXPECT_TRUE(w.WholeTest().TextLine(1).starts_with("Datei Feder-7.csv \xC2\xB7 Pr\xC3\xBC"
                                                    "fling Feder-7"))
      << w.WholeTest().TextLine(1);
  EXPECT_NEAR(Topmost(Picture(w.Handle()), box, kRecordingBlue).first.x, columnX(3.125), 2);
  // The file's unit, limits and verdict, not the recording's (which has neither).
  EXPECT_EQ(w.Label3.Text(), "F in kN");
  EXPECT_EQ(w.VerdictLabel.Text(), "n.i.O.");

  testsupport::DropFiles(w.Handle(), {bad});
  PumpFor(30);
  EXPECT_NE(w.WholeTest().TextLine(1).find("Zeile 1500 nicht lesbar"), std::string::npos)
      << w.WholeTest().TextLine(1);

  // The recording's whole test, the file laid over it: one time scale, a legend, a reference.
  w.ButtonWholeTestClick();
  w.ButtonWholeTestClick();
  w.OpenTests({csv}, true);
  PumpFor(30);
  ASSERT_EQ(w.WholeTest().Compared().Size(), 2u);
  EXPECT_EQ(w.Label3.Text(), "F") << "the recording is the main curve";
  EXPECT_FALSE(IsWindowVisible(w.VerdictLabel.Handle()));
  const Picture two(w.Handle());
  const auto [green, greens] = Topmost(two, box, kFileGreen);
  EXPECT_NEAR(green.x, columnX(3.125), 2);
  EXPECT_NEAR(Topmost(two, box, kRecordingBlue).first.x, columnX(0.625), 2);
  const RECT legend{box.right - 120, box.top, box.right, box.top + 40};
  EXPECT_EQ(two.Colours(legend)[0].first, RGB(255, 255, 255)) << "a white legend at the top right";
  SendMessageW(w.Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(box.right - 30, box.top + 4 + 1 + 15 + 7));
  SendMessageW(w.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(box.right - 30, box.top + 4 + 1 + 15 + 7));
  ASSERT_EQ(w.WholeTest().Compared().Reference(), 1u);
  EXPECT_EQ(w.Label3.Text(), "F in kN") << "the reference is";
  EXPECT_GT(Topmost(Picture(w.Handle()), box, kFileGreen).second, greens) << "drawn thicker";

  // While dragging the stretch shows as a band; released, its figures come beside the whole's.
  Drag(w.Handle(), columnX(2.5), columnX(3.75), box.bottom - 5);
  EXPECT_EQ(Picture(w.Handle()).Colours({columnX(2.6), box.top, columnX(3.6), box.bottom})[0].first,
            RGB(220, 230, 250));
  SendMessageW(w.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(columnX(3.75), box.bottom - 5));
  PumpFor(30);
  EXPECT_TRUE(w.WholeTest().TextLine(1).starts_with("Ausschnitt ")) << w.WholeTest().TextLine(1);
  EXPECT_NE(w.WholeTest().TextLine(1).find("Max. 400,0 kN bei 3,125 s"), std::string::npos)
      << w.WholeTest().TextLine(1);

  // Bild: the chart as shown, with its legend, limit line and text lines, on the clipboard in
  // both forms and as the PNG file named.
  const std::string png = dir.Path() + "\\bild.png";
  testsupport::WhenWindowAppears([&](HWND dialog) {
    testsupport::SaveAs(dialog, png);
    return true;
  });
  const Picture shown(w.Handle());
  w.ButtonBildClick();
  const ui::DecodedPicture picture = ui::DecodePng(testsupport::ReadFile(png));
  ASSERT_EQ(picture.width, shown.Width());
  const int top = shown.Height() - 16 - picture.height; // above the status line
  EXPECT_LT(top, w.Label3.Bounds().top + 4) << "from the axis name on";
  // The axis name and everything from the trace's top down, pixel for pixel.
  int differ = 0;
  for (const RECT& r : {w.Label3.Bounds(), RECT{0, box.top, picture.width, top + picture.height}})
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const std::uint32_t v = picture.pixels.at((y - top) * picture.width + x);
        differ += RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) != shown.At(x, y);
      }
  EXPECT_EQ(differ, 0) << "pixels not as shown";
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB) && IsClipboardFormatAvailable(CF_ENHMETAFILE));

  // Bericht, Drucken: the page through the print dialog, on a printer whose port is a file.
  const std::string ps = dir.Path() + "\\bericht.ps";
  {
    const testsupport::FilePrinter printer(ps);
    testsupport::WhenWindowAppears([](HWND ask) {
      if (!testsupport::Press(ask, "Drucken"))
        return false;
      testsupport::WhenWindowAppears(
          [](HWND print) { return PostMessageW(print, WM_COMMAND, IDOK, 0) != FALSE; });
      return true;
    });
    w.ButtonBerichtClick();
  }
  const std::string page = testsupport::ReadFile(ps);
  // One A4 page, PostScript of Wine's driver: the trace in blue, the limit in red.
  EXPECT_TRUE(page.starts_with("%!PS-Adobe-3.0"));
  for (const char* part :
       {"%%Title: DYNLOG Feder-7.csv", "%%Pages: 1\n", "%%BoundingBox: 18 18 576",
        "0.00 0.00 1.00 setrgbcolor", "0.86 0.00 0.00 setrgbcolor"})
    EXPECT_NE(page.find(part), std::string::npos) << part;
  ucom::ComClose();
}
