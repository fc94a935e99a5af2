#pragma once
// A stack overflow raises its exception with only the thread's guaranteed
// stack left, and the crash handler's filter runs there: it must still
// make the thread that writes the dump and wait for it.
namespace lark::win {

// Keeps room for that on the calling thread; every thread of ours calls
// it first thing. Failure leaves the system's default (a dump may then be
// lost on an overflow, nothing else).
void KeepStackForCrash() noexcept;

}  // namespace lark::win
