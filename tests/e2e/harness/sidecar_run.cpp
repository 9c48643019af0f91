#include "harness/sidecar_run.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <utility>

#include "harness/pump.h"
#include "probe/probe_wire.h"

namespace sidecar::e2e {

namespace {

constexpr wchar_t kPanelTitle[] = L"Sidecar";
// Runs whose console title is not one of UniqueTitle's (the default title, a hand-written tail) take
// this mutex for their whole life, so that two of them never share a console title.
constexpr wchar_t kSharedTitleMutex[] = L"SidecarE2E.SharedConsoleTitle";
constexpr DWORD kSharedTitleWaitMs = 120000;

template <typename T>
std::span<const std::uint8_t> BytesOf(const T* pItems, std::size_t nItems) {
    return {reinterpret_cast<const std::uint8_t*>(pItems), nItems * sizeof(T)};
}

std::wstring Hex(std::uintptr_t value) {
    wchar_t sz[32];
    std::swprintf(sz, 32, L"%llx", static_cast<unsigned long long>(value));
    return sz;
}

// The build's Sidecar.exe, unless SIDECAR_E2E_EXE names another one (a Windows path).
std::wstring ProgramUnderTest() {
    wchar_t szOverride[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"SIDECAR_E2E_EXE", szOverride, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(szOverride, n) : WindowsPath(SIDECAR_EXE_PATH);
}

std::vector<wchar_t> EnvironmentWith(const std::vector<std::pair<std::wstring, std::wstring>>& extra) {
    std::vector<wchar_t> block;
    wchar_t* pStrings = GetEnvironmentStringsW();
    for (const wchar_t* p = pStrings; p != nullptr && *p != L'\0'; p += std::wcslen(p) + 1) {
        bool bReplaced = false;
        for (const auto& [name, value] : extra)
            bReplaced |= _wcsnicmp(p, name.c_str(), name.size()) == 0 && p[name.size()] == L'=';
        if (!bReplaced)
            block.insert(block.end(), p, p + std::wcslen(p) + 1);
    }
    if (pStrings != nullptr)
        FreeEnvironmentStringsW(pStrings);
    for (const auto& [name, value] : extra) {
        std::wstring entry = name;
        entry.append(L"=").append(value);
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    block.push_back(L'\0');
    return block;
}

// Whether the process has loaded a module of this path. A remote LoadLibraryW's thread exit code holds only
// the low 32 bits of the module's address, which on x64 may all be zero for a loaded module.
bool HasModule(DWORD dwProcessId, const std::wstring& strPath) {
    const HANDLE hList = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId);
    if (hList == INVALID_HANDLE_VALUE)
        return false;
    CKernelHandle hSnapshot(hList);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL bMore = Module32FirstW(hSnapshot.Get(), &entry); bMore;
         bMore = Module32NextW(hSnapshot.Get(), &entry))
        if (_wcsicmp(entry.szExePath, strPath.c_str()) == 0)
            return true;
    return false;
}

// The title Sidecar derives from its tail: the tail without the blanks that follow the program name,
// or the default when nothing is left.
std::wstring TitleFromTail(const std::wstring& strTail) {
    const std::size_t nStart = strTail.find_first_not_of(L" \t");
    return nStart == std::wstring::npos ? std::wstring(kDefaultConsoleTitle) : strTail.substr(nStart);
}

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

template <typename F>
void ForEachTopLevel(F&& visit) {
    for (HWND hWnd : TopLevelWindows())
        visit(hWnd);
}

std::wstring TitleOf(HWND hWnd) {
    wchar_t szTitle[512] = {};
    GetWindowTextW(hWnd, szTitle, 512);
    return szTitle;
}

DWORD ProcessOf(HWND hWnd) {
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hWnd, &dwProcess);
    return dwProcess;
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

CSidecarRun::CSidecarRun() : m_uSyncMessage(RegisterWindowMessageW(wire::kSyncMessageName)) {}

CSidecarRun::~CSidecarRun() {
    Finish();
}

std::wstring CSidecarRun::UniqueTitle() {
    static std::atomic<unsigned> s_nNext{0};
    return L"sidecar-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++s_nNext);
}

bool CSidecarRun::Start(const StartOptions& options) {
    if (m_debuggee.Started() || m_bFinished) {
        ADD_FAILURE() << "a CSidecarRun starts one process, once";
        return false;
    }
    m_options = options;

    std::wstring strTail;
    switch (options.tail.kind) {
        case Tail::Kind::Unique:
            strTail = UniqueTitle();
            m_strConsoleTitle = strTail;
            break;
        case Tail::Kind::None:
            m_strConsoleTitle = kDefaultConsoleTitle;
            break;
        case Tail::Kind::Exact:
            strTail = options.tail.text;
            m_strConsoleTitle = TitleFromTail(strTail);
            break;
    }

    if (options.tail.kind != Tail::Kind::Unique) {
        m_hSharedTitle.Reset(CreateMutexW(nullptr, FALSE, kSharedTitleMutex));
        const DWORD dwWait =
            m_hSharedTitle ? WaitForSingleObject(m_hSharedTitle.Get(), kSharedTitleWaitMs) : WAIT_FAILED;
        if (dwWait != WAIT_OBJECT_0 && dwWait != WAIT_ABANDONED) {
            m_hSharedTitle.Reset();
            ADD_FAILURE() << "could not take the shared console title lock";
            return false;
        }
        HWND hOther = nullptr;
        ForEachTopLevel([&](HWND hWnd) {
            if (hOther == nullptr && TitleOf(hWnd) == m_strConsoleTitle)
                hOther = hWnd;
        });
        if (hOther != nullptr) {
            ADD_FAILURE() << "a window titled \"" << m_strConsoleTitle << "\" already exists (process "
                          << ProcessOf(hOther) << "); the panel would report to it";
            return false;
        }
    }

    if (!m_sink.Create()) {
        ADD_FAILURE() << "cannot create the sink window (error " << GetLastError() << ")";
        return false;
    }
    std::wstring strError;
    if (!m_folder.Create(ProgramUnderTest(), options.hostappIni, options.files, strError)) {
        ADD_FAILURE() << strError;
        return false;
    }
    std::vector<std::pair<std::wstring, std::wstring>> env{
        {wire::kEnvSink, Hex(reinterpret_cast<std::uintptr_t>(m_sink.Window()))}};
    if (options.console == Console::Open)
        env.emplace_back(wire::kEnvConsole, m_strConsoleTitle);

    // The command tail is everything after the quoted program path and one blank.
    std::wstring strCommandLine = L"\"" + m_folder.ExePath() + L"\"";
    if (options.tail.kind != Tail::Kind::None)
        strCommandLine += L" " + strTail;
    // Started from the test's own folder: the program has to make its folder current by itself.
    if (!m_debuggee.Start(m_folder.ExePath(), strCommandLine, EnvironmentWith(env), L"", strError)) {
        ADD_FAILURE() << strError;
        return false;
    }
    return options.waitForPanel ? WaitForPanel() : true;
}

HWND CSidecarRun::FindPanelWindow() const {
    HWND hPanel = nullptr;
    ForEachTopLevel([&](HWND hWnd) {
        if (hPanel == nullptr && ProcessOf(hWnd) == m_debuggee.ProcessId() && IsWindowVisible(hWnd) &&
            TitleOf(hWnd) == kPanelTitle && !IsStandardMessageBox(hWnd))
            hPanel = hWnd;
    });
    return hPanel;
}

bool CSidecarRun::WaitForPanel(DWORD nTimeoutMs) {
    if (!m_debuggee.Started()) {
        ADD_FAILURE() << "WaitForPanel before a successful Start";
        return false;
    }
    PumpUntil([&] { return (m_hPanel = FindPanelWindow()) != nullptr || m_debuggee.HasEnded(); }, nTimeoutMs,
              m_debuggee.Finished());
    if (m_hPanel == nullptr) {
        if (m_debuggee.HasEnded())
            ADD_FAILURE() << "Sidecar.exe ended with exit code " << m_debuggee.ExitCode().value_or(0)
                          << " before its panel appeared";
        else
            ADD_FAILURE() << "no visible window titled \"Sidecar\" of process " << m_debuggee.ProcessId()
                          << " within " << nTimeoutMs << " ms";
        return false;
    }
    return m_options.console == Console::NoProbe || AttachProbe();
}

bool CSidecarRun::AttachProbe() {
    // The probe's thread is a second window thread in the panel process. It starts once the panel has
    // finished its start (its first show, activation and paints) and waits for input: two threads setting
    // up their window-system state at once in one process have been seen to corrupt Wine's own heap.
    WaitForInputIdle(m_debuggee.Process(), kSendTimeoutMs);
    const std::wstring strProbe = WindowsPath(SIDECAR_PROBE_PATH);
    const std::size_t nPathBytes = (strProbe.size() + 1) * sizeof(wchar_t);
    CRemoteMemory path(m_debuggee.Process(), nPathBytes);
    if (!path || !path.Write(0, strProbe.c_str(), nPathBytes)) {
        ADD_FAILURE() << "cannot write the probe's path into the panel process (error " << GetLastError()
                      << ")";
        return false;
    }
    // kernel32 lies at the same address in every process of a session, so our LoadLibraryW is theirs.
    auto* pLoadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    CKernelHandle hThread(
        CreateRemoteThread(m_debuggee.Process(), nullptr, 0, pLoadLibrary, path.Address(), 0, nullptr));
    if (!hThread) {
        ADD_FAILURE() << "cannot start a thread in the panel process (error " << GetLastError() << ")";
        return false;
    }
    const bool bLoaded = PumpUntil([&] { return WaitForSingleObject(hThread.Get(), 0) == WAIT_OBJECT_0; },
                                   kSendTimeoutMs, hThread.Get());
    if (!bLoaded || !HasModule(m_debuggee.ProcessId(), strProbe)) {
        ADD_FAILURE() << "LoadLibraryW(\"" << strProbe << "\") failed in the panel process";
        return false;
    }
    if (!PumpUntil([&] { return m_sink.HasHello() || m_debuggee.HasEnded(); }, kSendTimeoutMs,
                   m_debuggee.Finished()) ||
        !m_sink.HasHello()) {
        if (m_debuggee.LostWithError())
            ADD_FAILURE() << "the debugger lost Sidecar.exe before the probe reported in (WaitForDebugEvent "
                          << "error " << *m_debuggee.LostWithError() << ")";
        else if (m_debuggee.HasEnded())
            ADD_FAILURE() << "Sidecar.exe ended with exit code " << m_debuggee.ExitCode().value_or(0)
                          << " before the probe reported in";
        else
            ADD_FAILURE() << "the probe did not report in from the panel process";
        return false;
    }
    m_hConsole = m_sink.FirstConsole();
    if (m_options.console == Console::Open && m_hConsole == nullptr) {
        ADD_FAILURE() << "the probe could not open the console window \"" << m_strConsoleTitle << "\"";
        return false;
    }
    const std::uint32_t dwThread = GetWindowThreadProcessId(m_hPanel, nullptr);
    LRESULT lHooked = 0;
    if (!SendToProbe(wire::kWatchThread, BytesOf(&dwThread, 1), lHooked) || lHooked != 1) {
        ADD_FAILURE() << "the probe could not hook the panel's message loop";
        return false;
    }
    return Sync();
}

bool CSidecarRun::SendToProbe(std::uint32_t code, std::span<const std::uint8_t> bytes, LRESULT& lResult) {
    if (m_sink.ProbeControl() == nullptr) {
        ADD_FAILURE() << "this needs the probe in the panel process (Console::Open or Console::Absent)";
        return false;
    }
    COPYDATASTRUCT cds{code, static_cast<DWORD>(bytes.size()), const_cast<std::uint8_t*>(bytes.data())};
    DWORD_PTR nResult = 0;
    if (!SendMessageTimeoutW(m_sink.ProbeControl(), WM_COPYDATA, reinterpret_cast<WPARAM>(m_sink.Window()),
                             reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, kSendTimeoutMs, &nResult)) {
        ADD_FAILURE() << "the probe did not answer within " << kSendTimeoutMs << " ms (error "
                      << GetLastError() << ")";
        return false;
    }
    lResult = static_cast<LRESULT>(nResult);
    return true;
}

std::size_t CSidecarRun::PrivateBytes() const {
    std::size_t nBytes = 0;
    MEMORY_BASIC_INFORMATION info{};
    const auto* pAt = static_cast<const std::uint8_t*>(nullptr);
    while (VirtualQueryEx(Process(), pAt, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            nBytes += info.RegionSize;
        const auto* pNext = static_cast<const std::uint8_t*>(info.BaseAddress) + info.RegionSize;
        if (pNext <= pAt)
            break;
        pAt = pNext;
    }
    return nBytes;
}

std::optional<long> CSidecarRun::LiveGdiObjects() {
    LRESULT lCount = -1;
    if (!SendToProbe(wire::kLiveGdiObjects, {}, lCount))
        return std::nullopt;
    if (lCount < 0) {
        ADD_FAILURE() << "the program does not export its live GDI object count";
        return std::nullopt;
    }
    return static_cast<long>(lCount);
}

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM lParam) {
    ++*reinterpret_cast<std::size_t*>(lParam);
    return TRUE;
}

}  // namespace

std::size_t CSidecarRun::WindowCount() const {
    std::size_t nWindows = 0;
    for (HWND hWnd : TopLevelWindows()) {
        if (ProcessOf(hWnd) != ProcessId())
            continue;
        ++nWindows;
        EnumChildWindows(hWnd, CountWindow, reinterpret_cast<LPARAM>(&nWindows));
    }
    return nWindows;
}

HWND CSidecarRun::OpenConsole(const std::wstring& strTitle) {
    LRESULT lWindow = 0;
    if (!SendToProbe(wire::kOpenConsole, BytesOf(strTitle.data(), strTitle.size()), lWindow) ||
        lWindow == 0) {
        ADD_FAILURE() << "could not open a console window titled \"" << strTitle << "\"";
        return nullptr;
    }
    return reinterpret_cast<HWND>(lWindow);
}

bool CSidecarRun::CloseConsole(HWND hConsole) {
    const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(hConsole));
    LRESULT lClosed = 0;
    if (!SendToProbe(wire::kCloseConsole, BytesOf(&value, 1), lClosed) || lClosed != 1) {
        ADD_FAILURE() << "could not close console window " << hConsole;
        return false;
    }
    if (hConsole == m_hConsole)
        m_hConsole = nullptr;
    return true;
}

