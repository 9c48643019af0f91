// The compiled resources as the program sees them: each dialog template is created from this module's
// own resources and its controls are checked (id, window class, button or static kind, caption, shown,
// enabled, and for the stand panels the position in dialog units); then the built-in texts, the bitmaps,
// the icon images and the manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "resources/resource.h"

namespace {

enum class Kind { Push, DefPush, Group, AutoCheck, Text, Picture, Frame, Bitmap, Tree };

constexpr bool kShown = true;
constexpr bool kHidden = false;
constexpr bool kEnabled = true;
constexpr bool kDisabled = false;

struct ControlWant {
    int id;
    Kind kind;
    const wchar_t* caption;  // nullptr: not checked
    bool shown;
    bool enabled;
};

struct DluRect {
    int x, y, cx, cy;
};

struct PlacedControl {
    int id;
    DluRect rect;
};

HINSTANCE Module() {
    return ::GetModuleHandleW(nullptr);
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// A window created from one of the templates, destroyed at the end of the test.
class CTemplateWindow {
  public:
    CTemplateWindow(int templateId, HWND parent)
        : m_hWnd(::CreateDialogParamW(Module(), MAKEINTRESOURCEW(templateId), parent, InertDialogProc, 0)) {}
    ~CTemplateWindow() {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }
    CTemplateWindow(const CTemplateWindow&) = delete;
    CTemplateWindow& operator=(const CTemplateWindow&) = delete;

    HWND get() const { return m_hWnd; }
    DWORD Style() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
    DWORD ExStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }

    // Origin and size are converted separately, as the dialog manager places its controls.
    RECT Pixels(const DluRect& r) const {
        RECT rc{r.x, r.y, r.cx, r.cy};
        ::MapDialogRect(m_hWnd, &rc);
        return {rc.left, rc.top, rc.left + rc.right, rc.top + rc.bottom};
    }

  private:
    HWND m_hWnd;
};

// The hidden top-level window that hosts the child panels.
class CHostWindow {
  public:
    CHostWindow()
        : m_hWnd(::CreateWindowExW(0, L"Static", L"host", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr,
                                   Module(), nullptr)) {}
    ~CHostWindow() {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;
    HWND get() const { return m_hWnd; }

  private:
    HWND m_hWnd;
};

std::wstring WindowText(HWND hWnd) {
    wchar_t buf[256] = {};
    ::GetWindowTextW(hWnd, buf, 256);
    return buf;
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t buf[64] = {};
    ::GetClassNameW(hWnd, buf, 64);
    return buf;
}

const wchar_t* ClassFor(Kind kind) {
    switch (kind) {
        case Kind::Text:
        case Kind::Picture:
        case Kind::Frame:
        case Kind::Bitmap:
            return L"Static";
        case Kind::Tree:
            return L"SysTreeView32";
        default:
            return L"Button";
    }
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> children;
    for (HWND h = ::GetWindow(parent, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        children.push_back(h);
    return children;
}

// Checks one control against its row.
void ExpectControl(HWND dialog, const ControlWant& want) {
    SCOPED_TRACE("control id " + std::to_string(want.id));
    HWND hWnd = ::GetDlgItem(dialog, want.id);
    EXPECT_NE(hWnd, nullptr);
    if (!hWnd)
        return;

    EXPECT_EQ(_wcsicmp(ClassOf(hWnd).c_str(), ClassFor(want.kind)), 0)
        << "class " << std::string(ClassOf(hWnd).begin(), ClassOf(hWnd).end());
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(hWnd, GWL_STYLE));
    EXPECT_TRUE(style & WS_CHILD);
    switch (want.kind) {
        case Kind::Push:
            EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
            break;
        case Kind::DefPush:
            EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
            break;
        case Kind::Group:
            EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
            break;
        case Kind::AutoCheck:
            EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
            break;
        case Kind::Text:
            EXPECT_LE(style & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT))
                << "a text static (left, centre or right)";
            break;
        case Kind::Picture:
            EXPECT_LE(style & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT));
            EXPECT_TRUE(style & SS_NOTIFY) << "the picture takes mouse messages";
            break;
        case Kind::Frame:
            EXPECT_GE(style & SS_TYPEMASK, static_cast<DWORD>(SS_BLACKFRAME));
            EXPECT_LE(style & SS_TYPEMASK, static_cast<DWORD>(SS_WHITEFRAME));
            break;
        case Kind::Bitmap:
            EXPECT_EQ(style & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
            break;
        case Kind::Tree:
            break;
    }
    if (want.caption) {
        EXPECT_EQ(WindowText(hWnd), want.caption);
    }
    EXPECT_EQ((style & WS_VISIBLE) != 0, want.shown);
    EXPECT_EQ((style & WS_DISABLED) == 0, want.enabled);
}

// Every row of the table exists as specified, and the template holds no control beyond the table.
void ExpectControls(HWND dialog, const std::vector<ControlWant>& wants) {
    for (const ControlWant& want : wants)
        ExpectControl(dialog, want);
    EXPECT_EQ(DirectChildren(dialog).size(), wants.size());
}

RECT RectInParent(HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void ExpectPlaced(const CTemplateWindow& dialog, const std::vector<PlacedControl>& placed) {
    for (const PlacedControl& p : placed) {
        SCOPED_TRACE("control id " + std::to_string(p.id));
        HWND hWnd = ::GetDlgItem(dialog.get(), p.id);
        ASSERT_NE(hWnd, nullptr);
        const RECT want = dialog.Pixels(p.rect);
        const RECT got = RectInParent(hWnd);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
    }
}

void ExpectClientSizeInDlu(const CTemplateWindow& dialog, int cx, int cy) {
    RECT client{};
    ::GetClientRect(dialog.get(), &client);
    const RECT want = dialog.Pixels({0, 0, cx, cy});
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
}

std::wstring FontFace(HWND hWnd) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!font || !::GetObjectW(font, sizeof lf, &lf))
        return L"";
    return lf.lfFaceName;
}

class ResourcesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
};

