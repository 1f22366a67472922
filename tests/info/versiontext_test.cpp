#include "info/versiontext.h"

#include <gtest/gtest.h>

namespace dynlog {
namespace {

TEST(VersionTextTest, FourDecimalPartsFromTheFileVersion) {
  EXPECT_EQ(VersionText(0x0002000A, 0x00000007), "2.10.0.7");
  EXPECT_EQ(VersionText(0x00010000, 0x00000001), "1.0.0.1");
  EXPECT_EQ(VersionText(0, 0), "0.0.0.0");
  EXPECT_EQ(VersionText(0xFFFFFFFF, 0xFFFF0000), "65535.65535.65535.0");
}

} // namespace
} // namespace dynlog
