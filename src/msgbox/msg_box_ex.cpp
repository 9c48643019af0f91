#include "msgbox/msg_box_ex.h"

#include <string>

#include "resources/resource.h"
#include "ui/gdi.h"
#include "ui/look.h"

SIDECAR_MESSAGE_MAP(CMsgBoxEx, CDialog, M::CommandRange<&CMsgBoxEx::OnButton>(kMsgBoxIdOk, kMsgBoxIdNoToAll),
                    M::Command<&CMsgBoxEx::OnCheck>(kMsgBoxIdCheck),
                    M::Event<&CMsgBoxEx::OnSysColorChange>(WM_SYSCOLORCHANGE),
                    M::Event<&CMsgBoxEx::OnDestroy>(WM_DESTROY),
                    M::Message<&CMsgBoxEx::OnDrawItem>(WM_DRAWITEM))

namespace {

// The bitmaps are drawn on the classic dialog face; keying it out leaves the picture on whatever face the
// box has (Wine's is a lighter grey).
constexpr COLORREF kIconBitmapFace = RGB(240, 240, 240);

CBoxRect ToBox(const RECT& rc) {
    return {rc.left, rc.top, rc.right, rc.bottom};
}
RECT ToRect(const CBoxRect& box) {
    return {box.left, box.top, box.right, box.bottom};
}

}  // namespace

CMsgBoxEx::CMsgBoxEx(CWnd* parent, const std::wstring& text, const std::wstring& caption, std::uint32_t style)
    : CDialog(IDD_MSGBOX, parent) {
    DecodeStyle(text, caption, style);
}

CMsgBoxEx::~CMsgBoxEx() {
    ReleaseControls();
    if (m_pCheck) {
        m_pCheck->DestroyWindow();
        m_pCheck.reset();
    }
}

void CMsgBoxEx::DecodeStyle(const std::wstring& text, const std::wstring& caption, std::uint32_t style) {
    CMsgBoxButtons buttons = ::DecodeStyle(style);
    m_nButtonCount = static_cast<short>(buttons.nCount);
    for (int i = 0; i < kMsgBoxMaxButtons; ++i) {
        m_nButtonId[i] = static_cast<short>(buttons.nIds[i]);
        m_strButtonText[i] =
            i < buttons.nCount ? Look().Text(MsgBoxButtonTextId(buttons.nIds[i])) : std::wstring();
    }
    m_nStyle = buttons.nStyle;
    m_strText = text;
    m_strCaption = caption;
    m_bDontShowAgain = 0;
}

HWND CMsgBoxEx::ButtonWindow(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_buttons.size())
        return nullptr;
    return m_buttons[static_cast<std::size_t>(index)]->m_hWnd;
}

// Enter answers with the focused button, or with the leftmost when the focus is elsewhere (the check box):
// never with the template's hidden OK, which the dialog manager would take for the default button.
BOOL CMsgBoxEx::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && !m_buttons.empty()) {
        const HWND focus = ::GetFocus();
        int id = m_buttons.back()->GetDlgCtrlID();
        for (const auto& button : m_buttons) {
            if (button->m_hWnd == focus)
                id = button->GetDlgCtrlID();
        }
        OnButton(static_cast<UINT>(id));
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

bool CMsgBoxEx::ShowsButton(UINT id) const {
    for (int i = 0; i < m_nButtonCount; ++i) {
        if (static_cast<UINT>(m_nButtonId[i]) == id)
            return true;
    }
    return false;
}

// The leftmost button, the last one made, takes the focus as the dialog's default button, as the
// platform's own box does with its first button.
void CMsgBoxEx::FocusLeftmost() {
    if (!m_buttons.empty())
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_buttons.back()->m_hWnd), TRUE);
}

void CMsgBoxEx::DoDataExchange(CDataExchange& dx) {
    dx.Control(IDC_MSGBOX_TEXT, m_text);
}

BOOL CMsgBoxEx::OnInitDialog() {
    CDialog::OnInitDialog();
    m_text.SetTextFont(Look().FontFace(), Look().FontSize(), 700, FALSE);
    m_text.SetWindowText(m_strText);
    SetWindowText(Look().Text(IDS_MESSAGE));
    LayoutControls();
    if (m_bShowCheck)
        CreateCheckBox();
    PlayBeep();
    FocusLeftmost();
    return FALSE;  // the focus is set
}

