// The framework layer under Wine: message maps, the modal loop with PreTranslateMessage, control binding,
// and the GDI owners.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/sidecar_app.h"

#include "controls/skinned_button.h"
#include "controls/styled_static.h"
#include "resources/resource.h"
#include "ui/dialog.h"
#include "ui/enable_batch.h"
#include "ui/gdi.h"
#include "ui/redraw_batch.h"

namespace {

// The message box template: a static 1040 and the hidden buttons IDOK and IDCANCEL.
class CProbeDialog : public CDialog {
  public:
    explicit CProbeDialog(CWnd* parent = nullptr) : CDialog(IDD_MSGBOX, parent) {}

    std::vector<std::string> events;
    std::vector<UINT> rangeIds;
    CStaticEx m_text;
    CButtonSTEx2 m_ok;
    std::function<void(CProbeDialog&)> onInit;

    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_LBUTTONDOWN && msg->hwnd == m_ok.m_hWnd) {
            events.push_back("pretranslate-down");
        }
        return CDialog::PreTranslateMessage(msg);
    }

  protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        events.push_back("init");
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    void DoDataExchange(CDataExchange& dx) override {
        dx.Control(IDC_MSGBOX_TEXT, m_text);
        dx.Control(IDOK, m_ok);
    }

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();
    void OnOkClicked() {
        events.push_back("ok-clicked");
        EndDialog(41);
    }
    void OnRange(UINT id) { rangeIds.push_back(id); }
    LRESULT OnUser(WPARAM wp, LPARAM lp) { return static_cast<LRESULT>(wp + lp); }
    void OnTimer(UINT_PTR id) {
        if (id == 7) {
            ::KillTimer(m_hWnd, 7);
            events.push_back("timer");
        }
    }
    LRESULT OnCopyData(HWND, const COPYDATASTRUCT* cds) {
        events.push_back("copydata-" + std::to_string(cds->dwData));
        return Default();
    }
};

SIDECAR_MESSAGE_MAP(CProbeDialog, CDialog, M::Command<&CProbeDialog::OnOkClicked>(IDOK),
                    M::CommandRange<&CProbeDialog::OnRange>(2000, 2010),
                    M::Message<&CProbeDialog::OnUser>(WM_APP + 1), M::Timer<&CProbeDialog::OnTimer>(),
                    M::CopyData<&CProbeDialog::OnCopyData>())

// A control whose caption handler fails.
class CThrowingButton : public CButton {
    SIDECAR_DECLARE_MESSAGE_MAP();
    LRESULT OnSetText(WPARAM, LPARAM) { throw std::runtime_error("caption"); }
};
SIDECAR_MESSAGE_MAP(CThrowingButton, CButton, M::Message<&CThrowingButton::OnSetText>(WM_SETTEXT))

TEST(MessageMap, RoutesCommandsRangesMessagesAndTypedHandlers) {
    CProbeDialog dlg;
    CThrowingButton throwing;
    dlg.onInit = [&throwing](CProbeDialog& d) {
        // A handler that throws leaves the message to the window's own processing.
        ASSERT_TRUE(throwing.SubclassWindow(d.Item(IDCANCEL)));
        ::SetWindowTextW(throwing.m_hWnd, L"kept");
        EXPECT_EQ(throwing.GetWindowText(), L"kept");
        // A range entry gets the id; ids outside the range and other notification codes are not routed.
        ::SendMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(2003, BN_CLICKED), 0);
        ::SendMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(2011, BN_CLICKED), 0);
        ::SendMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(2004, BN_SETFOCUS), 0);
        // A raw message handler's result reaches the sender through the dialog procedure.
        EXPECT_EQ(::SendMessageW(d.m_hWnd, WM_APP + 1, 40, 2), 42);
        COPYDATASTRUCT cds{742046, 0, nullptr};
        ::SendMessageW(d.m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
        ::SetTimer(d.m_hWnd, 7, 1, nullptr);
    };
    // The OK click is posted, so it is handled inside the modal loop and ends it.
    dlg.onInit = [init = dlg.onInit](CProbeDialog& d) {
        init(d);
        ::PostMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(d.m_ok.m_hWnd));
    };
    EXPECT_EQ(dlg.DoModal(), 41);
    EXPECT_EQ(dlg.rangeIds, std::vector<UINT>{2003});
    ASSERT_GE(dlg.events.size(), 3u);
    EXPECT_EQ(dlg.events[0], "init");
    EXPECT_EQ(dlg.events[1], "copydata-742046");
    EXPECT_EQ(dlg.events.back(), "ok-clicked");
    // The window is gone and the bound controls have let go of theirs.
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_ok.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_text.m_hWnd, nullptr);
}

