#pragma once
// The program's one wait. Every wait goes through here: the fixed delays of the serial exchanges,
// the socket's waits for its notifications, modal windows and the main loop itself, so that timer
// ticks and clicks are handled during each of them, and a quit is treated the same everywhere.
//
// A pending quit: WM_QUIT stays in the queue, so that every loop, ours and the system's, still
// sees it and the main loop ends. A wait asked to end on a quit (modal windows, the main loop)
// ends at once; any other wait goes on handling messages until its condition or deadline, in
// steps of 10 ms, since the queued WM_QUIT would wake a blocking wait at once.
#include <cstdint>
#include <functional>
#include <limits>

namespace base {

// WM_APP + 0x40: a key, offered to the active window before its focused control sees it.
inline constexpr unsigned kPreviewKey = 0x8000 + 0x40;

// Milliseconds of a monotonic clock; unaffected by changes of the local time.
std::uint64_t MonotonicMs();

inline constexpr std::uint64_t kNoDeadline = std::numeric_limits<std::uint64_t>::max();

enum class WaitEnd { Done, Deadline, Quit };

// Handles the window messages that are waiting, then blocks until the next one arrives and
// handles it, and so on, until:
//   - done() holds, asked after every round of messages (without done: once a round has handled
//     any message);
//   - the deadline (MonotonicMs) has passed; messages are handled at least once, also when it
//     has passed already;
//   - or, with endOnQuit, a quit is pending.
// A key pressed goes first to the active window as kPreviewKey (wParam the key, as WM_KEYDOWN);
// a window that answers non-zero has taken it. The rest go to its dialog navigation.
WaitEnd WaitFor(std::uint64_t deadlineMs, const std::function<bool()>& done = nullptr,
                bool endOnQuit = false);

// Handles messages for ms milliseconds, whatever happens (the fixed delays of the exchanges).
void Delay(std::uint64_t ms);

// Whether WM_QUIT is waiting in the queue.
bool QuitPending();
// Takes a pending WM_QUIT off the queue; returns its exit code (0 when none was pending).
int TakeQuit();

} // namespace base