// ---- main panel ---------------------------------------------------------------------------------------

TEST_F(ResourcesTest, MainPanelIsAVisibleCaptionedPopupTitledSidecar) {
    CTemplateWindow panel(IDD_SIDECAR_DIALOG, nullptr);
    ASSERT_NE(panel.get(), nullptr);
    const DWORD style = panel.Style();
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & DS_MODALFRAME);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_EQ(WindowText(panel.get()), L"Sidecar");
}

TEST_F(ResourcesTest, MainPanelHoldsEveryControlWithItsClassCaptionAndState) {
    CTemplateWindow panel(IDD_SIDECAR_DIALOG, nullptr);
    ASSERT_NE(panel.get(), nullptr);
    const std::vector<ControlWant> controls = {
        // exposure rows: label, down, value, up
        {IDC_KVP_LABEL, Kind::Push, L"kVp", kShown, kEnabled},
        {IDC_KVP_DOWN, Kind::Push, L"down", kShown, kEnabled},
        {IDC_KVP_VALUE, Kind::Push, L"", kShown, kEnabled},
        {IDC_KVP_UP, Kind::Push, L"Up", kShown, kEnabled},
        {IDC_MA_LABEL, Kind::Push, L"mA", kShown, kEnabled},
        {IDC_MA_DOWN, Kind::Push, L"Down", kShown, kEnabled},
        {IDC_MA_VALUE, Kind::Push, L"", kShown, kEnabled},
        {IDC_MA_UP, Kind::Push, L"Up", kShown, kEnabled},
        {IDC_MAS_LABEL, Kind::Push, L"mAs", kShown, kEnabled},
        {IDC_MAS_DOWN, Kind::Push, L"Down", kShown, kEnabled},
        {IDC_MAS_VALUE, Kind::Push, L"", kShown, kEnabled},
        {IDC_MAS_UP, Kind::Push, L"Up", kShown, kEnabled},
        {IDC_TIME_LABEL, Kind::Push, L"ms", kShown, kEnabled},
        {IDC_TIME_DOWN, Kind::Push, L"Down", kShown, kEnabled},
        {IDC_TIME_VALUE, Kind::Push, L"", kShown, kEnabled},
        {IDC_TIME_UP, Kind::Push, L"Up", kShown, kEnabled},
        // modes, AEC fields and value
        {IDC_MODE_MAS, Kind::Push, L"mAs", kShown, kEnabled},
        {IDC_MODE_MS, Kind::Push, L"ms", kShown, kEnabled},
        {IDC_MODE_AEC, Kind::Push, L"AEC", kShown, kEnabled},
        {IDC_AEC_LEFT, Kind::Push, L"AEC_L", kShown, kEnabled},
        {IDC_AEC_CENTER, Kind::Push, L"AEC_C", kShown, kEnabled},
        {IDC_AEC_RIGHT, Kind::Push, L"AEC_R", kShown, kEnabled},
        {IDC_AEC_DOWN, Kind::Push, L"Down", kShown, kEnabled},
        {IDC_AEC_VALUE, Kind::Push, L"", kShown, kEnabled},
        {IDC_AEC_UP, Kind::Push, L"Up", kShown, kEnabled},
        // patient sizes
        {IDC_SIZE_0, Kind::Push, L"P", kShown, kEnabled},
        {IDC_SIZE_1, Kind::Push, L"S", kShown, kEnabled},
        {IDC_SIZE_2, Kind::Push, L"M", kShown, kEnabled},
        {IDC_SIZE_3, Kind::Push, L"L", kShown, kEnabled},
        // patient identification
        {IDC_ID_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_NAME_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_ACCNO_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_STUDY_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_PATIENT_ID, Kind::Push, L"", kShown, kEnabled},
        {IDC_PATIENT_NAME, Kind::Push, L"", kShown, kEnabled},
        {IDC_ACCESSION_NO, Kind::Push, L"", kShown, kEnabled},
        {IDC_STUDY, Kind::Push, L"", kShown, kEnabled},
        // tree, bottom bar, frames
        {IDC_TREE, Kind::Tree, nullptr, kShown, kEnabled},
        {IDC_DEVICE, Kind::Push, nullptr, kHidden, kEnabled},
        {IDC_SEPARATOR, Kind::Push, nullptr, kShown, kEnabled},
        {IDC_GENERATOR_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_LAMP_G, Kind::Push, nullptr, kShown, kEnabled},
        {IDC_LAMP_R, Kind::Push, nullptr, kShown, kEnabled},
        {IDC_LAMP_E, Kind::Push, nullptr, kShown, kEnabled},
        {IDC_LOGO, Kind::Bitmap, nullptr, kShown, kEnabled},
        {IDC_LOGO_BUTTON, Kind::Push, nullptr, kShown, kEnabled},
        {IDC_PATIENT_GROUP, Kind::Group, nullptr, kShown, kEnabled},
        {IDC_CONTROL_GROUP, Kind::Group, nullptr, kShown, kEnabled},
        {IDC_MODE_GROUP, Kind::Group, nullptr, kShown, kEnabled},
        {IDC_SPARE_GROUP_A, Kind::Group, nullptr, kHidden, kEnabled},
        {IDC_SPARE_GROUP_B, Kind::Group, nullptr, kHidden, kEnabled},
    };
    ExpectControls(panel.get(), controls);
}

