#pragma once
// Whether a person is at the program's windows. With one, the windows ask before anything is lost
// and keep what the person chose (in km470.ini) for the next start. Without one (a run from the
// command line), nobody is asked and the person's settings stay as they were.

namespace ui {

enum class RunMode { Person, Unattended };

} // namespace ui
