#include "app/recordargs.h"
#include "app/reportargs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dynlog::ParseReportArgs;
using dynlog::ReportArgs;

TEST(ReportArgs, TakesTheFileAndThePngAndRefusesMistakesInGerman) {
  struct Case {
    std::vector<std::string> args;
    std::string errorOrOutput; // the output when it parses
    ReportArgs::Kind kind = ReportArgs::Kind::Page;
  };
  for (const Case& c : std::vector<Case>{
           {{"--report", "m.csv", "--output", "s.PNG. "}, "s.PNG"},
           {{"--output", "b.png", "--overwrite", "--picture", "m.txt"},
            "b.png",
            ReportArgs::Kind::Picture},
           {{"--report", "m.csv"}, "--output fehlt"},
           {{"--report", "m.csv", "--output", "s.bmp"},
            "--output braucht einen Dateinamen auf "
            ".png: s.bmp"},
           {{"--report", "--output", "s.png"}, "--report braucht einen Dateinamen"},
           {{"--report", "a", "--picture", "b", "--output", "s.png"},
            "--report und --picture schlie\xC3\x9F"
            "en einander aus"},
           {{"--report", "a", "--report", "b"}, "--report ist mehrfach angegeben"},
           {{"--report", "com2", "--output", "s.png"}, dynlog::DeviceMessage("com2")},
           {{"--report", "a", "--output", "s.png", "--rate", "10"}, "unbekanntes Argument: --rate"},
       }) {
    std::string error;
    const auto args = ParseReportArgs(c.args, error);
    EXPECT_TRUE(dynlog::IsReportCommand(c.args));
    EXPECT_EQ(args ? args->output : error, c.errorOrOutput) << c.args[0] << " " << c.args[1];
    EXPECT_TRUE(!args || args->kind == c.kind) << c.errorOrOutput;
  }
  EXPECT_FALSE(dynlog::IsReportCommand({"--record", "2", "--output", "m.csv"}));
}
