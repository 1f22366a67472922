// What the user sees, checked on the windows rendered as the screen shows them: the value display
// can be read, the search dialog has no unpainted areas, every caption fits its control, and every
// window opens inside the work area.
#include "app/application.h"
#include "base/handles.h"
#include "dialogs.h"
#include "link/ucom.h"
#include "picture.h"
#include "ui/placement.h"
#include "uitest.h"
#include "window/conditionsdialog.h"
#include "window/windowfonts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

using testsupport::ContrastRatio;
using testsupport::Picture;
using testsupport::PumpFor;

namespace {

// Sets the system's button-face colour for the scope and puts the old one back.
class ButtonFaceScope {
public:
  explicit ButtonFaceScope(COLORREF colour) : old_(GetSysColor(COLOR_BTNFACE)) {
    if (colour != CLR_INVALID)
      Set(colour);
  }
  ~ButtonFaceScope() { Set(old_); }

private:
  static void Set(COLORREF c) {
    const INT element = COLOR_BTNFACE;
    SetSysColors(1, &element, &c);
  }
  COLORREF old_;
};

BOOL CALLBACK AddChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

class Pictures : public ::testing::Test {
protected:
  void TearDown() override { ucom::ComClose(); }
  testsupport::TempWorkDir dir;
};

} // namespace

TEST_F(Pictures, ValueDisplayIsLegibleOnEveryColourScheme) {
  struct Case {
    const char* scheme;
    COLORREF buttonFace; // CLR_INVALID: as the system has it
  };
  const Case cases[] = {
      {"system's own", CLR_INVALID},
      {"white", RGB(255, 255, 255)},
      {"dark", RGB(32, 32, 32)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scheme);
    ButtonFaceScope scheme(c.buttonFace);
    dynlog::ApplicationWindows app;
    Tfkm470a& w = app.fkm470a;
    w.Show();
    PumpFor(50);
    // Before the first value: the grey "0,0".
    {
      const auto colours = Picture(w.Handle()).Colours(w.Label1.Bounds());
      ASSERT_GE(colours.size(), 2u);
      EXPECT_EQ(colours[1].first, RGB(128, 128, 128));
    }
    w.DecimalPlaces = 1;
    w.ShowValue(1234.5);
    EXPECT_EQ(w.Label1.Text(), "  1.234,5 ");
    PumpFor(50);
    const auto colours = Picture(w.Handle()).Colours(w.Label1.Bounds());
    ASSERT_GE(colours.size(), 2u);
    // The most frequent colour is the background behind the digits, the next their solid core.
    const COLORREF background = colours[0].first, digits = colours[1].first;
    EXPECT_GT(colours[1].second, 300) << "the digits must cover a fair part of the display";
    EXPECT_GE(ContrastRatio(digits, background), 4.5)
        << std::hex << "digits 0x" << digits << " on 0x" << background;
  }
}

TEST_F(Pictures, SearchDialogGroupsArePaintedInTheDialogsColour) {
  dynlog::ApplicationWindows app;
  Tfkm470b& d = app.fkm470b;
  d.Show();
  d.Timer1.SetEnabled(false); // no search steps here: only the look
  for (COLORREF colour : {static_cast<COLORREF>(CLR_INVALID), kFoundColour}) {
    SCOPED_TRACE(colour == CLR_INVALID ? "searching" : "found");
    d.SetBackground(colour);
    PumpFor(50);
    const Picture picture(d.Handle());
    for (const ui::RadioGroup* group : {&d.RadioGroup1, &d.RadioGroup2}) {
      // The group's interior below its caption, inside its frame line, and the free right end of
      // every item: nothing there but the dialog's colour.
      const RECT frame = group->Bounds();
      std::vector<RECT> areas{{frame.left + 3, frame.top + 16, frame.right - 3, frame.bottom - 3}};
      int wrong = 0;
      for (int y = areas[0].top; y < areas[0].bottom; ++y)
        for (int x = areas[0].left; x < areas[0].right; ++x) {
          bool onItem = false;
          for (int i = 0; i < group->Count(); ++i) {
            RECT item;
            GetWindowRect(group->ItemHandle(i), &item);
            MapWindowPoints(HWND_DESKTOP, d.Handle(), reinterpret_cast<POINT*>(&item), 2);
            // An item's caption and circle sit at its left; its last pixels are background.
            item.right -= 4;
            onItem = onItem || PtInRect(&item, POINT{x, y});
          }
          wrong += !onItem && picture.At(x, y) != d.Background();
        }
      EXPECT_EQ(wrong, 0) << "pixels of another colour in the group at " << frame.left << ","
                          << frame.top;
    }
  }
  d.Close();
}

