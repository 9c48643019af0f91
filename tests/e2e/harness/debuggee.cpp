#include "harness/debuggee.h"

#include <cstdio>
#include <cstring>
#include <future>
#include <utility>

namespace sidecar::e2e {

namespace {

// Codes that mean the program is broken, whether or not something later handles them. Every one counts,
// in whatever module it happens: measured under Wine 8, a plain dialog program that also creates a COM
// object by an unregistered ProgID, connects to a missing ODBC driver and shows a message box raises no
// first-chance exception at all besides the loader's breakpoint, so a fault inside Wine's own DLLs means
// the program handed it a bad pointer (Wine's guarded string and window functions swallow those).
bool IsFaultCode(DWORD dwCode) {
    switch (dwCode) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_STACK_OVERFLOW:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
        case 0xC0000374:  // STATUS_HEAP_CORRUPTION
        case 0xC0000409:  // STATUS_STACK_BUFFER_OVERRUN (fail-fast)
            return true;
        default:
            return false;
    }
}

const wchar_t* CodeName(DWORD dwCode) {
    switch (dwCode) {
        case EXCEPTION_ACCESS_VIOLATION:
            return L"access violation";
        case EXCEPTION_STACK_OVERFLOW:
            return L"stack overflow";
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
            return L"integer divide by zero";
        case EXCEPTION_ILLEGAL_INSTRUCTION:
            return L"illegal instruction";
        case EXCEPTION_PRIV_INSTRUCTION:
            return L"privileged instruction";
        case 0xC0000374:
            return L"heap corruption";
        case 0xC0000409:
            return L"stack buffer overrun";
        default:
            return L"exception";
    }
}

std::wstring Hex(std::uintptr_t value) {
    wchar_t sz[32];
    std::swprintf(sz, 32, L"0x%llx", static_cast<unsigned long long>(value));
    return sz;
}

std::uintptr_t ReadImageSize(HANDLE hProcess, void* pBase) {
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS nt{};
    const auto nBase = reinterpret_cast<std::uintptr_t>(pBase);
    if (!ReadProcessMemory(hProcess, pBase, &dos, sizeof dos, nullptr) || dos.e_magic != IMAGE_DOS_SIGNATURE)
        return 0;
    if (!ReadProcessMemory(hProcess, reinterpret_cast<void*>(nBase + dos.e_lfanew), &nt, sizeof nt,
                           nullptr) ||
        nt.Signature != IMAGE_NT_SIGNATURE)
        return 0;
    return nt.OptionalHeader.SizeOfImage;
}

// lpImageName of a debug event points at a pointer to the name, both in the debuggee; either may be null.
std::wstring ReadImageName(HANDLE hProcess, void* pImageName, bool bUnicode) {
    void* pName = nullptr;
    if (pImageName == nullptr || !ReadProcessMemory(hProcess, pImageName, &pName, sizeof pName, nullptr) ||
        pName == nullptr)
        return {};
    std::wstring strName;
    if (bUnicode) {
        wchar_t sz[MAX_PATH] = {};
        ReadProcessMemory(hProcess, pName, sz, sizeof sz - sizeof(wchar_t), nullptr);
        strName = sz;
    } else {
        char sz[MAX_PATH] = {};
        ReadProcessMemory(hProcess, pName, sz, sizeof sz - 1, nullptr);
        strName.assign(sz, sz + std::strlen(sz));
    }
    const std::size_t nSlash = strName.find_last_of(L"\\/");
    return nSlash == std::wstring::npos ? strName : strName.substr(nSlash + 1);
}

struct StartResult {
    DWORD dwError = 0;
    HANDLE hProcess = nullptr;
    DWORD dwProcessId = 0;
};

}  // namespace

std::wstring Fault::Describe() const {
    std::wstring str = std::wstring(firstChance ? L"first-chance " : L"unhandled ") + CodeName(code) + L" (" +
                       Hex(code) + L") at " + Hex(address);
    if (!where.empty())
        str += L" in " + where;
    if (code == EXCEPTION_ACCESS_VIOLATION)
        str += L", touching " + Hex(dataAddress);
    return str;
}

CDebuggee::~CDebuggee() {
    if (Started())
        Terminate(0xDEAD);
}

bool CDebuggee::Start(const std::wstring& strExe, const std::wstring& strCommandLine,
                      const std::vector<wchar_t>& env, const std::wstring& strWorkDir,
                      std::wstring& strError) {
    m_hFinished.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::promise<StartResult> started;
    std::future<StartResult> result = started.get_future();
    m_watcher = std::thread([&, this] {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        auto create = [&] {
            std::wstring strMutable = strCommandLine;
            return CreateProcessW(strExe.c_str(), strMutable.data(), nullptr, nullptr, FALSE,
                                  DEBUG_ONLY_THIS_PROCESS | CREATE_UNICODE_ENVIRONMENT,
                                  const_cast<wchar_t*>(env.data()),
                                  strWorkDir.empty() ? nullptr : strWorkDir.c_str(), &si, &pi);
        };
        // 64-bit Wine now and then fails a start with ERROR_INTERNAL_ERROR before the program runs a line
        // (seen once in several hundred starts, the next start of the same program succeeding): one more try.
        BOOL bCreated = create();
        if (!bCreated && GetLastError() == ERROR_INTERNAL_ERROR)
            bCreated = create();
        if (!bCreated) {
            started.set_value({GetLastError(), nullptr, 0});
            SetEvent(m_hFinished.Get());
            return;
        }
        CloseHandle(pi.hThread);
        started.set_value({0, pi.hProcess, pi.dwProcessId});
        DebugLoop();
    });
    const StartResult r = result.get();
    if (r.hProcess == nullptr) {
        Join();
        strError = L"cannot start " + strExe + L" (error " + std::to_wstring(r.dwError) + L")";
        return false;
    }
    m_hProcess.Reset(r.hProcess);
    m_dwProcessId = r.dwProcessId;
    return true;
}

