// Which folders a series is opened in only after a question that names them.
#include "files/seriesplace.h"

#include <gtest/gtest.h>

TEST(SeriesPlace, RootsAndSystemFoldersAreNamedInAQuestionOthersAreTaken) {
  const std::vector<std::string> system = {"C:\\windows", "C:\\Program Files",
                                           "C:\\Program Files (x86)\\"};
  const std::string root = "Die Prüfreihe im Hauptverzeichnis ",
                    inSystem = "Die Prüfreihe im Systemordner ";
  const struct {
    const char* folder;
    std::string question; // empty: none
  } cases[] = {
      {"Z:\\", root + "Z:\\ anlegen?"},
      {"\\\\server\\share\\", root + "\\\\server\\share\\ anlegen?"},
      {"C:\\Windows", inSystem + "C:\\Windows anlegen?"},
      {"c:/WINDOWS/system32\\", inSystem + "c:/WINDOWS/system32 anlegen?"},
      {"C:\\Program Files (x86)\\KM470", inSystem + "C:\\Program Files (x86)\\KM470 anlegen?"},
      {"C:\\Windows.alt", ""},
      {"Z:\\tmp\\S", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(dynlog::SeriesPlaceQuestion(c.folder, system).value_or(""), c.question) << c.folder;
}
