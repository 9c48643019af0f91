// The review road as the console drives it: the console shares a picture under the name "Sidecar" and
// sends CDC_REVIEW_SHOW; the review dialog takes the panel's place with the picture fitted and centred and
// the last patient's labels; Save and a confirmed Cancel report back. Sizes from a hostile console, a
// missing or short mapping, must leave an empty picture, no fault, and a panel that still answers.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "harness/console_picture.h"
#include "harness/e2e_case.h"
#include "harness/pump.h"
#include "link/codes.h"
#include "link/records.h"
#include "resources/resource.h"

namespace sidecar::e2e {
namespace {

const ExtraFile kSkin{L"Skins\\default.skf", "SidecarSkin 1\n[dialog]\nface = #202020\n"};

constexpr int kPicture = IDC_REVIEW_PICTURE;

// Pixels of a window as it is on the screen.
struct CShot {
    int w = 0;
    int h = 0;
    std::vector<DWORD> px;
    std::uint8_t Grey(int x, int y) const {
        return static_cast<std::uint8_t>(px[static_cast<std::size_t>(y) * w + x] & 0xFF);
    }
    bool IsBlack(int x, int y) const { return (px[static_cast<std::size_t>(y) * w + x] & 0xFFFFFF) == 0; }
};

CShot ShootClient(HWND hwnd) {
    CShot shot;
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    shot.w = rc.right;
    shot.h = rc.bottom;
    shot.px.resize(static_cast<std::size_t>(shot.w) * shot.h);
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), shot.w, -shot.h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, shot.w, shot.h, screen, origin.x, origin.y, SRCCOPY);
    ::GdiFlush();
    std::copy_n(static_cast<const DWORD*>(bits), shot.px.size(), shot.px.begin());
    ::SelectObject(mem, old);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return shot;
}

class ReviewTest : public CSidecarCase {
  protected:
    void SetUp() override {
        StartOptions options;
        options.hostappIni = "[SYSTEM]\r\nSidecarPosX=10\r\nSidecarPosY=20\r\n";
        options.files = {kSkin};
        ASSERT_TRUE(m_run.Start(options));
    }

    void SendPatient(const std::wstring& id, const std::wstring& name, const std::wstring& acc,
                     const std::wstring& study) {
        auto bytes = wire::PatientInfo{id, name, acc, study}.Encode();
        ASSERT_TRUE(m_run.Send(wire::CDC_PATIENT, bytes));
    }
    void ShowReview(int width, int height, int bitDepth = 14, int ww = 16383, int wl = 8192) {
        auto bytes = wire::ReviewImage{width, height, bitDepth, ww, wl}.Encode();
        ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_SHOW, bytes));
    }

    // The review dialog: the panel process's other top-level "Sidecar" window, the one with the picture.
    HWND Review() const { return m_run.FindTopLevelWithControl(kPicture); }
    HWND ReviewItem(int id) const { return ::GetDlgItem(Review(), id); }
    bool ReviewShown() const { return Review() && ::IsWindowVisible(Review()); }
    bool PanelShown() const { return ::IsWindowVisible(m_run.Panel()); }

    // The visible message box of the panel process (template 146: the text control 1040), or null.
    HWND MessageBox() const {
        for (HWND w : TopLevelWindows()) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid == m_run.ProcessId() && ::IsWindowVisible(w) && ::GetDlgItem(w, IDC_MSGBOX_TEXT))
                return w;
        }
        return nullptr;
    }
    HWND WaitForMessageBox() {
        HWND box = nullptr;
        PumpUntil([&] { return (box = MessageBox()) != nullptr; }, CSidecarRun::kReportTimeoutMs);
        return box;
    }
    // A button of the box by id, among the visible ones (the template's hidden OK and Cancel do not count).
    HWND BoxButton(HWND box, int id) const {
        for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            if (::GetDlgCtrlID(c) == id && ::IsWindowVisible(c))
                return c;
        }
        return nullptr;
    }

    // The picture as shown, once it has been painted as `ready` expects and has settled: the same pixels in
    // two shots in a row. The window comes on screen in parts (the dialog, then each control, each flushed
    // to the display when the painting thread gets to it), so one pixel being right says nothing yet
    // about the others.
    CShot WaitForPicture(const std::function<bool(const CShot&)>& ready) {
        CShot shot;
        CShot previous;
        PumpUntil(
            [&] {
                previous = std::move(shot);
                shot = ShootClient(ReviewItem(kPicture));
                return shot.w > 0 && ready(shot) && shot.w == previous.w && shot.px == previous.px;
            },
            CSidecarRun::kReportTimeoutMs);
        return shot;
    }
    static bool AllBlack(const CShot& s) {
        return std::all_of(s.px.begin(), s.px.end(), [](DWORD p) { return (p & 0xFFFFFF) == 0; });
    }

    // The first column, from the left, in row y that is not black; w when none.
    static int FirstLit(const CShot& s, int y) {
        for (int x = 0; x < s.w; ++x) {
            if (!s.IsBlack(x, y))
                return x;
        }
        return s.w;
    }
    static int LastLit(const CShot& s, int y) {
        for (int x = s.w - 1; x >= 0; --x) {
            if (!s.IsBlack(x, y))
                return x;
        }
        return -1;
    }

    // After any review, the console can bring the panel back and the panel still reports presses.
    void ExpectPanelAnswers() {
        ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
        EXPECT_TRUE(PanelShown());
        EXPECT_FALSE(ReviewShown());
        m_run.ClearReports();
        ASSERT_TRUE(m_run.Press(IDC_KVP_UP));
        ASSERT_TRUE(m_run.Sync());
        ASSERT_EQ(m_run.Reports().size(), 1u);
        EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_BUTTON);
        EXPECT_EQ(m_run.Reports()[0].cbData, 2u);
    }

    CConsolePicture m_picture;
};