TEST_F(ResourcesTest, MainPanelTreeHasLinesButtonsAndAlwaysShownSelection) {
    CTemplateWindow panel(IDD_SIDECAR_DIALOG, nullptr);
    HWND tree = ::GetDlgItem(panel.get(), IDC_TREE);
    ASSERT_NE(tree, nullptr);
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(tree, GWL_STYLE));
    // The dialog manager draws a control's WS_BORDER as a sunken client edge.
    EXPECT_TRUE((style & WS_BORDER) || (::GetWindowLongW(tree, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    for (DWORD bit : {static_cast<DWORD>(WS_TABSTOP), static_cast<DWORD>(TVS_HASBUTTONS),
                      static_cast<DWORD>(TVS_HASLINES), static_cast<DWORD>(TVS_LINESATROOT),
                      static_cast<DWORD>(TVS_SHOWSELALWAYS)}) {
        EXPECT_EQ(style & bit, bit) << std::hex << bit;
    }
    // The tree is the first stop of the tab order, so it has the focus when the panel opens.
    EXPECT_EQ(::GetNextDlgTabItem(panel.get(), nullptr, FALSE), tree);
}

// ---- review dialog ------------------------------------------------------------------------------------

TEST_F(ResourcesTest, ReviewDialogIsAHiddenCaptionedPopupWithItsControls) {
    CTemplateWindow review(IDD_REVIEW, nullptr);
    ASSERT_NE(review.get(), nullptr);
    const DWORD style = review.Style();
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(WindowText(review.get()), L"Sidecar");

    const std::vector<ControlWant> controls = {
        {IDC_REVIEW_PICTURE, Kind::Picture, nullptr, kShown, kEnabled},
        {IDC_REVIEW_FRAME, Kind::Frame, nullptr, kHidden, kEnabled},
        {IDC_REVIEW_PATIENT_GROUP, Kind::Group, nullptr, kShown, kEnabled},
        {IDC_REVIEW_ID_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_REVIEW_NAME_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_REVIEW_ACCNO_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_REVIEW_STUDY_LABEL, Kind::Text, nullptr, kShown, kEnabled},
        {IDC_REVIEW_PATIENT_ID, Kind::Push, nullptr, kShown, kEnabled},
        {IDC_REVIEW_PATIENT_NAME, Kind::Push, nullptr, kShown, kEnabled},
        {IDC_REVIEW_ACCESSION_NO, Kind::Push, nullptr, kShown, kEnabled},
        {IDC_REVIEW_STUDY, Kind::Push, nullptr, kShown, kEnabled},
        {IDOK, Kind::DefPush, L"Save", kShown, kEnabled},
        {IDCANCEL, Kind::Push, L"Cancel", kShown, kEnabled},
    };
    ExpectControls(review.get(), controls);
}

TEST_F(ResourcesTest, ReviewPictureTakesTheLeftAndNothingShownOverlapsIt) {
    CTemplateWindow review(IDD_REVIEW, nullptr);
    HWND picture = ::GetDlgItem(review.get(), IDC_REVIEW_PICTURE);
    ASSERT_NE(picture, nullptr);
    RECT client{};
    ::GetClientRect(review.get(), &client);
    const RECT pic = RectInParent(picture);
    EXPECT_GT((pic.right - pic.left) * 10, client.right * 6) << "at least 60% of the width";
    EXPECT_GT((pic.bottom - pic.top) * 10, client.bottom * 9) << "at least 90% of the height";

    for (HWND child : DirectChildren(review.get())) {
        if (child == picture || !(::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        const RECT rc = RectInParent(child);
        SCOPED_TRACE("control id " + std::to_string(::GetDlgCtrlID(child)));
        EXPECT_GE(rc.left, pic.right) << "stands right of the picture";
        EXPECT_LE(rc.right, client.right);
        EXPECT_LE(rc.bottom, client.bottom);
    }
    // Save and Cancel below the patient box.
    const RECT box = RectInParent(::GetDlgItem(review.get(), IDC_REVIEW_PATIENT_GROUP));
    EXPECT_GE(RectInParent(::GetDlgItem(review.get(), IDOK)).top, box.bottom);
    EXPECT_GE(RectInParent(::GetDlgItem(review.get(), IDCANCEL)).top, box.bottom);
}

// ---- message box --------------------------------------------------------------------------------------

TEST_F(ResourcesTest, MessageBoxTemplateHasItsTextAndHiddenButtons) {
    CTemplateWindow box(IDD_MSGBOX, nullptr);
    ASSERT_NE(box.get(), nullptr);
    const DWORD style = box.Style();
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_EQ(WindowText(box.get()), L"Message");
    ExpectClientSizeInDlu(box, 299, 132);

    const std::vector<ControlWant> controls = {
        {IDC_MSGBOX_TEXT, Kind::Text, nullptr, kShown, kEnabled},
        {IDOK, Kind::DefPush, L"OK", kHidden, kEnabled},
        {IDCANCEL, Kind::Push, L"Cancel", kHidden, kEnabled},
    };
    ExpectControls(box.get(), controls);
    const std::vector<PlacedControl> positions = {{IDC_MSGBOX_TEXT, {67, 28, 225, 68}}};
    ExpectPlaced(box, positions);

    // The run-time row of four 116-pixel buttons, 122 apart and 15 from the right edge, fits inside.
    RECT client{};
    ::GetClientRect(box.get(), &client);
    EXPECT_GE(client.right - 122 * 3 - 131, 0);
}

// ---- stand SDK panel ----------------------------------------------------------------------------------

struct SdkRow {
    const wchar_t* label;
    int y;
};
constexpr SdkRow kSdkRows[IDC_SDK_ROW_COUNT] = {
    {L"HEIGHT", 109}, {L"ROTATE", 144}, {L"DET.", 179}, {L"SID", 214}, {L"SID EXT.", 249}};

TEST_F(ResourcesTest, StandSdkPanelIsABorderedChildWithoutTitle) {
    CHostWindow host;
    CTemplateWindow sdk(IDD_STAND_SDK, host.get());
    ASSERT_NE(sdk.get(), nullptr);
    const DWORD style = sdk.Style();
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_BORDER);
    EXPECT_NE(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_TRUE(sdk.ExStyle() & WS_EX_CONTROLPARENT);
    ExpectClientSizeInDlu(sdk, 284, 287);
    EXPECT_EQ(FontFace(sdk.get()), L"MS Shell Dlg");
}

TEST_F(ResourcesTest, StandSdkPanelControlsFollowTheRowRule) {
    CHostWindow host;
    CTemplateWindow sdk(IDD_STAND_SDK, host.get());
    ASSERT_NE(sdk.get(), nullptr);

    std::vector<ControlWant> wants = {
        {IDC_SDK_CONNECTION, Kind::Push, L"CON", kShown, kEnabled},
        {IDC_SDK_STATUS, Kind::Push, L"--", kShown, kEnabled},
        {IDC_SDK_AUTO_MOVE, Kind::AutoCheck, L"Auto Move", kHidden, kDisabled},
        {IDC_SDK_SAVE, Kind::Push, L"SAVE", kShown, kEnabled},
        {IDC_SDK_STOP, Kind::Push, L"STOP", kShown, kEnabled},
        {IDC_SDK_MOVE, Kind::Push, L"MOVE", kShown, kEnabled},
        {IDOK, Kind::Push, L"OK", kHidden, kDisabled},
        {IDCANCEL, Kind::Push, L"Cancel", kHidden, kDisabled},
    };
    std::vector<PlacedControl> placed = {
        {IDC_SDK_CONNECTION, {25, 25, 69, 27}}, {IDC_SDK_STATUS, {98, 25, 165, 27}},
        {IDC_SDK_AUTO_MOVE, {31, 54, 70, 12}},  {IDC_SDK_SAVE, {26, 66, 72, 30}},
        {IDC_SDK_STOP, {109, 66, 72, 30}},      {IDC_SDK_MOVE, {189, 66, 72, 30}},
    };
    for (int r = 0; r < IDC_SDK_ROW_COUNT; ++r) {
        const int first = IDC_SDK_FIRST_ROW + 4 * r;
        const bool shown = r < 4;  // the SID EXT. row is revealed at run time
        const int y = kSdkRows[r].y;
        wants.push_back({first, Kind::Push, kSdkRows[r].label, shown, kEnabled});
        wants.push_back({first + 1, Kind::Push, L"--", shown, kEnabled});
        wants.push_back({first + 2, Kind::Push, L"<", shown, kEnabled});
        wants.push_back({first + 3, Kind::Push, L">", shown, kEnabled});
        placed.push_back({first, {25, y, 75, 27}});
        placed.push_back({first + 1, {157, y, 60, 27}});
        placed.push_back({first + 2, {112, y, 37, 27}});
        placed.push_back({first + 3, {226, y, 37, 27}});
    }
    ExpectControls(sdk.get(), wants);
    ExpectPlaced(sdk, placed);
}

// ---- ceiling stand panel ------------------------------------------------------------------------------

TEST_F(ResourcesTest, CeilingPanelIsAChildWithoutTitle) {
    CHostWindow host;
    CTemplateWindow ceiling(IDD_CEILING_STAND, host.get());
    ASSERT_NE(ceiling.get(), nullptr);
    const DWORD style = ceiling.Style();
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_NE(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_TRUE(style & DS_CONTROL);
    EXPECT_TRUE(ceiling.ExStyle() & WS_EX_CONTROLPARENT);
    ExpectClientSizeInDlu(ceiling, 283, 87);
    EXPECT_EQ(FontFace(ceiling.get()), L"MS Sans Serif");
}

TEST_F(ResourcesTest, CeilingPanelShowsTwoRowsAndHidesTheModeButtons) {
    CHostWindow host;
    CTemplateWindow ceiling(IDD_CEILING_STAND, host.get());
    ASSERT_NE(ceiling.get(), nullptr);
    const std::vector<ControlWant> controls = {
        {IDC_CEIL_SID_LABEL, Kind::Push, L"SID", kShown, kEnabled},
        {IDC_CEIL_SID_VALUE, Kind::Push, L"--", kShown, kEnabled},
        {IDC_CEIL_UP, Kind::Push, L"UP", kShown, kEnabled},
        {IDC_CEIL_ANGLE_LABEL, Kind::Push, L"ANGLE", kShown, kEnabled},
        {IDC_CEIL_ANGLE_VALUE, Kind::Push, L"--", kShown, kEnabled},
        {IDC_CEIL_DOWN, Kind::Push, L"DOWN", kShown, kEnabled},
        {IDC_CEIL_AUX_VALUE, Kind::Push, L"--", kHidden, kEnabled},
        {IDC_CEIL_HEIGHT_LABEL, Kind::Push, L"HEIGHT", kHidden, kEnabled},
        {IDC_CEIL_LOCK_LABEL, Kind::Push, L"LOCK", kHidden, kEnabled},
        {IDC_CEIL_LONG, Kind::Push, L"LONG", kHidden, kEnabled},
        {IDC_CEIL_SHORT, Kind::Push, L"SHORT", kHidden, kEnabled},
        {IDC_CEIL_SYNC, Kind::Push, L"SYNC", kHidden, kEnabled},
        {IDC_CEIL_FREE, Kind::Push, L"FREE", kHidden, kEnabled},
        {IDC_CEIL_TUBE, Kind::Push, L"TUBE", kHidden, kEnabled},
        {IDC_CEIL_SWING, Kind::Push, L"SWING", kHidden, kEnabled},
        {IDC_CEIL_CHECK, Kind::Push, L"CHECK", kHidden, kEnabled},
        {IDC_CEIL_HIDE_UARM, Kind::Push, L"Hide U-ARM", kHidden, kEnabled},
        {IDC_STATIC, Kind::Group, nullptr, kShown, kEnabled},
    };
    ExpectControls(ceiling.get(), controls);
    const std::vector<PlacedControl> positions = {
        {IDC_CEIL_SID_LABEL, {29, 13, 56, 29}},   {IDC_CEIL_SID_VALUE, {94, 14, 68, 29}},
        {IDC_CEIL_UP, {198, 13, 57, 29}},         {IDC_CEIL_ANGLE_LABEL, {29, 48, 56, 29}},
        {IDC_CEIL_ANGLE_VALUE, {94, 48, 68, 29}}, {IDC_CEIL_DOWN, {198, 48, 57, 29}},
        {IDC_CEIL_CHECK, {0, 0, 15, 15}},         {IDC_STATIC, {0, 0, 283, 86}},
    };
    ExpectPlaced(ceiling, positions);
}

// ---- texts --------------------------------------------------------------------------------------------

std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

TEST_F(ResourcesTest, EveryTextIdFrom154To200HasABuiltInText) {
    for (UINT id = IDS_FIRST; id <= IDS_LAST; ++id)
        EXPECT_FALSE(LoadText(id).empty()) << "text " << id;
    EXPECT_EQ(IDS_FIRST, 154);
    EXPECT_EQ(IDS_LAST, 200);
    EXPECT_TRUE(LoadText(IDS_FIRST - 1).empty());
    EXPECT_TRUE(LoadText(IDS_LAST + 1).empty());
}

TEST_F(ResourcesTest, BuiltInTextsReadAsWritten) {
    const struct {
        UINT id;
        const wchar_t* text;
    } samples[] = {
        {154, L"ID"},          {159, L"Show Device"},  {160, L"Hide Device"},
        {169, L"SID EXT."},    {173, L"DN"},           {175, L"Do you want to cancel this image? (Y/N)"},
        {182, L"ACKNOWLEDGE"}, {187, L"ERROR DETECT"}, {189, L"Patient Infomation"},
        {194, L"Yes"},         {195, L"No"},           {199, L"Yes to all"},
        {200, L"No to all"},
    };
    for (const auto& s : samples)
        EXPECT_EQ(LoadText(s.id), s.text) << "text " << s.id;
}

// ---- bitmaps ------------------------------------------------------------------------------------------

// A bitmap resource loaded as a DIB section, with its pixels readable as RGB.
class CDibResource {
  public:
    explicit CDibResource(int id)
        : m_hBitmap(static_cast<HBITMAP>(
              ::LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
        if (m_hBitmap)
            ::GetObjectW(m_hBitmap, sizeof m_dib, &m_dib);
    }
    ~CDibResource() {
        if (m_hBitmap)
            ::DeleteObject(m_hBitmap);
    }
    CDibResource(const CDibResource&) = delete;
    CDibResource& operator=(const CDibResource&) = delete;

    bool Loaded() const { return m_hBitmap != nullptr; }
    int Width() const { return m_dib.dsBm.bmWidth; }
    int Height() const { return m_dib.dsBm.bmHeight; }
    int Bits() const { return m_dib.dsBm.bmBitsPixel; }

    // x, y from the top-left corner; 24-bit rows are stored bottom-up.
    COLORREF Pixel(int x, int y) const {
        const auto* bits = static_cast<const BYTE*>(m_dib.dsBm.bmBits);
        const BYTE* p = bits + (Height() - 1 - y) * m_dib.dsBm.bmWidthBytes + x * 3;
        return RGB(p[2], p[1], p[0]);
    }

    // Mean colour of the saturated (not grey, not white) pixels of a rectangle.
    COLORREF MeanHue(int left, int top, int width, int height) const {
        long r = 0, g = 0, b = 0, n = 0;
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x) {
                const COLORREF c = Pixel(x, y);
                const int hi = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
                const int lo = std::min({GetRValue(c), GetGValue(c), GetBValue(c)});
                if (hi - lo < 60)
                    continue;
                r += GetRValue(c), g += GetGValue(c), b += GetBValue(c), ++n;
            }
        return n ? RGB(r / n, g / n, b / n) : RGB(0, 0, 0);
    }

  private:
    HBITMAP m_hBitmap;
    DIBSECTION m_dib{};
};

enum class Hue { Orange, Yellow, Green, Red, Blue };

bool HasHue(COLORREF c, Hue hue) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    switch (hue) {
        case Hue::Orange:
            return r > 200 && g > b + 40 && g < r - 50;
        case Hue::Yellow:
            return r > 200 && g > 150 && b < g - 80;
        case Hue::Green:
            return g > r + 40 && g > b + 40;
        case Hue::Red:
            return r > g + 80 && r > b + 80;
        case Hue::Blue:
            return b > r + 60 && b > g;
    }
    return false;
}

TEST_F(ResourcesTest, TreeBadgeStripIsFourBadgesOnTheTreesWhite) {
    CDibResource strip(IDB_TREE_BADGES);
    ASSERT_TRUE(strip.Loaded());
    EXPECT_EQ(strip.Width(), 104);
    EXPECT_EQ(strip.Height(), 17);
    EXPECT_EQ(strip.Bits(), 24);

    // Image 0 pending (orange R), 1 green, 2 red, 3 done (blue Y): the tree picks them by index.
    const Hue hues[4] = {Hue::Orange, Hue::Green, Hue::Red, Hue::Blue};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("badge " + std::to_string(i));
        const int left = 26 * i;
        EXPECT_TRUE(HasHue(strip.MeanHue(left, 0, 26, 17), hues[i]));
        EXPECT_EQ(strip.Pixel(left, 0), RGB(255, 255, 255)) << "corner shows the tree's background";
        int lettering = 0;
        for (int y = 4; y < 12; ++y)
            for (int x = left + 4; x < left + 22; ++x)
                lettering += strip.Pixel(x, y) == RGB(255, 255, 255);
        EXPECT_GT(lettering, 10) << "white lettering inside the badge";
    }
}

TEST_F(ResourcesTest, MessageBoxPicturesAre48PixelsOnTheDialogFace) {
    const struct {
        int id;
        Hue hue;
    } pictures[] = {
        {IDB_MSG_WARNING, Hue::Yellow},
        {IDB_MSG_QUESTION, Hue::Blue},
        {IDB_MSG_ERROR, Hue::Red},
        {IDB_MSG_INFO, Hue::Blue},
    };
    for (const auto& p : pictures) {
        SCOPED_TRACE("bitmap " + std::to_string(p.id));
        CDibResource bmp(p.id);
        ASSERT_TRUE(bmp.Loaded());
        EXPECT_EQ(bmp.Width(), 48);
        EXPECT_EQ(bmp.Height(), 48);
        EXPECT_EQ(bmp.Bits(), 24);
        EXPECT_TRUE(HasHue(bmp.MeanHue(8, 8, 32, 32), p.hue));
        EXPECT_EQ(bmp.Pixel(0, 0), RGB(240, 240, 240));
        EXPECT_EQ(bmp.Pixel(47, 0), RGB(240, 240, 240));
    }
}

// ---- icon, manifest, version --------------------------------------------------------------------------

std::string_view ResourceBytes(LPCWSTR name, LPCWSTR type) {
    HRSRC found = ::FindResourceW(Module(), name, type);
    if (!found)
        return {};
    HGLOBAL loaded = ::LoadResource(Module(), found);
    return {static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(Module(), found)};
}

TEST_F(ResourcesTest, IconHoldsTrue16And32And48PixelImagesWithAlpha) {
    const std::string_view group = ResourceBytes(MAKEINTRESOURCEW(IDI_SIDECAR), RT_GROUP_ICON);
    ASSERT_FALSE(group.empty());
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE("size " + std::to_string(size));
        const int imageId = ::LookupIconIdFromDirectoryEx(
            reinterpret_cast<BYTE*>(const_cast<char*>(group.data())), TRUE, size, size, LR_DEFAULTCOLOR);
        const std::string_view image = ResourceBytes(MAKEINTRESOURCEW(imageId), RT_ICON);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header{};
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size) << "colour rows plus mask rows";
        EXPECT_EQ(header.biBitCount, 32);

        HICON icon = static_cast<HICON>(
            ::LoadImageW(Module(), MAKEINTRESOURCEW(IDI_SIDECAR), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ::DestroyIcon(icon);
    }
}

TEST_F(ResourcesTest, ManifestKeepsTheClassicControlsAndLeavesScalingToTheSystem) {
    const std::string_view manifest = ResourceBytes(CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string_view::npos);
    EXPECT_NE(
        manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">false"),
        std::string_view::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string_view::npos);

    // Only the version 6 button answers BCM_GETIDEALSIZE (Wine's DllGetVersion says 5.81 for both): the
    // tests run with the program's manifest, so their buttons are the classic ones the panel gets.
    HWND button = ::CreateWindowExW(0, L"Button", L"Sidecar", WS_POPUP | BS_PUSHBUTTON, 0, 0, 10, 10, nullptr,
                                    nullptr, Module(), nullptr);
    ASSERT_NE(button, nullptr);
    SIZE ideal{};
    EXPECT_FALSE(::SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
    ::DestroyWindow(button);
}

}  // namespace
