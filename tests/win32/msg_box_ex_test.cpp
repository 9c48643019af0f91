// The extended message box as the operator meets it: which buttons appear where with which captions, what
// each answer returns, Escape, the check box, the icon picture, and a rebuild on a system colour change
// that leaves nothing behind.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/sidecar_app.h"
#include "msgbox/msg_box_ex.h"
#include "resources/resource.h"
#include "ui/gdi.h"

namespace {

// Runs `act` once the box is open (from a timer of its modal loop), then returns DoModal's result.
CMsgBoxEx* g_pOpenBox = nullptr;
std::function<void(CMsgBoxEx&)> g_act;

void CALLBACK ActOnOpenBox(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (g_pOpenBox && g_pOpenBox->m_hWnd)
        g_act(*g_pOpenBox);
}

INT_PTR RunBox(CMsgBoxEx& box, std::function<void(CMsgBoxEx&)> act) {
    g_pOpenBox = &box;
    g_act = std::move(act);
    ::SetTimer(nullptr, 0, 10, ActOnOpenBox);
    INT_PTR result = box.DoModal();
    g_pOpenBox = nullptr;
    return result;
}

// A click the way the operator makes it: posted to the button, through the modal loop.
void Click(HWND button) {
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void PressKey(HWND target, UINT key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 0);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

RECT RectInClient(HWND child, HWND parent) {
    RECT rc{};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

struct CShownButton {
    int id;
    std::wstring caption;
    RECT rect;
};

// The visible buttons left to right.
std::vector<CShownButton> ShownButtons(const CMsgBoxEx& box) {
    std::vector<CShownButton> shown;
    for (int i = box.m_nButtonCount - 1; i >= 0; --i) {
        HWND b = box.ButtonWindow(i);
        shown.push_back({::GetDlgCtrlID(b), TextOf(b), RectInClient(b, box.m_hWnd)});
    }
    return shown;
}

BOOL CALLBACK CountOne(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int CountChildren(HWND parent) {
    int n = 0;
    ::EnumChildWindows(parent, CountOne, reinterpret_cast<LPARAM>(&n));
    return n;
}

TEST(MsgBoxEx, ButtonSetsStandRightToLeftWithLocalisedCaptionsAndPixelGeometry) {
    const struct {
        std::uint32_t style;
        std::vector<int> ids;  // left to right
    } cases[] = {
        {0, {1}},    {1, {1, 2}}, {2, {3, 4, 5}},     {3, {6, 7, 2}},
        {4, {6, 7}}, {5, {4, 2}}, {10, {6, 7, 2, 8}}, {9, {6, 7, 2, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style));
        CMsgBoxEx box(nullptr, L"text", L"caption", c.style);
        RunBox(box, [&](CMsgBoxEx& b) {
            EXPECT_EQ(TextOf(b.m_hWnd), GetText(IDS_MESSAGE));
            EXPECT_EQ(TextOf(b.m_hWnd), L"Message") << "whatever caption was passed";
            EXPECT_EQ(TextOf(b.GetDlgItem(IDC_MSGBOX_TEXT)), L"text");
            RECT client = b.GetClientRect();
            std::vector<CShownButton> shown = ShownButtons(b);
            ASSERT_EQ(shown.size(), c.ids.size());
            for (std::size_t i = 0; i < shown.size(); ++i) {
                const CShownButton& s = shown[i];
                EXPECT_EQ(s.id, c.ids[i]);
                EXPECT_EQ(s.caption, GetText(MsgBoxButtonTextId(s.id)));
                EXPECT_EQ(s.rect.right - s.rect.left, 116);
                EXPECT_EQ(s.rect.bottom - s.rect.top, 30);
                EXPECT_EQ(s.rect.bottom, client.bottom - 15);
                int fromRight = static_cast<int>(shown.size() - 1 - i);
                EXPECT_EQ(s.rect.right, client.right - 15 - 122 * fromRight);
                EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(b.m_hWnd, s.id)) || s.id <= 2);
                EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(b.ButtonWindow(0), WM_GETFONT, 0, 0)),
                          b.ButtonFont());
            }
            if (shown.size() == 4) {
                EXPECT_EQ(shown.front().rect.left, client.right - 497);
            }
            RECT icon = RectInClient(b.IconWindow(), b.m_hWnd);
            EXPECT_EQ(icon.left, 30);
            EXPECT_EQ(icon.top, 50);
            EXPECT_EQ(icon.right, 76);
            EXPECT_EQ(icon.bottom, 96);
            b.EndDialog(IDCANCEL);
        });
    }
    // Built-in captions, as the operator reads them without a workbook.
    CMsgBoxEx box(nullptr, L"", L"", 10);
    EXPECT_EQ(box.m_strButtonText[0], L"Yes to all");
    EXPECT_EQ(box.m_strButtonText[1], L"Cancel");
    EXPECT_EQ(box.m_strButtonText[2], L"No");
    EXPECT_EQ(box.m_strButtonText[3], L"Yes");
    EXPECT_EQ(box.m_strCaption, L"");
}

