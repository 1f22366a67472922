// Which ports the search offers, in which order, and how km470.ini keeps a port.
#include "link/portorder.h"

#include <gtest/gtest.h>

using namespace km470;

TEST(PortOrder, BuiltInPortsFirstThenTheListedOnesInNumericOrder) {
  const struct {
    std::vector<std::string> listed;
    int stored;
    std::vector<int> order;
  } cases[] = {
      {{"COM12", "COM3", "COM7", "com7", "COM256"}, 20, {1, 2, 3, 4, 7, 12, 20, 256}},
      // Not serial ports, or no name the system gives: passed over.
      {{"LPT1", "COM", "COM0", "COM05", "COM257", "COM1x", "COM-5", "XCOM9"}, 2, {1, 2, 3, 4}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SearchPorts(c.listed, c.stored), c.order);
  // From the last back to the first; from a port not in the list (or none) to the next higher.
  for (const auto& [from, to] : {std::pair{4, 7}, {12, 1}, {0, 1}, {9, 12}})
    EXPECT_EQ(NextPort({1, 2, 3, 4, 7, 12}, from), to) << from;
}

TEST(PortOrder, Km470IniKeepsOldMeaningsAndPortsAboveCom4) {
  // COM-Kanal, COM-Nummer, the port they select: as older versions wrote them (9 is COM4, 0 none);
  // COM-Kanal 1 to 4 written by an older version since wins over COM-Nummer.
  for (const auto& [kanal, nummer, port] :
       {std::tuple{9, 0, 4}, {-5, 0, 0}, {0, 12, 12}, {2, 12, 2}, {0, 4, 0}, {0, 257, 0}})
    EXPECT_EQ(StoredPort(kanal, nummer), port) << kanal << " " << nummer;
}
