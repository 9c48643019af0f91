#include "ui/dialog.h"

#include <cassert>

void CDataExchange::Control(int id, CWnd& ctrl) {
    if (ctrl.m_hWnd)
        return;
    HWND hwnd = m_dialog.Item(id);
    assert(hwnd && "control id missing from the dialog template");
    ctrl.SubclassWindow(hwnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {
    m_bIsDialog = true;
}

CDialog::~CDialog() = default;  // CWnd's destructor destroys a window that is still open

HWND CDialog::Item(int id) {
    if (!m_hWnd)
        return nullptr;
    if (m_hItemsOf != m_hWnd) {  // a new window of the same dialog object
        m_items.clear();
        m_hItemsOf = m_hWnd;
    }
    auto found = m_items.find(id);
    if (found != m_items.end() && ::IsWindow(found->second) && ::GetParent(found->second) == m_hWnd)
        return found->second;
    HWND hwnd = ::GetDlgItem(m_hWnd, id);
    if (hwnd)
        m_items[id] = hwnd;
    else
        m_items.erase(id);
    return hwnd;
}

HWND CDialog::CreateFromTemplate(UINT templateId, HWND parent) {
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent,
                                &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (parent)
        m_pParentWnd = parent;
    m_nIDTemplate = templateId;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    return CreateFromTemplate(templateId, owner) != nullptr;
}

INT_PTR CDialog::DoModal() {
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    m_bEndModal = false;
    m_nModalResult = -1;
    // The owner is disabled before the dialog exists, so it is already inert while the dialog initialises.
    bool ownerDisabled = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    if (!CreateFromTemplate(m_nIDTemplate, owner)) {
        if (ownerDisabled)
            ::EnableWindow(owner, TRUE);
        return -1;
    }
    if (!m_bEndModal && m_hWnd && !::IsWindowVisible(m_hWnd))
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    RunMessageLoop(m_bEndModal);

    if (ownerDisabled)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        // Hide first so that activation moves to the owner before the window goes.
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        ::DestroyWindow(m_hWnd);
    }
    return m_nModalResult;
}

void CDialog::RunMessageLoop(const bool& done) {
    MSG msg;
    while (!done) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        if (!WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void CDialog::EndDialog(INT_PTR result) {
    m_nModalResult = result;
    m_bEndModal = true;
    if (m_hWnd)
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the loop
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (!m_hWnd || (::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD))
        return FALSE;
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    if (!input)
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

void CDialog::UpdateData(BOOL) {
    CDataExchange dx(*this);
    DoDataExchange(dx);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange&) {}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CDialog* dlg = nullptr;
    if (msg == WM_INITDIALOG) {
        dlg = reinterpret_cast<CDialog*>(lp);
        dlg->Attach(hwnd);
    } else {
        dlg = static_cast<CDialog*>(FromHandlePermanent(hwnd));
    }
    if (!dlg)
        return FALSE;
    if (msg == WM_NCDESTROY) {
        dlg->DetachOnDestroy();
        return FALSE;
    }
    return dlg->HandleDialogMessage(msg, wp, lp);
}

namespace {
// The messages whose result a dialog procedure returns itself rather than in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
    switch (msg) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}
}  // namespace

INT_PTR CDialog::HandleDialogMessage(UINT msg, WPARAM wp, LPARAM lp) {
    CCurrentMsg saved = m_current;
    m_current = {msg, wp, lp, false};
    LRESULT result = 0;
    bool handled = false;
    try {
        if (msg == WM_INITDIALOG) {
            handled = true;
            result = OnInitDialog();
        } else {
            handled = DispatchMap(msg, wp, lp, result) || (msg == WM_COMMAND && HandleOkCancel(wp));
        }
    } catch (...) {
        handled =
            false;  // from OnInitDialog, OnOK or OnCancel: nothing may unwind through the dialog manager
    }
    bool wantsDefault = m_current.defaultRequested;
    m_current = saved;
    if (!handled || wantsDefault)
        return FALSE;

    if (ReturnsResultDirectly(msg))
        return static_cast<INT_PTR>(result);
    if (m_hWnd)
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

// Enter and Escape arrive as IDOK / IDCANCEL, with or without such buttons.
bool CDialog::HandleOkCancel(WPARAM wp) {
    if (HIWORD(wp) != BN_CLICKED)
        return false;
    if (LOWORD(wp) == IDOK) {
        OnOK();
        return true;
    }
    if (LOWORD(wp) == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}