TEST(ModalLoop, OffersPostedMouseMessagesToPreTranslateBeforeDispatch) {
    CProbeDialog dlg;
    dlg.onInit = [](CProbeDialog& d) {
        ::ShowWindow(d.m_ok.m_hWnd, SW_SHOW);
        ::PostMessageW(d.m_ok.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::PostMessageW(d.m_ok.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    };
    EXPECT_EQ(dlg.DoModal(), 41);  // the button's own click handling still ran after the walk
    std::vector<std::string> expected{"init", "pretranslate-down", "ok-clicked"};
    EXPECT_EQ(dlg.events, expected);
}

TEST(ModalLoop, EscapeEndsAModalDialogAsCancelled) {
    CProbeDialog dlg;
    dlg.onInit = [](CProbeDialog& d) { ::PostMessageW(d.m_text.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0); };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST(ModalLoop, NestedModalRunsEndInsideOut) {
    CProbeDialog outer;
    INT_PTR innerResult = 0;
    // The inner dialog runs its own loop while the outer one waits; Escape ends only the inner one.
    outer.onInit = [&innerResult](CProbeDialog& d) {
        CProbeDialog inner(&d);
        inner.onInit = [&d](CProbeDialog& i) {
            EXPECT_FALSE(::IsWindowEnabled(d.m_hWnd));  // the owner waits, disabled
            ::PostMessageW(i.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        };
        innerResult = inner.DoModal();
        EXPECT_TRUE(::IsWindowEnabled(d.m_hWnd));
        d.EndDialog(5);
    };
    EXPECT_EQ(outer.DoModal(), 5);
    EXPECT_EQ(innerResult, IDCANCEL);
}

TEST(GdiOwners, CountLiveObjectsAndDeleteOnResetMoveAndScope) {
    long before = GdiLiveObjects();
    {
        CFont a(::CreateFontW(20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial"));
        ASSERT_TRUE(a);
        EXPECT_EQ(GdiLiveObjects(), before + 1);
        CFont b(std::move(a));
        EXPECT_FALSE(a);  // NOLINT(bugprone-use-after-move): a moved-from owner holds nothing
        EXPECT_EQ(GdiLiveObjects(), before + 1);
        b.Attach(::CreateFontW(12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial"));  // replaces
        EXPECT_EQ(GdiLiveObjects(), before + 1);
        CMemDC dc = CreateCompatibleMemDC(nullptr);
        CBitmap bmp(::CreateBitmap(4, 4, 1, 1, nullptr));
        EXPECT_EQ(GdiLiveObjects(), before + 3);
        {
            CSelectObject sel(dc.Get(), bmp.Get());
            EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), bmp.Get());
        }
        EXPECT_NE(::GetCurrentObject(dc.Get(), OBJ_BITMAP), bmp.Get());  // selection restored
    }
    EXPECT_EQ(GdiLiveObjects(), before);
}

TEST(StyledStatic, RebuildsItsFontOnlyWhenSomethingChanges) {
    CProbeDialog dlg;
    dlg.onInit = [](CProbeDialog& d) {
        CStaticEx& s = d.m_text;
        long before = GdiLiveObjects();
        s.SetTextFont(L"Tahoma", 18, 700, FALSE);
        HFONT first = s.Font();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(reinterpret_cast<HFONT>(s.SendMessage(WM_GETFONT)), first);
        EXPECT_EQ(std::wstring(s.FontDescription().lfFaceName), L"Tahoma");
        EXPECT_EQ(s.FontDescription().lfQuality, ANTIALIASED_QUALITY);

        // Nothing new: no rebuild.
        s.SetTextFont(nullptr, 0, 700, FALSE);
        EXPECT_EQ(s.Font(), first);
        // A new weight only: rebuilt with the stored face and height; the old font is gone.
        s.SetTextFont(nullptr, 0, 400, FALSE);
        EXPECT_NE(s.Font(), first);
        EXPECT_EQ(s.FontDescription().lfHeight, 18);
        EXPECT_EQ(s.FontDescription().lfWeight, 400);
        EXPECT_EQ(std::wstring(s.FontDescription().lfFaceName), L"Tahoma");
        EXPECT_EQ(GdiLiveObjects(), before + 1);
        d.EndDialog(1);
    };
    dlg.DoModal();
}

TEST(StyledStatic, WithoutAFaceUsesTheApplicationFace) {
    CProbeDialog dlg;
    dlg.onInit = [](CProbeDialog& d) {
        d.m_text.SetTextFont(nullptr, 0, 700, FALSE);
        EXPECT_EQ(std::wstring(d.m_text.FontDescription().lfFaceName), std::wstring(theApp.m_szFontName));
        EXPECT_EQ(d.m_text.FontDescription().lfHeight, theApp.m_nFontSize);
        d.EndDialog(1);
    };
    dlg.DoModal();
}

}  // namespace

namespace {

// A plain child window of `parent` with control id `id`.
HWND MakeChild(HWND parent, int id, int x = 0) {
    return ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, x, 0, 20, 20, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

bool HasUpdate(HWND hwnd) {
    RECT rc{};
    return ::GetUpdateRect(hwnd, &rc, FALSE) != FALSE;
}

}  // namespace

TEST(DialogItems, AnswerAsGetDlgItemAndFollowControlsThatAreReplaced) {
    CProbeDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_MSGBOX));
    EXPECT_EQ(dlg.Item(IDC_MSGBOX_TEXT), ::GetDlgItem(dlg.m_hWnd, IDC_MSGBOX_TEXT));
    EXPECT_EQ(dlg.Item(IDCANCEL), ::GetDlgItem(dlg.m_hWnd, IDCANCEL));
    EXPECT_EQ(dlg.Item(4711), nullptr);

    // A control that goes away and comes back under the same id is found anew, not remembered dead.
    HWND cancel = dlg.Item(IDCANCEL);
    ASSERT_TRUE(::DestroyWindow(cancel));
    EXPECT_EQ(dlg.Item(IDCANCEL), nullptr);
    HWND again = MakeChild(dlg.m_hWnd, IDCANCEL);
    EXPECT_EQ(dlg.Item(IDCANCEL), again);
    // One made after the first look-ups is found too.
    HWND late = MakeChild(dlg.m_hWnd, 4711);
    EXPECT_EQ(dlg.Item(4711), late);

    // A grandchild with a control's id is not the dialog's control, as with GetDlgItem.
    HWND inner = MakeChild(late, 4712);
    EXPECT_EQ(dlg.Item(4712), nullptr);
    EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, 4712), nullptr);
    ASSERT_NE(inner, nullptr);
    dlg.DestroyWindow();
}

TEST(RedrawBatch, InvalidatesTheGatheredControlsOnceTheOutermostBatchEnds) {
    CProbeDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_MSGBOX));
    dlg.ShowWindow(SW_SHOW);
    HWND a = MakeChild(dlg.m_hWnd, 3001, 0);
    HWND b = MakeChild(dlg.m_hWnd, 3002, 40);
    HWND untouched = MakeChild(dlg.m_hWnd, 3003, 80);
    ::UpdateWindow(dlg.m_hWnd);
    ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
    ASSERT_FALSE(HasUpdate(a));

    {
        CRedrawBatch outer;
        {
            CRedrawBatch inner;
            CRedrawBatch::Invalidate(a);
            CRedrawBatch::Invalidate(b);
            CRedrawBatch::Invalidate(a);  // twice: still one window
        }
        EXPECT_FALSE(HasUpdate(a)) << "an inner batch hands its windows to the outer one";
        EXPECT_FALSE(HasUpdate(b));
    }
    EXPECT_TRUE(HasUpdate(a));
    EXPECT_TRUE(HasUpdate(b));
    EXPECT_FALSE(HasUpdate(untouched)) << "only the gathered controls are invalidated";
    EXPECT_FALSE(HasUpdate(dlg.m_hWnd)) << "the parent's own part is validated again";

    // A window destroyed before the batch ends is dropped; outside a batch the invalidation is at once.
    ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
    {
        CRedrawBatch batch;
        CRedrawBatch::Invalidate(b);
        ::DestroyWindow(b);
    }
    CRedrawBatch::Invalidate(untouched);
    EXPECT_TRUE(HasUpdate(untouched));
    EXPECT_FALSE(HasUpdate(a));
    dlg.DestroyWindow();
}

