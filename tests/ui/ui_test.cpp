// The ui layer on its own: the one wait and a pending quit, the error box and its full stop,
// exceptions in event handlers, modal forms giving their owner back, and pictures as PNG and on
// the clipboard.
#include "base/errorbox.h"
#include "base/messageloop.h"
#include "ui/clipboardpicture.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/pngfile.h"
#include "uitest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using testsupport::AfterMs;

namespace {

std::vector<std::string> reported;
void Collect(const std::string& text) {
  reported.push_back(text);
}

class Ui : public ::testing::Test {
protected:
  void SetUp() override {
    reported.clear();
    base::SetErrorSink(Collect);
  }
  void TearDown() override { base::TakeQuit(); }
};

ui::FormStyle Style(const char* caption, HWND owner = nullptr) {
  ui::FormStyle s;
  s.caption = caption;
  s.width = 200;
  s.height = 120;
  s.owner = owner;
  return s;
}

// A form with a button whose handler the test chooses.
class ButtonForm : public ui::Form {
public:
  explicit ButtonForm(std::function<void()> onClick, HWND owner = nullptr)
      : ui::Form(Style("Prüfung", owner)), Button(*this, 10, 10, 80, 25, "OK", std::move(onClick)) {
  }
  ui::Button Button;
};

} // namespace

TEST_F(Ui, ErrorBoxAddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Verbindung fehlgeschlagen", "Verbindung fehlgeschlagen."},
      {"Fehler 5", "Fehler 5."},
      {"Schon da.", "Schon da."},
      {"Was nun?", "Was nun?."}, // '?' sorts after '.'
      {"Halt!", "Halt!"},        // '!' sorts before it
      {"Ende ", "Ende "},
      {"(3)", "(3)"},
      {"", ""},
      {"Ma\xC3\x9F", "Ma\xC3\x9F."}, // "Maß": a letter beyond ASCII still sorts after '.'
  };
  for (const auto& c : cases)
    EXPECT_EQ(base::ErrorBoxText(c.message), c.shown) << c.message;
}

TEST_F(Ui, AnExceptionInAHandlerReachesTheErrorBoxAndTheProgramGoesOn) {
  int clicks = 0;
  ButtonForm form([&] {
    if (++clicks == 1)
      throw std::runtime_error("Kaputt");
  });
  form.Show();
  SendMessageW(form.Button.Handle(), BM_CLICK, 0, 0); // as the user clicks it
  EXPECT_EQ(reported, (std::vector<std::string>{"Kaputt."}));
  SendMessageW(form.Button.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2) << "the window still works";

  // A timer whose handler throws is reported each time and keeps running.
  int ticks = 0;
  ui::Timer timer(form, 20, [&] {
    ++ticks;
    throw std::logic_error("Zeitgeber");
  });
  timer.SetEnabled(true);
  base::WaitFor(base::MonotonicMs() + 30000, [&] { return ticks >= 3; }); // deadline: hang guard
  EXPECT_GE(ticks, 3);
  EXPECT_EQ(reported.back(), "Zeitgeber.");
}