BOOL CMsgBoxEx::LayoutControls() {
    ReleaseControls();
    const CBoxRect client = ToBox(GetClientRect());
    const HWND self = m_hWnd;

    const wchar_t* element = MsgBoxIconElement(m_nStyle);
    if (unsigned bitmapId = MsgBoxIconBitmapId(m_nStyle)) {
        m_bmpIcon.Attach(
            static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId),
                                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    }
    // Without a skin look for the icon the box draws it: the program's own picture, or only the face
    // when the style has no icon (never a bare push button).
    m_bOwnerDrawIcon = !Look().SkinDraws(element);
    m_pIcon = std::make_unique<CButtonSTEx2>();
    DWORD iconStyle = WS_CHILD | WS_VISIBLE | (m_bOwnerDrawIcon ? BS_OWNERDRAW : 0);
    m_pIcon->Create(L"", iconStyle, ToRect(MsgBoxIconRect(client)), self, -1);
    Look().Skin(m_pIcon->m_hWnd, element);

    m_fontBold.Attach(::CreateFontW(Look().FontSize(), 0, 0, 0, 800, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS,
                                    Look().FontFace()));

    for (int i = 0; i < m_nButtonCount; ++i) {
        auto button = std::make_unique<CButtonSTEx2>();
        button->Create(m_strButtonText[i].c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                       ToRect(MsgBoxButtonRect(client, i)), self, m_nButtonId[i]);
        ::SetFocus(button->m_hWnd);
        button->SetFont(m_fontBold.Get(), TRUE);
        Look().Skin(button->m_hWnd, L"testBtn0001");
        m_buttons.push_back(std::move(button));
    }
    return !m_buttons.empty();
}

void CMsgBoxEx::ReleaseControls() {
    if (m_pIcon) {
        m_pIcon->DestroyWindow();
        m_pIcon.reset();
    }
    for (auto& button : m_buttons)
        button->DestroyWindow();
    m_buttons.clear();
    m_fontBold.Reset();
    m_bmpIcon.Reset();
    m_bOwnerDrawIcon = false;
}

void CMsgBoxEx::CreateCheckBox() {
    const CBoxRect client = ToBox(GetClientRect());
    m_pCheck = std::make_unique<CButton>();
    m_pCheck->Create(m_strCheckText.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX,
                     ToRect(MsgBoxCheckRect(client, m_nButtonCount)), m_hWnd, kMsgBoxIdCheck);
    m_pCheck->ShowWindow(SW_SHOW);
}

void CMsgBoxEx::PlayBeep() {
    m_nBeepPlayed = MsgBoxBeepType(m_nStyle);
    ::MessageBeep(m_nBeepPlayed);
}

// The box ends only with a button it shows, or with Escape's cancel (2) whatever it shows; the template's
// hidden OK and Cancel answer nothing else.
void CMsgBoxEx::OnButton(UINT id) {
    if (id != IDCANCEL && !ShowsButton(id))
        return;
    if (m_pCheck && m_pCheck->m_hWnd)
        m_bDontShowAgain = m_pCheck->GetCheck();
    EndDialog(static_cast<INT_PTR>(id));
}

void CMsgBoxEx::OnCheck() {
    if (!m_pCheck)
        return;
    // BS_CHECKBOX does not toggle itself.
    m_bDontShowAgain = m_pCheck->GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    m_pCheck->SetCheck(m_bDontShowAgain);
}

void CMsgBoxEx::OnSysColorChange() {
    Default();
    LayoutControls();
    FocusLeftmost();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CMsgBoxEx::OnDestroy() {
    Default();
    ReleaseControls();
    if (m_pCheck) {
        m_pCheck->DestroyWindow();
        m_pCheck.reset();
    }
}

LRESULT CMsgBoxEx::OnDrawItem(WPARAM, LPARAM lp) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
    if (!item || !m_bOwnerDrawIcon || !m_pIcon || item->hwndItem != m_pIcon->m_hWnd) {
        Default();
        return FALSE;
    }
    // The face the box answers for its buttons: the dialog's own look when a skin gives the box one.
    const RECT& rc = item->rcItem;
    auto face =
        reinterpret_cast<HBRUSH>(::SendMessageW(m_hWnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(item->hDC),
                                                reinterpret_cast<LPARAM>(item->hwndItem)));
    ::FillRect(item->hDC, &rc, face ? face : ::GetSysColorBrush(COLOR_BTNFACE));
    if (!m_bmpIcon)
        return TRUE;
    BITMAP bm{};
    ::GetObjectW(m_bmpIcon.Get(), sizeof(bm), &bm);
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    // The 48-pixel picture is centred on the 46-pixel button: its outer ring is face colour anyway.
    CMemDC mem = CreateCompatibleMemDC(item->hDC);
    CSelectObject select(mem.Get(), m_bmpIcon.Get());
    ::TransparentBlt(item->hDC, rc.left, rc.top, cx, cy, mem.Get(), (bm.bmWidth - cx) / 2,
                     (bm.bmHeight - cy) / 2, cx, cy, kIconBitmapFace);
    return TRUE;
}
