#pragma once
// What the harness and the probe DLL say to each other. The probe lives inside the panel process;
// the harness lives in the test process. Window handles travel as 64-bit values so the layout is the
// same whatever the pointer size.
#include <cstdint>

namespace sidecar::e2e::wire {

// Environment of the panel process, set by the harness.
inline constexpr wchar_t kEnvSink[] = L"SIDECAR_E2E_SINK";        // sink window handle, hexadecimal
inline constexpr wchar_t kEnvConsole[] = L"SIDECAR_E2E_CONSOLE";  // title of the console window to open

// Registered message posted to the panel by the harness; the probe's message hook on the panel thread
// answers it with kSyncAck to the sink when the panel's message loop takes it from the queue.
inline constexpr wchar_t kSyncMessageName[] = L"SidecarE2E.Sync";
inline constexpr unsigned kSyncAck = 0x8000 + 0x2E1;  // WM_APP-based, posted to the sink, wParam = sequence

// Probe -> sink, as WM_COPYDATA codes.
inline constexpr std::uint32_t kHello = 0x5E2E0001;   // record: Hello
inline constexpr std::uint32_t kReport = 0x5E2E0002;  // record: ReportHeader, then the report's bytes

// Harness -> probe control window, as WM_COPYDATA codes; the result comes back as the LRESULT.
inline constexpr std::uint32_t kOpenConsole = 0x5E2E0101;  // record: the title (UTF-16, no NUL); result: HWND
inline constexpr std::uint32_t kCloseConsole =
    0x5E2E0102;  // record: std::uint64_t HWND; result: 1 when destroyed
inline constexpr std::uint32_t kWatchThread =
    0x5E2E0103;  // record: std::uint32_t thread id; result: 1 when hooked
inline constexpr std::uint32_t kSendToPanel =
    0x5E2E0104;  // record: SendHeader, then the bytes; result: 1 when sent
// No record; result: the panel's live GDI objects as its own owners count them, or -1 when the program
// does not say.
inline constexpr std::uint32_t kLiveGdiObjects = 0x5E2E0105;

struct Hello {
    std::uint64_t control;  // the probe's message-only control window
    std::uint64_t console;  // the console window opened at start, or 0
};

struct ReportHeader {
    std::uint32_t code;       // dwData as the panel sent it
    std::uint32_t cbData;     // cbData as the panel sent it
    std::uint32_t nullData;   // 1 when lpData was NULL
    std::uint32_t truncated;  // 1 when the record was longer than the probe copies
    std::uint64_t sender;     // wParam
    std::uint64_t console;    // the console window that received it
};

struct SendHeader {
    std::uint64_t target;    // window to send to, in the panel process
    std::uint64_t sender;    // wParam
    std::uint32_t code;      // dwData
    std::uint32_t cbData;    // cbData, whatever the bytes that follow
    std::uint32_t nullData;  // 1: lpData = NULL; 0: lpData points at the bytes that follow
    std::uint32_t reserved;
};

// The most record bytes the probe copies from one report.
inline constexpr std::uint32_t kMaxReportBytes = 1u << 20;

}  // namespace sidecar::e2e::wire