// Windows that are not on screen are not invalidated (the window manager drops such invalidations anyway,
// at the cost of a request): what makes that safe is that a change made while a dialog or a control is
// hidden still reaches the screen when it is shown.
TEST(RedrawBatch, ChangesMadeWhileHiddenArePaintedWhenShown) {
    CProbeDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_MSGBOX));
    HWND inside = MakeChild(dlg.m_hWnd, 3001, 0);
    HWND hidden = MakeChild(dlg.m_hWnd, 3002, 40);
    ::ShowWindow(hidden, SW_HIDE);
    ASSERT_FALSE(::IsWindowVisible(dlg.m_hWnd));
    {
        CRedrawBatch batch;
        CRedrawBatch::Invalidate(inside);
    }
    auto* font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    dlg.m_text.SetFont(font);
    EXPECT_EQ(dlg.m_text.SendMessage(WM_GETFONT), reinterpret_cast<LRESULT>(font)) << "the font is taken";

    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(HasUpdate(inside)) << "showing the dialog paints the control";
    EXPECT_TRUE(HasUpdate(dlg.m_text.m_hWnd));
    ::UpdateWindow(dlg.m_hWnd);
    ASSERT_FALSE(HasUpdate(inside));

    // A hidden control of a shown dialog: painted when it is shown itself.
    CRedrawBatch::Invalidate(hidden);
    ::ShowWindow(hidden, SW_SHOW);
    EXPECT_TRUE(HasUpdate(hidden));
    // A shown one is invalidated at once, outside a batch.
    ::UpdateWindow(dlg.m_hWnd);
    ASSERT_FALSE(HasUpdate(hidden));
    CRedrawBatch::Invalidate(hidden);
    EXPECT_TRUE(HasUpdate(hidden));
    dlg.DestroyWindow();
}

