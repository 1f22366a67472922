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
      {{}, 2, {1, 2, 3, 4}},
      {{"COM12", "COM3", "COM7", "com7", "COM10"}, 0, {1, 2, 3, 4, 7, 10, 12}},
      // Not serial ports, or no name the system gives: passed over.
      {{"LPT1", "COM", "COM0", "COM05", "COM257", "COM1x", "COM-5", "XCOM9"}, 0, {1, 2, 3, 4}},
      {{"COM256"}, 20, {1, 2, 3, 4, 20, 256}}, // the stored port, even while it is not listed
  };
  for (const auto& c : cases)
    EXPECT_EQ(SearchPorts(c.listed, c.stored), c.order);
  // From the last back to the first; from a port not in the list (or none) to the next higher.
  const std::vector<int> order{1, 2, 3, 4, 7, 12};
  const std::pair<int, int> steps[] = {{1, 2}, {4, 7}, {7, 12}, {12, 1}, {0, 1}, {9, 12}, {13, 1}};
  for (const auto& [from, to] : steps)
    EXPECT_EQ(NextPort(order, from), to) << from;
  EXPECT_EQ(PortDevicePath(12), "\\\\.\\COM12");
}

TEST(PortOrder, Km470IniKeepsOldMeaningsAndPortsAboveCom4) {
  const struct {
    int comKanal, comNummer, port;
  } read[] = {
      {3, 0, 3},   {9, 0, 4},   {0, 0, 0},  {-5, 0, 0}, // as older versions wrote and read them
      {0, 12, 12}, {9, 12, 12}, {2, 12, 2}, // an older version found the unit on COM2 since
      {0, 4, 0},   {0, 257, 0},             // no port above COM4
  };
  for (const auto& r : read)
    EXPECT_EQ(StoredPort(r.comKanal, r.comNummer), r.port) << r.comKanal << " " << r.comNummer;
  for (const int port : {1, 4, 5, 12, 256}) {
    const StoredPortKeys keys = KeysForPort(port);
    EXPECT_EQ(StoredPort(keys.comKanal, keys.comNummer), port);
    EXPECT_EQ(keys.comKanal, port <= 4 ? port : 0); // older versions: none of theirs, no wrong one
  }
}
