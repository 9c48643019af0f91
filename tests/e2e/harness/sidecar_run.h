#pragma once
// CSidecarRun: one run of Sidecar.exe with the test playing the host console. See README.md.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "harness/debuggee.h"
#include "harness/program_folder.h"
#include "harness/remote_window.h"
#include "harness/report_sink.h"
#include "harness/unique_handle.h"

namespace sidecar::e2e {

// The console title Sidecar uses when it is started without a command tail.
inline constexpr wchar_t kDefaultConsoleTitle[] = L"kiln-ACQS";

// The top-level windows of the session in EnumWindows order, the order in which Sidecar searches them.
std::vector<HWND> TopLevelWindows();

// What follows the program path on the command line.
struct Tail {
    enum class Kind { Unique, None, Exact };
    Kind kind = Kind::Unique;
    std::wstring text;

    static Tail Unique() { return {Kind::Unique, {}}; }  // a fresh "sidecar-e2e-<pid>-<n>"
    static Tail None() { return {Kind::None, {}}; }      // no tail: the default console title
    static Tail Exact(std::wstring text) { return {Kind::Exact, std::move(text)}; }
};

// Where the panel's reports can go.
enum class Console {
    Open,     // the probe is loaded and opens a console window titled with the console title
    Absent,   // the probe is loaded but no console window exists until the test opens one
    NoProbe,  // nothing is loaded into the panel: no console, no SendRaw, no Sync
};

struct StartOptions {
    std::optional<std::string> hostappIni;  // Hostapp.ini's bytes; none: no Hostapp.ini at all
    std::vector<ExtraFile> files;           // more files for the program folder (Skins\..., Sidecar.xls)
    Tail tail = Tail::Unique();
    Console console = Console::Open;
    bool waitForPanel = true;  // false: Start returns once the process runs (a message box
                               // is expected first); call WaitForPanel afterwards
};

// Owns the program folder, the debuggee and the sink for one run; lives on the test thread.
// Every wait handles the test thread's messages. Failures of the harness itself and of the program
// (time-outs, faults, a process that will not end) are reported as GoogleTest failures.
class CSidecarRun {
  public:
    static constexpr DWORD kPanelTimeoutMs = 20000;
    static constexpr DWORD kSendTimeoutMs = 10000;
    static constexpr DWORD kReportTimeoutMs = 5000;
    static constexpr DWORD kCloseTimeoutMs = 5000;

    CSidecarRun();
    CSidecarRun(const CSidecarRun&) = delete;
    CSidecarRun& operator=(const CSidecarRun&) = delete;
    ~CSidecarRun();

    // A console title no other run uses: "sidecar-e2e-<pid>-<n>".
    static std::wstring UniqueTitle();

    // --- the process ---
    bool Start(const StartOptions& options = {});
    // Finds the panel (and loads the probe, as the options say); Start does this unless told not to.
    bool WaitForPanel(DWORD nTimeoutMs = kPanelTimeoutMs);
    // Closes the panel with WM_CLOSE and waits for the process to end; ends it and fails the case when
    // it does not end within kCloseTimeoutMs. Returns the exit code.
    std::optional<DWORD> Close();
    // Waits for the process to end on its own; nullopt on time-out.
    std::optional<DWORD> WaitForExit(DWORD nTimeoutMs);
    // Ends the run: closes the panel when still running, fails the case on any fault seen, removes the
    // program folder. The fixture's TearDown calls it; calling it twice is harmless.
    void Finish();

    bool Running() const;
    DWORD ProcessId() const { return m_debuggee.ProcessId(); }
    HANDLE Process() const { return m_debuggee.Process(); }
    const std::wstring& ConsoleTitle() const { return m_strConsoleTitle; }
    const std::wstring& Folder() const { return m_folder.Path(); }
    std::vector<Fault> Faults() const { return m_debuggee.Faults(); }
    std::vector<Fault> TakeFaults() { return m_debuggee.TakeFaults(); }
    // Adds a failure listing every fault seen so far; true when there was none.
    bool ExpectNoFaults() const;

    // --- the console ---
    HWND Panel() const { return m_hPanel; }
    HWND Console() const { return m_hConsole; }      // the console window opened at start, or null
    HWND OpenConsole(const std::wstring& strTitle);  // another console window in the panel process
    bool CloseConsole(HWND hConsole);