TEST_F(ReviewTest, ReviewTakesThePanelsPlaceWithItsTextsLooksAndTheLastPatientsLabels) {
    ASSERT_NE(Review(), nullptr) << "created hidden at start-up";
    EXPECT_FALSE(ReviewShown());
    SendPatient(L"PID-1", L"DOE^JANE", L"ACC-7", L"CHEST PA");
    ASSERT_TRUE(m_picture.Share(200, 100, [](int x, int) { return static_cast<std::uint8_t>(x); }));
    ShowReview(200, 100);

    EXPECT_TRUE(ReviewShown());
    EXPECT_FALSE(PanelShown());
    HWND review = Review();
    EXPECT_EQ(m_run.Caption(review), L"Sidecar");
    RECT rc{};
    ::GetWindowRect(review, &rc);
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.top, 20);
    EXPECT_EQ(rc.right - rc.left, 1024);
    EXPECT_EQ(rc.bottom - rc.top, 768);

    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_ID_LABEL)), L"ID");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_NAME_LABEL)), L"Name");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_ACCNO_LABEL)), L"AccNo.");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_STUDY_LABEL)), L"Study");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDOK)), L"Save");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDCANCEL)), L"Cancel");
    EXPECT_EQ(m_run.SkinElement(ReviewItem(IDOK)), L"testBtn0001");
    EXPECT_EQ(m_run.SkinElement(ReviewItem(IDCANCEL)), L"testBtn0001");
    for (int id :
         {IDC_REVIEW_PATIENT_ID, IDC_REVIEW_PATIENT_NAME, IDC_REVIEW_ACCESSION_NO, IDC_REVIEW_STUDY}) {
        EXPECT_EQ(m_run.SkinElement(ReviewItem(id)), L"sidecar_stcBtnL") << "control " << id;
    }

    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_PATIENT_ID)), L"PID-1");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_PATIENT_NAME)), L"DOE^JANE");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_ACCESSION_NO)), L"ACC-7");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_STUDY)), L"CHEST PA");

    // A later patient brings the panel back and updates it, not the labels already in the review dialog.
    SendPatient(L"PID-2", L"ROE^RICHARD", L"ACC-8", L"KNEE");
    EXPECT_TRUE(PanelShown());
    EXPECT_FALSE(ReviewShown());
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_PATIENT_NAME)), L"DOE^JANE");
    // The next review takes the labels as they stand now.
    ShowReview(200, 100);
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_PATIENT_ID)), L"PID-2");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_PATIENT_NAME)), L"ROE^RICHARD");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_ACCESSION_NO)), L"ACC-8");
    EXPECT_EQ(m_run.Caption(ReviewItem(IDC_REVIEW_STUDY)), L"KNEE");
}

