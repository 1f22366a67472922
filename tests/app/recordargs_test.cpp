#include "app/recordargs.h"

#include <gtest/gtest.h>

using dynlog::ParseRecordArgs;
using dynlog::SampleRate;

TEST(RecordArgs, TakesEveryOptionAndRefusesMistakesInGerman) {
  std::string error;
  auto a = ParseRecordArgs({"--record", "2.5", "--output", "m.txt", "--rate", "2,5", "--average",
                            "--screenshot", "s.bmp"},
                           error);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->seconds, 2.5);
  EXPECT_EQ(a->output, "m.txt");
  EXPECT_EQ(a->rate, SampleRate::Hz2_5);
  EXPECT_TRUE(a->average);
  EXPECT_EQ(a->screenshot, "s.bmp");

  a = ParseRecordArgs({"--output", "m.txt", "--record", "1"}, error);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->rate, SampleRate::Hz10) << "the rate dialog's own default";
  EXPECT_FALSE(a->average);

  struct Bad {
    std::vector<std::string> args;
    const char* message;
  } bad[] = {
      {{"--record", "0", "--output", "m"}, "ungültige Dauer"},
      {{"--record", "x", "--output", "m"}, "ungültige Dauer"},
      {{"--record", "1"}, "--output fehlt"},
      {{"--output", "m"}, "--record fehlt"},
      {{"--record", "1", "--output", "m", "--rate", "33"}, "ungültige Messrate"},
      {{"--record", "1", "--output", "m", "--rate"}, "--rate braucht"},
      {{"--record", "1", "--output", "m", "--laut"}, "unbekanntes Argument"},
  };
  for (const Bad& b : bad) {
    error.clear();
    EXPECT_FALSE(ParseRecordArgs(b.args, error));
    EXPECT_NE(error.find(b.message), std::string::npos) << error;
  }
}
