#pragma once
// Waiting while the window system keeps running. Every wait of the program goes through here, so
// that timer ticks and clicks are handled during it.
#include <cstdint>

namespace ui {

// Handles every window message that is waiting now, then returns. Returns false once WM_QUIT has
// been seen (it is posted again, so the main loop still ends).
bool ProcessMessages();

// Milliseconds of a monotonic clock; unaffected by changes of the local time.
std::uint64_t MonotonicMs();

// Blocks until a new message arrives or the deadline (MonotonicMs) has passed, whichever is first.
// Does not process the message; callers follow with ProcessMessages().
void WaitForMessageUntil(std::uint64_t deadlineMs);

} // namespace ui
