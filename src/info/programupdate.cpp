#include "info/programupdate.h"

#include "base/handles.h"
#include "base/messageloop.h"
#include "base/text.h"
#include "info/tempfile.h"
#include "info/updatesignature.h"
#include "info/updatetext.h"
#include "info/versionlist.h"

#include <windows.h>

#include <shellapi.h>

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

// A version list is a few lines; one that is not small is not one to check.
constexpr std::size_t kVersionListMaxBytes = 1024 * 1024;

constexpr std::string_view kPublicKeyText = DYNLOG_UPDATE_PUBKEY_HEX;

// Whether a downloaded file is the one the signed list names.
bool MatchesSignedList(const std::string& path, const SignedFile& expected) {
  const std::optional<SignedFile> actual = DigestOfFile(path);
  return actual && actual->size == expected.size && actual->sha256 == expected.sha256;
}

int SystemQuestionBox(HWND owner, const std::string& text) {
  return MessageBoxW(owner, base::Widen(text).c_str(), L"", MB_OKCANCEL | MB_ICONQUESTION);
}

} // namespace

TProgramUpdate::TProgramUpdate(UpdateWindowParts parts)
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

std::string TProgramUpdate::ServerHost() {
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

bool TProgramUpdate::SignaturesRequired() {
  return !kPublicKeyText.empty();
}

std::string TProgramUpdate::RunningProgramPath() const {
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

void TProgramUpdate::HTTP1PacketRecvd() {
  parts_.log.SetLastLine(ProgressText(HTTP1.ReceivedBytes(), HTTP1.ExpectedBytes()));
}

void TProgramUpdate::StartLine(const std::string& line) {
  parts_.log.Append(line);
  base::WaitFor(0);      // the line is drawn before the wait for the server
  parts_.log.Append(""); // the request's progress line
}

void TProgramUpdate::Cancel() {
  if (!running_)
    return;
  cancelled_ = true;
  // Ends the wait in progress; the steps between waits look at the flag themselves, because the
  // client forgets a cancel when its next request connects.
  HTTP1.Abort();
}

void TProgramUpdate::StopIfCancelled() const {
  if (cancelled_)
    throw EAbortError(kLogCancelled);
}

void TProgramUpdate::Run() {
  parts_.updateButton.SetEnabled(false);
  base::ScopeExit enableButton{[this] { parts_.updateButton.SetEnabled(true); }};
  running_ = true;
  cancelled_ = false;
  base::ScopeExit notRunning{[this] { running_ = false; }};
  parts_.window.SetOuterSize(parts_.window.OuterSize().cx, kUpdateWindowHeight);
  parts_.log.Clear();
  parts_.log.SetVisible(true);

  try {
    RunSteps();
  } catch (const EAbortError&) {
    if (!cancelled_)
      throw; // a time-out: the error box tells it
    // The user closed the window: that is an answer, not a failure.
    parts_.log.Append(kLogCancelled);
  }
}

void TProgramUpdate::RunSteps() {
  StartLine(kLogQuery);
  // Declared after the button's guard, so that they are gone before the button comes back.
  TempFile headerFile = TempFile::Create();
  TempFile bodyFile = TempFile::Create();
  HTTP1.Header = headerFile.Name();
  HTTP1.Body = bodyFile.Name();
  HTTP1.InputFileMode = true;
  // A port named by an earlier host setting must not stick to a host that names none.
  HTTP1.Port = 80;

  const std::string host = ServerHost();
  const std::string programPath = RunningProgramPath();
  StopIfCancelled();
  HTTP1.Get(host + kUpdateServerFolder + kVersionListName);
  StopIfCancelled();

  bool startUpdater = false;
  if (!ReceivedWhole(bodyFile.Name(), false))
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

bool TProgramUpdate::ListSignatureValid(const std::string& host,
                                        const std::string& versionListFile) {
  // Checked before anything of the list is read or shown: until then it is anybody's text.
  StartLine(kLogSignatureQuery);
  TempFile signatureFile = TempFile::Create();
  HTTP1.Body = signatureFile.Name();
  HTTP1.Get(host + kUpdateServerFolder + kSignatureName);
  StopIfCancelled();
  if (!ReceivedWhole(signatureFile.Name(), false))
    return false;
  const std::optional<UpdatePublicKey> key = ParsePublicKey(kPublicKeyText);
  const std::optional<std::string> list = ReadSmallFile(versionListFile, kVersionListMaxBytes);
  const std::optional<std::string> signature = ReadSmallFile(signatureFile.Name(), kSignatureBytes);
  return key && list && signature && SignatureValid(*key, *list, *signature);
}

bool TProgramUpdate::ReceivedWhole(const std::string& path, bool mustBeProgram) const {
  const std::optional<FileHead> body = ReadFileHead(path, 2);
  if (!body)
    return false;
  DownloadReply reply;
  reply.headerValid = HTTP1.ReplyHeaderValid();
  reply.replyCode = HTTP1.ReplyCode();
  reply.announcedLength = HTTP1.AnnouncedLength();
  reply.bodyBytes = body->size;
  reply.bodyStart = body->start;
  return DownloadComplete(reply, mustBeProgram);
}

bool TProgramUpdate::OfferUpdate(const std::string& host, const std::string& versionListFile,
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
    if (!SignedVersionNewer(version, parts_.versionLabel.Text())) {
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
  // A file that did not arrive whole, or not as the signed list names it, ends the update.
  const auto fetch = [&](const std::string& name, const std::optional<SignedFile>& signedFile) {
    std::optional<TempFile> file = Download(host, program.folder, name);
    if (!file)
      parts_.log.Append(kLogNoFile);
    else if (signedFile && !MatchesSignedList(file->Name(), *signedFile)) {
      parts_.log.Append(kLogFileDamaged);
      file.reset();
    }
    return file;
  };
  std::optional<TempFile> newProgram = fetch(newName, signedProgram);
  if (!newProgram)
    return false;
  std::optional<TempFile> updater = fetch(kUpdaterName, signedUpdater);
  if (!updater)
    return false;
  parts_.log.Append(kLogDownloadOk);
  base::Delay(1000);
  StopIfCancelled();
  if (!newProgram->MoveTo(program.folder + newName) ||
      !updater->MoveTo(program.folder + kUpdaterName)) {
    parts_.log.Append(kLogNoFile);
    return false;
  }
  return true;
}

std::optional<TempFile> TProgramUpdate::Download(const std::string& host, const std::string& folder,
                                                 const std::string& name) {
  StartLine(kLogDownload + name);
  StopIfCancelled();
  // The reply goes into a fresh file beside the target: an error page or a cut-off transfer must
  // never stand under the program's or the updater's name, where it would be started.
  TempFile part = TempFile::CreateIn(folder);
  HTTP1.Body = part.Name();
  HTTP1.Get(host + kUpdateServerFolder + name);
  StopIfCancelled();
  // Both are Windows programs: whatever else arrived under their names is not.
  if (!ReceivedWhole(part.Name(), true))
    return std::nullopt;
  return part;
}

void TProgramUpdate::StartUpdater(const std::string& programPath) {
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
