// sidecar_probe.dll: loaded by the e2e harness into the panel process. It plays the console window
// from inside that process, because under Wine a WM_COPYDATA sent to another process with lpData NULL
// arrives with cbData 0; between threads of one process nothing is marshalled, so the probe sees the
// report exactly as the panel sent it and forwards it, with a record of its own, to the test's sink.
#include <windows.h>
#include <imm.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "probe_wire.h"

namespace wire = sidecar::e2e::wire;

namespace {

constexpr wchar_t kConsoleClass[] = L"SidecarE2EConsole";
constexpr wchar_t kControlClass[] = L"SidecarE2EProbe";

HMODULE g_hModule;
HWND g_hSink;
HWND g_hControl;
HHOOK g_hSyncHook;
UINT g_uSyncMessage;

template <typename T>
std::uint64_t ToWire(T handle) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}
HWND WindowFromWire(std::uint64_t value) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

// Synchronous, like a real console: the panel stays in its send until the test has taken the record.
void SendToSink(std::uint32_t code, const void* pData, std::size_t nBytes) {
    COPYDATASTRUCT cds{code, static_cast<DWORD>(nBytes), const_cast<void*>(pData)};
    SendMessageW(g_hSink, WM_COPYDATA, reinterpret_cast<WPARAM>(g_hControl), reinterpret_cast<LPARAM>(&cds));
}

void ForwardReport(HWND hConsole, WPARAM wSender, const COPYDATASTRUCT& cds) {
    wire::ReportHeader header{};
    header.code = static_cast<std::uint32_t>(cds.dwData);
    header.cbData = cds.cbData;
    header.nullData = cds.lpData == nullptr ? 1 : 0;
    header.sender = static_cast<std::uint64_t>(wSender);
    header.console = ToWire(hConsole);
    std::uint32_t nCopy = 0;
    if (cds.lpData != nullptr) {
        nCopy = cds.cbData;
        if (nCopy > wire::kMaxReportBytes) {
            nCopy = wire::kMaxReportBytes;
            header.truncated = 1;
        }
    }
    std::vector<unsigned char> record(sizeof header + nCopy);
    std::memcpy(record.data(), &header, sizeof header);
    if (nCopy != 0)
        std::memcpy(record.data() + sizeof header, cds.lpData, nCopy);
    SendToSink(wire::kReport, record.data(), record.size());
}

