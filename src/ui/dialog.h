#pragma once
// What the program's dialogs have in common: a caption over a client area of a fixed size, owned
// by the window that opens them, and the OK and Abbrechen buttons.
#include "ui/controls.h"
#include "ui/form.h"

#include <functional>
#include <string_view>
#include <utility>

namespace ui {

// A dialog's style: caption, client area (logical pixels) and owner; the rest as FormStyle has it.
inline FormStyle DialogStyle(std::string_view caption, int width, int height, HWND owner) {
  FormStyle s;
  s.caption = std::string(caption);
  s.width = width;
  s.height = height;
  s.clientSize = true;
  s.owner = owner;
  return s;
}

inline constexpr int kDialogButtonWidth = 89, kDialogButtonHeight = 25;

// "OK", the default button: Enter presses it. It ends the dialog with mrOk when accept (if given)
// says yes to what was entered.
class OkButton : public Button {
public:
  OkButton(Form& form, int left, int top, std::function<bool()> accept = {},
           int width = kDialogButtonWidth)
      : Button(
            form, left, top, width, kDialogButtonHeight, "OK",
            [&form, accept = std::move(accept)] {
              if (!accept || accept())
                form.EndModal(mrOk);
            },
            IDOK, true) {}
};

// "Abbrechen": Esc presses it; it ends the dialog with mrCancel unless onCancel is given.
class CancelButton : public Button {
public:
  CancelButton(Form& form, int left, int top, std::function<void()> onCancel = {},
               int width = kDialogButtonWidth)
      : Button(
            form, left, top, width, kDialogButtonHeight, "Abbrechen",
            onCancel ? std::move(onCancel) : [&form] { form.EndModal(mrCancel); }, IDCANCEL) {}
};

} // namespace ui
