// The portable side of signed updates: the build's key text, the file list's entries and the
// check that a signed list offers a newer version.
#include "info/updatemanifest.h"

#include <gtest/gtest.h>

#include <string>

namespace dynlog {
namespace {

const std::string kX = std::string(62, '1') + "aB";
const std::string kY = std::string(63, 'f') + "0";
const std::string kHash = "00" + std::string(60, 'e') + "Ff";

TEST(UpdateManifestTest, PublicKeyTakesTheUncompressedPointOrItsCoordinates) {
  const auto full = ParsePublicKey("04" + kX + kY);
  ASSERT_TRUE(full);
  EXPECT_EQ((*full)[0], 0x11);
  EXPECT_EQ((*full)[31], 0xAB);
  EXPECT_EQ((*full)[32], 0xFF);
  EXPECT_EQ((*full)[63], 0xF0);
  EXPECT_EQ(ParsePublicKey(kX + kY), full);
  EXPECT_EQ(ParsePublicKey(" 04" + kX + kY + "\t"), full);
  for (const std::string& bad :
       {std::string(), "02" + kX + kY, "04" + kX + kY.substr(1), "04" + kX + kY + "0",
        "04" + kX + kY.substr(0, 63) + "g", kX, "04 " + kX + kY.substr(1)})
    EXPECT_FALSE(ParsePublicKey(bad)) << bad;
}

TEST(UpdateManifestTest, FileEntryIsSizeBlanksAndSha256) {
  const auto entry = ParseSignedFile("200000 " + kHash);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->size, 200000);
  EXPECT_EQ(entry->sha256[0], 0x00);
  EXPECT_EQ(entry->sha256[1], 0xEE);
  EXPECT_EQ(entry->sha256[31], 0xFF);
  EXPECT_EQ(ParseSignedFile(" 0\t\t" + kHash + " ")->size, 0);
  EXPECT_EQ(ParseSignedFile("999999999999999 " + kHash)->size, 999999999999999);
  for (const std::string& bad :
       {std::string(), kHash, std::string("200000"), std::string("200000 "), "-1 " + kHash,
        "+5 " + kHash, "1000000000000000 " + kHash, "12a " + kHash, "12 " + kHash.substr(1),
        "12 " + kHash + "0", "12 " + kHash + " 34", "12 " + kHash.substr(0, 63) + "x"})
    EXPECT_FALSE(ParseSignedFile(bad)) << bad;
}

TEST(UpdateManifestTest, OnlyAStrictlyNewerVersionPasses) {
  const struct {
    const char* offered;
    const char* running;
    bool newer;
  } cases[] = {
      {"1.0.0.2", "Version 1.0.0.1", true},
      {"1.0.0.1", "Version 1.0.0.1", false}, // the same list again
      {"1.0.0.0", "Version 1.0.0.1", false}, // an older one replayed
      {"1.0.0.10", "Version 1.0.0.9", true}, // numbers, not text
      {"2", "Version 1.9.9.9", true},        // missing numbers count as 0
      {"1.0", "Version 1.0.0.0", false},
      {" 1.1 ", "1.0.0.0", true},
      {"1.0.0.2", "Version 0.0.0.0", true},
      {"1.0.0.2.1", "Version 1.0.0.1", false}, // five numbers: no version
      {"1..2", "Version 1.0.0.1", false},
      {"1.0.0.2a", "Version 1.0.0.1", false},
      {"", "Version 1.0.0.1", false},
      {"1.0.0.2", "Version ?", false}, // a running version that cannot be read
      {"9999999999.0", "Version 1.0.0.1", false},
      {"999999999.0", "Version 1.0.0.1", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SignedVersionNewer(c.offered, c.running), c.newer)
        << c.offered << " vs " << c.running;
}

} // namespace
} // namespace dynlog
