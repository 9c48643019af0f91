#pragma once
// Thin views over the common controls the dialogs use. Each binds to a window (a template control, by
// subclassing, or one it creates) and forwards to the control's messages; none owns more than its window.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "ui/wnd.h"

class CButton : public CWnd {
  public:
    bool Create(const wchar_t* caption, DWORD style, const RECT& rect, HWND parent, int id) {
        return CreateControl(WC_BUTTONW, caption, style, rect, parent, id);
    }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CStatic : public CWnd {
  public:
    HBITMAP SetBitmap(HBITMAP bmp) const {
        return reinterpret_cast<HBITMAP>(
            SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp)));
    }
};

class CTreeCtrl : public CWnd {
  public:
    HTREEITEM InsertItem(const std::wstring& text, int image, int selectedImage, HTREEITEM parent,
                         HTREEITEM after = TVI_LAST) const;
    BOOL SetItemData(HTREEITEM item, LPARAM data) const;
    LPARAM GetItemData(HTREEITEM item) const;
    std::wstring GetItemText(HTREEITEM item) const;
    // Text and images in one change (one repaint of the row); only what differs from the row is set.
    BOOL SetItemTextAndImage(HTREEITEM item, const std::wstring& text, int image, int selectedImage) const;
    // The same, with the new text made from the text the row shows now (read once with its images).
    BOOL UpdateItemTextAndImage(HTREEITEM item,
                                const std::function<std::wstring(const std::wstring&)>& makeText, int image,
                                int selectedImage) const;
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const {
        return reinterpret_cast<HTREEITEM>(
            SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM item) const {
        return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
    }
    BOOL Expand(HTREEITEM item, UINT code) const {
        return static_cast<BOOL>(SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
    }
    // Scrolls and expands so the row is in view; FALSE when nothing scrolled. A row already wholly in view
    // is left alone (see IsRowInView).
    BOOL EnsureVisible(HTREEITEM item) const;
    // Whether the row lies wholly inside the client area, in a tree without a horizontal scroll bar: the
    // one case where TVM_ENSUREVISIBLE has nothing to do, yet still measures the font to find that out.
    bool IsRowInView(HTREEITEM item) const;
    BOOL DeleteAllItems() const {
        return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
    }
    HIMAGELIST SetImageList(HIMAGELIST list, int which) const {
        return reinterpret_cast<HIMAGELIST>(
            SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list)));
    }

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();
    void OnPaint();
};

// Owns one image list.
class CImageList {
  public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    bool Create(int cx, int cy, UINT flags, int initial, int grow);
    // Adds the images of a bitmap strip; the caller keeps (and frees) the bitmap.
    int Add(HBITMAP strip, COLORREF mask) const;
    int GetImageCount() const { return m_hList ? ImageList_GetImageCount(m_hList) : 0; }
    void DeleteImageList();
    HIMAGELIST Get() const { return m_hList; }

  private:
    HIMAGELIST m_hList = nullptr;
};

class CToolTipCtrl : public CWnd {
  public:
    // Creates the tool tip window owned by `parent` with the given style.
    bool Create(HWND parent, DWORD style);
    void Activate(BOOL active) const { SendMessage(TTM_ACTIVATE, active); }
    bool AddTool(HWND tool, const wchar_t* text, UINT_PTR id) const;
    void UpdateTipText(const std::wstring& text, HWND tool, UINT_PTR id) const;
    void RelayEvent(MSG* msg) const { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
};