// At 96, 144 and 192 DPI (a screen of another scale tells a window so with WM_DPICHANGED): every
// window grows with the scale, no control overlaps another and every caption fits.
TEST_F(Pictures, EveryLampAndButtonCaptionFitsItsControlAtEveryScale) {
  dynlog::ApplicationWindows app;
  Tfkm470a& m = app.fkm470a;
  Tfkm470d& r = app.fkm470d;
  ConditionsDialog conditions(m.Handle());
  conditions.Show();
  enum Kind { Lamp, PushButton, RadioOrCheck };
  // The six lamps, and every button, radio button and check box of the four windows.
  std::vector<std::pair<HWND, Kind>> cases;
  for (const ui::Label* lamp : {&m.Label4, &m.Label5, &m.Label6, &m.Label7, &m.Label8, &m.Label9})
    cases.emplace_back(lamp->Handle(), Lamp);
  std::vector<HWND> children;
  for (HWND window :
       {m.Handle(), r.Handle(), app.AboutBox.Handle(), app.fkm470b.Handle(), conditions.Handle()})
    EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    wchar_t kind[16] = {};
    GetClassNameW(child, kind, 16);
    const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiW(kind, L"Button") == 0 && type != BS_GROUPBOX)
      cases.emplace_back(child, type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? PushButton
                                                                                  : RadioOrCheck);
  }
  ASSERT_GT(cases.size(), 6u + 10 + 9 + 2 + 6 + 9);

  auto check = [](HWND control, Kind kind) {
    const int n = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(control, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    // The lamps pad their captions with blanks. Trailing blanks may be cut; a centred caption
    // loses as much on the left as on the right, so there only the text itself must fit.
    const bool centred =
        kind == Lamp && (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER;
    text.erase(text.find_last_not_of(L' ') + 1);
    if (centred)
      text.erase(0, text.find_first_not_of(L' '));
    SIZE extent{};
    {
      const base::WindowDc dc(control);
      base::SelectObjectScope select(
          dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
      GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    // Room the control needs beside its caption: a button's frame, and its picture; the box or
    // circle of a check box or radio button and the gap after it.
    int room = 0;
    if (kind == PushButton) {
      room = 2 * GetSystemMetrics(SM_CXEDGE) + 2;
      ICONINFO icon{};
      if (GetIconInfo(reinterpret_cast<HICON>(SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0)),
                      &icon)) {
        BITMAP bm{};
        GetObjectW(icon.hbmColor, sizeof(bm), &bm);
        room += bm.bmWidth;
        DeleteObject(icon.hbmColor);
        DeleteObject(icon.hbmMask);
      }
    } else if (kind == RadioOrCheck) {
      room = GetSystemMetrics(SM_CXMENUCHECK) + 4;
    }
    RECT client;
    GetClientRect(control, &client);
    EXPECT_LE(extent.cx + room, client.right) << "text " << extent.cx << " + " << room;
  };
  // Shown with its window: the windows themselves need not be on the screen here.
  const auto shown = [](HWND c) { return (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) != 0; };
  // Visible siblings apart from the radio groups' frames, which hold their items, lie apart.
  const auto apart = [&shown](HWND window) {
    std::vector<HWND> all, visible;
    EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&all));
    for (HWND c : all)
      if (shown(c) && (GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX)
        visible.push_back(c);
    for (std::size_t i = 0; i < visible.size(); ++i)
      for (std::size_t j = i + 1; j < visible.size(); ++j) {
        RECT a, b, both;
        GetWindowRect(visible[i], &a);
        GetWindowRect(visible[j], &b);
        EXPECT_FALSE(IntersectRect(&both, &a, &b))
            << "\"" << testsupport::WindowText(visible[i]) << "\" and \""
            << testsupport::WindowText(visible[j]) << "\"";
      }
  };
  const HWND windows[] = {m.Handle(), r.Handle(), app.AboutBox.Handle(), app.fkm470b.Handle(),
                          conditions.Handle()};
  std::vector<SIZE> firstSizes;
  for (HWND w : windows) {
    RECT rc;
    GetWindowRect(w, &rc);
    firstSizes.push_back({rc.right - rc.left, rc.bottom - rc.top});
  }
  // The widest unit beside the digits, and the verdict's row below them.
  m.DecimalPlaces = 1;
  m.DescribeTest({dynlog::ForceUnit::lbf, {}, {std::nullopt, 100.0}});
  for (const int dpi : {96, 144, 192}) {
    SCOPED_TRACE(dpi);
    for (std::size_t i = 0; i < std::size(windows); ++i) {
      RECT suggested{0, 0, MulDiv(firstSizes[i].cx, dpi, 96), MulDiv(firstSizes[i].cy, dpi, 96)};
      SendMessageW(windows[i], 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
      RECT client, outer;
      GetClientRect(windows[i], &client);
      GetWindowRect(windows[i], &outer);
      // A window the screen holds at its full size (this screen is small for 192 DPI) cuts none.
      const bool whole = outer.right - outer.left == suggested.right &&
                         outer.bottom - outer.top == suggested.bottom;
      for (HWND c : children)
        if (GetParent(c) == windows[i] && shown(c) && whole) {
          RECT rc;
          GetWindowRect(c, &rc);
          MapWindowPoints(HWND_DESKTOP, windows[i], reinterpret_cast<POINT*>(&rc), 2);
          EXPECT_TRUE(rc.right <= client.right && rc.bottom <= client.bottom)
              << "cut off: \"" << testsupport::WindowText(c) << "\" " << rc.right << ","
              << rc.bottom << " in " << client.right << "," << client.bottom;
        }
      apart(windows[i]);
    }
    for (const auto& [control, kind] : cases)
      check(control, kind);
  }
}

TEST_F(Pictures, EveryWindowOpensInsideTheWorkArea) {
  dynlog::ApplicationWindows app;
  auto inside = [](HWND w) {
    RECT r, work = ui::WorkAreaOf(w);
    GetWindowRect(w, &r);
    return r.left >= work.left && r.top >= work.top && r.right <= work.right &&
           r.bottom <= work.bottom;
  };
  const RECT work = ui::WorkAreaOf(app.fkm470a.Handle());
  const SIZE mainSize = app.fkm470a.OuterSize();
  struct Case {
    const char* where;
    int left, top; // of the main window
  };
  const Case cases[] = {
      {"centred", -1, -1},
      {"top left corner", work.left, work.top},
      {"bottom right corner", work.right - mainSize.cx, work.bottom - mainSize.cy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    if (c.left >= 0)
      SetWindowPos(app.fkm470a.Handle(), nullptr, c.left, c.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(inside(app.fkm470a.Handle()));
    EXPECT_TRUE(inside(app.fkm470b.Handle()));
    app.fkm470d.Show();
    EXPECT_TRUE(inside(app.fkm470d.Handle()));
    app.fkm470d.Hide();
    // The info window is centred over the main window, and grows to 555 pixels for an update.
    app.AboutBox.Show();
    EXPECT_TRUE(inside(app.AboutBox.Handle()));
    app.AboutBox.SetOuterSize(app.AboutBox.OuterSize().cx, 555);
    EXPECT_TRUE(inside(app.AboutBox.Handle()));
    app.AboutBox.Hide();
    app.AboutBox.SetOuterSize(app.AboutBox.OuterSize().cx, 300);
  }
}

TEST(Placement, PlaceInsideMovesAsLittleAsPossible) {
  const RECT area{0, 0, 1000, 700};
  struct Case {
    RECT window, placed;
  };
  const Case cases[] = {
      {{100, 100, 400, 300}, {100, 100, 400, 300}},   // inside: stays
      {{-31, -49, 700, 506}, {0, 0, 731, 555}},       // beyond the top left corner
      {{900, 600, 1200, 800}, {700, 500, 1000, 700}}, // beyond the bottom right corner
      {{100, 300, 831, 855}, {100, 145, 831, 700}},   // grown downwards out of the area
      {{-50, -50, 1100, 800}, {0, 0, 1150, 850}},     // larger than the area: top left stays
      {{500, 500, 1650, 1350}, {0, 0, 1150, 850}},
  };
  for (const Case& c : cases) {
    const RECT got = ui::PlaceInside(c.window, area);
    EXPECT_TRUE(EqualRect(&got, &c.placed))
        << got.left << "," << got.top << " " << got.right << "," << got.bottom;
  }
}

// Grabs taken while values of every width change all find the same panel, with white digits
// clear of its edges.
TEST_F(Pictures, ValueDisplayHoldsStillWithItsDigitsWholeInEveryGrab) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  w.DecimalPlaces = 1;
  w.ShowValue(0);
  const RECT panel = w.Label1.Bounds();
  const double values[] = {3.0, 40.8, 1000.0, -100.0, 999.9, -7.5, 0.1};
  for (int i = 0; i < 100; ++i) {
    const double value = values[i % 7] * (i % 2 ? 1 : -1) + i / 100.0;
    w.ShowValue(value);
    const RECT now = w.Label1.Bounds();
    ASSERT_TRUE(EqualRect(&now, &panel)) << "the panel moved at " << value;
    const Picture picture(w.Handle());
    int left = panel.right, right = panel.left;
    for (int y = panel.top; y < panel.bottom; ++y)
      for (int x = panel.left; x < panel.right; ++x)
        if (picture.At(x, y) == RGB(255, 255, 255))
          left = std::min(left, x), right = std::max(right, x);
    ASSERT_LT(left, right) << "no digits at " << value;
    EXPECT_GT(left, panel.left + 2) << value;
    EXPECT_LT(right, panel.right - 3) << "the last digit is cut at " << value;
  }
}

// A disabled picture button greys its picture's shape, not a square, with a gap before the
// caption.
TEST_F(Pictures, DisabledPictureButtonGreysThePicturesShape) {
  testsupport::CommonControls6 v6(std::string(std::getenv("DYNLOG_SOURCE_DIR")) +
                                  "\\src\\app\\dynlog.manifest");
  ASSERT_TRUE(v6.Active());
  dynlog::ApplicationWindows app;
  app.fkm470a.Show();
  for (ui::Button* button : {&app.fkm470a.BitBtnEinstellung, &app.fkm470a.BitBtnSpeichern}) {
    SCOPED_TRACE(button->Text());
    const RECT b = button->Bounds(), in{b.left + 3, b.top + 3, b.right - 3, b.bottom - 3};
    // Per column of the button's inside, the rows that are not its face.
    const auto look = [&](bool enabled) {
      button->SetEnabled(enabled);
      PumpFor(50);
      const Picture picture(app.fkm470a.Handle());
      const COLORREF face = picture.Colours(in)[0].first;
      std::vector<std::vector<int>> columns;
      for (int x = in.left; x < in.right; ++x) {
        columns.emplace_back();
        for (int y = in.top; y < in.bottom; ++y)
          if (picture.At(x, y) != face)
            columns.back().push_back(y);
      }
      return columns;
    };
    const auto on = look(true), off = look(false);
    // The picture is the first run of marked columns; the caption starts at the next.
    size_t first = 0;
    while (first < on.size() && on[first].empty())
      ++first;
    size_t end = first, caption = first;
    while (end < on.size() && !on[end].empty())
      ++end;
    for (caption = end; caption < on.size() && on[caption].empty();)
      ++caption;
    EXPECT_GE(caption - end, 3u) << "gap between picture and caption";
    int shape = 0, greyed = 0, besideShape = 0;
    for (size_t x = first; x < end; ++x) {
      shape += static_cast<int>(on[x].size());
      greyed += static_cast<int>(off[x].size());
      for (int y : off[x])
        besideShape += std::any_of(on[x].begin(), on[x].end(),
                                   [y](int e) { return e >= y - 1 && e <= y + 1; });
    }
    EXPECT_GT(greyed, shape / 3);
    EXPECT_GE(besideShape * 10, greyed * 9) << "the greyed picture keeps the picture's shape";
    EXPECT_LT(greyed * 10, static_cast<int>((end - first) * (in.bottom - in.top)) * 8)
        << "a grey square";
  }
}

TEST_F(Pictures, ChartStaysWholeWhenTheWindowIsMaximisedRestoredAndShrunk) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  int n = 0;
  const auto flow = [&](int count) {
    for (int i = 0; i < count; ++i, ++n)
      w.ShowValue((n * 37) % 200 - 60.0);
    PumpFor(30);
  };
  const auto steps = {SW_MAXIMIZE, SW_RESTORE, SW_SHOWNORMAL};
  for (const int show : steps) {
    flow(250);
    if (show == SW_SHOWNORMAL)
      w.SetOuterSize(200, 150); // below the smallest size: held at it
    else
      ShowWindow(w.Handle(), show);
    PumpFor(50);
    flow(250);
    const Picture picture(w.Handle());
    const auto box = w.Chart().TraceBox();
    int trace = 0;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        if (picture.At(x, y) == RGB(0, 0, 255)) {
          ++trace;
          ASSERT_TRUE(x >= box.left && x < box.right && y >= box.top && y < box.bottom)
              << "trace at " << x << "," << y << " after show " << show;
        }
    EXPECT_GT(trace, 300) << show;
  }
  // Nothing cut at the smallest size: the last button and the value display lie inside.
  RECT client;
  GetClientRect(w.Handle(), &client);
  EXPECT_LE(w.Label1.Bounds().right, client.right);
  EXPECT_LE(w.Chart().Axes().shape2Top + 2 + 48, client.bottom);
}

// Maximised, the digits are at least twice as high, and the chart begins below them.
TEST_F(Pictures, ValueDisplayGrowsWithTheWindow) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  const auto digits = [&] {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w.Label1.Handle(), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    return std::abs(font.lfHeight);
  };
  const int first = digits();
  ShowWindow(w.Handle(), SW_MAXIMIZE);
  PumpFor(50);
  EXPECT_GE(digits(), 2 * first);
  EXPECT_GE(w.Label1.Bounds().bottom - w.Label1.Bounds().top, 2 * 56);
  EXPECT_GT(w.Chart().Axes().shape1Top, w.Label1.Bounds().bottom);
  ShowWindow(w.Handle(), SW_RESTORE);
  PumpFor(50);
  EXPECT_EQ(digits(), first) << "back at the first size, as it was";
}

// The lowest force label, where its tick meets the time axis, is as whole as the one above it:
// the time scale's rows do not cut it.
TEST_F(Pictures, ForceLabelAtTheTimeAxisIsWhole) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  w.DecimalPlaces = 1;
  for (const double v : {0.0, 100.0, 50.0})
    w.ShowValue(v);
  PumpFor(30);
  const Picture picture(w.Handle());
  const dynlog::ChartAxes& a = w.Chart().Axes();
  std::vector<int> runs; // heights of the runs of rows with ink left of the tick marks
  bool inRun = false;
  for (int y = a.shape1Top + a.shape1Height / 3; y < a.shape2Top + 24; ++y) {
    bool ink = false;
    for (int x = 0; x < a.shape1Left - 6; ++x)
      ink = ink || picture.At(x, y) == RGB(0, 0, 0);
    if (ink && !inRun)
      runs.push_back(0);
    if (ink)
      ++runs.back();
    inRun = ink;
  }
  ASSERT_GE(runs.size(), 2u);
  EXPECT_EQ(runs.back(), runs[runs.size() - 2]);
}

