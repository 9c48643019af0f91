#pragma once
// Waiting on the test thread without starving it: the sink window and every send the test makes need
// the thread to keep handling messages while it waits.
#include <windows.h>

#include <functional>

namespace sidecar::e2e {

// Handles this thread's messages until done() holds or nTimeoutMs has passed; returns done().
// hWake, when given, is a kernel object whose signal wakes the wait at once (a process, an event).
bool PumpUntil(const std::function<bool()>& done, DWORD nTimeoutMs, HANDLE hWake = nullptr);

}  // namespace sidecar::e2e
