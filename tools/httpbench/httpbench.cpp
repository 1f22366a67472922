// Downloads one URL with THttpClient::Get into a file and prints what it took:
//   http_bench URL FILE [USER PASSWORD]
// Output: bytes=N wall_ms=N cpu_ms=N (processor time of this process during the Get).
#include "base/messageloop.h"
#include "net/httpclient.h"

#include <windows.h>

#include <cstdio>
#include <exception>

namespace {

std::uint64_t ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ms = [](const FILETIME& t) {
    return ((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000;
  };
  return ms(kernel) + ms(user);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: http_bench URL FILE [USER PASSWORD]\n");
    return 2;
  }
  try {
    THttpClient client;
    client.Port = 80;
    client.InputFileMode = true;
    client.Body = argv[2];
    client.Header = "";
    if (argc >= 5) {
      client.HeaderInfo.UserId = argv[3];
      client.HeaderInfo.Password = argv[4];
    }
    int pieces = 0;
    client.OnPacketRecvd = [&](TSocketConnection&) { ++pieces; };
    const std::uint64_t cpu0 = ProcessCpuMs();
    const std::uint64_t t0 = base::MonotonicMs();
    client.Get(argv[1]);
    const std::uint64_t t1 = base::MonotonicMs();
    const std::uint64_t cpu1 = ProcessCpuMs();
    std::printf("bytes=%ld code=%d pieces=%d wall_ms=%llu cpu_ms=%llu\n",
                static_cast<long>(client.ReceivedBytes()), client.ReplyCode(), pieces,
                static_cast<unsigned long long>(t1 - t0),
                static_cast<unsigned long long>(cpu1 - cpu0));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "http_bench: %s\n", e.what());
    return 1;
  }
}
