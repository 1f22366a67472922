#include "info/programupdate.h"

#include "base/handles.h"
#include "base/messageloop.h"
#include "base/text.h"
#include "info/fileversion.h"
#include "info/tempfile.h"
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

std::string CannotReplaceText(const std::string& name, DWORD error) {
  return "Fehler: " + name + " kann nicht ersetzt werden: " + SystemErrorText(error);
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
  if (limit_ > 0 && !overLimit_ &&
      (HTTP1.ReceivedBytes() > limit_ || HTTP1.ExpectedBytes() > limit_)) {
    overLimit_ = true;
    HTTP1.Abort();
  }
}

void ProgramUpdate::StartLine(const std::string& line) {
  parts_.log.Append(line);
  base::WaitFor(0);      // the line is drawn before the wait for the server
  parts_.log.Append(""); // the request's progress line
}

void ProgramUpdate::Cancel() {
  if (!running_)
    return;
  cancelled_ = true;
  // Ends the wait in progress; the steps between waits look at the flag themselves, because the
  // client forgets a cancel when its next request connects.
  HTTP1.Abort();
}

void ProgramUpdate::StopIfCancelled() const {
  if (cancelled_)
    throw EAbortError(kLogCancelled);
}

void ProgramUpdate::Run() {
  parts_.updateButton.SetEnabled(false);
  base::ScopeExit enableButton{[this] { parts_.updateButton.SetEnabled(true); }};
  running_ = true;
  cancelled_ = false;
  base::ScopeExit notRunning{[this] { running_ = false; }};
  parts_.window.SetOuterSize(parts_.window.OuterSize().cx, kUpdateWindowHeight);
  parts_.log.Clear();
  parts_.log.SetVisible(true);

  std::string host;
  try {
    host = ServerHost();
    RunSteps(host);
    // An update that a "Fehler: ..." line ended says last which server it asked, like one that
    // an error box ended.
    const auto& lines = parts_.log.Lines();
    constexpr std::string_view kFailure = "Fehler: ";
    if (!lines.empty() && lines.back().starts_with(kFailure))
      parts_.log.Append(UpdateFailedText(host, lines.back().substr(kFailure.size())));
  } catch (const EAbortError& e) {
    if (!cancelled_) {
      // A time-out: the error box tells it, and the log says which server failed.
      parts_.log.Append(UpdateFailedText(host, e.what()));
      throw;
    }
    // The user closed the window: that is an answer, not a failure.
    parts_.log.Append(kLogCancelled);
  } catch (const std::exception& e) {
    parts_.log.Append(UpdateFailedText(host, e.what()));
    throw;
  }
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
  StopIfCancelled();
  base::UniqueFile listHold;
  const std::optional<DownloadReply> list =
      Fetch(host, kVersionListName, bodyFile.Name(), kVersionListLimit, listHold);
  listHold.reset();

  bool startUpdater = false;
  if (!list || !DownloadComplete(*list, false))
    parts_.log.Append(kLogNoVersionList);
  else if (SignaturesRequired() && !ListSignatureValid(host, bodyFile.Name()))
    parts_.log.Append(kLogBadSignature);
  else
    startUpdater = OfferUpdate(host, bodyFile.Name(), programPath);

  headerFile.Remove();
  bodyFile.Remove();
  if (startUpdater) {
    StartUpdater(programPath);
    base::Delay(1000);
    RequestEnd();
  }
}

bool ProgramUpdate::ListSignatureValid(const std::string& host,
                                       const std::string& versionListFile) {
  // Checked before anything of the list is read or shown: until then it is anybody's text.
  StartLine(kLogSignatureQuery);
  TempFile signatureFile = TempFile::Create();
  base::UniqueFile hold;
  const std::optional<DownloadReply> reply =
      Fetch(host, kSignatureName, signatureFile.Name(), kSignatureBytes, hold);
  hold.reset();
  if (!reply || !DownloadComplete(*reply, false))
    return false;
  const std::optional<UpdatePublicKey> key = ParsePublicKey(kPublicKeyText);
  const std::optional<std::string> list = ReadSmallFile(versionListFile, kVersionListLimit);
  const std::optional<std::string> signature = ReadSmallFile(signatureFile.Name(), kSignatureBytes);
  return key && list && signature && SignatureValid(*key, *list, *signature);
}

