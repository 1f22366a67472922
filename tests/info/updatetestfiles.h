#pragma once
// What the update tests share: an info window whose update runs against the update servers on
// loopback, with a program folder and a temporary folder of the test's own, its error boxes,
// questions and requests to end the program collected instead of shown.
#include "base/errorbox.h"
#include "base/text.h"
#include "info/uinfo.h"
#include "support/testfiles.h"
#include "uitest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace updatetest {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

using testsupport::PumpFor;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

const fs::path kWww = "updateserver/www"; // what the servers serve

// The file names in a folder, sorted.
inline Lines FilesIn(const fs::path& folder) {
  Lines names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    names.push_back(base::Narrow(entry.path().filename().wstring()));
  std::sort(names.begin(), names.end());
  return names;
}

// Every file of a folder with its bytes.
inline std::map<std::string, std::string> Contents(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[base::Narrow(entry.path().filename().wstring())] = ReadBytes(entry.path());
  return files;
}

// The log line of a transfer's progress.
inline std::string Progress(std::size_t received, std::size_t expected) {
  return std::to_string(received) + " Bytes von " + std::to_string(expected) + " übertragen ";
}

// The port of the update server NAME that the test fixture started, 0 when none runs.
inline int ServerPort(const std::string& name) {
  std::ifstream in("updateserver/port-" + name);
  int port = 0;
  in >> port;
  return port;
}

// The files the servers were asked for since the request log was last removed, in order.
inline Lines Requested() {
  Lines names;
  std::ifstream in("updateserver/requests.log");
  for (std::string server, path, rest; in >> server >> path && std::getline(in, rest);)
    names.push_back(path.substr(path.rfind('/') + 1));
  return names;
}

inline std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

// Runs then on the message loop, while the update waits, as soon as when() holds.
inline void Once(std::function<bool()> when, std::function<void()> then) {
  testsupport::AfterMs(20, [=] { when() ? then() : Once(when, then); });
}

// What the error box would have shown, and how things stood at that moment.
struct ErrorSeen {
  std::string text;
  bool buttonEnabled = false;
  Lines tempFiles;
};
inline std::function<void(const std::string&)> g_onError;
inline void CollectError(const std::string& text) {
  g_onError(text);
}

class UpdateTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(ServerPort("ok"), 0)
        << "the update servers are not running (info_updateserver_start)";
    // A blank and an umlaut in the folder: the updater's parameter must be quoted, and the path
    // must survive every conversion.
    programFolder = root.Path() / base::Widen("Mess Programme ä");
    tempFolder = root.Path() / "tmp";
    fs::create_directories(programFolder);
    fs::create_directories(tempFolder);
    // The update takes its header and body files from the system's temporary folder (TMP): here
    // the test's own, so that what it leaves behind can be seen.
    savedTmp = Environment(L"TMP");
    SetEnvironmentVariableW(L"TMP", (tempFolder.wstring() + L"\\").c_str());
    fs::create_directories(kWww);
    for (const auto& entry : fs::directory_iterator(kWww))
      fs::remove(entry.path());

    g_onError = [this](const std::string& text) {
      errors.push_back({text, about->Button4.Enabled(), FilesIn(tempFolder)});
    };
    base::SetErrorSink(CollectError);
    about = std::make_unique<TAboutBox>();
    about->Label8.SetText("Version 1.0.0.1");
    about->ProgramUpdate.RequestEnd = [this] { ++endRequests; };
    about->ProgramUpdate.AskUser = [this](HWND owner, const std::string& text) {
      questions.push_back(text);
      EXPECT_EQ(owner, about->Handle());
      // While the user is asked, the update is running: the button is off, and the version
      // list and the header file lie in the temporary folder.
      EXPECT_FALSE(about->Button4.Enabled());
      EXPECT_EQ(FilesIn(tempFolder).size(), 2u);
      return answer;
    };
    UseServer("ok");
  }

  void TearDown() override {
    about.reset();
    base::SetErrorSink(nullptr);
    SetEnvironmentVariableW(L"TMP", savedTmp.empty() ? nullptr : savedTmp.c_str());
  }

  void UseServer(const std::string& name) {
    UseHost("127.0.0.1:" + std::to_string(ServerPort(name)));
  }
  static void UseHost(const std::string& host) {
    SetEnvironmentVariableW(L"DYNLOG_UPDATE_HOST", base::Widen(host).c_str());
  }
  static std::string Host() { return base::Narrow(Environment(L"DYNLOG_UPDATE_HOST")); }
  static void Serve(const std::string& name, const std::string& bytes) {
    WriteBytes(kWww / name, bytes);
  }

  // Clicks "Program-Update" as the user does: the click reaches the window procedure, which
  // reports what the handler raises in the error box.
  void ClickUpdate() {
    questions.clear();
    errors.clear();
    endRequests = 0;
    SendMessageW(about->Handle(), WM_COMMAND, MAKEWPARAM(about->Button4.Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(about->Button4.Handle()));
  }

  // The update log. A run that a "Fehler: ..." line ended must say last which server it asked;
  // that closing line is checked here and left out, so that the cases can read the Fehler line
  // last. Without it the log ends in a marker that no case expects.
  Lines Log() const {
    Lines log = about->Memo1.Lines();
    constexpr std::string_view kFailure = "Fehler: ";
    if (!log.empty() && log.back().starts_with(kFailure))
      log.push_back("(no line naming the server)");
    else if (log.size() >= 2 && log[log.size() - 2].starts_with(kFailure) &&
             log.back() == "Update fehlgeschlagen (Server " + Host() +
                               "): " + log[log.size() - 2].substr(kFailure.size()))
      log.pop_back();
    return log;
  }

  bool LogEndsWith(const std::string& line) const { return !Log().empty() && Log().back() == line; }
  std::string LineBeforeLast() const {
    const Lines log = Log();
    return log.size() >= 2 ? log[log.size() - 2] : "";
  }

  // Lets a started updater finish before its folder is emptied.
  void AwaitUpdater() const {
    for (int waited = 0; waited < 300 && !fs::exists(programFolder / "updater-ran.txt"); ++waited)
      PumpFor(100);
    PumpFor(300);
  }

  testsupport::TempFolder root;
  fs::path programFolder, tempFolder;
  std::wstring savedTmp;
  std::unique_ptr<TAboutBox> about;
  std::vector<ErrorSeen> errors;
  Lines questions;
  int answer = IDCANCEL;
  int endRequests = 0;
};

} // namespace updatetest
