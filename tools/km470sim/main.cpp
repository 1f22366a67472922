#include "client_watch.h"
#include "event_log.h"
#include "options.h"
#include "port_link.h"
#include "pty_pair.h"
#include "signal_watch.h"
#include "simulator.h"

#include <cstdio>
#include <exception>
#include <memory>

using namespace km470sim;

int main(int argc, char** argv) {
  const auto parsed = parseOptions(argc - 1, argv + 1);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    std::fprintf(stderr, "km470sim: %s\nTry 'km470sim --help'.\n", error->message.c_str());
    return 2;
  }
  const Options& options = std::get<Options>(parsed);
  if (options.help) {
    std::fputs(helpText(), stdout);
    return 0;
  }

  try {
    // Signals first: one that arrives during set-up waits for the loop instead of killing us
    // with the link still in place.
    SignalWatch signals;
    EventLog log(options.logPath);
    PtyPair pty;
    std::unique_ptr<PortLink> link;
    if (options.linkPath)
      link = std::make_unique<PortLink>(*options.linkPath, pty.slavePath());
    ClientWatch clients(pty.slavePath());

    // The client may open the port as soon as it sees this line.
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    Simulator simulator(options, pty, log, signals, clients);
    return simulator.run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "km470sim: %s\n", e.what());
    return 1;
  }
}
