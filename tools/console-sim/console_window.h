#pragma once
// CConsoleWindow: the simulated console's main window. Its title is the one the panel looks for; it takes
// the panel's reports (WM_COPYDATA) and shows the session's log. Lives for the whole run of the simulator.
#include <windows.h>

#include <functional>
#include <string>

#include "script.h"
#include "ui/handle.h"
#include "ui/wnd.h"

class CConsoleWindow : public CWnd {
    SIDECAR_DECLARE_MESSAGE_MAP()

  public:
    using ReportSink = std::function<void(const consim::CopyData&)>;

    CConsoleWindow() = default;
    ~CConsoleWindow() override;

    // A top-level window titled strTitle at rcPlace (screen coordinates; none: the system's choice).
    bool Create(const std::wstring& strTitle, const RECT* rcPlace, ReportSink sink);
    // Adds a line to the log shown in the window (the last kLogLines are kept).
    void AppendLog(const std::wstring& strLine);
    // The operator closed the window: the session ends.
    bool CloseRequested() const { return m_bCloseRequested; }

  private:
    static constexpr int kLogLines = 2000;

    LRESULT OnCopyData(HWND hSender, const COPYDATASTRUCT* cds);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    void OnClose();

    HWND m_hLog = nullptr;
    CFont m_font;
    ReportSink m_sink;
    bool m_bCloseRequested = false;
};
