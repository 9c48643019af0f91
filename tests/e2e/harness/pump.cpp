#include "harness/pump.h"

namespace sidecar::e2e {

namespace {
// Conditions without an event of their own (a window appearing in another process) are polled this often.
constexpr DWORD kPollMs = 5;
}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD nTimeoutMs, HANDLE hWake) {
    const ULONGLONG nDeadline = GetTickCount64() + nTimeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        const ULONGLONG nNow = GetTickCount64();
        if (nNow >= nDeadline)
            return false;
        const DWORD nSlice = static_cast<DWORD>(nDeadline - nNow < kPollMs ? nDeadline - nNow : kPollMs);
        // MWMO_INPUTAVAILABLE: wake for messages already queued too, not only for new arrivals.
        MsgWaitForMultipleObjectsEx(hWake != nullptr ? 1 : 0, hWake != nullptr ? &hWake : nullptr, nSlice,
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace sidecar::e2e