TEST_F(ReviewTest, PictureIsFittedWholeAndCentred) {
    ShowReview(0, 0);  // shows the (empty) dialog so the control's size can be read
    RECT client{};
    ASSERT_TRUE(::GetClientRect(ReviewItem(kPicture), &client));
    const int cw = client.right;
    const int ch = client.bottom;
    ASSERT_GT(cw, 100);
    ASSERT_GT(ch, 100);

    // Exactly the control's size: shown 1:1 from (0, 0). The picture's top-left quadrant is white, the rest
    // a grey whose value is the row's: rows keep their order and the last row is read.
    auto quadrant = [cw, ch](int x, int y) -> std::uint8_t {
        return x < cw / 2 && y < ch / 2 ? 255 : static_cast<std::uint8_t>(40 + y % 200);
    };
    ASSERT_TRUE(m_picture.Share(cw, ch, quadrant));
    ShowReview(cw, ch);
    CShot shot = WaitForPicture([&](const CShot& s) { return s.Grey(0, 0) == 255; });
    EXPECT_EQ(shot.Grey(0, 0), 255);
    EXPECT_EQ(shot.Grey(cw / 2 - 1, ch / 2 - 1), 255);
    EXPECT_EQ(shot.Grey(cw / 2, 0), 40);
    EXPECT_EQ(shot.Grey(cw - 1, ch - 1), quadrant(cw - 1, ch - 1));
    EXPECT_EQ(shot.Grey(5, ch - 1), quadrant(5, ch - 1));

    // Portrait: fitted to the height and centred across. Half as wide and twice as high as the control gives
    // scale 1/2: (cw / 2) / 2 columns wide, black bars on both sides.
    const int half = cw / 2;
    ASSERT_TRUE(m_picture.Share(half, 2 * ch, [](int, int) { return std::uint8_t{200}; }));
    ShowReview(half, 2 * ch);
    shot = WaitForPicture([&](const CShot& s) { return s.IsBlack(0, ch / 2) && !s.IsBlack(cw / 2, ch / 2); });
    const int drawn = half / 2;
    const int left = (cw - drawn) / 2;
    EXPECT_EQ(FirstLit(shot, ch / 2), left);
    EXPECT_EQ(LastLit(shot, ch / 2), left + drawn - 1);
    EXPECT_EQ(shot.Grey(left, 0), 200);
    EXPECT_EQ(shot.Grey(left, ch - 1), 200);

    // Square to the control, twice its size both ways: scale 1/2, so the picture fills the control; its
    // left half white, right half dark grey.
    ASSERT_TRUE(
        m_picture.Share(2 * cw, 2 * ch, [cw](int x, int) { return std::uint8_t(x < cw ? 255 : 30); }));
    ShowReview(2 * cw, 2 * ch);
    shot =
        WaitForPicture([&](const CShot& s) { return !s.IsBlack(0, ch / 2) && s.Grey(cw - 1, ch / 2) == 30; });
    EXPECT_EQ(shot.Grey(0, 0), 255);
    EXPECT_EQ(shot.Grey(cw / 2 - 2, ch - 1), 255);
    EXPECT_EQ(shot.Grey(cw / 2 + 1, ch / 2), 30);
    EXPECT_EQ(shot.Grey(cw - 1, ch - 1), 30);

    // Landscape, twice as wide and half as high: fitted to the width (scale 1/2), (ch / 2) / 2 rows high
    // and centred down the control, so both side edges (marked dark and light) and every row are seen.
    const int wide = 2 * cw;
    ASSERT_TRUE(m_picture.Share(wide, ch / 2, [wide](int x, int) {
        return std::uint8_t(x < 10 ? 250 : x >= wide - 10 ? 90 : 180);
    }));
    ShowReview(wide, ch / 2);
    shot = WaitForPicture([&](const CShot& s) { return s.IsBlack(cw / 2, 0); });
    const int rows = (ch / 2) / 2;
    const int top = (ch - rows) / 2;
    EXPECT_TRUE(shot.IsBlack(cw / 2, top - 1));
    EXPECT_EQ(shot.Grey(cw / 2, top), 180);
    EXPECT_EQ(shot.Grey(cw / 2, top + rows - 1), 180);
    EXPECT_TRUE(shot.IsBlack(cw / 2, top + rows));
    EXPECT_TRUE(shot.IsBlack(0, ch - 1)) << "nothing runs past the bottom";
    EXPECT_EQ(shot.Grey(0, top + rows / 2), 250) << "the left edge is seen";
    EXPECT_EQ(shot.Grey(cw - 1, top + rows / 2), 90) << "the right edge is seen";
}