TEST_F(Pictures, WholeTestAfterStopShowsASingleValueSpikeAndZoomsByDragging) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  app.fkm470d.RadioButton320.SetChecked(true);
  w.FirstStart = false; // Start connects no more
  w.Button1Click();
  for (int i = -32; i < 10000; ++i) // the first 32 frames are skipped
    w.HandleFrame({i == 6543 ? 900.0 : (std::max(i, 0) % 400) / 4.0, 0xC0});
  PumpFor(30);
  ASSERT_EQ(w.CurrentRecording().Results().Count(), 10000u);
  EXPECT_EQ(w.CurrentRecording().Results().Max(), 900.0f);
  w.Button2Click();
  w.ButtonWholeTest.Click();
  PumpFor(30);
  ASSERT_TRUE(w.WholeTest().Shown());
  const auto box = w.Chart().TraceBox();
  const auto spikeRows = [&] {
    // The spike is the only value above 100: the only trace in the chart's top quarter.
    const Picture picture(w.Handle());
    int high = 0;
    for (int y = box.top; y < box.top + (box.bottom - box.top) / 4; ++y)
      for (int x = box.left; x < box.right; ++x)
        high += picture.At(x, y) == RGB(0, 0, 255);
    return high;
  };
  EXPECT_GT(spikeRows(), 10);
  // Drag from a fifth to half of the chart's width: the values from 2000 to 5000.
  const int y = (box.top + box.bottom) / 2, left = w.Chart().Axes().shape2Left + 2,
            width = w.Chart().Axes().shape2Width;
  SendMessageW(w.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left + width / 5, y));
  SendMessageW(w.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left + width / 2, y));
  SendMessageW(w.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(left + width / 2, y));
  PumpFor(30);
  EXPECT_NEAR(static_cast<double>(w.WholeTest().Range().From()), 2000, 30);
  EXPECT_NEAR(static_cast<double>(w.WholeTest().Range().To()), 5000, 30);
  SendMessageW(w.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(30);
  EXPECT_GT(spikeRows(), 10);
}

