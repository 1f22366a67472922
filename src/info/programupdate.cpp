#include "info/programupdate.h"

#include "base/handles.h"
#include "base/messageloop.h"
#include "base/text.h"
#include "info/fileversion.h"
#include "info/installsteps.h"
#include "info/tempfile.h"
#include "info/updatejournal.h"
#include "info/updatesignature.h"
#include "info/updatetext.h"
#include "info/versionlist.h"

#include <windows.h>

#include <shellapi.h>

#include <string_view>
#include <utility>
#include <vector>

#ifndef DYNLOG_UPDATE_HOST_DEFAULT
#define DYNLOG_UPDATE_HOST_DEFAULT "update.example.com"
#endif
// The vendor's public key for the update's signatures, as hex digits; empty: none.
#ifndef DYNLOG_UPDATE_PUBKEY_HEX
#define DYNLOG_UPDATE_PUBKEY_HEX ""
#endif

namespace dynlog {
namespace {

// The window's height while the update runs and afterwards: the log comes into view below the
// buttons.
constexpr int kUpdateWindowHeight = 555;

// A server that stops answering must not hold the program for ever: every wait of a request
// ends after this long without news, with the client's abort exception.
constexpr std::int32_t kUpdateTimeOutMs = 30000;

constexpr std::string_view kPublicKeyText = DYNLOG_UPDATE_PUBKEY_HEX;

// Whether a downloaded file is the one the signed list names.
bool MatchesSignedList(const DownloadReply& reply, const SignedFile& expected) {
  return reply.bodyBytes == expected.size && reply.sha256 == expected.sha256;
}

std::string CannotReplaceText(const std::string& name, const std::string& reason) {
  return "Fehler: " + name + " kann nicht ersetzt werden: " + reason;
}

int SystemQuestionBox(HWND owner, const std::string& text) {
  return MessageBoxW(owner, base::Widen(text).c_str(), L"", MB_OKCANCEL | MB_ICONQUESTION);
}

} // namespace

ProgramUpdate::ProgramUpdate(UpdateWindowParts parts)
    : AskUser(SystemQuestionBox), RequestEnd([] { PostQuitMessage(0); }), parts_(parts) {
  HTTP1.Port = 80;
  HTTP1.ReportLevel = 0;
  HTTP1.InputFileMode = true;
  HTTP1.OutputFileMode = false;
  HTTP1.ProxyPort = 0;
  HTTP1.TimeOut = kUpdateTimeOutMs;
  HTTP1.HeaderInfo.UserId = "58213";
  HTTP1.HeaderInfo.Password = "VeNuSaR";
  HTTP1.Body = "body.txt";
  HTTP1.Header = "header.txt";
  HTTP1.OnPacketRecvd = [this](TSocketConnection&) { HTTP1PacketRecvd(); };
}

std::string ProgramUpdate::ServerHost() {
  std::string fromEnvironment;
  std::vector<wchar_t> value(256);
  for (;;) {
    const DWORD length = GetEnvironmentVariableW(L"DYNLOG_UPDATE_HOST", value.data(),
                                                 static_cast<DWORD>(value.size()));
    if (length < value.size()) {
      fromEnvironment = base::Narrow(std::wstring_view(value.data(), length));
      break;
    }
    value.resize(length + 1);
  }
  return ChooseUpdateHost(fromEnvironment.c_str(), DYNLOG_UPDATE_HOST_DEFAULT);
}

bool ProgramUpdate::SignaturesRequired() {
  return !kPublicKeyText.empty();
}

std::string ProgramUpdate::RunningProgramPath() const {
  if (!ProgramPath.empty())
    return ProgramPath;
  std::vector<wchar_t> path(MAX_PATH + 1);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size())
      return base::Narrow(std::wstring_view(path.data(), length));
    path.resize(path.size() * 2);
  }
}

void ProgramUpdate::HTTP1PacketRecvd() {
  parts_.log.SetLastLine(ProgressText(HTTP1.ReceivedBytes(), HTTP1.ExpectedBytes()));
}

void ProgramUpdate::StartLine(const std::string& line) {
  parts_.log.Append(line);
  base::WaitFor(0);      // the line is drawn before the wait for the server
  parts_.log.Append(""); // the request's progress line
}

void ProgramUpdate::Cancel() {
  if (running_)
    HTTP1.Stop(); // ends the wait in progress, and the next request before it starts
}