TEST_F(ReviewTest, SaveReportsAndStaysWhileEnterActsAsSave) {
    ASSERT_TRUE(m_picture.Share(64, 64, [](int x, int y) { return std::uint8_t(x ^ y); }));
    ShowReview(64, 64);
    m_run.ClearReports();
    ASSERT_TRUE(m_run.Press(ReviewItem(IDOK)));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    const Report& save = m_run.Reports()[0];
    EXPECT_EQ(save.code, wire::CDC_REVIEW_SAVE);
    EXPECT_EQ(save.cbData, 0u);
    EXPECT_TRUE(save.nullData);
    EXPECT_EQ(save.sender, m_run.Panel());
    EXPECT_TRUE(ReviewShown()) << "the console decides what follows a save";
    EXPECT_FALSE(PanelShown());

    m_run.ClearReports();
    ::PostMessageW(ReviewItem(IDOK), WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(ReviewItem(IDOK), WM_KEYUP, VK_RETURN, 0xC0000001);
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_REVIEW_SAVE);
    EXPECT_EQ(MessageBox(), nullptr);
}

TEST_F(ReviewTest, CancelAsksOnlyNoKeepsTheDialogYesAndEscapeReportAndBringThePanelBack) {
    ASSERT_TRUE(m_picture.Share(64, 64, [](int x, int) { return std::uint8_t(x * 4); }));
    ShowReview(64, 64);
    m_run.ClearReports();

    // No: nothing is sent and the dialog stays.
    ASSERT_TRUE(m_run.Press(ReviewItem(IDCANCEL)));
    HWND box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "Cancel asks first";
    EXPECT_EQ(m_run.Caption(box), L"Message");
    EXPECT_EQ(m_run.Caption(::GetDlgItem(box, IDC_MSGBOX_TEXT)), L"Do you want to cancel this image? (Y/N)");
    HWND yes = BoxButton(box, IDYES);
    HWND no = BoxButton(box, IDNO);
    ASSERT_TRUE(yes && no);
    EXPECT_EQ(m_run.Caption(yes), L"Yes");
    EXPECT_EQ(m_run.Caption(no), L"No");
    EXPECT_LT(ReadRectIn(yes, box).left, ReadRectIn(no, box).left) << "Yes left of No";
    EXPECT_EQ(m_run.SkinElement(yes), L"testBtn0001");
    EXPECT_TRUE(m_run.Reports().empty()) << "nothing is reported while the operator decides";
    // The question is the review's own: the review is inert behind it and it stays above the review, so
    // Save pressed meanwhile sends nothing (one image, one answer).
    EXPECT_EQ(::GetWindow(box, GW_OWNER), Review());
    EXPECT_FALSE(m_run.Press(ReviewItem(IDOK))) << "Save cannot be pressed while the question is open";
    ASSERT_TRUE(m_run.Sync());
    EXPECT_TRUE(m_run.Reports().empty());
    EXPECT_EQ(MessageBox(), box);
    ASSERT_TRUE(m_run.Press(no));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_EQ(MessageBox(), nullptr);
    EXPECT_TRUE(m_run.Reports().empty());
    EXPECT_TRUE(ReviewShown());
    EXPECT_FALSE(PanelShown());

    // Yes: reported, and the panel is back at once.
    ASSERT_TRUE(m_run.Press(ReviewItem(IDCANCEL)));
    box = WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(m_run.Press(BoxButton(box, IDYES)));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    const Report& cancel = m_run.Reports()[0];
    EXPECT_EQ(cancel.code, wire::CDC_REVIEW_CANCEL);
    EXPECT_EQ(cancel.cbData, 0u);
    EXPECT_TRUE(cancel.nullData);
    EXPECT_TRUE(PanelShown());
    EXPECT_FALSE(ReviewShown());

    // Escape in the review dialog asks the same; Escape in the box (result 2) confirms.
    ShowReview(64, 64);
    m_run.ClearReports();
    ::PostMessageW(ReviewItem(IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    box = WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "Escape is Cancel";
    ::PostMessageW(BoxButton(box, IDNO), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !m_run.Reports().empty(); }, CSidecarRun::kReportTimeoutMs));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_REVIEW_CANCEL);
    EXPECT_TRUE(PanelShown());
    EXPECT_EQ(MessageBox(), nullptr);

    // Enter in the box chooses its focused button, Yes (the leftmost), as the platform's own box would.
    ShowReview(64, 64);
    m_run.ClearReports();
    ASSERT_TRUE(m_run.Press(ReviewItem(IDCANCEL)));
    box = WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    GUITHREADINFO info{sizeof info};
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &info));
    EXPECT_EQ(info.hwndFocus, BoxButton(box, IDYES));
    ::PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([&] { return !m_run.Reports().empty(); }, CSidecarRun::kReportTimeoutMs));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_REVIEW_CANCEL);
    EXPECT_TRUE(PanelShown());
}