    std::optional<Report> WaitForReport(DWORD nTimeoutMs = kReportTimeoutMs);  // the next unread report
    // All reports since the last clear. The reference is invalidated by any wait (reports may arrive).
    const std::vector<Report>& Reports() const { return m_sink.Reports(); }
    void ClearReports();
    // Runs handler on every report as it arrives, while the panel still waits in its send (a slow console
    // sleeps in it; an answering console sends the panel a command from it). Empty: none.
    void OnReport(ReportHandler handler) { m_sink.OnReport(std::move(handler)); }

    // Sends a command the way a console does, from the test process (wParam: the console window, or
    // the sink). Fails the case when the panel does not answer within kSendTimeoutMs.
    bool Send(std::uint32_t code, std::span<const std::uint8_t> bytes, HWND hTarget = nullptr);
    // Sends from inside the panel process, where nothing is marshalled: exactly this cbData, and lpData
    // NULL when bytes is nullopt, else pointing at the bytes, which end where an inaccessible page starts.
    bool SendRaw(std::uint32_t code, std::uint32_t cbData, std::optional<std::span<const std::uint8_t>> bytes,
                 HWND hTarget = nullptr);

    // --- the operator ---
    // A click: button down and up at the control's centre. Returns false (and posts nothing) when the
    // control is hidden or disabled or its window disabled, as a real click would not reach it.
    bool Press(int nId);
    bool PressDown(int nId);
    bool Release(int nId);
    bool Press(HWND hControl);
    bool PressDown(HWND hControl);
    bool Release(HWND hControl);
    // Returns once the panel's thread has taken from its queue everything posted to it so far.
    bool Sync();
    // Sync, then idle time for the panel to paint (it paints only when its queue is empty), then Sync.
    bool Settle(DWORD nIdleMs = 300);

    // --- reading the panel ---
    HWND Control(int nId) const;  // a control of the panel; fails the case when there is none
    std::wstring Caption(int nId) const;
    std::wstring Caption(HWND hWnd) const;
    bool IsEnabled(int nId) const;
    bool IsVisible(int nId) const;  // the control's own WS_VISIBLE, whatever its parent's
    RECT Rect(int nId) const;       // in the panel's client coordinates
    std::wstring SkinElement(int nId) const;
    std::wstring SkinElement(HWND hWnd) const;
    std::vector<TreeRow> TreeRows(int nId) const;
    // A top-level window of the panel process by exact title, or null.
    HWND FindTopLevel(const std::wstring& strTitle) const;
    // A top-level window of the panel process, other than the panel, with a control of id nControlId
    // (the review dialog by its picture), or null.
    HWND FindTopLevelWithControl(int nControlId) const;

    // --- the panel's resources, for leak checks ---
    // Committed private memory of the panel process, summed over its address space (Wine keeps no
    // memory counters for another process).
    std::size_t PrivateBytes() const;
    // The panel's live GDI objects as its own handle owners count them; nullopt (and a failure) when the
    // probe is absent or the program does not say.
    std::optional<long> LiveGdiObjects();
    // Windows of the panel process, top-level and child, hidden ones included.
    std::size_t WindowCount() const;

    // --- message boxes ---
    struct MessageBoxSeen {
        std::wstring title;
        std::wstring text;
    };
    // Waits for a standard message box of the panel process, presses its button nButtonId and returns
    // what it said; fails the case when none appears in time.
    std::optional<MessageBoxSeen> DismissMessageBox(int nButtonId = IDOK, DWORD nTimeoutMs = kPanelTimeoutMs);

  private:
    bool AttachProbe();
    bool SendToProbe(std::uint32_t code, std::span<const std::uint8_t> bytes, LRESULT& lResult);
    bool PostPress(HWND hControl, bool bDown, bool bUp);
    HWND FindPanelWindow() const;
    void WaitForEnd();

    CProgramFolder m_folder;
    CDebuggee m_debuggee;
    CReportSink m_sink;
    StartOptions m_options;
    std::wstring m_strConsoleTitle;
    CKernelHandle m_hSharedTitle;  // held while a run uses a title other runs may use too
    HWND m_hPanel = nullptr;
    HWND m_hConsole = nullptr;
    std::size_t m_nNextUnread = 0;
    std::uint32_t m_nSyncSent = 0;
    UINT m_uSyncMessage = 0;
    bool m_bFinished = false;
};

}  // namespace sidecar::e2e