bool ProgramUpdate::CancelledWhileWaiting() {
  if (!HTTP1.Stopped())
    return false;
  // The user closed the window: that is an answer, not a failure.
  parts_.log.Append(kLogCancelled);
  return true;
}

void ProgramUpdate::Run() {
  parts_.updateButton.SetEnabled(false);
  base::ScopeExit enableButton{[this] { parts_.updateButton.SetEnabled(true); }};
  running_ = true;
  HTTP1.Resume();
  base::ScopeExit notRunning{[this] { running_ = false; }};
  parts_.window.SetOuterSize(parts_.window.OuterSize().cx, kUpdateWindowHeight);
  parts_.log.Clear();
  parts_.log.SetVisible(true);

  std::string host;
  try {
    host = ServerHost();
    RunSteps(host);
  } catch (const std::exception& e) {
    // A time-out, for one: the error box tells it, and the log says which server failed.
    parts_.log.Append(UpdateFailedText(host, e.what()));
    throw;
  }
  // An update that a "Fehler: ..." line ended says last which server it asked, like one that
  // an error box ended.
  const auto& lines = parts_.log.Lines();
  constexpr std::string_view kFailure = "Fehler: ";
  if (!lines.empty() && lines.back().starts_with(kFailure))
    parts_.log.Append(UpdateFailedText(host, lines.back().substr(kFailure.size())));
}

void ProgramUpdate::RunSteps(const std::string& host) {
  StartLine(kLogQuery);
  // Declared after the button's guard, so that they are gone before the button comes back.
  TempFile headerFile = TempFile::Create();
  TempFile bodyFile = TempFile::Create();
  HTTP1.Header = headerFile.Name();
  HTTP1.Body = bodyFile.Name();
  HTTP1.InputFileMode = true;
  // A cookie belongs to the server that set it, and the host may have changed since.
  HTTP1.HeaderInfo.Cookie.clear();
  installed_.clear();
  base::ScopeExit release{[this] { installed_.clear(); }};

  const std::string programPath = RunningProgramPath();
  base::UniqueFile listHold;
  const DownloadOutcome list =
      Fetch(host, kVersionListName, bodyFile.Name(), kVersionListLimit, false, listHold).outcome;
  // One read of the list, held since its download: the signature is checked over these bytes and
  // the list is read from them, so nothing changed on disk afterwards can be offered.
  const std::optional<std::string> versionList = list == DownloadOutcome::Complete
                                                     ? ReadWhole(listHold.get(), kVersionListLimit)
                                                     : std::nullopt;

  bool startUpdater = false;
  if (versionList)
    startUpdater = ListSigned(host, *versionList) && OfferUpdate(host, *versionList, programPath);
  else if (list != DownloadOutcome::Cancelled)
    parts_.log.Append(kLogNoVersionList);

  listHold.reset();
  headerFile.Remove();
  bodyFile.Remove();
  if (startUpdater) {
    StartUpdater(programPath);
    base::Delay(1000);
    RequestEnd();
  }
}

bool ProgramUpdate::ListSigned(const std::string& host, const std::string& versionList) {
  if (!SignaturesRequired())
    return true;
  // Checked before anything of the list is read or shown: until then it is anybody's text.
  StartLine(kLogSignatureQuery);
  TempFile signatureFile = TempFile::Create();
  base::UniqueFile hold;
  const DownloadOutcome got =
      Fetch(host, kSignatureName, signatureFile.Name(), kSignatureBytes, false, hold).outcome;
  if (got == DownloadOutcome::Cancelled)
    return false;
  const std::optional<UpdatePublicKey> key = ParsePublicKey(kPublicKeyText);
  const std::optional<std::string> signature =
      got == DownloadOutcome::Complete ? ReadWhole(hold.get(), kSignatureBytes) : std::nullopt;
  if (key && signature && SignatureValid(*key, versionList, *signature))
    return true;
  parts_.log.Append(kLogBadSignature);
  return false;
}

