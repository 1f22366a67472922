#include "window/recordingsaver.h"

#include "base/errorbox.h"
#include "base/fileerror.h"
#include "files/descriptionsettings.h"
#include "files/measurementfilewriter.h"
#include "test/recordingtexts.h"
#include "ui/questionbox.h"
#include "window/savedialog.h"

#include <vector>

void RecordingSaver::SaveTo(const std::string& utf8Path) {
  if (recording_.SampleCount() == 0)
    return;
  dynlog::SaveRecordingFile(utf8Path, recording_);
  recording_.MarkSaved();
}

bool RecordingSaver::SaveWithDialog() {
  if (recording_.SampleCount() == 0)
    return false;
  const auto path = dynlog::AskSaveName(owner_, lastName_);
  if (!path)
    return false;
  try {
    SaveTo(*path);
    dynlog::WriteTestDescription(settings_, recording_.NextDescription());
  } catch (const base::FileError& e) {
    base::ShowErrorBox(
        dynlog::SaveFailureText(e.what(), *path, recording_.SampleCount(), separators_));
    return false;
  }
  return true;
}

bool RecordingSaver::MayDrop(bool closing, const std::function<void()>& stop) {
  if (runMode_ != ui::RunMode::Person || recording_.MayDropWithoutQuestion())
    return true;
  const bool running = recording_.State() == dynlog::MeasuringState::Running;
  const std::vector<ui::QuestionButton> buttons =
      running ? std::vector<ui::QuestionButton>{{"Stoppen und &speichern", IDYES},
                                                {"&Verwerfen", IDNO},
                                                {"&Weiter messen", IDCANCEL}}
              : std::vector<ui::QuestionButton>{
                    {"&Speichern", IDYES}, {"&Verwerfen", IDNO}, {"Abbrechen", IDCANCEL}};
  const int answer = ui::Ask(
      owner_, base::ApplicationTitle(),
      dynlog::UnsavedRecordingQuestion(recording_.SampleCount(), closing, running, separators_),
      buttons);
  if (answer == IDNO)
    return true;
  if (answer != IDYES)
    return false;
  if (running)
    stop(); // what is saved is stopped; a cancelled save leaves the test stopped
  return SaveWithDialog();
}