std::optional<Report> CSidecarRun::WaitForReport(DWORD nTimeoutMs) {
    PumpUntil([&] { return m_sink.Reports().size() > m_nNextUnread || m_debuggee.HasEnded(); }, nTimeoutMs,
              m_debuggee.Finished());
    if (m_sink.Reports().size() <= m_nNextUnread)
        return std::nullopt;
    return m_sink.Reports()[m_nNextUnread++];
}

void CSidecarRun::ClearReports() {
    m_sink.ClearReports();
    m_nNextUnread = 0;
}

bool CSidecarRun::Send(std::uint32_t code, std::span<const std::uint8_t> bytes, HWND hTarget) {
    HWND hTo = hTarget != nullptr ? hTarget : m_hPanel;
    HWND hFrom = m_hConsole != nullptr ? m_hConsole : m_sink.Window();
    COPYDATASTRUCT cds{code, static_cast<DWORD>(bytes.size()),
                       bytes.empty() ? nullptr : const_cast<std::uint8_t*>(bytes.data())};
    DWORD_PTR nResult = 0;
    if (!SendMessageTimeoutW(hTo, WM_COPYDATA, reinterpret_cast<WPARAM>(hFrom),
                             reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, kSendTimeoutMs, &nResult)) {
        ADD_FAILURE() << "WM_COPYDATA " << code << " (" << bytes.size() << " bytes) to window " << hTo
                      << " was not answered within " << kSendTimeoutMs << " ms (error " << GetLastError()
                      << ")";
        return false;
    }
    return true;
}

