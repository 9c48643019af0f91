#pragma once
// The test's end of the console link: a message-only window that the probe forwards reports to.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "harness/unique_handle.h"

namespace sidecar::e2e {

// One WM_COPYDATA that the panel sent to a console window, as the panel sent it.
struct Report {
    std::uint32_t code = 0;           // dwData
    std::uint32_t cbData = 0;         // cbData: the record's size, or the value of a record-less report
    bool nullData = false;            // lpData was NULL
    bool truncated = false;           // the record was longer than the probe copies (1 MiB)
    HWND sender = nullptr;            // wParam
    HWND console = nullptr;           // the console window that received it
    std::vector<std::uint8_t> bytes;  // the record, when lpData was not NULL
};

using ReportHandler = std::function<void(const Report&)>;

// Owns the sink window on the creating thread; collects reports in arrival order. Not movable: the
// window refers back to the object.
class CReportSink {
  public:
    CReportSink() = default;
    CReportSink(const CReportSink&) = delete;
    CReportSink& operator=(const CReportSink&) = delete;

    bool Create();
    HWND Window() const { return m_hWnd.Get(); }

    const std::vector<Report>& Reports() const { return m_reports; }
    void ClearReports() { m_reports.clear(); }
    // Called with each report once it is stored, before the panel's send returns.
    void OnReport(ReportHandler handler) { m_onReport = std::move(handler); }

    // The probe's hello: its control window and the console it opened (null when none).
    bool HasHello() const { return m_hControl != nullptr; }
    HWND ProbeControl() const { return m_hControl; }
    HWND FirstConsole() const { return m_hFirstConsole; }
    void ForgetProbe() { m_hControl = m_hFirstConsole = nullptr; }

    // The highest sync sequence number the panel's message loop has reached.
    std::uint32_t SyncReached() const { return m_nSyncReached; }

  private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnCopyData(const COPYDATASTRUCT& cds);

    CWindowOwner m_hWnd;
    std::vector<Report> m_reports;
    ReportHandler m_onReport;
    HWND m_hControl = nullptr;
    HWND m_hFirstConsole = nullptr;
    std::uint32_t m_nSyncReached = 0;
};

}  // namespace sidecar::e2e
