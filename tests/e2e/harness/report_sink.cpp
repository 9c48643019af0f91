#include "harness/report_sink.h"

#include <cstring>

#include "probe/probe_wire.h"

namespace sidecar::e2e {

namespace {

constexpr wchar_t kSinkClass[] = L"SidecarE2ESink";

HWND WindowFromWire(std::uint64_t value) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

}  // namespace

bool CReportSink::Create() {
    static const ATOM s_atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kSinkClass;
        return RegisterClassW(&wc);
    }();
    if (s_atom == 0)
        return false;
    // Message-only: EnumWindows never lists it, so it can never be mistaken for a console.
    m_hWnd.Reset(CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr));
    if (!m_hWnd)
        return false;
    SetWindowLongPtrW(m_hWnd.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

LRESULT CALLBACK CReportSink::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* pSink = reinterpret_cast<CReportSink*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pSink != nullptr) {
        if (uMsg == WM_COPYDATA) {
            pSink->OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return TRUE;
        }
        if (uMsg == wire::kSyncAck) {
            const auto nReached = static_cast<std::uint32_t>(wParam);
            if (nReached > pSink->m_nSyncReached)
                pSink->m_nSyncReached = nReached;
            return 0;
        }
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void CReportSink::OnCopyData(const COPYDATASTRUCT& cds) {
    const auto* pBytes = static_cast<const std::uint8_t*>(cds.lpData);
    if (cds.dwData == wire::kHello && cds.cbData == sizeof(wire::Hello) && pBytes != nullptr) {
        wire::Hello hello;
        std::memcpy(&hello, pBytes, sizeof hello);
        m_hControl = WindowFromWire(hello.control);
        m_hFirstConsole = WindowFromWire(hello.console);
        return;
    }
    if (cds.dwData == wire::kReport && cds.cbData >= sizeof(wire::ReportHeader) && pBytes != nullptr) {
        wire::ReportHeader header;
        std::memcpy(&header, pBytes, sizeof header);
        Report report;
        report.code = header.code;
        report.cbData = header.cbData;
        report.nullData = header.nullData != 0;
        report.truncated = header.truncated != 0;
        report.sender = WindowFromWire(header.sender);
        report.console = WindowFromWire(header.console);
        report.bytes.assign(pBytes + sizeof header, pBytes + cds.cbData);
        m_reports.push_back(std::move(report));
        if (m_onReport) {
            // A copy: the handler may wait, and a wait may store more reports.
            const Report stored = m_reports.back();
            m_onReport(stored);
        }
    }
}

}  // namespace sidecar::e2e