// The question is about the picture then shown: when the console shows another picture or takes the
// review away, or the panel closes, it goes away unanswered and nothing is reported.
TEST_F(ReviewTest, AnOpenCancelQuestionIsWithdrawnUnansweredWhenTheConsoleMovesOnOrThePanelCloses) {
    ASSERT_TRUE(m_picture.Share(64, 64, [](int x, int) { return std::uint8_t(x * 4); }));
    auto ask = [&] {
        ShowReview(64, 64);
        m_run.ClearReports();
        ASSERT_TRUE(m_run.Press(ReviewItem(IDCANCEL)));
        ASSERT_NE(WaitForMessageBox(), nullptr);
    };
    ask();
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_EQ(MessageBox(), nullptr);
    EXPECT_TRUE(PanelShown());
    EXPECT_FALSE(ReviewShown());
    EXPECT_TRUE(m_run.Reports().empty());
    ExpectPanelAnswers();

    ask();
    ShowReview(64, 64);
    ASSERT_TRUE(m_run.Sync());
    EXPECT_EQ(MessageBox(), nullptr);
    EXPECT_TRUE(ReviewShown()) << "the new picture waits for its own answer";
    EXPECT_TRUE(m_run.Reports().empty());
    ASSERT_TRUE(m_run.Press(ReviewItem(IDCANCEL)));
    ASSERT_NE(WaitForMessageBox(), nullptr) << "and can be asked about";

    EXPECT_EQ(m_run.Close(), std::optional<DWORD>(0)) << "closing the panel ends the open question too";
    EXPECT_TRUE(m_run.Reports().empty());
}

TEST_F(ReviewTest, RightButtonDragShowsTheConsolesWindowValuesAndEndsWithItsPicture) {
    ASSERT_TRUE(m_picture.Share(300, 300, [](int, int) { return std::uint8_t{128}; }));
    ShowReview(300, 300, 15, 4000, 2000);
    HWND picture = ReviewItem(kPicture);
    RECT rc{};
    ::GetClientRect(picture, &rc);
    const int x = rc.right / 2;
    const int y = rc.bottom / 2;
    ::PostMessageW(picture, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_EQ(m_run.Caption(Review()), L"WW : 4000, WL : 2000");
    // Bit depth 15: ten per pixel; 3 up and 2 right.
    ::PostMessageW(picture, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(x + 2, y - 3));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_EQ(m_run.Caption(Review()), L"WW : 4030, WL : 2020");
    ::PostMessageW(picture, WM_RBUTTONUP, 0, MAKELPARAM(x + 2, y - 3));
    ASSERT_TRUE(m_run.Sync());

    // A new picture while the right button is held replaces the held layer: the mouse is let go with it,
    // so Save answers the next click.
    ::PostMessageW(picture, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    ASSERT_TRUE(m_run.Sync());
    GUITHREADINFO info{sizeof info};
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(picture, nullptr), &info));
    ASSERT_EQ(info.hwndCapture, picture);
    ShowReview(300, 300, 15, 4000, 2000);
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(picture, nullptr), &info));
    EXPECT_EQ(info.hwndCapture, nullptr);
    m_run.ClearReports();
    ASSERT_TRUE(m_run.Press(ReviewItem(IDOK)));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_REVIEW_SAVE);
    ExpectPanelAnswers();
}