ProgramUpdate::Fetched ProgramUpdate::Fetch(const std::string& host, const std::string& name,
                                            const std::string& path, std::int64_t limit,
                                            bool mustBeProgram, base::UniqueFile& hold) {
  HTTP1.Body = path;
  HTTP1.BodyLimit = limit;
  // A server that sends a byte now and then must not hold the update for days.
  HTTP1.Deadline = DownloadDeadline(limit);
  try {
    HTTP1.Get(UpdateFileUrl(host, name));
  } catch (const std::exception&) {
    // A stopped request ends with whatever the wait it was in raises.
    if (CancelledWhileWaiting())
      return {DownloadOutcome::Cancelled, {}};
    throw;
  }
  if (HTTP1.BodyOverLimit()) {
    parts_.log.Append(OverLimitText(name, limit));
    return {DownloadOutcome::OverLimit, {}};
  }
  // From here on nobody else writes, renames or removes the file: what is checked is what is
  // later used.
  hold.reset(HoldFile(path));
  const std::optional<FileContent> content = hold ? ReadContent(hold.get()) : std::nullopt;
  DownloadReply reply;
  reply.headerValid = HTTP1.ReplyHeaderValid();
  reply.replyCode = HTTP1.ReplyCode();
  reply.announcedLength = HTTP1.AnnouncedLength();
  if (content) {
    reply.bodyBytes = content->size;
    reply.bodyStart = content->start;
    reply.sha256 = content->sha256;
  } else {
    reply.headerValid = false; // nothing that can be read counts
  }
  const bool complete = DownloadComplete(reply, mustBeProgram);
  return {complete ? DownloadOutcome::Complete : DownloadOutcome::Failed, reply};
}

bool ProgramUpdate::OfferUpdate(const std::string& host, const std::string& versionList,
                                const std::string& programPath) {
  const VersionList list(versionList);
  const ProgramLocation program = SplitProgramPath(programPath);
  // The list must be meant for this very file; the name is compared exactly, letter case too.
  const std::string name = list.Read(kVersionSection, kNameKey, kNameMissing);
  if (name != program.fileName) {
    parts_.log.Append(kLogNameMismatch);
    return false;
  }
  const std::string version = list.Read(kVersionSection, kVersionKey, kVersionMissing);
  if (!VersionTextReadable(version)) {
    parts_.log.Append(kLogVersionUnclear);
    return false;
  }
  const std::string newName = NewProgramFileName(name);
  // A signed list vouches for a newer version and for each file by size and SHA-256. A list
  // signed long ago stays valid for ever, so it must not lead back to the program it replaced.
  std::optional<SignedFile> signedProgram, signedUpdater;
  if (SignaturesRequired()) {
    // Compared with the program file itself: a label can say anything, and a program whose
    // version cannot be read cannot tell an old list from a new one.
    const std::string running = FileVersionText(programPath);
    if (running == "0") {
      parts_.log.Append(kLogRunningVersionUnknown);
      return false;
    }
    if (!SignedVersionNewer(version, running)) {
      parts_.log.Append(kLogNotNewer);
      return false;
    }
    signedProgram = ParseSignedFile(list.Read(kFileListSection, newName, ""));
    signedUpdater = ParseSignedFile(list.Read(kFileListSection, kUpdaterName, ""));
    if (!signedProgram || !signedUpdater) {
      parts_.log.Append(kLogFileListIncomplete);
      return false;
    }
  }
  if (AskUser(parts_.window.Handle(), UpdateQuestionText(version, parts_.versionLabel.Text())) !=
          IDOK ||
      CancelledWhileWaiting())
    return false;

  // Both files arrive beside their targets first; only when both are whole and, in a signed
  // build, exactly the files the list names, and the user has not closed the window in the
  // meantime, do they replace anything. An update is the program and its updater together, and
  // half of one is worse than none.
  std::optional<Arrival> newProgram = Download(host, program.folder, newName, signedProgram);
  if (!newProgram)
    return false;
  std::optional<Arrival> updater = Download(host, program.folder, kUpdaterName, signedUpdater);
  if (!updater)
    return false;
  parts_.log.Append(kLogDownloadOk);
  base::Delay(1000);
  return !CancelledWhileWaiting() && Install(*newProgram, *updater, program.folder);
}

std::optional<ProgramUpdate::Arrival>
ProgramUpdate::Download(const std::string& host, const std::string& folder, const std::string& name,
                        const std::optional<SignedFile>& listed) {
  StartLine(kLogDownload + name);
  // The reply goes into a fresh file beside the target: an error page or a cut-off transfer must
  // never stand under the program's or the updater's name, where it would be started.
  Arrival arrival{name, TempFile::CreateIn(folder), {}, 0, {}};
  // Both are Windows programs: whatever else arrived under their names is not.
  const Fetched got = Fetch(host, name, arrival.file.Name(),
                            listed ? listed->size : kUnsignedFileLimit, true, arrival.hold);
  if (got.outcome == DownloadOutcome::Cancelled)
    return std::nullopt;
  if (got.outcome != DownloadOutcome::Complete) {
    parts_.log.Append(kLogNoFile);
    return std::nullopt;
  }
  if (listed && !MatchesSignedList(got.reply, *listed)) {
    parts_.log.Append(kLogFileDamaged);
    return std::nullopt;
  }
  arrival.size = got.reply.bodyBytes;
  arrival.sha256 = got.reply.sha256;
  return arrival;
}

