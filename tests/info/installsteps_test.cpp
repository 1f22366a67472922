// The order in which an update's two files replace the old ones, tried on a folder in memory
// against a failure at every step: both new files or neither, and no old file lost.
#include "info/installsteps.h"

#include <gtest/gtest.h>

#include <map>
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

} // namespace
} // namespace dynlog
