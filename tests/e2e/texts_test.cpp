// The text workbook read for real: "Sidecar.xls" in the program folder goes through the program's database
// code, Wine's ODBC layer, the machine's unixODBC driver manager and the test spreadsheet driver
// (tests/odbc), which serves the sheets written here. What the operator sees is read back from the windows.
#include <ostream>
#include <string>
#include <vector>

#include "harness/console_picture.h"
#include "harness/e2e_case.h"
#include "harness/pump.h"
#include "link/codes.h"
#include "link/records.h"
#include "resources/resource.h"
#include "script.h"

namespace sidecar::e2e {
namespace {

const ExtraFile kSkin{L"Skins\\default.skf", "SidecarSkin 1\n[dialog]\nface = #202020\n"};

// A row of the sheet: the id in column 1, the text in column 4 (columns 2 and 3 hold notes).
std::string Row(const std::string& id, const std::string& text) {
    return id + "\tnote\tplace\t" + text + "\n";
}

// The workbook with an "English" sheet whose heading row names the columns. The heading's first cell is a
// real id (158, "Generator Status"), so a heading taken as data would show.
ExtraFile Workbook(const std::string& rows) {
    return {L"Sidecar.xls", "[English]\n158\tPart\tPlace\tHEADING\n" + rows};
}

class TextsTest : public CSidecarCase {
  protected:
    // Starts the panel with the stand SDK panel (whose labels are texts too) and the workbook.
    void StartWith(const ExtraFile& workbook, bool expectBox = false) {
        StartOptions options;
        options.hostappIni = "[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n[KOVESDK]\r\nKOVESDK=1\r\n";
        options.files = {kSkin, workbook};
        options.waitForPanel = !expectBox;
        ASSERT_TRUE(m_run.Start(options));
    }
    std::wstring Panel(int id) const { return m_run.Caption(m_run.Control(id)); }
    HWND Stand() const {
        for (HWND child = ::FindWindowExW(m_run.Panel(), nullptr, L"#32770", nullptr); child;
             child = ::FindWindowExW(m_run.Panel(), child, L"#32770", nullptr))
            if (::GetDlgItem(child, IDC_SDK_MOVE))
                return child;
        return nullptr;
    }
    std::wstring StandText(int id) const { return m_run.Caption(::GetDlgItem(Stand(), id)); }

    // The panel still does its work: a press reaches the console.
    void ExpectPanelAnswers() {
        m_run.ClearReports();
        ASSERT_TRUE(m_run.Press(IDC_KVP_UP));
        ASSERT_TRUE(m_run.Sync());
        ASSERT_EQ(m_run.Reports().size(), 1u);
        EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_BUTTON);
    }
};

TEST_F(TextsTest, TheEnglishSheetRelabelsThePanelTheReviewItsQuestionAndTheStandInAnyScript) {
    const std::string greek = "Στοιχεία ασθενούς";
    const std::string japanese = "患者番号";
    const std::string arabic = "الاسم";
    StartWith(Workbook(Row("189", greek) + Row("154", japanese) + Row("155", arabic) +
                       Row("161", "Speichern") + Row("162", "Verwerfen") +
                       Row("175", "Bild verwerfen? (J/N)") + Row("192", "Meldung") + Row("194", "Ja") +
                       Row("195", "Nein") + Row("163", "FAHREN") + Row("165", "HÖHE")));
    EXPECT_EQ(Panel(IDC_PATIENT_GROUP), L"  " + consim::WideFromUtf8(greek) + L"  ");
    EXPECT_EQ(Panel(IDC_ID_LABEL), consim::WideFromUtf8(japanese));
    EXPECT_EQ(Panel(IDC_NAME_LABEL), consim::WideFromUtf8(arabic));
    EXPECT_EQ(Panel(IDC_STUDY_LABEL), L"Study") << "an id the sheet lacks keeps its built-in text";
    EXPECT_EQ(Panel(IDC_GENERATOR_LABEL), L"Generator Status") << "the heading row is not a text";
    EXPECT_EQ(StandText(IDC_SDK_MOVE), L"FAHREN");
    EXPECT_EQ(StandText(IDC_SDK_SAVE), L"Speichern");
    EXPECT_EQ(StandText(IDC_SDK_HEIGHT_LABEL), consim::WideFromUtf8("HÖHE"));
    EXPECT_EQ(StandText(IDC_SDK_STOP), L"STOP");

    CConsolePicture picture;
    ASSERT_TRUE(picture.Share(64, 64, [](int x, int) { return static_cast<std::uint8_t>(x * 4); }));
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_SHOW, wire::ReviewImage{64, 64, 14, 16383, 8192}.Encode()));
    HWND review = m_run.FindTopLevelWithControl(IDC_REVIEW_PICTURE);
    ASSERT_TRUE(review);
    EXPECT_EQ(m_run.Caption(::GetDlgItem(review, IDC_REVIEW_ID_LABEL)), consim::WideFromUtf8(japanese));
    EXPECT_EQ(m_run.Caption(::GetDlgItem(review, IDOK)), L"Speichern");
    EXPECT_EQ(m_run.Caption(::GetDlgItem(review, IDCANCEL)), L"Verwerfen");

    ASSERT_TRUE(m_run.Press(::GetDlgItem(review, IDCANCEL)));
    HWND box = nullptr;
    PumpUntil(
        [&] {
            box = m_run.FindTopLevelWithControl(IDC_MSGBOX_TEXT);
            return box && ::IsWindowVisible(box);
        },
        CSidecarRun::kReportTimeoutMs);
    ASSERT_TRUE(box) << "Cancel asks first";
    EXPECT_EQ(m_run.Caption(box), L"Meldung");
    EXPECT_EQ(m_run.Caption(::GetDlgItem(box, IDC_MSGBOX_TEXT)), L"Bild verwerfen? (J/N)");
    EXPECT_EQ(m_run.Caption(::GetDlgItem(box, IDYES)), L"Ja");
    EXPECT_EQ(m_run.Caption(::GetDlgItem(box, IDNO)), L"Nein");
    ASSERT_TRUE(m_run.Press(::GetDlgItem(box, IDNO)));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
    ExpectPanelAnswers();
}