bool CSidecarRun::SendRaw(std::uint32_t code, std::uint32_t cbData,
                          std::optional<std::span<const std::uint8_t>> bytes, HWND hTarget) {
    wire::SendHeader header{};
    header.target = reinterpret_cast<std::uintptr_t>(hTarget != nullptr ? hTarget : m_hPanel);
    header.sender = reinterpret_cast<std::uintptr_t>(m_hConsole != nullptr ? m_hConsole : m_sink.Window());
    header.code = code;
    header.cbData = cbData;
    header.nullData = bytes ? 0 : 1;
    std::vector<std::uint8_t> record(sizeof header);
    std::memcpy(record.data(), &header, sizeof header);
    if (bytes)
        record.insert(record.end(), bytes->begin(), bytes->end());
    LRESULT lSent = 0;
    return SendToProbe(wire::kSendToPanel, record, lSent) && lSent == 1;
}

bool CSidecarRun::PostPress(HWND hControl, bool bDown, bool bUp) {
    if (hControl == nullptr || !IsWindow(hControl)) {
        ADD_FAILURE() << "no control to press";
        return false;
    }
    if (bDown && (!IsWindowVisible(hControl) || !IsWindowEnabled(hControl) ||
                  !IsWindowEnabled(GetAncestor(hControl, GA_ROOT))))
        return false;
    RECT rc{};
    GetClientRect(hControl, &rc);
    const LPARAM lPoint = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    if (bDown && !PostMessageW(hControl, WM_LBUTTONDOWN, MK_LBUTTON, lPoint))
        return false;
    if (bUp && !PostMessageW(hControl, WM_LBUTTONUP, 0, lPoint))
        return false;
    return true;
}