TEST(MsgBoxEx, EachAnswerIsAShownButtonsIdAndEscapeReturnsCancelEvenWithoutACancelButton) {
    for (int answer : {6, 7}) {
        CMsgBoxEx box(nullptr, L"Do you want to cancel this image? (Y/N)", L"Review", 4);
        INT_PTR result = RunBox(box, [&](CMsgBoxEx& b) { Click(::GetDlgItem(b.m_hWnd, answer)); });
        EXPECT_EQ(result, answer);
    }
    for (int answer : {3, 4, 5}) {
        CMsgBoxEx box(nullptr, L"", L"", 2);
        INT_PTR result = RunBox(box, [&](CMsgBoxEx& b) {
            HWND button = nullptr;
            for (int i = 0; i < b.m_nButtonCount; ++i) {
                if (::GetDlgCtrlID(b.ButtonWindow(i)) == answer)
                    button = b.ButtonWindow(i);
            }
            Click(button);
        });
        EXPECT_EQ(result, answer);
    }
    // The keyboard answers only with a button the box shows: Enter and Space choose the focused one (the
    // leftmost after the build, as the platform's own box), Escape cancels. In each style the program uses:
    // the review's Yes/No question and the stand's stored message.
    for (std::uint32_t style : {4u, 10u}) {
        SCOPED_TRACE(style);
        for (UINT key : {VK_RETURN, VK_SPACE}) {
            CMsgBoxEx first(nullptr, L"", L"", style);
            const int leftmost = first.m_nButtonId[first.m_nButtonCount - 1];
            EXPECT_EQ(RunBox(first, [key](CMsgBoxEx&) { PressKey(::GetFocus(), key); }), leftmost) << key;
            CMsgBoxEx other(nullptr, L"", L"", style);
            EXPECT_EQ(RunBox(other,
                             [key](CMsgBoxEx& b) {
                                 ::SetFocus(b.ButtonWindow(0));
                                 PressKey(::GetFocus(), key);
                             }),
                      other.m_nButtonId[0])
                << key;
        }
        CMsgBoxEx escape(nullptr, L"", L"", style);
        EXPECT_EQ(RunBox(escape, [](CMsgBoxEx&) { PressKey(::GetFocus(), VK_ESCAPE); }), IDCANCEL);
    }
    CMsgBoxEx box(nullptr, L"", L"", 4);
    EXPECT_EQ(RunBox(box, [](CMsgBoxEx&) { PressKey(::GetFocus(), VK_ESCAPE); }), IDCANCEL);
    EXPECT_EQ(box.m_hWnd, nullptr) << "the window is gone after the run";
    // The question box beeps as a question and shows the question picture.
    EXPECT_EQ(box.BeepPlayed(), 0x20u);
    EXPECT_EQ(box.m_nStyle, 0x24u);
}

TEST(MsgBoxEx, BeepsByIconAndStylesWithoutIconBitsGetTheirDefaults) {
    const struct {
        std::uint32_t style;
        std::uint32_t beep;
        bool picture;
    } cases[] = {{0, 0, true}, {0x30, 0x30, true}, {0x10, 0x10, true}, {10, 0, false}, {2, 0x10, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style));
        CMsgBoxEx box(nullptr, L"", L"", c.style);
        RunBox(box, [&](CMsgBoxEx& b) {
            EXPECT_EQ(b.BeepPlayed(), c.beep);
            // No skin engine runs in this process: the program's own bitmap is the picture, when there is
            // one.
            EXPECT_EQ(b.DrawsIconBitmap(), c.picture);
            EXPECT_NE(b.IconWindow(), nullptr);
            b.EndDialog(1);
        });
    }
}

