#include "ui/controls.h"

#include <cstring>

#include "ui/gdi.h"

HTREEITEM CTreeCtrl::InsertItem(const std::wstring& text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM after) const {
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent;
    ins.hInsertAfter = after;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<wchar_t*>(text.c_str());
    ins.item.iImage = image;
    ins.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, LPARAM data) const {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    tv.lParam = data;
    return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
}

SIDECAR_MESSAGE_MAP(CTreeCtrl, CWnd, M::Event<&CTreeCtrl::OnPaint>(WM_PAINT))

// The control paints; then its window DC is taken and given back once. A repaint leaves the tree's cached
// DC to be set up again for its next use (its visible region is fetched from the window server), and the
// next use is the text measurement of the console's next row change, which would pay for it while the
// console waits for its answer. Set up here, after the repaint, the DC is ready for it.
void CTreeCtrl::OnPaint() {
    Default();
    CClientDC ready(m_hWnd);
}

bool CTreeCtrl::IsRowInView(HTREEITEM item) const {
    if (!item || (::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_HSCROLL))
        return false;
    // TVM_GETITEMRECT takes the row in the rectangle and fails for a row under a collapsed parent.
    RECT row{};
    // NOLINTBEGIN(bugprone-sizeof-expression): the handle itself travels, not what it points to
    static_assert(sizeof(row) >= sizeof(item));
    std::memcpy(&row, &item, sizeof(item));
    // NOLINTEND(bugprone-sizeof-expression)
    if (!SendMessage(TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&row)))
        return false;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // The control scrolls once a row's last line reaches the client's bottom edge; stopping one line short
    // of it keeps the test on the safe side of both inclusive and exclusive row bottoms.
    return row.top >= 0 && row.bottom < client.bottom;
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM item) const {
    if (IsRowInView(item))
        return FALSE;
    return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)));
}

LPARAM CTreeCtrl::GetItemData(HTREEITEM item) const {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return tv.lParam;
}

std::wstring CTreeCtrl::GetItemText(HTREEITEM item) const {
    // Row texts come from a 256-unit slot; 1024 leaves room for any text the control holds.
    wchar_t buf[1024] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buf;
    tv.cchTextMax = static_cast<int>(std::size(buf));
    SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return tv.pszText ? std::wstring(tv.pszText) : std::wstring();
}

BOOL CTreeCtrl::SetItemTextAndImage(HTREEITEM item, const std::wstring& text, int image,
                                    int selectedImage) const {
    return UpdateItemTextAndImage(
        item, [&text](const std::wstring&) { return text; }, image, selectedImage);
}

BOOL CTreeCtrl::UpdateItemTextAndImage(HTREEITEM item,
                                       const std::function<std::wstring(const std::wstring&)>& makeText,
                                       int image, int selectedImage) const {
    // What the row already shows is left alone: a new text makes the control measure it again, and any
    // change repaints the row, so a console that marks a row as it already is costs nothing.
    wchar_t buf[1024] = {};
    TVITEMW now{};
    now.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    now.hItem = item;
    now.pszText = buf;
    now.cchTextMax = static_cast<int>(std::size(buf));
    const bool known = SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&now)) != 0 && now.pszText;
    const std::wstring text = makeText(known ? std::wstring(now.pszText) : std::wstring());

    TVITEMW tv{};
    tv.hItem = item;
    if (!known || text != now.pszText) {
        tv.mask |= TVIF_TEXT;
        tv.pszText = const_cast<wchar_t*>(text.c_str());
    }
    if (!known || now.iImage != image || now.iSelectedImage != selectedImage) {
        tv.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tv.iImage = image;
        tv.iSelectedImage = selectedImage;
    }
    if (tv.mask == 0)
        return TRUE;
    return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
}

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    DeleteImageList();
    m_hList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hList != nullptr;
}

int CImageList::Add(HBITMAP strip, COLORREF mask) const {
    if (!m_hList)
        return -1;
    if (mask == CLR_NONE)
        return ImageList_Add(m_hList, strip, nullptr);
    return ImageList_AddMasked(m_hList, strip, mask);
}

void CImageList::DeleteImageList() {
    if (m_hList) {
        ImageList_Destroy(m_hList);
        m_hList = nullptr;
    }
}

bool CToolTipCtrl::Create(HWND parent, DWORD style) {
    // A pop-up owned by `parent`; the control sizes itself when it shows a tip.
    return CreateControl(TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, RECT{}, parent, 0);
}

bool CToolTipCtrl::AddTool(HWND tool, const wchar_t* text, UINT_PTR id) const {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = tool;
    ti.uId = id;
    ti.lpszText = const_cast<wchar_t*>(text);
    ::GetClientRect(tool, &ti.rect);
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

void CToolTipCtrl::UpdateTipText(const std::wstring& text, HWND tool, UINT_PTR id) const {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = tool;
    ti.uId = id;
    ti.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}