LRESULT CALLBACK ConsoleProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_COPYDATA) {
        ForwardReport(hWnd, wParam, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND OpenConsole(const wchar_t* pszTitle) {
    // Hidden and unowned: a top-level window that EnumWindows lists, as the console's main window is.
    return CreateWindowExW(0, kConsoleClass, pszTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           g_hModule, nullptr);
}

bool IsOurConsole(HWND hWnd) {
    wchar_t szClass[64] = {};
    return IsWindow(hWnd) && GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId() &&
           GetClassNameW(hWnd, szClass, 64) > 0 && std::wcscmp(szClass, kConsoleClass) == 0;
}

LRESULT CALLBACK SyncHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION && wParam == PM_REMOVE) {
        MSG* pMsg = reinterpret_cast<MSG*>(lParam);
        if (pMsg->message == g_uSyncMessage) {
            PostMessageW(g_hSink, wire::kSyncAck, pMsg->wParam, 0);
            pMsg->message = WM_NULL;  // the panel never sees the marker
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// The record is placed so that it ends where an inaccessible page begins: a handler that reads past
// the bytes it was given faults, and the harness's debugger sees the fault.
LRESULT SendToPanel(const unsigned char* pRecord, std::size_t nRecord) {
    wire::SendHeader header;
    if (nRecord < sizeof header)
        return 0;
    std::memcpy(&header, pRecord, sizeof header);
    const std::size_t nBytes = nRecord - sizeof header;
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    const std::size_t nPage = si.dwPageSize;
    const std::size_t nDataPages = (nBytes + nPage - 1) / nPage;
    auto* pBase = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, (nDataPages + 1) * nPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (pBase == nullptr)
        return 0;
    DWORD dwOld = 0;
    VirtualProtect(pBase + nDataPages * nPage, nPage, PAGE_NOACCESS, &dwOld);
    unsigned char* pData = pBase + nDataPages * nPage - nBytes;
    if (nBytes != 0)
        std::memcpy(pData, pRecord + sizeof header, nBytes);
    COPYDATASTRUCT cds{header.code, header.cbData, header.nullData != 0 ? nullptr : pData};
    SendMessageW(WindowFromWire(header.target), WM_COPYDATA, static_cast<WPARAM>(header.sender),
                 reinterpret_cast<LPARAM>(&cds));
    VirtualFree(pBase, 0, MEM_RELEASE);
    return 1;
}

LRESULT OnCommand(const COPYDATASTRUCT& cds) {
    const auto* pBytes = static_cast<const unsigned char*>(cds.lpData);
    switch (cds.dwData) {
        case wire::kOpenConsole: {
            std::wstring_view title(static_cast<const wchar_t*>(cds.lpData), cds.cbData / sizeof(wchar_t));
            std::vector<wchar_t> szTitle(title.begin(), title.end());
            szTitle.push_back(L'\0');
            return reinterpret_cast<LRESULT>(OpenConsole(szTitle.data()));
        }
        case wire::kCloseConsole: {
            std::uint64_t value = 0;
            if (cds.cbData != sizeof value)
                return 0;
            std::memcpy(&value, pBytes, sizeof value);
            HWND hConsole = WindowFromWire(value);
            return IsOurConsole(hConsole) && DestroyWindow(hConsole) ? 1 : 0;
        }
        case wire::kWatchThread: {
            std::uint32_t dwThread = 0;
            if (cds.cbData != sizeof dwThread)
                return 0;
            std::memcpy(&dwThread, pBytes, sizeof dwThread);
            if (g_hSyncHook != nullptr)
                UnhookWindowsHookEx(g_hSyncHook);
            g_hSyncHook = SetWindowsHookExW(WH_GETMESSAGE, SyncHookProc, g_hModule, dwThread);
            return g_hSyncHook != nullptr ? 1 : 0;
        }
        case wire::kSendToPanel:
            return SendToPanel(pBytes, cds.lpData != nullptr ? cds.cbData : 0);
        case wire::kLiveGdiObjects: {
            // The program exports its count by name; the probe asks it on the probe's thread, which is
            // enough for a counter that only the panel's thread changes and that is read between its work.
            using Counter = long (*)();
            auto pfnCount = reinterpret_cast<Counter>(
                reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "SidecarLiveGdiObjects")));
            return pfnCount != nullptr ? static_cast<LRESULT>(pfnCount()) : -1;
        }
        default:
            return 0;
    }
}

LRESULT CALLBACK ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_COPYDATA)
        return OnCommand(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

std::wstring ReadEnvironment(const wchar_t* pszName) {
    const DWORD nSize = GetEnvironmentVariableW(pszName, nullptr, 0);
    if (nSize == 0)
        return {};
    std::wstring value(nSize, L'\0');
    const DWORD n = GetEnvironmentVariableW(pszName, value.data(), nSize);
    value.resize(n < nSize ? n : 0);
    return value;
}

DWORD WINAPI ProbeThread(void*) {
    // The probe types nothing: its thread gets no input-method window, and so sets up no input-method
    // state of the window system beside the panel's.
    ImmDisableIME(GetCurrentThreadId());
    g_hSink = reinterpret_cast<HWND>(
        static_cast<std::uintptr_t>(std::wcstoull(ReadEnvironment(wire::kEnvSink).c_str(), nullptr, 16)));
    g_uSyncMessage = RegisterWindowMessageW(wire::kSyncMessageName);

    WNDCLASSW wc{};
    wc.hInstance = g_hModule;
    wc.lpfnWndProc = ConsoleProc;
    wc.lpszClassName = kConsoleClass;
    RegisterClassW(&wc);
    wc.lpfnWndProc = ControlProc;
    wc.lpszClassName = kControlClass;
    RegisterClassW(&wc);

    g_hControl =
        CreateWindowExW(0, kControlClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_hModule, nullptr);
    if (g_hControl == nullptr)
        return 1;
    wire::Hello hello{ToWire(g_hControl), 0};
    const std::wstring title = ReadEnvironment(wire::kEnvConsole);
    if (!title.empty())
        hello.console = ToWire(OpenConsole(title.c_str()));
    SendToSink(wire::kHello, &hello, sizeof hello);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, void*) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hModule = hInstance;
        DisableThreadLibraryCalls(hInstance);
        // Nothing real under the loader lock: the work runs on a thread of its own once the lock is free.
        HANDLE hThread = CreateThread(nullptr, 0, ProbeThread, nullptr, 0, nullptr);
        if (hThread == nullptr)
            return FALSE;
        CloseHandle(hThread);
    }
    return TRUE;
}