TEST(MsgBoxEx, IconBitmapSitsOnTheBoxFaceWithoutASquareOfTheBitmapsGrey) {
    // Without a picture the icon place is plain face, not an empty push button.
    CMsgBoxEx none(nullptr, L"", L"", 10);
    RunBox(none, [](CMsgBoxEx& b) {
        HWND icon = b.IconWindow();
        EXPECT_TRUE(b.OwnerDrawsIcon());
        ::RedrawWindow(icon, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        CClientDC dc(icon);
        for (POINT p : {POINT{0, 0}, POINT{45, 45}, POINT{23, 23}, POINT{44, 1}}) {
            EXPECT_EQ(::GetPixel(dc.Get(), p.x, p.y), ::GetSysColor(COLOR_BTNFACE)) << p.x << "," << p.y;
        }
        b.EndDialog(1);
    });

    CMsgBoxEx box(nullptr, L"", L"", 4);
    RunBox(box, [](CMsgBoxEx& b) {
        HWND icon = b.IconWindow();
        ::RedrawWindow(icon, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        CClientDC dc(icon);
        COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        EXPECT_EQ(::GetPixel(dc.Get(), 0, 0), face);
        EXPECT_EQ(::GetPixel(dc.Get(), 45, 45), face);
        EXPECT_EQ(::GetPixel(dc.Get(), 2, 2), face) << "the bitmap's own grey is keyed out";
        COLORREF disc = ::GetPixel(dc.Get(), 8, 23);
        EXPECT_GT(GetBValue(disc), GetRValue(disc) + 60) << "the question picture's blue disc is drawn";
        b.EndDialog(1);
    });
}

TEST(MsgBoxEx, CheckBoxTogglesAndItsStateIsKeptWhenABoxButtonCloses) {
    CMsgBoxEx box(nullptr, L"", L"", 1);
    box.m_bShowCheck = TRUE;
    INT_PTR result = RunBox(box, [](CMsgBoxEx& b) {
        HWND check = b.CheckWindow();
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(::GetDlgCtrlID(check), kMsgBoxIdCheck);
        EXPECT_TRUE(::IsWindowVisible(check));
        EXPECT_EQ(TextOf(check), L"Do not open this window next time");
        RECT rc = RectInClient(check, b.m_hWnd);
        RECT client = b.GetClientRect();
        EXPECT_EQ(rc.left, 30);
        EXPECT_EQ(rc.right, client.right - 2 * 90 - 120);
        EXPECT_EQ(rc.bottom, client.bottom - 20);
        // Clicked twice then once: checked.
        ::SendMessageW(b.m_hWnd, WM_COMMAND, MAKEWPARAM(kMsgBoxIdCheck, BN_CLICKED),
                       reinterpret_cast<LPARAM>(check));
        EXPECT_EQ(::SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
        ::SendMessageW(b.m_hWnd, WM_COMMAND, MAKEWPARAM(kMsgBoxIdCheck, BN_CLICKED),
                       reinterpret_cast<LPARAM>(check));
        EXPECT_EQ(::SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        Click(check);
        Click(b.ButtonWindow(1));  // OK, left of Cancel
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(box.m_bDontShowAgain, 1);

    // Without the check box nothing is created for it.
    CMsgBoxEx plain(nullptr, L"", L"", 1);
    RunBox(plain, [](CMsgBoxEx& b) {
        EXPECT_EQ(b.CheckWindow(), nullptr);
        b.EndDialog(2);
    });
    EXPECT_EQ(plain.m_bDontShowAgain, 0);
}

TEST(MsgBoxEx, SystemColourChangeRebuildsTheSameControlsWithoutLeaking) {
    long outside = GdiLiveObjects();
    auto box = std::make_unique<CMsgBoxEx>(nullptr, L"text", L"", 10);
    box->m_bShowCheck = TRUE;
    RunBox(*box, [](CMsgBoxEx& b) {
        long level = GdiLiveObjects();
        int children = CountChildren(b.m_hWnd);
        HWND oldButton = b.ButtonWindow(0);
        HWND oldIcon = b.IconWindow();
        HFONT oldFont = b.ButtonFont();
        for (int i = 0; i < 3; ++i)
            ::SendMessageW(b.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
        EXPECT_FALSE(::IsWindow(oldButton));
        EXPECT_FALSE(::IsWindow(oldIcon));
        EXPECT_NE(b.ButtonFont(), oldFont);
        EXPECT_EQ(GdiLiveObjects(), level) << "one bold font and one icon bitmap, as before";
        EXPECT_EQ(CountChildren(b.m_hWnd), children);
        std::vector<CShownButton> shown = ShownButtons(b);
        ASSERT_EQ(shown.size(), 4u);
        EXPECT_EQ(shown[3].id, 8);
        EXPECT_EQ(shown[3].caption, L"Yes to all");
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(b.ButtonWindow(2), WM_GETFONT, 0, 0)),
                  b.ButtonFont());
        EXPECT_NE(b.CheckWindow(), nullptr);
        b.EndDialog(2);
    });
    EXPECT_EQ(GdiLiveObjects(), outside + 1) << "only the text's own font outlives the window";
    box.reset();
    EXPECT_EQ(GdiLiveObjects(), outside);
}

}  // namespace