// A test ended at its break, then given another unit and other limits: every text naming them
// follows at once and whole; the status line keeps its count, the end has a row of its own.
TEST_F(Pictures, AStoppedTestTakesAnotherUnitAndOtherLimitsEverywhere) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  w.DecimalPlaces = 1;
  w.DescribeTest({dynlog::ForceUnit::N, {}, {1000.5, 2000.5}});
  EXPECT_EQ(w.ReasonLabel.Text(), "Maximum 1.000,5 N bis 2.000,5 N") << "as typed before Start";
  app.fkm470d.RadioButton320.SetChecked(true);
  w.TakeConditions({.conditions = {.stop = {.breakPercent = 40, .breakMinPeak = 200}}});
  w.FirstStart = false;
  w.Button1Click();
  for (int i = -32; i < 120; ++i)
    w.HandleFrame({i < 100 ? 2.243 * std::max(i, 0) : 0, 0xC0});
  w.DescribeTest({dynlog::ForceUnit::lbf, {}, {1000.5, 2000.5}});
  PumpFor(300);
  EXPECT_EQ(w.PeakLabel.Text(), "Max. 222,1 lbf");
  for (const ui::Label* l : {&w.PeakLabel, &w.ReasonLabel, &w.StatusLabel, &w.EndLabel}) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(l->Handle(), WM_GETFONT, 0, 0));
    EXPECT_LE(dynlog::TextWidth(l->Handle(), font, l->Text()), l->Bounds().right - l->Bounds().left)
        << l->Text();
  }
}
