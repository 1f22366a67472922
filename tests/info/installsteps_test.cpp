// The order in which an update's two files replace the old ones, tried on a folder in memory
// against a failure at every step: both new files or neither, and no old file lost.
#include "info/installsteps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace dynlog {
namespace {

TEST(InstallStepsTest, EveryFailureLeavesBothNewFilesOrTheOldOnes) {
  for (int olds = 0; olds < 4; ++olds) {
    const std::vector<bool> oldExists{(olds & 1) != 0, (olds & 2) != 0};
    for (int failAt = 0; failAt <= 6; ++failAt) { // 6 steps at most
      SCOPED_TRACE(testing::Message() << "old files " << olds << ", failing step " << failAt);
      // Places "t0", "t1"; new files waiting as "n0", "n1"; old ones put aside as "a0", "a1".
      std::map<std::string, std::string> folder{{"n0", "new 0"}, {"n1", "new 1"}};
      for (const std::string i : {"0", "1"})
        if (oldExists[i == "1"])
          folder["t" + i] = "old " + i;
      const auto before = folder;
      const auto move = [&](const std::string& from, const std::string& to) {
        if (!folder.contains(from))
          return false;
        folder[to] = folder[from];
        folder.erase(from);
        return true;
      };
      int step = 0;
      bool newInPlace = false;
      const bool installed = InstallAll(oldExists, [&](const InstallStep& s) {
        const std::string i = std::to_string(s.file);
        if (s.kind <= InstallStep::CheckNew && step++ == failAt)
          return false;
        switch (s.kind) {
        case InstallStep::PutOldAside:
          return move("t" + i, "a" + i);
        case InstallStep::PutNewInPlace:
          newInPlace = true;
          return move("n" + i, "t" + i);
        case InstallStep::CheckNew:
          return folder["t" + i] == "new " + i;
        case InstallStep::TakeNewOut:
          return move("t" + i, "n" + i);
        case InstallStep::PutOldBack:
          return move("a" + i, "t" + i);
        }
        return false;
      });
      EXPECT_EQ(installed, failAt >= step);
      if (installed) {
        EXPECT_TRUE(folder["t0"] == "new 0" && folder["t1"] == "new 1");
      } else {
        EXPECT_EQ(folder, before);
      }
      // An old file that refuses to go aside is found before any new file stands in a place.
      if (oldExists[1] && failAt == (oldExists[0] ? 1 : 0)) {
        EXPECT_FALSE(newInPlace);
      }
    }
  }
}

namespace fs = std::filesystem;

std::map<std::string, std::string> FilesIn(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
  }
  return files;
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The install on real files, killed after each of its steps (its undoing after a failure
// included): the repair at the next start leaves one whole version, the new one exactly when both
// new files stood in their places, and no file of the update, but every file of the user's.
TEST(InstallStepsTest, AKillAfterAnyStepIsRepairedAtTheNextStart) {
  const fs::path dir =
      fs::temp_directory_path() / ("dynlog-installsteps-" + std::to_string(std::random_device{}()));
  const std::map<std::string, std::string> mine{
      {"user.part", "u"}, {"dynlog-update-1.part", "u"}, {"dynlog-update-0000000g.part", "u"}};
  const UpdateFolder folder{
      [&] {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : FilesIn(dir))
          names.push_back(name);
        return names;
      },
      [&](const std::string& name) { return std::optional(FilesIn(dir)[name]); },
      [&](const std::string& name, const JournalEntry& e) {
        return FilesIn(dir)[name] == "new " + e.target;
      },
      [&](const std::string& from, const std::string& to) {
        std::error_code ec;
        fs::rename(dir / from, dir / to, ec);
        return !ec;
      },
      [&](const std::string& name) { return fs::remove(dir / name); }};
  for (int olds = 0; olds < 4; ++olds) {
    const std::vector<bool> oldExists{(olds & 1) != 0, (olds & 2) != 0};
    const int forward = oldExists[0] + oldExists[1] + 4;
    for (int failAt = -1; failAt < forward; ++failAt) {
      for (int killAfter = 0;; ++killAfter) {
        SCOPED_TRACE(testing::Message() << "old files " << olds << ", failing step " << failAt
                                        << ", killed after " << killAfter);
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::map<std::string, std::string> before = mine, after = mine;
        std::vector<JournalEntry> journal;
        for (std::uint32_t i = 0; i < 2; ++i) {
          const std::string target = i == 0 ? "t0" : "t1";
          journal.push_back({target, UpdateTempName(i), oldExists[i] ? UpdateTempName(2 + i) : "",
                             6, std::string(64, '0')});
          if (oldExists[i])
            before[target] = "old " + target;
          after[target] = "new " + target;
        }
        for (const auto& [name, bytes] : before)
          Write(dir / name, bytes);
        for (const JournalEntry& e : journal)
          Write(dir / e.arrival, "new " + e.target);
        Write(dir / UpdateTempName(0xabcdef01), "a download a kill left");
        Write(dir / kJournalName, JournalText(journal));

        int taken = 0, forwardTaken = 0;
        const auto perform = [&](const InstallStep& s) {
          if (taken++ == killAfter)
            throw std::runtime_error("killed");
          if (s.kind <= InstallStep::CheckNew && forwardTaken++ == failAt)
            return false;
          const JournalEntry& e = journal[s.file];
          if (s.kind == InstallStep::CheckNew)
            return folder.holdsNew(e.target, e);
          // What each step moves, in the order of InstallStep::Kind (CheckNew moves nothing).
          const std::string* moves[][2] = {{&e.target, &e.aside},
                                           {&e.arrival, &e.target},
                                           {},
                                           {&e.target, &e.arrival},
                                           {&e.aside, &e.target}};
          return folder.move(*moves[s.kind][0], *moves[s.kind][1]);
        };
        try {
          InstallAll(oldExists, perform);
        } catch (const std::runtime_error&) {
          auto atKill = FilesIn(dir);
          const bool bothNewInPlace = atKill["t0"] == after["t0"] && atKill["t1"] == after["t1"];
          if (failAt < 0) {
            EXPECT_EQ(bothNewInPlace, killAfter >= forward - 2);
          }
          EXPECT_NE(RepairUpdateFolder(folder), RepairOutcome::Failed);
          EXPECT_EQ(FilesIn(dir), bothNewInPlace ? after : before);
          continue;
        }
        break; // the install ran to its end: every kill has been tried
      }
    }
  }
  fs::remove_all(dir);
}

} // namespace
} // namespace dynlog