// Records the enabling messages a button receives.
LRESULT CALLBACK LogEnabling(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* log = reinterpret_cast<std::vector<std::string>*>(data);
    if (msg == WM_ENABLE)
        log->push_back(wp ? "enable" : "disable");
    else if (msg == WM_CANCELMODE)
        log->push_back("cancel-mode");
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

TEST(EnableBatch, DisablesWithTheEnableMessageAndLeavesFocusAndCaptureToThePlatform) {
    CProbeDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_MSGBOX));
    dlg.ShowWindow(SW_SHOW);
    std::vector<std::string> plainLog, focusedLog, capturedLog;
    auto button = [&](int id, int x, std::vector<std::string>& log) {
        HWND hwnd = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                      x, 0, 30, 20, dlg.m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        ::SetWindowSubclass(hwnd, &LogEnabling, 1, reinterpret_cast<DWORD_PTR>(&log));
        return hwnd;
    };
    HWND plain = button(3101, 0, plainLog);
    HWND focused = button(3102, 40, focusedLog);
    HWND captured = button(3103, 80, capturedLog);
    ::SetFocus(focused);
    ::SetCapture(captured);
    ASSERT_EQ(::GetFocus(), focused);
    ASSERT_EQ(::GetCapture(), captured);

    {
        CEnableBatch batch;
        batch.Enable(plain, false);
        batch.Enable(focused, false);
        batch.Enable(captured, false);
        batch.Enable(plain, false);  // already disabled: nothing more
    }
    EXPECT_FALSE(::IsWindowEnabled(plain));
    EXPECT_FALSE(::IsWindowEnabled(focused));
    EXPECT_FALSE(::IsWindowEnabled(captured));
    EXPECT_EQ(plainLog, std::vector<std::string>{"disable"})
        << "neither focus nor capture: nothing to cancel";
    EXPECT_NE(::GetFocus(), focused) << "a disabled window cannot keep the focus";
    EXPECT_EQ(::GetCapture(), nullptr) << "nor the capture";
    EXPECT_EQ(capturedLog, (std::vector<std::string>{"cancel-mode", "disable"}));
    EXPECT_EQ(focusedLog.back(), "disable");

    {
        CEnableBatch batch;
        batch.Enable(plain, true);
        batch.Enable(plain, true);
    }
    EXPECT_TRUE(::IsWindowEnabled(plain));
    EXPECT_EQ(::GetWindowLongW(plain, GWL_STYLE) & WS_DISABLED, 0);
    EXPECT_EQ(plainLog, (std::vector<std::string>{"disable", "enable"}));
    for (HWND hwnd : {plain, focused, captured})
        ::RemoveWindowSubclass(hwnd, &LogEnabling, 1);
    dlg.DestroyWindow();
}