std::optional<DownloadReply> ProgramUpdate::Fetch(const std::string& host, const std::string& name,
                                                  const std::string& path, std::int64_t limit,
                                                  base::UniqueFile& hold) {
  StopIfCancelled();
  HTTP1.Body = path;
  limit_ = limit;
  overLimit_ = false;
  base::ScopeExit noLimit{[this] { limit_ = 0; }};
  try {
    HTTP1.Get(UpdateFileUrl(host, name));
  } catch (const EAbortError&) {
    if (!overLimit_ || cancelled_)
      throw;
  }
  StopIfCancelled();
  if (overLimit_) {
    parts_.log.Append(OverLimitText(name, limit));
    return std::nullopt;
  }
  // From here on nobody writes the file: what is checked is what is later used.
  hold.reset(OpenUnwritable(path, false));
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
  return reply;
}

bool ProgramUpdate::OfferUpdate(const std::string& host, const std::string& versionListFile,
                                const std::string& programPath) {
  VersionList list(versionListFile);
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
      IDOK)
    return false;
  StopIfCancelled();

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
  StopIfCancelled();
  return Install(*newProgram, *updater, program.folder);
}

std::optional<ProgramUpdate::Arrival>
ProgramUpdate::Download(const std::string& host, const std::string& folder, const std::string& name,
                        const std::optional<SignedFile>& listed) {
  StartLine(kLogDownload + name);
  StopIfCancelled();
  // The reply goes into a fresh file beside the target: an error page or a cut-off transfer must
  // never stand under the program's or the updater's name, where it would be started.
  Arrival arrival{name, TempFile::CreateIn(folder), {}};
  const std::optional<DownloadReply> reply = Fetch(
      host, name, arrival.file.Name(), listed ? listed->size : kUnsignedFileLimit, arrival.hold);
  // Both are Windows programs: whatever else arrived under their names is not.
  if (!reply || !DownloadComplete(*reply, true)) {
    parts_.log.Append(kLogNoFile);
    return std::nullopt;
  }
  if (listed && !MatchesSignedList(*reply, *listed)) {
    parts_.log.Append(kLogFileDamaged);
    return std::nullopt;
  }
  return arrival;
}

bool ProgramUpdate::Install(Arrival& program, Arrival& updater, const std::string& folder) {
  struct Step {
    Arrival& arrival;
    std::string target;
    std::optional<TempFile> aside; // the old file, while the new one goes in
    bool placed = false;
    base::UniqueFile installed;
  };
  Step steps[] = {{program, folder + program.name, {}, false, {}},
                  {updater, folder + updater.name, {}, false, {}}};
  const auto undo = [&](const std::string& line) {
    parts_.log.Append(line);
    for (Step& step : steps) {
      step.installed.reset();
      if (step.placed)
        MoveFileExW(base::Widen(step.target).c_str(), base::Widen(step.arrival.file.Name()).c_str(),
                    MOVEFILE_REPLACE_EXISTING);
      // An old file that cannot go back stays where it was put aside rather than being lost.
      if (step.aside && !step.aside->MoveTo(step.target))
        step.aside->Release();
    }
    return false;
  };
  for (Step& step : steps) {
    if (!FileExists(step.target))
      continue;
    step.aside.emplace(TempFile::CreateIn(folder));
    if (!MoveFileExW(base::Widen(step.target).c_str(), base::Widen(step.aside->Name()).c_str(),
                     MOVEFILE_REPLACE_EXISTING)) {
      const DWORD error = GetLastError();
      step.aside.reset();
      return undo(CannotReplaceText(step.arrival.name, error));
    }
  }
  for (Step& step : steps) {
    if (!MoveFileExW(base::Widen(step.arrival.file.Name()).c_str(),
                     base::Widen(step.target).c_str(), 0)) {
      const DWORD error = GetLastError();
      return undo(CannotReplaceText(step.arrival.name, error));
    }
    step.placed = true;
  }
  // What now stands under the target's name must be the very file that was checked: held since
  // its check, nobody could write it, but it could have been renamed and another put in its place.
  for (Step& step : steps) {
    step.installed.reset(OpenUnwritable(step.target, true));
    if (!step.installed || !SameFile(step.installed.get(), step.arrival.hold.get()))
      return undo(ChangedAfterCheckText(step.arrival.name));
  }
  for (Step& step : steps)
    installed_.push_back(std::move(step.installed));
  return true; // the old files go with their TempFile
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
