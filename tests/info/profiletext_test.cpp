// The version list read from memory: each case was first read through the system's profile
// functions, and the in-memory reading must give what they gave.
#include "info/profiletext.h"

#include <gtest/gtest.h>

namespace dynlog {
namespace {

TEST(ProfileTextTest, ReadsWhatTheProfileFunctionsRead) {
  using namespace std::string_literals;
  const struct {
    std::string text, section, key, value; // value "-" : none
  } cases[] = {
      {"[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\nj=4\r\n", "S", "K", "1"}, // first key, any case
      {"[S]\r\nk=1\r\n[s]\r\nj=4\r\n", "s", "j", "-"}, // a repeated section is not read
      {"[S]\r\n[T]\r\nk=1\r\n[S]\r\nk=2\r\n", "S", "k", "-"},
      {"[ S ]\r\n  k  =  v v  \r\n", "S", "k", "v v"},
      {"[S]\r\n\tk\v=\tv\f\r\n", "S", "k", "v"},
      {"[S]\r\nk=\"v \"\r\n", "S", "k", "v "}, // one pair of equal quotes goes
      {"[S]\r\nk='v'\r\n", "S", "k", "v"},
      {"[S]\r\nk=  \"\"  \r\n", "S", "k", ""},
      {"[S]\r\nk=\"a\"b\r\n", "S", "k", "\"a\"b"},
      {"[S]\r\nk=v ; c\r\n", "S", "k", "v ; c"}, // no comment after a value
      {"[S]\r\n;k=v\r\nk=w\r\n", "S", "k", "w"},
      {"[S]\rk=v\rj=w\r", "S", "j", "w"},
      {"[S]\nk=v\n", "S", "k", "v"},
      {"[S\r\nk=v\r\n", "S", "k", "-"},
      {"[S]]\r\nk=v\r\n", "S]", "k", "v"},
      {"k=v\r\n[S]\r\n", "", "k", "v"},
      {"[S]\r\nk\r\n", "S", "k", "-"},
      {"[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
      {"[S]\r\nk=v\0w\r\nj=x\r\n"s, "S", "k", "v"},
      {"[S]\r\nk=\r\n", "S", "k", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<std::string> got = ProfileText(c.text).Find(c.section, c.key);
    EXPECT_EQ(got.value_or("-"), c.value);
  }
  EXPECT_EQ(ProfileText("[S]\r\n").Read("S", "Version", "-1"), "-1");
}

} // namespace
} // namespace dynlog
