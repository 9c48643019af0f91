#pragma once
// CSimulator: one session of the host console simulator. It owns the console window, the console's state,
// the shared picture mapping and the panel process it launched; it runs a script and/or the lines typed on
// standard input, and prints every report the panel sends.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "console_window.h"
#include "picture.h"
#include "script.h"
#include "ui/handle.h"

namespace consim {

using CKernelHandle = CHandle<HANDLE, CKernelTraits>;

struct Options {
    std::wstring title = L"kiln-ACQS";
    std::wstring scriptPath;    // empty: no script
    bool interactive = false;   // read commands from standard input (after the script, if any)
    bool quiet = false;         // do not echo the script's lines
    bool strict = false;        // compare report values even where Wine loses them
    bool keepPanel = false;     // leave a launched panel running when the session ends
    DWORD panelProcess = 0;     // talk only to the panel of this process (0: the first panel found)
    std::optional<RECT> place;  // the console window's rectangle
};

// Parses the command line; on failure returns nullopt with the reason in error.
std::optional<Options> ParseOptions(int argc, wchar_t** argv, std::string& error);
std::string UsageText();

class CInputReader;

class CSimulator {
  public:
    static constexpr DWORD kSendTimeoutMs = 10000;
    static constexpr DWORD kLaunchTimeoutMs = 20000;
    static constexpr DWORD kCloseTimeoutMs = 5000;
    static constexpr DWORD kPressSettleMs = 100;
    static constexpr DWORD kScreenshotSettleMs = 250;
    static constexpr DWORD kPollMs = 50;

    explicit CSimulator(Options options);
    ~CSimulator();
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    // The whole session; returns the process exit code: 0 done, 1 a command failed, 2 a bad script or setup.
    int Run();

  private:
    enum class Outcome { Done, Failed, Quit };

    int RunScript();
    int RunInteractive();
    Outcome Execute(const Command& command);

    Outcome Do(const PatientCommand& c);
    Outcome Do(const ExposureCommand& c);
    Outcome Do(const TreeLine& c);
    Outcome Do(const LampsCommand& c);
    Outcome Do(const ReviewCommand& c);
    Outcome Do(const ReviewCloseCommand& c);
    Outcome Do(const StandLine& c);
    Outcome Do(const SdkTextCommand& c);
    Outcome Do(const SdkValuesCommand& c);
    Outcome Do(const RawCommand& c);
    Outcome Do(const WaitCommand& c);
    Outcome Do(const ExpectCommand& c);
    Outcome Do(const LaunchCommand& c);
    Outcome Do(const ClosePanelCommand& c);
    Outcome Do(const ScreenshotCommand& c);
    Outcome Do(const PressCommand& c);
    Outcome Do(const EchoCommand& c);
    Outcome Do(const HelpCommand& c);
    Outcome Do(const QuitCommand& c);

    // Sends one console message to the panel, as the console does: synchronously, the console window as
    // wParam.
    Outcome Send(const CopyData& message);
    // The panel: a top-level window titled "Sidecar" that holds the protocol tree (the review dialog has the
    // same title); the launched process's, when there is one.
    HWND FindPanel() const;
    bool PanelProcessRuns() const;
    // Puts the picture at the start of the shared mapping "Sidecar", which stays open until the session ends.
    bool PutPicture(const GreyPicture& picture);
    const GreyPicture* LoadPicture(const ReviewCommand& c);
    void ClosePanelAtEnd();

    // Handles this thread's messages (reports arrive as sent messages) until done() or ms have passed;
    // true when done() became true.
    bool PumpUntil(const std::function<bool()>& done, DWORD ms);
    void OnReport(const CopyData& report);
    void NoteProcessEnd();

    void Print(const std::string& line);  // standard output and the window's log, flushed at once
    Outcome Fail(const std::string& message);

    Options m_options;
    CConsoleWindow m_window;
    CConsoleState m_state;
    std::deque<DecodedReport> m_pending;  // reports no expect has taken yet
    bool m_bValuesMayBeLost = false;
    std::string m_strWhere;  // "script.txt:12" or "stdin:3", for messages

    CKernelHandle m_hProcess;  // the panel launched by this session
    DWORD m_nProcessId = 0;
    bool m_bProcessEndSeen = false;

    CFileMapping m_mapping;
    CMappedView m_view;
    std::size_t m_nMappingSize = 0;
    std::map<std::pair<int, int>, GreyPicture> m_generated;
    GreyPicture m_filePicture;

    std::shared_ptr<CInputReader> m_input;
};

}  // namespace consim
