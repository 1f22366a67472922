#include "options.h"

#include <charconv>
#include <string_view>

namespace km470sim {

namespace {

template <typename T> bool parseNumber(std::string_view text, T& out) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return !text.empty() && ec == std::errc() && ptr == end;
}

} // namespace

int framesPerSecond(int baud) {
  return baud == 9600 ? 160 : 320;
}

std::variant<Options, UsageError> parseOptions(int argc, const char* const* argv) {
  Options o;
  for (int i = 0; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::optional<std::string_view> inlineValue;
    if (arg.starts_with("--")) {
      if (const auto eq = arg.find('='); eq != std::string_view::npos) {
        inlineValue = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
      }
    }
    const auto flag = [&](std::string_view name) -> std::optional<UsageError> {
      if (inlineValue)
        return UsageError{std::string(name) + " takes no value"};
      return std::nullopt;
    };
    std::string_view value;
    const auto needValue = [&](std::string_view name) -> std::optional<UsageError> {
      if (inlineValue) {
        value = *inlineValue;
        return std::nullopt;
      }
      if (i + 1 >= argc)
        return UsageError{std::string(name) + " needs a value"};
      value = argv[++i];
      return std::nullopt;
    };

    std::optional<UsageError> error;
    if (arg == "--help" || arg == "-h") {
      error = flag(arg);
      o.help = true;
    } else if (arg == "--noise") {
      error = flag(arg);
      o.noise = true;
    } else if (arg == "--echo") {
      error = flag(arg);
      o.echo = true;
    } else if (arg == "--pull") {
      error = flag(arg);
      o.pull = true;
    } else if (arg == "--link") {
      if (!(error = needValue(arg)) && value.empty())
        error = UsageError{"--link needs a path"};
      o.linkPath = std::string(value);
    } else if (arg == "--log") {
      if (!(error = needValue(arg)) && value.empty())
        error = UsageError{"--log needs a path"};
      o.logPath = std::string(value);
    } else if (arg == "--baud") {
      if (!(error = needValue(arg)) &&
          (!parseNumber(value, o.baud) || (o.baud != 9600 && o.baud != 19200)))
        error = UsageError{"--baud must be 9600 or 19200, not '" + std::string(value) + "'"};
    } else if (arg == "--model") {
      if (!(error = needValue(arg))) {
        if (value == "KM470")
          o.unit.model = Model::KM470;
        else if (value == "PT615")
          o.unit.model = Model::PT615;
        else
          error = UsageError{"--model must be KM470 or PT615, not '" + std::string(value) + "'"};
      }
    } else if (arg == "--decimals") {
      if (!(error = needValue(arg)) &&
          (!parseNumber(value, o.unit.decimals) || o.unit.decimals < 0 || o.unit.decimals > 3))
        error = UsageError{"--decimals must be 0 to 3, not '" + std::string(value) + "'"};
    } else if (arg == "--seed") {
      if (!(error = needValue(arg)) && !parseNumber(value, o.seed))
        error = UsageError{"--seed must be an unsigned number, not '" + std::string(value) + "'"};
    } else {
      error = UsageError{"unknown argument '" + std::string(arg) + "'"};
    }
    if (error)
      return *error;
  }
  return o;
}

const char* helpText() {
  return R"(Usage: km470sim [OPTIONS]

Plays a KM470 force display unit on a pseudo-terminal. Prints the path of the terminal's
slave side as the first line on standard output (after --link is in place), then serves the
line until SIGINT or SIGTERM, which end it with exit code 0.

Options:
  --link PATH       make PATH a symbolic link to the terminal (an existing link is replaced),
                    for example $WINEPREFIX/ports/com3; removed again at exit
  --baud RATE       9600 or 19200 (default 19200). The unit answers and streams only while the
                    line is set to this rate; at any other rate it hears garbage: received
                    bytes are discarded and nothing is sent
  --model MODEL     KM470 (default) or PT615. A PT615 identifies itself as "PT615 V2.03",
                    without "KM470", so a program that looks for "KM470" will not accept it
  --decimals N      decimal places reported to "C00D", 0 to 3 (default 1)
  --seed N          seed of the force signal and of the noise (default 470615); the same seed
                    gives the same frames
  --noise           make the line dirty: stray text bytes between and inside frames, lost
                    bytes, broken frames and frames with counts above 10000
  --echo            send every byte heard at the right rate straight back, as many RS-485
                    adapters and some cables do; the echo goes out before any reply
  --pull            play pull tests: a rest near zero, a rise to a peak of 200 to 600 (at one
                    decimal) in 1.2 to 2 s, then a break back to rest; the trigger input is on
                    exactly during the rise
  --log FILE        write one line per event to FILE, flushed line by line
  -h, --help        show this text

Commands (ASCII, ended by CR; LF is ignored; others are ignored):
  ?V     reply "KM470 V2.03" (or "PT615 V2.03"), CR
  C00D   reply "D" and the decimal places, for example "D1", CR
  C00C   start streaming 3-byte frames: 320 per second at 19200 baud, 160 at 9600
  C00S   stop streaming
Replies leave as soon as the command's CR has been read.

Log lines:
  rx TEXT                   a command received at the right rate (without CR)
  ignored HEX...            bytes received at a wrong rate
  tx TEXT                   a reply sent (without CR)
  start / stop              streaming started / stopped
  frame INDEX COUNT STATUS  an intact valid frame written; INDEX counts such frames from 0
                            since the start of km470sim, COUNT is -1000..10000, STATUS the
                            status byte as two hex digits
  noise HEX...              stray, damaged or out-of-range bytes written (--noise)
  echo HEX...               received bytes sent back (--echo)
HEX bytes are lower-case two-digit hex, separated by spaces. Non-printable characters in TEXT
are written as \xHH.

The simulator keeps the terminal's slave side open itself, so a client may close and reopen it
at will. Bytes the client has not read when it closes or opens the port are discarded, as a
serial port's driver does; while the client does not read, frames beyond about 3 KiB of
unread data are not sent (and not logged).
)";
}

} // namespace km470sim
