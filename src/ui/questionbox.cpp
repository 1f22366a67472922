#include "ui/questionbox.h"

#include "base/handles.h"
#include "base/text.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/form.h"

#include <algorithm>
#include <memory>

namespace ui {
namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kTextWidth = 340; // wider texts wrap
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

struct Layout {
  SIZE client;
  RECT text;
  int buttonTop = 0, buttonWidth = 0;
};

// Measured at the screen's DPI, where the text will be drawn, and given in logical pixels.
Layout Measure(const std::wstring& text, std::size_t buttons,
               const std::vector<std::wstring>& captions) {
  const int dpi = SystemDpi();
  const auto logical = [dpi](int pixels) { return (pixels * kLogicalDpi + dpi - 1) / dpi; };
  const base::Font font = MakeFont(FormStyle{}.fontFace, ScaleTo(FormStyle{}.fontHeight, dpi));
  const base::WindowDc screen(nullptr);
  base::SelectObjectScope select(screen.get(), font.get());
  RECT t{0, 0, ScaleTo(kTextWidth, dpi), 0};
  DrawTextW(screen.get(), text.c_str(), -1, &t, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  t = {0, 0, logical(t.right), logical(t.bottom)};
  Layout l;
  l.buttonWidth = 75;
  for (const std::wstring& c : captions) {
    SIZE s{};
    GetTextExtentPoint32W(screen.get(), c.c_str(), static_cast<int>(c.size()), &s);
    l.buttonWidth = std::max<int>(l.buttonWidth, logical(s.cx) + 20);
  }
  const int left = kMargin + kIconSize + kMargin;
  l.text = {left, kMargin, left + t.right, kMargin + t.bottom};
  l.buttonTop = std::max<int>(l.text.bottom, kMargin + kIconSize) + 2 * kMargin;
  const int row = static_cast<int>(buttons) * (l.buttonWidth + kButtonGap) - kButtonGap;
  l.client = {std::max<int>(l.text.right + kMargin, row + 2 * kMargin),
              l.buttonTop + kButtonHeight + kMargin};
  return l;
}

class QuestionForm : public Form {
public:
  QuestionForm(HWND owner, std::string_view title, const std::wstring& text, const Layout& l)
      : Form(Style(owner, title, l)), layout_(l),
        icon_(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WARNING))),
        text_(*this, l.text.left, l.text.top, l.text.right - l.text.left,
              l.text.bottom - l.text.top, base::Narrow(text),
              {.textColour = GetSysColor(COLOR_WINDOWTEXT), .wordWrap = true}) {}

  void AddButtons(const std::vector<QuestionButton>& buttons) {
    const int row =
        static_cast<int>(buttons.size()) * (layout_.buttonWidth + kButtonGap) - kButtonGap;
    int left = layout_.client.cx - kMargin - row;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      const int id = buttons[i].id;
      buttons_.push_back(std::make_unique<Button>(
          *this, left, layout_.buttonTop, layout_.buttonWidth, kButtonHeight, buttons[i].caption,
          [this, id] { SetModalResult(id); }, id, i == 0));
      left += layout_.buttonWidth + kButtonGap;
    }
  }

protected:
  void FormShow() override {
    if (HWND owner = GetWindow(Handle(), GW_OWNER))
      CenterOver(owner);
    if (!buttons_.empty())
      SetFocus(buttons_.front()->Handle());
  }
  void FormPaint(HDC dc, const RECT&) override {
    DrawIconEx(dc, Px(kMargin), Px(kMargin), icon_, Px(kIconSize), Px(kIconSize), 0, nullptr,
               DI_NORMAL);
  }

private:
  static FormStyle Style(HWND owner, std::string_view title, const Layout& l) {
    FormStyle s;
    s.caption = std::string(title);
    s.width = l.client.cx;
    s.height = l.client.cy;
    s.clientSize = true;
    s.owner = owner;
    return s;
  }
  Layout layout_;
  HICON icon_; // a shared system icon: not destroyed
  Label text_;
  std::vector<std::unique_ptr<Button>> buttons_;
};

} // namespace

int Ask(HWND owner, std::string_view utf8Title, std::string_view utf8Text,
        const std::vector<QuestionButton>& buttons) {
  const std::wstring text = base::Widen(utf8Text);
  std::vector<std::wstring> captions;
  for (const QuestionButton& b : buttons)
    captions.push_back(base::Widen(b.caption));
  QuestionForm form(owner, utf8Title, text, Measure(text, buttons.size(), captions));
  form.AddButtons(buttons);
  MessageBeep(MB_ICONWARNING);
  const int answer = form.ShowModal();
  return answer == mrNone ? IDCANCEL : answer;
}

} // namespace ui
