#pragma once
// A COM port above COM4 for a test under Wine: COMn of the running prefix leads to its ports/comN
// (where SimulatedUnit links the unit) and the system lists it under SERIALCOMM, as Wine does for
// the ports it was given when it started. Both are undone at the end.
#include <string>

namespace testsupport {

class ListedPort {
public:
  explicit ListedPort(int port);
  ~ListedPort();
  ListedPort(const ListedPort&) = delete;
  ListedPort& operator=(const ListedPort&) = delete;

private:
  std::string name_;  // "COM12"
  std::string value_; // its SERIALCOMM value's name
};

} // namespace testsupport