bool CSidecarRun::Press(HWND hControl) {
    return PostPress(hControl, true, true);
}
bool CSidecarRun::PressDown(HWND hControl) {
    return PostPress(hControl, true, false);
}
bool CSidecarRun::Release(HWND hControl) {
    return PostPress(hControl, false, true);
}
bool CSidecarRun::Press(int nId) {
    return Press(Control(nId));
}
bool CSidecarRun::PressDown(int nId) {
    return PressDown(Control(nId));
}
bool CSidecarRun::Release(int nId) {
    return Release(Control(nId));
}

bool CSidecarRun::Settle(DWORD nIdleMs) {
    if (!Sync())
        return false;
    Sleep(nIdleMs);
    return Sync();
}

bool CSidecarRun::Sync() {
    if (m_sink.ProbeControl() == nullptr) {
        ADD_FAILURE() << "Sync needs the probe in the panel process (Console::Open or Console::Absent)";
        return false;
    }
    const std::uint32_t nSeq = ++m_nSyncSent;
    if (!PostMessageW(m_hPanel, m_uSyncMessage, nSeq, 0)) {
        ADD_FAILURE() << "cannot post to the panel (error " << GetLastError() << ")";
        return false;
    }
    if (!PumpUntil([&] { return m_sink.SyncReached() >= nSeq || m_debuggee.HasEnded(); }, kSendTimeoutMs,
                   m_debuggee.Finished()) ||
        m_sink.SyncReached() < nSeq) {
        ADD_FAILURE() << "the panel's message loop did not reach what was posted within " << kSendTimeoutMs
                      << " ms" << (m_debuggee.HasEnded() ? " (the process ended)" : "");
        return false;
    }
    return true;
}