void CDebuggee::DebugLoop() {
    HANDLE hDebugProcess = nullptr;
    int nFailures = 0;
    for (;;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, INFINITE)) {
            // A failed wait while the process still runs is tried again a few times: leaving the loop ends
            // the debugging thread, and with it the process.
            const DWORD dwError = GetLastError();
            if (++nFailures < 20 && hDebugProcess != nullptr &&
                WaitForSingleObject(hDebugProcess, 0) == WAIT_TIMEOUT) {
                Sleep(5);
                continue;
            }
            std::lock_guard lock(m_mutex);
            m_lostWithError = dwError;
            break;
        }
        DWORD dwContinue = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT: {
                const CREATE_PROCESS_DEBUG_INFO& info = event.u.CreateProcessInfo;
                // This handle belongs to the debug session (closed by the system after the exit event).
                hDebugProcess = info.hProcess;
                AddModule(hDebugProcess, info.lpBaseOfImage, info.lpImageName, info.fUnicode != 0,
                          L"Sidecar.exe");
                {
                    std::lock_guard lock(m_mutex);
                    m_nImageBase = m_modules.back().base;
                    m_nImageSize = m_modules.back().size;
                }
                if (info.hFile != nullptr)
                    CloseHandle(info.hFile);
                break;
            }
            case LOAD_DLL_DEBUG_EVENT: {
                const LOAD_DLL_DEBUG_INFO& info = event.u.LoadDll;
                AddModule(hDebugProcess, info.lpBaseOfDll, info.lpImageName, info.fUnicode != 0, L"");
                if (info.hFile != nullptr)
                    CloseHandle(info.hFile);
                break;
            }
            case EXCEPTION_DEBUG_EVENT: {
                const DWORD dwCode = event.u.Exception.ExceptionRecord.ExceptionCode;
                OnException(event);
                // Breakpoints (the loader's initial one) are ours to swallow; everything else goes back to
                // the program's own handlers, as it would without a debugger.
                if (dwCode != EXCEPTION_BREAKPOINT && dwCode != 0x4000001F /* STATUS_WX86_BREAKPOINT */)
                    dwContinue = DBG_EXCEPTION_NOT_HANDLED;
                break;
            }
            case EXIT_PROCESS_DEBUG_EVENT: {
                std::lock_guard lock(m_mutex);
                m_exitCode = event.u.ExitProcess.dwExitCode;
                break;
            }
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, dwContinue);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
            break;
    }
    SetEvent(m_hFinished.Get());
}

void CDebuggee::OnException(const DEBUG_EVENT& event) {
    const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
    if (!IsFaultCode(record.ExceptionCode))
        return;
    Fault fault;
    fault.code = record.ExceptionCode;
    fault.address = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress);
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2)
        fault.dataAddress = record.ExceptionInformation[1];
    fault.firstChance = event.u.Exception.dwFirstChance != 0;
    std::lock_guard lock(m_mutex);
    fault.where = Locate(fault.address);
    m_faults.push_back(std::move(fault));
}

void CDebuggee::AddModule(HANDLE hProcess, void* pBase, void* pImageName, bool bUnicode,
                          const wchar_t* pszFallback) {
    Module module;
    module.base = reinterpret_cast<std::uintptr_t>(pBase);
    module.size = hProcess != nullptr ? ReadImageSize(hProcess, pBase) : 0;
    module.name = hProcess != nullptr ? ReadImageName(hProcess, pImageName, bUnicode) : std::wstring();
    if (module.name.empty())
        module.name = *pszFallback != L'\0' ? pszFallback : L"module@" + Hex(module.base);
    std::lock_guard lock(m_mutex);
    m_modules.push_back(std::move(module));
}

std::wstring CDebuggee::Locate(std::uintptr_t address) const {
    for (const Module& module : m_modules)
        if (address >= module.base && address - module.base < module.size)
            return module.name + L"+" + Hex(address - module.base);
    return {};
}

bool CDebuggee::HasEnded() const {
    return !m_hFinished || WaitForSingleObject(m_hFinished.Get(), 0) == WAIT_OBJECT_0;
}

std::optional<DWORD> CDebuggee::ExitCode() const {
    std::lock_guard lock(m_mutex);
    return m_exitCode;
}

std::optional<DWORD> CDebuggee::LostWithError() const {
    std::lock_guard lock(m_mutex);
    return m_lostWithError;
}

std::vector<Fault> CDebuggee::Faults() const {
    std::lock_guard lock(m_mutex);
    return m_faults;
}

std::vector<Fault> CDebuggee::TakeFaults() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_faults, {});
}

void CDebuggee::Terminate(UINT uExitCode) {
    if (m_hProcess && !HasEnded())
        TerminateProcess(m_hProcess.Get(), uExitCode);
    Join();
}

void CDebuggee::Join() {
    if (!m_watcher.joinable())
        return;
    // The loop ends once it has seen the process exit; callers end the process first.
    m_watcher.join();
}

}  // namespace sidecar::e2e
