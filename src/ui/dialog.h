#pragma once
// CDialog: a dialog built from a template of the program's resources, modal (DoModal runs the framework's own
// loop) or modeless (Create). The dialog object outlives its window; the window is destroyed when the
// modal run ends, by DestroyWindow, or by the object's destructor.
#include <unordered_map>

#include "ui/wnd.h"

class CDialog;

// Binds controls of the template to member objects, once each (later exchanges leave them as they are).
class CDataExchange {
  public:
    explicit CDataExchange(CDialog& dialog) : m_dialog(dialog) {}
    // Subclasses control `id` into `ctrl`; a missing id is a template fault and trips a debug assertion.
    void Control(int id, CWnd& ctrl);

  private:
    CDialog& m_dialog;
};

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the window and runs the framework's modal loop until EndDialog; returns its result, or -1
    // when the window cannot be made. The owner (the parent's window, if any) is disabled meanwhile.
    virtual INT_PTR DoModal();
    // Creates the window modeless as a child or pop-up of `parent` (or of the constructor's parent).
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Ends the modal run with `result`; for a modeless dialog it only records the result.
    void EndDialog(INT_PTR result);

    // Offers keyboard and mouse input of a top-level dialog to the dialog manager (Tab, Enter, Escape).
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Runs a message loop until `done` becomes true (or WM_QUIT, which is posted again for the outer loop).
    // Every message is offered to PreTranslateMessage along the framework windows first.
    static void RunMessageLoop(const bool& done);

    void UpdateData(BOOL saveAndValidate = TRUE);

    // The dialog's own control `id` (a direct child), as GetDlgItem finds it, or null. Each control is
    // looked up once and remembered: under Wine every GetDlgItem is a round trip to the window server, and
    // a dialog asks for its controls again and again.
    HWND Item(int id);

  protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange& dx);
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR HandleDialogMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Enter or Escape (IDOK / IDCANCEL clicked) that no map entry took: OnOK / OnCancel. True when it was
    // one.
    bool HandleOkCancel(WPARAM wp);
    HWND CreateFromTemplate(UINT templateId, HWND parent);

    bool m_bEndModal = false;
    INT_PTR m_nModalResult = -1;
    HWND m_hItemsOf = nullptr;  // the window whose controls m_items remembers
    std::unordered_map<int, HWND> m_items;
};