TEST_F(ReviewTest, HostileSizesAndMappingsShowAnEmptyPictureAndThePanelAnswersNext) {
    struct CCase {
        const char* what;
        int width;
        int height;
        std::uint64_t mappingBytes;  // 0: no mapping at all
    };
    const CCase cases[] = {
        {"zero width", 0, 800, 800000},
        {"zero height", 1000, 0, 800000},
        {"negative width", -1000, 800, 800000},
        {"negative height", 1000, -800, 800000},
        {"both negative (positive product)", -1000, -800, 800000},
        {"product of exactly 2^32 (0 in 32 bits)", 65536, 65536, 1 << 20},
        {"product wrapping to 131073 in 32 bits", 65537, 65537, 1 << 20},
        {"product over 2^31", 46341, 46341, 1 << 20},
        {"mapping one page short", 1000, 800, 800000 - 4096},
        {"mapping far too small", 4000, 4000, 4096},
        {"no mapping", 1000, 800, 0},
        {"too large to allocate: a 2 GiB mapping", 46000, 46000, 46000ull * 46000ull},
        {"too large to convert: 24 bits of it exceed the address space", 28000, 28000, 28000ull * 28000ull},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.what);
        // A good picture first, so that each case also shows the old one is not kept.
        ASSERT_TRUE(m_picture.Share(100, 100, [](int, int) { return std::uint8_t{255}; }));
        ShowReview(100, 100);
        CShot good = WaitForPicture([](const CShot& s) { return s.Grey(s.w / 2, s.h / 2) == 255; });
        ASSERT_EQ(good.Grey(good.w / 2, good.h / 2), 255);

        m_picture.Close();
        if (c.mappingBytes) {
            ASSERT_TRUE(m_picture.Share(c.mappingBytes, 0, 0, nullptr)) << "console side";
        }
        ShowReview(c.width, c.height);
        EXPECT_TRUE(ReviewShown());
        CShot shot = WaitForPicture(AllBlack);
        EXPECT_TRUE(AllBlack(shot)) << "an empty picture";
        EXPECT_TRUE(m_run.ExpectNoFaults());
        ExpectPanelAnswers();
        m_picture.Close();
    }
}

TEST_F(ReviewTest, PicturesUpToTheLimitAreShownAndLargerOnesAreRefusedAtOnce) {
    // The largest picture is 8192 x 8192 pixels with neither side over 16384. Each refused case follows a
    // shown one, and its mapping holds a whole lit picture, so only the limit keeps it off the screen.
    const CConsolePicture::Painter lit = [](int, int) { return std::uint8_t{200}; };
    const struct {
        const char* what;
        int width;
        int height;
        bool shown;
    } cases[] = {
        {"the largest picture", 8192, 8192, true},
        {"one row more", 8192, 8193, false},
        {"the widest picture", 16384, 2048, true},
        {"one column wider", 16385, 2048, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(m_picture.Share(c.width, c.height, lit));
        ShowReview(c.width, c.height);
        CShot shot = c.shown ? WaitForPicture([](const CShot& s) { return s.Grey(s.w / 2, s.h / 2) == 200; })
                             : WaitForPicture(AllBlack);
        if (c.shown)
            EXPECT_EQ(shot.Grey(shot.w / 2, shot.h / 2), 200) << "the picture is shown";
        else
            EXPECT_TRUE(AllBlack(shot)) << "an empty picture";
        EXPECT_TRUE(m_run.ExpectNoFaults());
        ExpectPanelAnswers();
        m_picture.Close();
    }
}

TEST_F(ReviewTest, AMappingExactlyThePicturesSizeIsReadToItsLastByte) {
    // 800 x 1024 is exactly 200 pages: the last row ends at the end of the view. Portrait, so fitted to
    // the height and its last row is the control's bottom row.
    ASSERT_TRUE(m_picture.Share(800, 1024, [](int, int y) { return std::uint8_t(y >= 1022 ? 250 : 60); }));
    ShowReview(800, 1024);
    // Centred across, so the middle column of the control shows it.
    CShot shot = WaitForPicture(
        [](const CShot& s) { return s.Grey(s.w / 2, s.h / 2) == 60 && s.Grey(s.w / 2, s.h - 1) == 250; });
    const int x = shot.w / 2;
    EXPECT_EQ(shot.Grey(x, shot.h / 2), 60);
    EXPECT_EQ(shot.Grey(x, shot.h - 1), 250);
    EXPECT_TRUE(m_run.ExpectNoFaults());
    ExpectPanelAnswers();
}

}  // namespace
}  // namespace sidecar::e2e
