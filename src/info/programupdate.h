#pragma once
// The program update of the info window: fetch the version list from the update server, check
// that it is meant for this program, let the user decide, download the new program file and the
// updater into the program's folder, start the updater and end the program. Every step is logged
// in the window's text box.
#include "base/handles.h"
#include "info/tempfile.h"
#include "info/updatemanifest.h"
#include "info/updatetext.h"
#include "net/httpclient.h"
#include "ui/controls.h"
#include "ui/form.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dynlog {

// The window parts the update works with.
struct UpdateWindowParts {
  ui::Form& window;
  ui::Button& updateButton; // disabled while the update runs
  ui::Memo& log;            // hidden until the first update
  ui::Label& versionLabel;  // "Version a.b.c.d" of the running program
};

class ProgramUpdate {
public:
  // Asks the user; returns IDOK to go on.
  using QuestionBox = std::function<int(HWND owner, const std::string& text)>;

  explicit ProgramUpdate(UpdateWindowParts parts);
  ProgramUpdate(const ProgramUpdate&) = delete;
  ProgramUpdate& operator=(const ProgramUpdate&) = delete;

  // The whole update, waits for the server included. Failures of the server's files are logged;
  // an exception (no connection, time-out, a file that cannot be made) leaves after the temporary
  // files are gone and the button is enabled again.
  void Run();
  // Ends a running update at its next wait, as if it had never been asked for: nothing in the
  // program's folder is replaced, the temporary files go, the button comes back. Nothing happens
  // when no update runs.
  void Cancel();

  // The update server's host: DYNLOG_UPDATE_HOST from the environment, else the built-in one.
  static std::string ServerHost();
  // Whether this build carries the vendor's public key. Then an update is taken only with a valid
  // signature over its version list, and only files whose size and SHA-256 the list names.
  static bool SignaturesRequired();

  // The window's HTTP client. Its stop is the update's cancel: the one state that the client's
  // waits and the update's own waits between requests both look at.
  THttpClient HTTP1;

  // The question box; by default the system's box (no title, question icon, OK and Cancel).
  QuestionBox AskUser;
  // Ends the program once control is back in the message loop; by default posts the quit message.
  std::function<void()> RequestEnd;
  // The running program's full path; empty: taken from the system.
  std::string ProgramPath;
  // The most a download of at most `limit` bytes may take, in milliseconds.
  std::function<std::int32_t(std::int64_t limit)> DownloadDeadline = THttpClient::DeadlineFor;

private:
  // A file that arrived beside its target, held open from its check on so that nobody else can
  // write, rename or remove it before it is in place and started.
  struct Arrival {
    std::string name;
    TempFile file;
    base::UniqueFile hold; // closed before the file is removed
    std::int64_t size = 0;
    Sha256 sha256{};
  };
  // How a request for one of the server's files ended, and what it brought.
  struct Fetched {
    DownloadOutcome outcome;
    DownloadReply reply;
  };

  void HTTP1PacketRecvd();
  void StartLine(const std::string& line);
  void RunSteps(const std::string& host);
  // Whether the update was cancelled during the wait just ended; the log then says so.
  bool CancelledWhileWaiting();
  // Whether the version list's signature over these very bytes is valid (when this build requires
  // one); a failure is logged.
  bool ListSigned(const std::string& host, const std::string& versionList);
  // The version list's checks, read from the bytes that were checked, the question and the two
  // downloads; true when the updater may run.
  bool OfferUpdate(const std::string& host, const std::string& versionList,
                   const std::string& programPath);
  // Fetches the server's file name into path. Past limit bytes, announced or arrived, it is
  // broken off, which is logged. Once it is complete it is held in hold (see HoldFile), and what
  // is checked is read from there.
  Fetched Fetch(const std::string& host, const std::string& name, const std::string& path,
                std::int64_t limit, bool mustBeProgram, base::UniqueFile& hold);
  // Fetches a program file beside its target. Returns it only when the reply delivered the whole
  // file, a Windows program, and in a signed build exactly the file the list names; every other
  // outcome but a cancel is logged.
  std::optional<Arrival> Download(const std::string& host, const std::string& folder,
                                  const std::string& name, const std::optional<SignedFile>& listed);
  // Puts both files in place, or, when either cannot be, neither (see InstallAll), after writing
  // the journal that the next start finishes if the program is killed meanwhile; a failure is
  // logged.
  bool Install(Arrival& program, Arrival& updater, const std::string& folder);
  void StartUpdater(const std::string& programPath);
  std::string RunningProgramPath() const;

  UpdateWindowParts parts_;
  bool running_ = false;
  // The installed files, held so that nobody changes them before the updater has started.
  std::vector<base::UniqueFile> installed_;
};

} // namespace dynlog