// However a modal form ends, its owner is usable again and the form is gone from the screen.
TEST_F(Ui, ShowModalGivesTheOwnerBackHoweverTheFormCloses) {
  ButtonForm owner([] {});
  owner.Show();
  const struct {
    const char* how;
    std::function<void(ButtonForm&)> close;
    int result;
    bool quitAfterwards;
  } cases[] = {
      {"its OK button", [](ButtonForm& f) { SendMessageW(f.Button.Handle(), BM_CLICK, 0, 0); },
       ui::mrOk, false},
      {"Close()", [](ButtonForm& f) { f.Close(); }, ui::mrCancel, false},
      {"the close box", [](ButtonForm& f) { SendMessageW(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
       ui::mrCancel, false},
      {"hidden", [](ButtonForm& f) { ShowWindow(f.Handle(), SW_HIDE); }, ui::mrCancel, false},
      {"the program quitting", [](ButtonForm&) { PostQuitMessage(3); }, ui::mrCancel, true},
  };
  for (const auto& c : cases) {
    ButtonForm* self = nullptr;
    ButtonForm dialog([&] { self->SetModalResult(ui::mrOk); }, owner.Handle());
    self = &dialog;
    bool ownerDisabled = false;
    AfterMs(50, [&] {
      ownerDisabled = !IsWindowEnabled(owner.Handle());
      c.close(dialog);
    });
    EXPECT_EQ(dialog.ShowModal(), c.result) << c.how;
    EXPECT_TRUE(ownerDisabled) << c.how;
    EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << c.how;
    EXPECT_FALSE(dialog.Visible()) << c.how;
    EXPECT_EQ(base::QuitPending(), c.quitAfterwards) << c.how;
    EXPECT_EQ(base::TakeQuit(), c.quitAfterwards ? 3 : 0) << c.how;
  }
}

// A form whose window goes with its owner's keeps no handle of it, and its own end destroys
// nothing more.
TEST_F(Ui, AFormDestroyedWithItsOwnerHoldsNoHandle) {
  auto owner = std::make_unique<ButtonForm>([] {});
  ButtonForm owned([] {}, owner->Handle());
  const HWND window = owned.Handle();
  owner.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(owned.Handle(), nullptr);
}

// A quit posted during a wait: it stays pending for the main loop; a delay still lasts its time
// and handles messages meanwhile; a wait for a condition still ends on it; the main loop ends.
TEST_F(Ui, AQuitDuringEachKindOfWaitStaysPendingAndEndsOnlyTheWaitsThatEndOnIt) {
  ButtonForm form([] {});
  bool hung = false;
  // Hang guard only: a wait that misses the quit ends here, with the wrong reason, instead of
  // never.
  AfterMs(60000, [&] { hung = true; });
  const struct {
    const char* kind;
    std::function<base::WaitEnd(bool& flag)> wait;
    base::WaitEnd end;
  } cases[] = {
      {"a fixed delay",
       [](bool&) {
         base::Delay(400);
         return base::WaitEnd::Deadline;
       },
       base::WaitEnd::Deadline},
      {"a wait for a condition",
       [&](bool& flag) { return base::WaitFor(base::kNoDeadline, [&] { return flag || hung; }); },
       base::WaitEnd::Done},
      {"a wait that ends on a quit (modal forms, the main loop)",
       [&](bool&) {
         return base::WaitFor(
             base::kNoDeadline, [&] { return hung; }, true);
       },
       base::WaitEnd::Quit},
  };
  for (const auto& c : cases) {
    bool flag = false, timerHandled = false;
    AfterMs(50, [] { PostQuitMessage(7); });
    // Posted messages behind the quit are still handled by waits that go on.
    AfterMs(200, [&] {
      timerHandled = true;
      flag = true;
    });
    const std::uint64_t start = base::MonotonicMs();
    EXPECT_EQ(c.wait(flag), c.end) << c.kind;
    if (c.end == base::WaitEnd::Deadline) {
      EXPECT_GE(base::MonotonicMs() - start, 400u) << c.kind;
    }
    if (c.end != base::WaitEnd::Quit) {
      EXPECT_TRUE(timerHandled) << c.kind;
    }
    EXPECT_FALSE(hung) << c.kind;
    EXPECT_TRUE(base::QuitPending()) << c.kind;
    EXPECT_EQ(base::TakeQuit(), 7) << c.kind;
    base::Delay(250); // the remaining step of this case, with no quit
  }
}

// Through the system's codec and back: every pixel where it was, in its colours, opaque (GDI
// leaves the fourth byte 0, which must not read as transparent), whatever the width's padding.
TEST_F(Ui, APngKeepsEveryPixelOfThePicture) {
  for (const SIZE size : {SIZE{7, 5}, SIZE{64, 33}}) {
    base::MemoryBitmap picture(size.cx, size.cy);
    ASSERT_TRUE(picture);
    auto* p = static_cast<DWORD*>(picture.pixels());
    for (int i = 0; i < size.cx * size.cy; ++i)
      p[i] = static_cast<DWORD>(i * 2654435761u) & 0xFFFFFF;
    const ui::DecodedPicture back = ui::DecodePng(ui::EncodePng(picture));
    ASSERT_EQ(back.width, size.cx);
    ASSERT_EQ(back.height, size.cy);
    EXPECT_TRUE(std::equal(back.pixels.begin(), back.pixels.end(), p,
                           [](std::uint32_t a, DWORD b) { return a == (b | 0xFF000000u); }));
  }
}

// Both forms on the clipboard show the picture: the bitmap pixel for pixel, the right way up, and
// the metafile, played back at the picture's size, the same colours in the same places.
TEST_F(Ui, TheClipboardGetsThePictureAsBitmapAndAsMetafile) {
  ButtonForm owner([] {});
  const SIZE size{40, 30};
  const ui::PicturePainter paint = [](HDC dc, SIZE s) {
    const RECT all{0, 0, s.cx, s.cy}, top{0, 0, s.cx, 10}, corner{30, 20, s.cx, s.cy};
    for (const auto& [r, colour] :
         {std::pair{all, RGB(255, 255, 255)}, {top, RGB(200, 0, 0)}, {corner, RGB(0, 0, 180)}}) {
      base::Brush brush(CreateSolidBrush(colour));
      FillRect(dc, &r, brush.get());
    }
  };
  base::MemoryBitmap picture(size.cx, size.cy);
  paint(picture.dc(), size);
  ui::CopyPictureToClipboard(owner.Handle(), picture, paint);

  ASSERT_TRUE(OpenClipboard(owner.Handle()));
  const auto* dib = static_cast<const BITMAPINFOHEADER*>(GlobalLock(GetClipboardData(CF_DIB)));
  HENHMETAFILE metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
  ASSERT_TRUE(dib && metafile);
  base::MemoryBitmap played(size.cx, size.cy);
  const RECT all{0, 0, size.cx, size.cy};
  PlayEnhMetaFile(played.dc(), metafile, &all);
  GdiFlush();
  const auto* want = static_cast<const DWORD*>(picture.pixels());
  const auto* got = reinterpret_cast<const DWORD*>(dib + 1);
  const auto* replayed = static_cast<const DWORD*>(played.pixels());
  for (int y = 0; y < size.cy; ++y)
    for (int x = 0; x < size.cx; ++x) {
      const DWORD w = want[y * size.cx + x] & 0xFFFFFF;
      ASSERT_EQ(got[(size.cy - 1 - y) * size.cx + x] & 0xFFFFFF, w) << x << "," << y;
      ASSERT_EQ(replayed[y * size.cx + x] & 0xFFFFFF, w) << x << "," << y;
    }
  GlobalUnlock(GetClipboardData(CF_DIB));
  CloseClipboard();
}
