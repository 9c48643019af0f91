#pragma once
// Runs the program under test as a debuggee so that faults Wine would swallow are seen.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "harness/unique_handle.h"

namespace sidecar::e2e {

// One fault the debugger saw in the debuggee.
struct Fault {
    DWORD code = 0;                  // EXCEPTION_ACCESS_VIOLATION, EXCEPTION_STACK_OVERFLOW, ...
    std::uintptr_t address = 0;      // the faulting instruction
    std::uintptr_t dataAddress = 0;  // for access violations: the address read or written
    bool firstChance = true;
    std::wstring where;  // "Sidecar.exe+0x1a2b", or the module that faulted

    std::wstring Describe() const;
};

// Owns the debuggee process and the watching thread that created it and runs its debug loop.
// The thread that creates a debuggee is the only one that may wait for its debug events, hence the thread.
// Destroying a running debuggee terminates it.
class CDebuggee {
  public:
    CDebuggee() = default;
    CDebuggee(const CDebuggee&) = delete;
    CDebuggee& operator=(const CDebuggee&) = delete;
    ~CDebuggee();

    // Starts strExe with strCommandLine, the given environment block (double-NUL terminated) and
    // working folder; false with the reason in strError when the process could not be created.
    bool Start(const std::wstring& strExe, const std::wstring& strCommandLine,
               const std::vector<wchar_t>& env, const std::wstring& strWorkDir, std::wstring& strError);

    bool Started() const { return static_cast<bool>(m_hProcess); }
    DWORD ProcessId() const { return m_dwProcessId; }
    HANDLE Process() const { return m_hProcess.Get(); }
    // Signalled once the debug loop has seen the process exit and ended.
    HANDLE Finished() const { return m_hFinished.Get(); }
    bool HasEnded() const;
    // The exit code, once the process has ended.
    std::optional<DWORD> ExitCode() const;
    // Why the debug loop ended without the process's exit event (WaitForDebugEvent's error), or nullopt.
    std::optional<DWORD> LostWithError() const;
    std::vector<Fault> Faults() const;
    // Returns the faults seen so far and forgets them (for cases that provoke one on purpose).
    std::vector<Fault> TakeFaults();

    // Ends the process (when still running) and waits for the debug loop to finish.
    void Terminate(UINT uExitCode);

  private:
    struct Module {
        std::uintptr_t base = 0;
        std::uintptr_t size = 0;
        std::wstring name;
    };

    void DebugLoop();
    void OnException(const DEBUG_EVENT& event);
    void AddModule(HANDLE hProcess, void* pBase, void* pImageName, bool bUnicode, const wchar_t* pszFallback);
    std::wstring Locate(std::uintptr_t address) const;
    void Join();

    CKernelHandle m_hProcess;
    CKernelHandle m_hFinished;
    DWORD m_dwProcessId = 0;
    std::thread m_watcher;

    mutable std::mutex m_mutex;  // guards what the watcher writes below
    std::vector<Fault> m_faults;
    std::vector<Module> m_modules;
    std::uintptr_t m_nImageBase = 0;
    std::uintptr_t m_nImageSize = 0;
    std::optional<DWORD> m_exitCode;
    std::optional<DWORD> m_lostWithError;
};

}  // namespace sidecar::e2e