bool ProgramUpdate::Install(Arrival& program, Arrival& updater, const std::string& folder) {
  struct Place {
    Arrival& arrival;
    std::string target;
    std::string aside; // the old file's name while the new one goes in; empty: there is none
  };
  Place places[] = {{program, folder + program.name, {}}, {updater, folder + updater.name, {}}};
  const auto fileName = [](const std::string& path) { return SplitProgramPath(path).fileName; };
  const auto move = [](const std::string& from, const std::string& to, DWORD flags) {
    return MoveFileExW(base::Widen(from).c_str(), base::Widen(to).c_str(), flags) != 0;
  };
  std::vector<bool> oldExists;
  std::vector<JournalEntry> journal;
  base::UniqueFile journalHold;
  try {
    for (Place& place : places) {
      oldExists.push_back(FileExists(place.target));
      if (oldExists.back()) {
        // A fresh name that no file has: in the journal, a file of that name is the old one.
        TempFile reserved = TempFile::CreateIn(folder);
        place.aside = reserved.Name();
      }
      journal.push_back({place.arrival.name, fileName(place.arrival.file.Name()),
                         place.aside.empty() ? "" : fileName(place.aside), place.arrival.size,
                         HexText(place.arrival.sha256)});
    }
    journalHold = WriteJournal(folder, journal);
  } catch (const std::exception& e) {
    parts_.log.Append(CannotReplaceText(program.name, e.what()));
    return false;
  }
  if (!journalHold) {
    parts_.log.Append(CannotReplaceText(program.name, SystemErrorText(GetLastError())));
    return false;
  }
  std::string failure;
  bool undone = true;
  const auto perform = [&](const InstallStep& step) {
    Place& place = places[step.file];
    void* const hold = place.arrival.hold.get();
    switch (step.kind) {
    case InstallStep::PutOldAside:
      if (move(place.target, place.aside, 0))
        return true;
      break;
    case InstallStep::PutNewInPlace:
      // Through the hold: the very file that was checked, which nobody else can rename.
      if (RenameHeld(hold, place.target, false))
        return true;
      break;
    case InstallStep::CheckNew: {
      const base::UniqueFile installed(OpenUnwritable(place.target, false));
      if (installed && SameFile(installed.get(), hold))
        return true;
      failure = ChangedAfterCheckText(place.arrival.name);
      return false;
    }
    case InstallStep::TakeNewOut:
      undone = RenameHeld(hold, place.arrival.file.Name(), true) && undone;
      return undone;
    case InstallStep::PutOldBack:
      // An old file that cannot go back stays where it was put aside, and the journal with it.
      undone = move(place.aside, place.target, MOVEFILE_REPLACE_EXISTING) && undone;
      return undone;
    }
    failure = CannotReplaceText(place.arrival.name, SystemErrorText(GetLastError()));
    return false;
  };
  const bool installed = InstallAll(oldExists, perform);
  if (installed) {
    for (Place& place : places) {
      if (!place.aside.empty())
        DeleteFileW(base::Widen(place.aside).c_str());
      place.arrival.file.Release();
      installed_.push_back(std::move(place.arrival.hold)); // until the updater has started
    }
  } else {
    parts_.log.Append(failure);
  }
  // Undone only in part, the next start finishes the undoing.
  if (installed || undone)
    RemoveJournal(folder, journalHold);
  return installed;
}

void ProgramUpdate::StartUpdater(const std::string& programPath) {
  const ProgramLocation program = SplitProgramPath(programPath);
  const std::wstring updater = base::Widen(program.folder + kUpdaterName);
  const std::wstring parameters = base::Widen("\"" + programPath + "\"");
  const std::wstring folder = base::Widen(program.folder);
  // The program ends either way: the new files are in place and the updater can also be started
  // by hand.
  ShellExecuteW(parts_.window.Handle(), L"open", updater.c_str(), parameters.c_str(),
                folder.c_str(), SW_SHOW);
}

} // namespace dynlog
