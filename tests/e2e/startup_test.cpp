// Start-up as the console sees it: the console title the panel looks for, how exactly it must match,
// and the modal run that ends with the panel.
#include <cwctype>

#include "harness/e2e_case.h"

namespace sidecar::e2e {
namespace {

constexpr int kKvpUpButton = 1001;
constexpr std::uint32_t kCdcButton = 742046;
constexpr std::uint32_t kKvpUpCode = 2;

class StartupTest : public CSidecarCase {
  protected:
    // Presses kVp up and waits until the panel has handled the press; the reports it caused, if any,
    // are then in m_run.Reports().
    void PressKvpUp() {
        m_run.ClearReports();
        ASSERT_TRUE(m_run.Press(kKvpUpButton)) << "kVp up is hidden or disabled";
        ASSERT_TRUE(m_run.Sync());
    }

    // The press reached exactly one console window, hConsole, as the kVp-up button report.
    void ExpectOneKvpUpReportAt(HWND hConsole) {
        const std::vector<Report>& reports = m_run.Reports();
        ASSERT_EQ(reports.size(), 1u) << "one press, one report";
        const Report& report = reports.front();
        EXPECT_EQ(report.console, hConsole)
            << "reached the console titled \"" << CaptionOf(report.console) << "\"";
        EXPECT_EQ(report.code, kCdcButton);
        EXPECT_EQ(report.cbData, kKvpUpCode);
        EXPECT_TRUE(report.nullData);
        EXPECT_EQ(report.sender, m_run.Panel());
    }

    std::wstring CaptionOf(HWND hWnd) const { return hWnd != nullptr ? m_run.Caption(hWnd) : L"(none)"; }
};

TEST_F(StartupTest, WithoutTailTheConsoleIsKilnAcqs) {
    StartOptions options;
    options.tail = Tail::None();
    ASSERT_TRUE(m_run.Start(options));
    ASSERT_EQ(m_run.Caption(m_run.Console()), kDefaultConsoleTitle);

    PressKvpUp();
    ExpectOneKvpUpReportAt(m_run.Console());
}

TEST_F(StartupTest, TheWholeTailOfTwoWordsIsTheConsoleTitle) {
    const std::wstring strFirstWord = CSidecarRun::UniqueTitle();
    StartOptions options;
    options.tail = Tail::Exact(strFirstWord + L" 2");
    ASSERT_TRUE(m_run.Start(options));
    ASSERT_EQ(m_run.Caption(m_run.Console()), strFirstWord + L" 2");
    // Opened after the console, so they lie above it and EnumWindows lists them first.
    ASSERT_TRUE(m_run.OpenConsole(strFirstWord));
    ASSERT_TRUE(m_run.OpenConsole(kDefaultConsoleTitle));

    PressKvpUp();
    ExpectOneKvpUpReportAt(m_run.Console());
}

TEST_F(StartupTest, OnlyTheExactTitleMatches) {
    ASSERT_TRUE(m_run.Start());
    const std::wstring strTitle = m_run.ConsoleTitle();
    std::wstring strUpper = strTitle;
    for (wchar_t& ch : strUpper)
        ch = static_cast<wchar_t>(std::towupper(ch));
    ASSERT_NE(strUpper, strTitle);
    for (const std::wstring& strDecoy : {strTitle + L"x", L"x" + strTitle, strUpper, strTitle + L" ",
                                         strTitle.substr(0, strTitle.size() - 1)})
        ASSERT_TRUE(m_run.OpenConsole(strDecoy)) << "decoy \"" << strDecoy << "\"";

    PressKvpUp();
    ExpectOneKvpUpReportAt(m_run.Console());
}

TEST_F(StartupTest, OfTwoConsolesWithTheTitleTheFirstInEnumerationOrderIsTaken) {
    ASSERT_TRUE(m_run.Start());
    HWND hSecond = m_run.OpenConsole(m_run.ConsoleTitle());
    ASSERT_TRUE(hSecond);
    HWND hFirst = nullptr;
    for (HWND hWnd : TopLevelWindows())
        if (hFirst == nullptr && (hWnd == hSecond || hWnd == m_run.Console()))
            hFirst = hWnd;
    ASSERT_TRUE(hFirst);

    PressKvpUp();
    ExpectOneKvpUpReportAt(hFirst);
}

TEST_F(StartupTest, TheConsoleIsLookedUpAgainForEveryReport) {
    StartOptions options;
    options.console = Console::Absent;
    ASSERT_TRUE(m_run.Start(options));

    PressKvpUp();
    EXPECT_TRUE(m_run.Reports().empty()) << "no console: the report is dropped";

    HWND hConsole = m_run.OpenConsole(m_run.ConsoleTitle());
    ASSERT_TRUE(hConsole);
    PressKvpUp();
    ExpectOneKvpUpReportAt(hConsole);

    ASSERT_TRUE(m_run.CloseConsole(hConsole));
    PressKvpUp();
    EXPECT_TRUE(m_run.Reports().empty()) << "the console went away: the report is dropped";

    HWND hRestarted = m_run.OpenConsole(m_run.ConsoleTitle());
    ASSERT_TRUE(hRestarted);
    PressKvpUp();
    ExpectOneKvpUpReportAt(hRestarted);
}

TEST_F(StartupTest, ClosingThePanelEndsTheProcessWithExitCodeZero) {
    ASSERT_TRUE(m_run.Start());
    EXPECT_EQ(m_run.Caption(m_run.Panel()), L"Sidecar");

    EXPECT_EQ(m_run.Close(), std::optional<DWORD>(0));
    EXPECT_FALSE(m_run.Running());
    EXPECT_TRUE(m_run.Faults().empty());
}

TEST_F(StartupTest, AnUnreadableWorkbookShowsOneErrorBoxThenTheBuiltInTexts) {
    StartOptions options;
    options.files = {{L"Sidecar.xls", "not a workbook"}};
    options.waitForPanel = false;
    ASSERT_TRUE(m_run.Start(options));
    std::optional<CSidecarRun::MessageBoxSeen> box = m_run.DismissMessageBox(IDOK);
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->text.empty()) << "the database layer's own text";
    ASSERT_TRUE(m_run.WaitForPanel());
    EXPECT_EQ(m_run.Caption(1064), L"  Patient Infomation  ");
    EXPECT_EQ(m_run.Caption(1011), L"ID");
}

TEST_F(StartupTest, HostileSettingsFallBackToTheDefaults) {
    // Garbage integers read as their leading digits (none: 0), unknown sections and keys are ignored, a
    // huge font name is cut; the panel still opens at its place with the plain patient sizes.
    StartOptions options;
    options.hostappIni =
        std::string("\x01\x02garbage\r\n[SYSTEM]\r\nSidecarPosX=12abc\r\nSidecarPosY=xyz\r\n") +
        "FontName=" + std::string(400, 'F') + "\r\nFontSize=-5\r\nIsVet=-1\r\n[KOVESDK]\r\n" +
        "KOVESDK=99999999999999\r\n[OTHER]\r\nx=1\r\n";
    ASSERT_TRUE(m_run.Start(options));
    RECT rc{};
    ::GetWindowRect(m_run.Panel(), &rc);
    EXPECT_EQ(rc.left, 12);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(m_run.Caption(1030), L"P");
    EXPECT_FALSE(m_run.IsVisible(1083)) << "no stand panel for an unknown stand setting";
    PressKvpUp();
    ExpectOneKvpUpReportAt(m_run.Console());
}

}  // namespace
}  // namespace sidecar::e2e