HWND CSidecarRun::Control(int nId) const {
    HWND hControl = m_hPanel != nullptr ? GetDlgItem(m_hPanel, nId) : nullptr;
    if (hControl == nullptr)
        ADD_FAILURE() << "the panel has no control " << nId;
    return hControl;
}

std::wstring CSidecarRun::Caption(HWND hWnd) const {
    return ReadWindowText(hWnd, kSendTimeoutMs);
}
std::wstring CSidecarRun::Caption(int nId) const {
    return Caption(Control(nId));
}

bool CSidecarRun::IsEnabled(int nId) const {
    HWND hControl = Control(nId);
    return hControl != nullptr && IsWindowEnabled(hControl);
}

bool CSidecarRun::IsVisible(int nId) const {
    HWND hControl = Control(nId);
    return hControl != nullptr && (GetWindowLongW(hControl, GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT CSidecarRun::Rect(int nId) const {
    HWND hControl = Control(nId);
    return hControl != nullptr ? ReadRectIn(hControl, m_hPanel) : RECT{};
}

std::wstring CSidecarRun::SkinElement(HWND hWnd) const {
    return ReadSkinElement(hWnd);
}
std::wstring CSidecarRun::SkinElement(int nId) const {
    HWND hControl = Control(nId);
    return hControl != nullptr ? ReadSkinElement(hControl) : std::wstring();
}

std::vector<TreeRow> CSidecarRun::TreeRows(int nId) const {
    std::vector<TreeRow> rows;
    HWND hTree = Control(nId);
    if (hTree != nullptr && !ReadTreeRows(hTree, m_debuggee.Process(), kSendTimeoutMs, rows))
        ADD_FAILURE() << "could not read the items of tree control " << nId;
    return rows;
}

HWND CSidecarRun::FindTopLevel(const std::wstring& strTitle) const {
    HWND hFound = nullptr;
    ForEachTopLevel([&](HWND hWnd) {
        if (hFound == nullptr && ProcessOf(hWnd) == m_debuggee.ProcessId() && TitleOf(hWnd) == strTitle)
            hFound = hWnd;
    });
    return hFound;
}

HWND CSidecarRun::FindTopLevelWithControl(int nControlId) const {
    HWND hFound = nullptr;
    ForEachTopLevel([&](HWND hWnd) {
        if (hFound == nullptr && ProcessOf(hWnd) == m_debuggee.ProcessId() && hWnd != m_hPanel &&
            GetDlgItem(hWnd, nControlId) != nullptr)
            hFound = hWnd;
    });
    return hFound;
}

std::optional<CSidecarRun::MessageBoxSeen> CSidecarRun::DismissMessageBox(int nButtonId, DWORD nTimeoutMs) {
    HWND hBox = nullptr;
    PumpUntil(
        [&] {
            ForEachTopLevel([&](HWND hWnd) {
                if (hBox == nullptr && ProcessOf(hWnd) == m_debuggee.ProcessId() && IsWindowVisible(hWnd) &&
                    IsStandardMessageBox(hWnd))
                    hBox = hWnd;
            });
            return hBox != nullptr || m_debuggee.HasEnded();
        },
        nTimeoutMs, m_debuggee.Finished());
    if (hBox == nullptr) {
        ADD_FAILURE() << "no message box of process " << m_debuggee.ProcessId() << " within " << nTimeoutMs
                      << " ms";
        return std::nullopt;
    }
    MessageBoxSeen seen{TitleOf(hBox), ReadWindowText(GetDlgItem(hBox, 0xFFFF), kSendTimeoutMs)};
    HWND hButton = GetDlgItem(hBox, nButtonId);
    if (hButton == nullptr || !IsWindowVisible(hButton)) {
        ADD_FAILURE() << "the message box \"" << seen.text << "\" has no button " << nButtonId;
        return std::nullopt;
    }
    PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(nButtonId, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
    if (!PumpUntil([&] { return !IsWindow(hBox); }, kSendTimeoutMs, m_debuggee.Finished())) {
        ADD_FAILURE() << "the message box \"" << seen.text << "\" stayed after its button " << nButtonId;
        return std::nullopt;
    }
    return seen;
}

bool CSidecarRun::Running() const {
    return m_debuggee.Started() && !m_debuggee.HasEnded();
}

std::optional<DWORD> CSidecarRun::WaitForExit(DWORD nTimeoutMs) {
    if (!m_debuggee.Started())
        return std::nullopt;
    if (!PumpUntil([&] { return m_debuggee.HasEnded(); }, nTimeoutMs, m_debuggee.Finished()))
        return std::nullopt;
    m_debuggee.Terminate(0);  // only joins the watcher: the process has ended
    return m_debuggee.ExitCode();
}

std::optional<DWORD> CSidecarRun::Close() {
    if (!m_debuggee.Started())
        return std::nullopt;
    if (Running()) {
        if (m_hPanel != nullptr)
            PostMessageW(m_hPanel, WM_CLOSE, 0, 0);
        if (!WaitForExit(kCloseTimeoutMs)) {
            ADD_FAILURE() << "Sidecar.exe did not end within " << kCloseTimeoutMs
                          << " ms of WM_CLOSE; ended it";
            m_debuggee.Terminate(0xDEAD);
        }
    }
    return WaitForExit(0);
}

bool CSidecarRun::ExpectNoFaults() const {
    const std::vector<Fault> faults = m_debuggee.Faults();
    if (faults.empty())
        return true;
    ::testing::Message message;
    message << faults.size() << " fault(s) in Sidecar.exe:";
    for (const Fault& fault : faults)
        message << "\n  " << fault.Describe();
    ADD_FAILURE() << message;
    return false;
}

void CSidecarRun::Finish() {
    if (m_bFinished)
        return;
    m_bFinished = true;
    if (Running()) {
        if (m_hPanel != nullptr) {
            Close();
        } else {
            if (!::testing::Test::HasFailure())
                ADD_FAILURE() << "Sidecar.exe still ran without a panel; ended it";
            m_debuggee.Terminate(0xDEAD);
        }
    }
    m_debuggee.Terminate(0xDEAD);
    if (m_debuggee.Started())
        ExpectNoFaults();
    const std::wstring strFolder = m_folder.Path();
    if (!m_folder.Remove())
        ADD_FAILURE() << "could not remove the program folder " << strFolder;
    if (m_hSharedTitle) {
        ReleaseMutex(m_hSharedTitle.Get());
        m_hSharedTitle.Reset();
    }
    m_sink.ForgetProbe();
    m_hPanel = m_hConsole = nullptr;
}

}  // namespace sidecar::e2e