TEST_F(TextsTest, CellsArriveWholeEmptyOnesKeepTheBuiltInTextAndALaterRowWins) {
    // Longer than any one piece the program reads, with a different character at every place so a lost,
    // repeated or shifted piece shows.
    std::string longText;
    for (int i = 0; longText.size() < 1500; ++i)
        longText += std::to_string(i) + (i % 7 == 0 ? "\xC3\xA9 " : " ");
    StartWith(Workbook(Row("154.0", "Kennung") + Row("157", longText) + Row("190", "") + Row("191", "first") +
                       Row("191", "Betriebsart") + Row("not a number", "never reached")));
    EXPECT_EQ(Panel(IDC_ID_LABEL), L"Kennung") << "an id written as 154.0 is 154";
    EXPECT_EQ(Panel(IDC_STUDY_LABEL), consim::WideFromUtf8(longText));
    EXPECT_EQ(Panel(IDC_CONTROL_GROUP), L"  Control Panel  ") << "an empty cell keeps the built-in text";
    EXPECT_EQ(Panel(IDC_MODE_GROUP), L"  Betriebsart  ");
    EXPECT_EQ(Panel(IDC_NAME_LABEL), L"Name");
}

// A database error while reading: the error box shows once with the database layer's text, the rows read
// before it stay, and start-up goes on to a working panel.
struct FailedRead {
    const char* what;
    ExtraFile workbook;
    const wchar_t* said;     // part of the database layer's text in the box
    const wchar_t* idLabel;  // the ID label after it
};

void PrintTo(const FailedRead& read, std::ostream* os) {
    *os << read.what;
}

class FailedReadTest : public TextsTest, public ::testing::WithParamInterface<FailedRead> {};

TEST_P(FailedReadTest, ShowsOneErrorBoxKeepsTheRowsReadAndThePanelWorksOn) {
    StartWith(GetParam().workbook, true);
    std::optional<CSidecarRun::MessageBoxSeen> box = m_run.DismissMessageBox(IDOK);
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find(GetParam().said), std::wstring::npos);
    ASSERT_TRUE(m_run.WaitForPanel()) << "a second box would keep the panel from opening";
    EXPECT_EQ(Panel(IDC_ID_LABEL), GetParam().idLabel);
    EXPECT_EQ(Panel(IDC_NAME_LABEL), L"Name");
    ExpectPanelAnswers();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FailedReadTest,
    ::testing::Values(FailedRead{"PartWay",
                                 Workbook(Row("154", "Vorher") + "!fail The sheet broke at row 3.\n" +
                                          Row("155", "Nachher")),
                                 L"The sheet broke at row 3.", L"Vorher"},
                      FailedRead{"NoEnglishSheet",
                                 {L"Sidecar.xls", "[Korean]\nId\tb\tc\tText\n" + Row("154", "ID-ko")},
                                 L"English$",
                                 L"ID"}),
    [](const ::testing::TestParamInfo<FailedRead>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace sidecar::e2e
