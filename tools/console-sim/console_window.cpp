#include "console_window.h"

SIDECAR_MESSAGE_MAP(CConsoleWindow, CWnd, M::CopyData<&CConsoleWindow::OnCopyData>(),
                    M::Message<&CConsoleWindow::OnSize>(WM_SIZE),
                    M::Event<&CConsoleWindow::OnClose>(WM_CLOSE))

namespace {
constexpr wchar_t kClassName[] = L"SidecarConsoleSim";
constexpr int kLogId = 100;
}  // namespace

CConsoleWindow::~CConsoleWindow() {
    DestroyWindow();
}

bool CConsoleWindow::Create(const std::wstring& strTitle, const RECT* rcPlace, ReportSink sink) {
    m_sink = std::move(sink);
    HINSTANCE hInstance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    ::RegisterClassW(&wc);  // a second window of the class in this process finds it registered

    const int x = rcPlace ? rcPlace->left : CW_USEDEFAULT, y = rcPlace ? rcPlace->top : CW_USEDEFAULT;
    const int cx = rcPlace ? rcPlace->right - rcPlace->left : 720,
              cy = rcPlace ? rcPlace->bottom - rcPlace->top : 260;
    HWND hwnd = ::CreateWindowExW(0, kClassName, strTitle.c_str(), WS_OVERLAPPEDWINDOW, x, y, cx, cy, nullptr,
                                  nullptr, hInstance, nullptr);
    // The window procedure is the framework's from here on, so WM_COPYDATA goes through the message map.
    if (!hwnd || !SubclassWindow(hwnd)) {
        if (hwnd)
            ::DestroyWindow(hwnd);
        return false;
    }
    RECT rc = GetClientRect();
    m_hLog = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 0, 0,
                               rc.right, rc.bottom, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLogId)), hInstance, nullptr);
    m_font.Attach(::CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, L"Courier New"));
    if (m_hLog && m_font)
        ::SendMessageW(m_hLog, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    ShowWindow(SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    return true;
}

void CConsoleWindow::AppendLog(const std::wstring& strLine) {
    if (!m_hLog)
        return;
    while (::SendMessageW(m_hLog, LB_GETCOUNT, 0, 0) >= kLogLines)
        ::SendMessageW(m_hLog, LB_DELETESTRING, 0, 0);
    const LRESULT index = ::SendMessageW(m_hLog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strLine.c_str()));
    if (index >= 0)
        ::SendMessageW(m_hLog, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

LRESULT CConsoleWindow::OnCopyData(HWND, const COPYDATASTRUCT* cds) {
    if (!cds)
        return FALSE;
    // The record lives only during this call: copy it out. A NULL lpData carries no bytes, whatever cbData
    // says.
    consim::CopyData report;
    report.code = static_cast<std::uint32_t>(cds->dwData);
    report.cbData = cds->cbData;
    if (cds->lpData) {
        const auto* bytes = static_cast<const std::uint8_t*>(cds->lpData);
        report.data.emplace(bytes, bytes + cds->cbData);
    }
    if (m_sink)
        m_sink(report);
    return TRUE;
}

LRESULT CConsoleWindow::OnSize(WPARAM, LPARAM lParam) {
    if (m_hLog)
        ::MoveWindow(m_hLog, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

void CConsoleWindow::OnClose() {
    m_bCloseRequested = true;
}
