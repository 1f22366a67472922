// The order in which an update's two files replace the old ones, tried on a folder in memory
// against a failure at every step: both new files or neither, and no old file lost.
#include "info/installsteps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace dynlog {
namespace {

// Places "t0", "t1"; new files waiting as "n0", "n1"; old files put aside as "a0", "a1".
struct Folder {
  std::map<std::string, std::string> files;
  bool Move(const std::string& from, const std::string& to) {
    if (!files.contains(from))
      return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
};

TEST(InstallStepsTest, EveryFailureLeavesBothNewFilesOrTheOldOnes) {
  for (int olds = 0; olds < 4; ++olds) {
    const std::vector<bool> oldExists{(olds & 1) != 0, (olds & 2) != 0};
    for (int failAt = 0; failAt < 7; ++failAt) { // 6 steps at most; 6: none fails
      SCOPED_TRACE("old files " + std::to_string(olds) + ", failing step " +
                   std::to_string(failAt));
      Folder folder{{{"n0", "new 0"}, {"n1", "new 1"}}};
      for (std::size_t i = 0; i < 2; ++i)
        if (oldExists[i])
          folder.files["t" + std::to_string(i)] = "old " + std::to_string(i);
      const Folder before = folder;
      std::vector<InstallStep> taken;
      int step = 0;
      const bool installed = InstallAll(oldExists, [&](const InstallStep& s) {
        taken.push_back(s);
        const std::string i = std::to_string(s.file);
        if (s.kind <= InstallStep::CheckNew && step++ == failAt)
          return false;
        switch (s.kind) {
        case InstallStep::PutOldAside:
          return folder.Move("t" + i, "a" + i);
        case InstallStep::PutNewInPlace:
          return folder.Move("n" + i, "t" + i);
        case InstallStep::CheckNew:
          return folder.files["t" + i] == "new " + i;
        case InstallStep::TakeNewOut:
          return folder.Move("t" + i, "n" + i);
        case InstallStep::PutOldBack:
          return folder.Move("a" + i, "t" + i);
        }
        return false;
      });
      EXPECT_EQ(installed, failAt >= step);
      if (installed) {
        EXPECT_EQ(folder.files["t0"], "new 0");
        EXPECT_EQ(folder.files["t1"], "new 1");
      } else {
        EXPECT_EQ(folder.files, before.files);
      }
      // An old file that refuses to go aside is found before any new file stands in a place.
      if (oldExists[1] && failAt == (oldExists[0] ? 1 : 0)) {
        EXPECT_EQ(std::count_if(
                      taken.begin(), taken.end(),
                      [](const InstallStep& s) { return s.kind == InstallStep::PutNewInPlace; }),
                  0);
      }
    }
  }
}

} // namespace
} // namespace dynlog