TEST(TreeRows, SetOnlyWhatDiffersAndLeaveAnUnchangedRowUntouched) {
    CProbeDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_MSGBOX));
    dlg.ShowWindow(SW_SHOW);
    HWND hwnd = ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, dlg.m_hWnd,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    CTreeCtrl tree;
    ASSERT_TRUE(tree.SubclassWindow(hwnd));
    HTREEITEM row = tree.InsertItem(L"Chest PA:R", 0, 0, TVI_ROOT);
    ASSERT_NE(row, nullptr);
    auto images = [&] {
        TVITEMW tv{};
        tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tv.hItem = row;
        tree.SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        return std::pair<int, int>(tv.iImage, tv.iSelectedImage);
    };
    auto settle = [&] { ::RedrawWindow(hwnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOCHILDREN); };

    settle();
    ASSERT_TRUE(tree.SetItemTextAndImage(row, L"Chest PA:R", 0, 0));
    EXPECT_FALSE(HasUpdate(hwnd)) << "the row as it is: nothing set, nothing repainted";

    ASSERT_TRUE(tree.SetItemTextAndImage(row, L"Chest PA:R", 3, 3));
    EXPECT_EQ(images(), std::make_pair(3, 3));
    EXPECT_EQ(tree.GetItemText(row), L"Chest PA:R");
    EXPECT_TRUE(HasUpdate(hwnd)) << "a new image repaints the row";

    settle();
    ASSERT_TRUE(tree.SetItemTextAndImage(row, L"Chest PA:Y", 3, 3));
    EXPECT_EQ(tree.GetItemText(row), L"Chest PA:Y");
    EXPECT_EQ(images(), std::make_pair(3, 3));
    EXPECT_TRUE(HasUpdate(hwnd));

    ASSERT_TRUE(tree.SetItemTextAndImage(row, L"Chest PA:R", 0, 4));
    EXPECT_EQ(tree.GetItemText(row), L"Chest PA:R");
    EXPECT_EQ(images(), std::make_pair(0, 4));

    // A text made from the one the row shows: the maker is handed the row's text, and a result equal to it
    // leaves the row alone.
    settle();
    std::wstring seen;
    ASSERT_TRUE(tree.UpdateItemTextAndImage(
        row, [&](const std::wstring& now) { return seen = now; }, 0, 4));
    EXPECT_EQ(seen, L"Chest PA:R");
    EXPECT_FALSE(HasUpdate(hwnd));
    ASSERT_TRUE(tree.UpdateItemTextAndImage(
        row, [](const std::wstring& now) { return now + L" 2"; }, 4, 4));
    EXPECT_EQ(tree.GetItemText(row), L"Chest PA:R 2");
    EXPECT_EQ(images(), std::make_pair(4, 4));
    dlg.DestroyWindow();
}
