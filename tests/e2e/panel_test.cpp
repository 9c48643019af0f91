// The main panel as the console sees it: layout, patient, exposure modes and looks, operator reports,
// the protocol tree, lamps, the switch to the review view, and a console that comes and goes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "harness/e2e_case.h"
#include "harness/pump.h"
#include "link/codes.h"
#include "link/records.h"
#include "resources/resource.h"

namespace sidecar::e2e {
namespace {

// A skin file in our own format: with it every ApplySkin is recorded on the window, so the looks can be
// read across processes.
const ExtraFile kSkin{L"Skins\\default.skf", "SidecarSkin 1\n[dialog]\nface = #202020\n"};

std::string Ini(const std::string& extra = {}) {
    return "[SYSTEM]\r\nSidecarPosX=10\r\nSidecarPosY=20\r\n" + extra;
}

wire::ExposureState Exposure(short mode, int subMode = 1, std::array<int, 3> fields = {0, 0, 0},
                             short size = 2) {
    wire::ExposureState s;
    s.kvp = L"81";
    s.ma = L"250";
    s.mas = L"12.5";
    s.time = L"50";
    s.aecValue = L"+1";
    s.patientSize = size;
    s.aecSubMode = subMode;
    s.timeUnit = 0;
    s.controlMode = mode;
    s.aecField = fields;
    return s;
}

class PanelTest : public CSidecarCase {
  protected:
    void StartPanel(const std::string& extraIni = {}) {
        StartOptions options;
        options.hostappIni = Ini(extraIni);
        options.files = {kSkin};
        ASSERT_TRUE(m_run.Start(options));
    }
    void SendExposure(const wire::ExposureState& s) {
        auto bytes = s.Encode();
        ASSERT_TRUE(m_run.Send(wire::CDC_EXPOSURE, bytes));
    }
    void SendTree(int op, int data, const std::wstring& text = {}) {
        auto bytes = wire::TreeCommand{op, data, text}.Encode();
        ASSERT_TRUE(m_run.Send(wire::CDC_TREE, bytes));
    }
    void SendLamps(int g, int r, int e) {
        auto bytes = wire::LampState{g, r, e}.Encode();
        ASSERT_TRUE(m_run.Send(wire::CDC_LAMPS, bytes));
    }
    // Presses a control and returns the reports the press caused.
    std::vector<Report> PressAndCollect(int id) {
        m_run.ClearReports();
        bool pressed = m_run.Press(id);
        EXPECT_TRUE(m_run.Sync());
        if (!pressed)
            return {};
        return m_run.Reports();
    }
    // The centre of a row's text in the tree's client pixels, asked of the tree in the panel's memory.
    POINT RowCentre(HTREEITEM item) {
        CRemoteMemory memory(m_run.Process(), sizeof(RECT));
        // The message reads the row from the rectangle's start and writes the rectangle over it.
        const auto row = reinterpret_cast<std::uintptr_t>(item);
        EXPECT_TRUE(memory && memory.Write(0, &row, sizeof row));
        RECT rc{};
        DWORD_PTR ok = 0;
        EXPECT_TRUE(SendMessageTimeoutW(m_run.Control(IDC_TREE), TVM_GETITEMRECT, TRUE,
                                        reinterpret_cast<LPARAM>(memory.Address()), SMTO_NORMAL, 5000, &ok));
        EXPECT_TRUE(ok && memory.Read(0, &rc, sizeof rc));
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    // The item data of the selected row, or -1.
    LPARAM SelectedRow() {
        for (const TreeRow& row : m_run.TreeRows(IDC_TREE)) {
            if (row.state & TVIS_SELECTED)
                return row.param;
        }
        return -1;
    }
    // The operator picks rows: a click on the third row, then the down key, then a click on the row already
    // selected. Returns the item data of each selection report.
    std::vector<int> SelectRowsAsTheOperator() {
        SendTree(1, 10, L"Chest");
        SendTree(2, 11, L"PA:R");
        SendTree(2, 12, L"LAT:R");
        SendTree(2, 13, L"OBL:R");
        m_run.ClearReports();
        const std::vector<TreeRow> rows = m_run.TreeRows(IDC_TREE);
        EXPECT_EQ(rows.size(), 4u);
        HWND tree = m_run.Control(IDC_TREE);
        auto click = [&](HTREEITEM item) {
            const POINT at = RowCentre(item);
            PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            PostMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            EXPECT_TRUE(m_run.Sync());
        };
        click(rows.size() == 4 ? rows[2].item : nullptr);
        EXPECT_EQ(SelectedRow(), 12);
        PostMessageW(tree, WM_KEYDOWN, VK_DOWN, 1);
        PostMessageW(tree, WM_KEYUP, VK_DOWN, 0xC0000001);
        EXPECT_TRUE(m_run.Sync());
        EXPECT_EQ(SelectedRow(), 13);
        click(rows.size() == 4 ? rows[3].item : nullptr);
        std::vector<int> selected;
        for (const Report& r : m_run.Reports()) {
            const auto cmd = wire::TreeCommand::Decode(r.bytes);
            selected.push_back(r.code == wire::CDC_TREE_SELECTED && cmd && cmd->op == 3 ? cmd->itemData : -1);
        }
        return selected;
    }

    std::vector<std::wstring> TreeTexts() {
        std::vector<std::wstring> out;
        for (const TreeRow& row : m_run.TreeRows(IDC_TREE))
            out.push_back(std::to_wstring(row.depth) + L":" + row.text);
        return out;
    }
};

TEST_F(PanelTest, LayoutPlacesEveryControlAndTheTextsComeFromTheTable) {
    StartPanel();
    RECT panel{};
    ::GetWindowRect(m_run.Panel(), &panel);
    EXPECT_EQ(panel.right - panel.left, 1024);
    EXPECT_EQ(panel.bottom - panel.top, 768);
    struct {
        int id, x, y, cx, cy;
    } expected[] = {{IDC_ID_LABEL, 552, 56, 98, 28},      {IDC_STUDY, 677, 161, 243, 28},
                    {IDC_TIME_LABEL, 93, 265, 98, 50},    {IDC_MAS_UP, 386, 193, 62, 50},
                    {IDC_AEC_RIGHT, 379, 460, 70, 56},    {IDC_AEC_VALUE, 280, 536, 96, 45},
                    {IDC_SIZE_3, 372, 610, 78, 50},       {IDC_SEPARATOR, 64, 689, 894, 2},
                    {IDC_LAMP_E, 420, 700, 32, 32},       {IDC_TREE, 529, 215, 428, 460},
                    {IDC_LOGO_BUTTON, 670, 695, 250, 40}, {IDC_DEVICE, 529, 695, 120, 40}};
    for (const auto& e : expected) {
        RECT r = m_run.Rect(e.id);
        EXPECT_EQ(r.left, e.x) << e.id;
        EXPECT_EQ(r.top, e.y) << e.id;
        EXPECT_EQ(r.right - r.left, e.cx) << e.id;
        EXPECT_EQ(r.bottom - r.top, e.cy) << e.id;
    }
    EXPECT_EQ(m_run.Caption(IDC_PATIENT_GROUP), L"  Patient Infomation  ");
    EXPECT_EQ(m_run.Caption(IDC_MODE_GROUP), L"  Control Mode  ");
    EXPECT_EQ(m_run.Caption(IDC_GENERATOR_LABEL), L"Generator Status");
    EXPECT_EQ(m_run.Caption(IDC_ACCNO_LABEL), L"AccNo.");
    EXPECT_EQ(m_run.Caption(IDC_MAS_LABEL), L"mAs");
    EXPECT_EQ(m_run.Caption(IDC_KVP_DOWN), L"<");
    EXPECT_EQ(m_run.Caption(IDC_AEC_UP), L">");
    EXPECT_EQ(m_run.Caption(IDC_AEC_LEFT), L"");
    std::vector<std::wstring> sizes;
    for (int id = IDC_SIZE_0; id <= IDC_SIZE_3; ++id)
        sizes.push_back(m_run.Caption(id));
    EXPECT_EQ(sizes, (std::vector<std::wstring>{L"P", L"S", L"M", L"L"}));
    // No stand panel: the device button stays hidden; lamp G is hidden too. No logo file: the button.
    EXPECT_FALSE(m_run.IsVisible(IDC_DEVICE));
    EXPECT_FALSE(m_run.IsVisible(IDC_LAMP_G));
    EXPECT_TRUE(m_run.IsVisible(IDC_LOGO_BUTTON));
    EXPECT_FALSE(m_run.IsVisible(IDC_LOGO));
    EXPECT_EQ(m_run.SkinElement(IDC_LOGO_BUTTON), L"browser_BrwLogo_900");
    // The start-up looks.
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_2), L"barmain_RLBtn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_1), L"sidecar_pBtn_psml");
    // Lamp G is switched off first and then given its start-up look, blue, before it is hidden.
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_G), L"panelControl_ledGBtn_blue");
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_R), L"statusBar_ledRBtn_gray");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_AEC), L"sidecar_pBtn_aec");
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_CENTER), L"sidecar_aec1");
    EXPECT_EQ(m_run.SkinElement(IDC_SEPARATOR), L"config_lineBtn");
    EXPECT_EQ(m_run.SkinElement(IDC_KVP_VALUE), L"sidecar_stcBtnS");
}

TEST_F(PanelTest, VeterinarySettingRelabelsThePatientSizes) {
    StartPanel("IsVet=1\r\n");
    std::vector<std::wstring> sizes;
    for (int id = IDC_SIZE_0; id <= IDC_SIZE_3; ++id)
        sizes.push_back(m_run.Caption(id));
    EXPECT_EQ(sizes, (std::vector<std::wstring>{L"S", L"M", L"L", L"XL"}));
}

TEST_F(PanelTest, PatientRecordFillsTheFieldsAndOtherSizesOnlySwitchTheView) {
    StartPanel();
    auto bytes = wire::PatientInfo{L"P-001", L"DOE^JANE", L"ACC-9", L"CHEST 2 VIEWS"}.Encode();
    ASSERT_TRUE(m_run.Send(wire::CDC_PATIENT, bytes));
    EXPECT_EQ(m_run.Caption(IDC_PATIENT_ID), L"P-001");
    EXPECT_EQ(m_run.Caption(IDC_PATIENT_NAME), L"DOE^JANE");
    EXPECT_EQ(m_run.Caption(IDC_ACCESSION_NO), L"ACC-9");
    EXPECT_EQ(m_run.Caption(IDC_STUDY), L"CHEST 2 VIEWS");

    auto other = wire::PatientInfo{L"X", L"X", L"X", L"X"}.Encode();
    other.pop_back();
    ASSERT_TRUE(m_run.Send(wire::CDC_PATIENT, other));
    ASSERT_TRUE(m_run.Send(wire::CDC_PATIENT, {}));
    EXPECT_EQ(m_run.Caption(IDC_PATIENT_ID), L"P-001");
    EXPECT_TRUE(::IsWindowVisible(m_run.Panel()));
}

TEST_F(PanelTest, ExposureModesSetValuesEnabledRowsAndLooks) {
    StartPanel();
    // Milliseconds mode.
    SendExposure(Exposure(0));
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"81");
    EXPECT_EQ(m_run.Caption(IDC_MAS_VALUE), L"12.5");
    EXPECT_EQ(m_run.Caption(IDC_TIME_VALUE), L"50");
    EXPECT_EQ(m_run.Caption(IDC_AEC_VALUE), L"");  // the change to mode 0 empties it
    EXPECT_EQ(m_run.Caption(IDC_TIME_LABEL), L"ms");
    EXPECT_FALSE(m_run.IsEnabled(IDC_MAS_UP));
    EXPECT_TRUE(m_run.IsEnabled(IDC_TIME_UP));
    EXPECT_FALSE(m_run.IsEnabled(IDC_AEC_LEFT));
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_MS), L"panelControl_activeCtrlBtn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_AEC), L"sidecar_pBtn_aec");

    // The same mode again does not re-run the change: the AEC value of this record stays.
    auto again = Exposure(0);
    again.aecValue = L"-2";
    again.timeUnit = 1;
    SendExposure(again);
    EXPECT_EQ(m_run.Caption(IDC_AEC_VALUE), L"-2");
    EXPECT_EQ(m_run.Caption(IDC_TIME_LABEL), L"sec");

    // mAs mode after AEC keeps the mA row as it was.
    SendExposure(Exposure(2, 1, {1, 0, 1}));
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_LEFT), L"panelControl_aec0Btn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_CENTER), L"sidecar_aec1");
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_RIGHT), L"panelControl_aec2Btn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_AEC), L"panelControl_aecBtn_pr");
    EXPECT_TRUE(m_run.IsEnabled(IDC_MAS_UP));
    EXPECT_FALSE(m_run.IsEnabled(IDC_TIME_UP));
    EXPECT_EQ(m_run.Caption(IDC_AEC_VALUE), L"+1");
    // AEC again with other fields and sub-mode 2: applied in full.
    SendExposure(Exposure(2, 2, {0, 1, 0}));
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_LEFT), L"sidecar_aec0");
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_CENTER), L"panelControl_aec1Btn_pr");
    EXPECT_FALSE(m_run.IsEnabled(IDC_MAS_UP));
    EXPECT_TRUE(m_run.IsEnabled(IDC_TIME_UP));

    SendExposure(Exposure(1));
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_MAS), L"panelControl_activeCtrlBtn_pr");
    EXPECT_TRUE(m_run.IsEnabled(IDC_MA_UP));
    EXPECT_FALSE(m_run.IsEnabled(IDC_TIME_DOWN));
    EXPECT_FALSE(m_run.IsEnabled(IDC_AEC_UP));
    EXPECT_EQ(m_run.Caption(IDC_AEC_VALUE), L"");

    // Mode 5 is stored only: nothing changes, and the next AEC record is applied in full.
    auto odd = Exposure(5);
    odd.kvp = L"90";
    SendExposure(odd);
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"90");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_MAS), L"panelControl_activeCtrlBtn_pr");
    EXPECT_EQ(m_run.Caption(IDC_AEC_VALUE), L"+1");
    SendExposure(Exposure(2));
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_AEC), L"panelControl_aecBtn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_MAS), L"sidecar_pBtn_mamas");
}

TEST_F(PanelTest, WrongSizesAndForeignCodesChangeNothing) {
    StartPanel();
    auto bytes = Exposure(0).Encode();
    std::vector<std::uint8_t> shorter(bytes.begin(), bytes.end() - 1);
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    ASSERT_TRUE(m_run.Send(wire::CDC_EXPOSURE, shorter));
    ASSERT_TRUE(m_run.Send(wire::CDC_EXPOSURE, longer));
    for (std::uint32_t code : {wire::CDC_PATIENT_SIZE, wire::CDC_BUTTON, wire::CDC_TREE_SELECTED, 12345u}) {
        ASSERT_TRUE(m_run.Send(code, bytes));
    }
    auto lamps = wire::LampState{1, 1, 1}.Encode();
    lamps.push_back(0);
    ASSERT_TRUE(m_run.Send(wire::CDC_LAMPS, lamps));
    auto tree = wire::TreeCommand{1, 7, L"Exam"}.Encode();
    tree.pop_back();
    ASSERT_TRUE(m_run.Send(wire::CDC_TREE, tree));
    // Every record one byte short or long, sent raw from inside the panel's process (no marshalling):
    // ignored, and nothing is read past the bytes given (a read past them would fault the run).
    const std::pair<std::uint32_t, std::size_t> records[] = {
        {wire::CDC_TREE, 520},       {wire::CDC_EXPOSURE, 128}, {wire::CDC_LAMPS, 268},
        {wire::CDC_REVIEW_SHOW, 20}, {wire::CDC_SDK_TEXT, 132}, {wire::CDC_SDK_VALUES, 20},
        {wire::CDC_STAND_STATUS, 16}};
    for (const auto& [code, size] : records) {
        for (std::size_t n : {size - 1, size + 1}) {
            std::vector<std::uint8_t> junk(n, 0x01);
            ASSERT_TRUE(m_run.SendRaw(code, static_cast<std::uint32_t>(n), junk)) << code << " " << n;
        }
        // A size with no record behind it.
        ASSERT_TRUE(m_run.SendRaw(code, static_cast<std::uint32_t>(size), std::nullopt)) << code;
    }
    EXPECT_TRUE(::IsWindowVisible(m_run.Panel()));
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_AEC), L"sidecar_pBtn_aec");
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_R), L"statusBar_ledRBtn_gray");
    EXPECT_TRUE(m_run.TreeRows(IDC_TREE).empty());
    EXPECT_TRUE(m_run.Reports().empty());
    // The panel still answers a good command.
    SendExposure(Exposure(1));
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"81");
}

// The panel answers each record itself once it is applied (before repainting), with what the dialog's
// default handling answers: no value. The console, once its send returns, reads the record's effect.
TEST_F(PanelTest, EveryRecordIsAnsweredWithNoValueOnlyOnceApplied) {
    StartPanel();
    auto answer = [&](std::uint32_t code, const std::vector<std::uint8_t>& bytes) {
        COPYDATASTRUCT cds{code, static_cast<DWORD>(bytes.size()), const_cast<std::uint8_t*>(bytes.data())};
        DWORD_PTR result = 0xDEAD;
        EXPECT_NE(::SendMessageTimeoutW(m_run.Panel(), WM_COPYDATA, reinterpret_cast<WPARAM>(m_run.Console()),
                                        reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 5000, &result),
                  0)
            << code;
        return result;
    };
    EXPECT_EQ(answer(wire::CDC_PATIENT, wire::PatientInfo{L"ID-7", L"DOE^JO", L"ACC", L"Chest"}.Encode()),
              0u);
    EXPECT_EQ(m_run.Caption(IDC_PATIENT_ID), L"ID-7");
    EXPECT_EQ(answer(wire::CDC_EXPOSURE, Exposure(2).Encode()), 0u);
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"81");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_AEC), L"panelControl_aecBtn_pr");
    EXPECT_EQ(answer(wire::CDC_LAMPS, wire::LampState{0, 1, 0}.Encode()), 0u);
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_R), L"statusBar_ledRBtn_yellow");
    EXPECT_EQ(answer(wire::CDC_TREE, wire::TreeCommand{1, 5, L"Exam"}.Encode()), 0u);
    EXPECT_EQ(answer(wire::CDC_TREE, wire::TreeCommand{2, 6, L"View:R"}.Encode()), 0u);
    EXPECT_EQ(answer(wire::CDC_TREE, wire::TreeCommand{4, 6, {}}.Encode()), 0u);
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"0:Exam", L"1:View:Y"}));
    // Ignored records get the same answer.
    EXPECT_EQ(answer(12345u, {1, 2, 3}), 0u);
    EXPECT_EQ(answer(wire::CDC_LAMPS, {1}), 0u);
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_R), L"statusBar_ledRBtn_yellow");
}

TEST_F(PanelTest, EveryButtonReportsItsCodeInTheSizeField) {
    StartPanel();
    SendExposure(Exposure(2, 1));  // AEC: everything but the time row enabled
    const std::pair<int, std::uint32_t> buttons[] = {
        {IDC_KVP_DOWN, 1},   {IDC_KVP_UP, 2},    {IDC_MA_DOWN, 3},  {IDC_MA_UP, 4},     {IDC_MAS_DOWN, 5},
        {IDC_MAS_UP, 6},     {IDC_AEC_DOWN, 9},  {IDC_AEC_UP, 10},  {IDC_AEC_LEFT, 11}, {IDC_AEC_CENTER, 12},
        {IDC_AEC_RIGHT, 13}, {IDC_MODE_MAS, 14}, {IDC_MODE_MS, 15}, {IDC_MODE_AEC, 16}};
    for (const auto& [id, code] : buttons) {
        auto reports = PressAndCollect(id);
        ASSERT_EQ(reports.size(), 1u) << id;
        EXPECT_EQ(reports[0].code, wire::CDC_BUTTON);
        EXPECT_EQ(reports[0].cbData, code);
        EXPECT_TRUE(reports[0].nullData);
        EXPECT_EQ(reports[0].sender, m_run.Panel());
    }
    // The time row is disabled under AEC sub-mode 1: its presses never reach the panel.
    EXPECT_TRUE(PressAndCollect(IDC_TIME_UP).empty());
    SendExposure(Exposure(0));
    for (const auto& [id, code] : {std::pair{IDC_TIME_DOWN, 7u}, std::pair{IDC_TIME_UP, 8u}}) {
        auto reports = PressAndCollect(id);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].cbData, code);
    }
    // Value fields and labels report nothing.
    EXPECT_TRUE(PressAndCollect(IDC_KVP_VALUE).empty());
    EXPECT_TRUE(PressAndCollect(IDC_KVP_LABEL).empty());
}

TEST_F(PanelTest, PatientSizeIsRequestedOnceAndShownOnlyFromTheConsole) {
    StartPanel();
    EXPECT_TRUE(PressAndCollect(IDC_SIZE_2).empty());  // M is already the requested size
    auto reports = PressAndCollect(IDC_SIZE_1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].code, wire::CDC_PATIENT_SIZE);
    EXPECT_EQ(reports[0].cbData, 1u);
    EXPECT_TRUE(reports[0].nullData);
    EXPECT_TRUE(PressAndCollect(IDC_SIZE_1).empty());
    // A press does not change the look; the console's record does.
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_1), L"sidecar_pBtn_psml");
    SendExposure(Exposure(2, 1, {0, 0, 0}, 1));
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_1), L"panelControl_patsizeBtn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_2), L"sidecar_pBtn_psml");
    SendExposure(Exposure(2, 1, {0, 0, 0}, 2));
    EXPECT_TRUE(PressAndCollect(IDC_SIZE_1).empty());  // still the last requested size
    SendExposure(Exposure(2, 1, {0, 0, 0}, 4));
    for (int id = IDC_SIZE_0; id <= IDC_SIZE_3; ++id)
        EXPECT_EQ(m_run.SkinElement(id), L"sidecar_pBtn_psml");
}

TEST_F(PanelTest, TreeMirrorsTheConsoleAndReportsEverySelectionChange) {
    StartPanel();
    SendTree(1, 100, L"Chest");
    SendTree(2, 101, L"PA:R");
    SendTree(2, 102, L"LAT:Y");
    SendTree(1, 200, L"Hand");
    SendTree(2, 201, L":Y first only");
    std::vector<TreeRow> rows = m_run.TreeRows(IDC_TREE);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].image, 4);
    EXPECT_EQ(rows[1].image, 0);
    EXPECT_EQ(rows[2].image, 3);
    EXPECT_EQ(rows[2].selectedImage, 3);
    EXPECT_EQ(rows[4].image, 0);
    EXPECT_EQ(rows[1].param, 101);
    EXPECT_EQ(TreeTexts(),
              (std::vector<std::wstring>{L"0:Chest", L"1:PA:R", L"1:LAT:Y", L"0:Hand", L"1::Y first only"}));

    // Mark done and pending.
    SendTree(4, 101);
    SendTree(5, 102);
    rows = m_run.TreeRows(IDC_TREE);
    EXPECT_EQ(rows[1].text, L"PA:Y");
    EXPECT_EQ(rows[1].image, 3);
    EXPECT_EQ(rows[2].text, L"LAT:R");
    EXPECT_EQ(rows[2].image, 0);

    // Selecting from the console is reported back; selecting the selected row again is not.
    m_run.ClearReports();
    SendTree(3, 201);
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    const Report& report = m_run.Reports()[0];
    EXPECT_EQ(report.code, wire::CDC_TREE_SELECTED);
    EXPECT_EQ(report.cbData, 520u);
    auto cmd = wire::TreeCommand::Decode(report.bytes);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->op, 3);
    EXPECT_EQ(cmd->itemData, 201);
    EXPECT_TRUE(
        std::all_of(report.bytes.begin() + 8, report.bytes.end(), [](std::uint8_t b) { return b == 0; }));
    m_run.ClearReports();
    SendTree(3, 201);
    SendTree(3, 999);  // no such row
    ASSERT_TRUE(m_run.Sync());
    EXPECT_TRUE(m_run.Reports().empty());

    // Clear, then a protocol row before any exam row goes to the top level.
    SendTree(6, 0);
    EXPECT_TRUE(m_run.TreeRows(IDC_TREE).empty());
    SendTree(2, 300, L"Orphan:R");
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"0:Orphan:R"}));
    SendTree(-1, 0);
    EXPECT_TRUE(m_run.TreeRows(IDC_TREE).empty());

    // Rows sent with the same data: the first in the tree's order is the one marked; after a clear, the
    // rows sent since are, and none of the deleted ones.
    SendTree(1, 400, L"Knee");
    SendTree(2, 401, L"AP:R");
    SendTree(2, 401, L"AP again:R");
    SendTree(4, 401);
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"0:Knee", L"1:AP:Y", L"1:AP again:R"}));
    SendTree(6, 0);
    SendTree(2, 401, L"New:R");
    SendTree(4, 401);
    SendTree(4, 400);  // the exam row went with the clear
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"0:New:Y"}));
}

// A marked or selected row is brought into view when it is out of it, and a row already in view leaves the
// tree where it is.
TEST_F(PanelTest, MarkedRowsAreScrolledIntoViewOnlyWhenOutOfIt) {
    StartPanel();
    SendTree(1, 500, L"Spine");
    for (int i = 1; i <= 40; ++i)
        SendTree(2, 500 + i, L"View " + std::to_wstring(i) + L":R");
    const std::vector<TreeRow> rows = m_run.TreeRows(IDC_TREE);
    ASSERT_EQ(rows.size(), 41u);
    HWND tree = m_run.Control(IDC_TREE);
    auto ask = [&](UINT msg, WPARAM wp) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(::SendMessageTimeoutW(tree, msg, wp, 0, SMTO_NORMAL, 5000, &result));
        return result;
    };
    auto firstVisible = [&] {
        auto item = reinterpret_cast<HTREEITEM>(ask(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE));
        auto at = std::find_if(rows.begin(), rows.end(), [&](const TreeRow& r) { return r.item == item; });
        return static_cast<int>(at - rows.begin());
    };
    const int inView = static_cast<int>(ask(TVM_GETVISIBLECOUNT, 0));
    ASSERT_GT(inView, 2);
    ASSERT_LT(inView, 40);  // the last rows start out of view
    ASSERT_EQ(firstVisible(), 0);

    SendTree(4, 540);  // the last row
    int first = firstVisible();
    EXPECT_GT(first, 0);
    EXPECT_LE(first, 40);
    EXPECT_LT(40, first + inView);

    SendTree(5, 501);  // back to the first protocol row
    first = firstVisible();
    EXPECT_LE(first, 1);

    const int stays = firstVisible();
    SendTree(4, 500 + stays + inView - 2);  // in view already
    SendTree(3, 500 + stays + 1);
    EXPECT_EQ(firstVisible(), stays);
    EXPECT_EQ(TreeTexts()[static_cast<std::size_t>(stays + inView - 2)],
              L"1:View " + std::to_wstring(stays + inView - 2) + L":Y");
}

TEST_F(PanelTest, LampsFollowTheConsole) {
    StartPanel();
    SendLamps(0, 1, -1);
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_G), L"panelControl_ledGBtn_gray");
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_R), L"statusBar_ledRBtn_yellow");
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_E), L"statusBar_ledEBtn_green");
    SendLamps(7, 0, 0);
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_G), L"panelControl_ledGBtn_blue");
    EXPECT_FALSE(m_run.IsVisible(IDC_LAMP_G));  // its look changes, but it stays hidden
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_R), L"statusBar_ledRBtn_gray");
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_E), L"statusBar_ledEBtn_gray");
}

TEST_F(PanelTest, ReviewViewReplacesThePanelUntilTheConsoleBringsItBack) {
    StartPanel();
    HWND review = nullptr;
    auto image = wire::ReviewImage{0, 0, 14, 16383, 8192}.Encode();
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_SHOW, image));
    EXPECT_FALSE(::IsWindowVisible(m_run.Panel()));
    for (HWND w : TopLevelWindows()) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (pid == m_run.ProcessId() && w != m_run.Panel() && ::IsWindowVisible(w) &&
            m_run.Caption(w) == L"Sidecar") {
            review = w;
        }
    }
    ASSERT_NE(review, nullptr) << "the review dialog is shown";
    // Commands while the review is shown update the hidden panel.
    SendExposure(Exposure(0));
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"81");
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
    EXPECT_TRUE(::IsWindowVisible(m_run.Panel()));
    EXPECT_FALSE(::IsWindowVisible(review));
    EXPECT_TRUE(m_run.IsVisible(IDC_TREE));

    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_SHOW, image));
    EXPECT_TRUE(::IsWindowVisible(review));
    ASSERT_TRUE(m_run.Send(wire::CDC_PATIENT, {}));  // any patient message brings the panel back
    EXPECT_TRUE(::IsWindowVisible(m_run.Panel()));
    EXPECT_FALSE(::IsWindowVisible(review));
}

TEST_F(PanelTest, TheOperatorsRowChoicesAreReportedOnceEach) {
    StartPanel();
    EXPECT_EQ(SelectRowsAsTheOperator(), (std::vector<int>{12, 13})) << "mouse, keyboard, then the same row";
}

// Real input, through the system's input queue, as a mouse gives it: a click at a control's screen centre.
void RealClick(HWND control) {
    RECT rc{};
    ASSERT_TRUE(GetWindowRect(control, &rc));
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1;
    const int cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT input[3] = {};
    for (INPUT& in : input)
        in.type = INPUT_MOUSE;
    input[0].mi.dx = ((rc.left + rc.right) / 2) * 65535 / cx;
    input[0].mi.dy = ((rc.top + rc.bottom) / 2) * 65535 / cy;
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(SendInput(3, input, sizeof(INPUT)), 3u);
}

// Disabling writes the style directly; the system must still keep real input from the disabled control.
TEST_F(PanelTest, ADisabledButtonIgnoresRealClicks) {
    StartPanel();
    SendExposure(Exposure(0));  // time mode: the mAs arrows are disabled
    ASSERT_FALSE(m_run.IsEnabled(IDC_MAS_UP));
    m_run.ClearReports();
    // Input is handled in its order: once kVp up's report is in, the disabled button had its turn. A pair
    // of clicks the system dropped before either reached the panel is tried again.
    for (int attempt = 0; attempt < 3 && m_run.Reports().empty(); ++attempt) {
        RealClick(m_run.Control(IDC_MAS_UP));
        RealClick(m_run.Control(IDC_KVP_UP));
        PumpUntil([&] { return !m_run.Reports().empty(); }, 2000);
    }
    ASSERT_TRUE(m_run.Settle());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_BUTTON);
    EXPECT_EQ(m_run.Reports()[0].cbData, 2u) << "kVp up";
}

TEST_F(PanelTest, EnterAndEscapeLeaveThePanelAsItIs) {
    StartPanel();
    m_run.ClearReports();
    for (HWND target : {m_run.Panel(), m_run.Control(IDC_TREE), m_run.Control(IDC_KVP_UP)}) {
        for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
            PostMessageW(target, WM_KEYDOWN, key, 1);
            PostMessageW(target, WM_CHAR, key, 1);
            PostMessageW(target, WM_KEYUP, key, 0xC0000001);
        }
    }
    ASSERT_TRUE(m_run.Sync());
    EXPECT_TRUE(m_run.Reports().empty());
    EXPECT_TRUE(m_run.Running());
    EXPECT_TRUE(IsWindowVisible(m_run.Panel()));
}

// The position watchdog with its real timers: a panel moved away is put back once, then left alone.
TEST_F(PanelTest, AMovedPanelIsPutBackOnceThenLeftWhereItIsMoved) {
    StartPanel();
    auto place = [&] { return ReadRectIn(m_run.Panel(), nullptr); };
    ASSERT_EQ(place().left, 10);
    ASSERT_EQ(place().top, 20);
    SetWindowPos(m_run.Panel(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(PumpUntil([&] { return place().left == 10 && place().top == 20; }, 6000)) << "put back";
    SetWindowPos(m_run.Panel(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(PumpUntil([&] { return place().left == 10; }, 6000)) << "the watchdog has stopped";
    EXPECT_EQ(place().left, 200);
}

TEST_F(PanelTest, ReportsAreDroppedWithoutAConsoleAndReachOneThatComesBack) {
    StartOptions options;
    options.hostappIni = Ini();
    options.console = Console::Absent;
    ASSERT_TRUE(m_run.Start(options));
    EXPECT_TRUE(PressAndCollect(IDC_KVP_UP).empty());
    // The operator's rows still move on screen; nothing is reported.
    EXPECT_TRUE(SelectRowsAsTheOperator().empty());
    // The size is remembered even though its report was lost.
    EXPECT_TRUE(PressAndCollect(IDC_SIZE_0).empty());

    HWND first = m_run.OpenConsole(m_run.ConsoleTitle());
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(PressAndCollect(IDC_SIZE_0).empty());
    auto reports = PressAndCollect(IDC_KVP_UP);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].console, first);

    ASSERT_TRUE(m_run.CloseConsole(first));
    HWND second = m_run.OpenConsole(m_run.ConsoleTitle());
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    reports = PressAndCollect(IDC_KVP_DOWN);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].console, second);
    EXPECT_EQ(reports[0].cbData, 1u);
}

TEST_F(PanelTest, StandSettingChoosesTheStandPanelAndTheTreeHeight) {
    // The SDK panel: hidden in the tree's place; the device button switches between them.
    StartPanel("[KOVESDK]\r\nKOVESDK=1\r\n");
    HWND sdk = ::FindWindowExW(m_run.Panel(), nullptr, nullptr, nullptr);
    for (; sdk; sdk = ::FindWindowExW(m_run.Panel(), sdk, nullptr, nullptr)) {
        if (::GetDlgItem(sdk, IDC_SDK_MOVE))
            break;
    }
    ASSERT_NE(sdk, nullptr);
    EXPECT_FALSE(::IsWindowVisible(sdk));
    // TYPE absent: the row is revealed (its own style; the panel around it is still hidden).
    EXPECT_TRUE(::GetWindowLongW(::GetDlgItem(sdk, IDC_SDK_SIDEXT_LABEL), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(m_run.IsVisible(IDC_DEVICE));
    EXPECT_EQ(m_run.Rect(IDC_TREE).bottom - m_run.Rect(IDC_TREE).top, 460);
    RECT r{};
    ::GetWindowRect(sdk, &r);
    ::MapWindowPoints(nullptr, m_run.Panel(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 529);
    EXPECT_EQ(r.top, 215);
    EXPECT_EQ(r.right - r.left, 428);
    EXPECT_EQ(r.bottom - r.top, 460);

    EXPECT_EQ(m_run.Caption(IDC_DEVICE), L"Show Device");
    ASSERT_TRUE(m_run.Press(IDC_DEVICE));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_EQ(m_run.Caption(IDC_DEVICE), L"Hide Device");
    EXPECT_TRUE(::IsWindowVisible(sdk));
    EXPECT_FALSE(m_run.IsVisible(IDC_TREE));
    ASSERT_TRUE(m_run.Press(IDC_DEVICE));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_EQ(m_run.Caption(IDC_DEVICE), L"Show Device");
    EXPECT_FALSE(::IsWindowVisible(sdk));
    EXPECT_TRUE(m_run.IsVisible(IDC_TREE));

    // The review view always comes back to the tree state.
    ASSERT_TRUE(m_run.Press(IDC_DEVICE));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
    EXPECT_EQ(m_run.Caption(IDC_DEVICE), L"Show Device");
    EXPECT_TRUE(m_run.IsVisible(IDC_TREE));
    EXPECT_FALSE(::IsWindowVisible(sdk));
}

TEST_F(PanelTest, SdkTypeTwoKeepsTheSidExtensionRowHidden) {
    StartPanel("[KOVESDK]\r\nKOVESDK=1\r\nTYPE=2\r\n");
    HWND sdk = nullptr;
    for (HWND w = ::FindWindowExW(m_run.Panel(), nullptr, nullptr, nullptr); w;
         w = ::FindWindowExW(m_run.Panel(), w, nullptr, nullptr)) {
        if (::GetDlgItem(w, IDC_SDK_MOVE))
            sdk = w;
    }
    ASSERT_NE(sdk, nullptr);
    EXPECT_FALSE(::GetWindowLongW(::GetDlgItem(sdk, IDC_SDK_SIDEXT_VALUE), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(PanelTest, CeilingStandSitsUnderAShorterTreeAndStopsOnEveryViewSwitch) {
    StartPanel("[KOVESDK]\r\nKOVESDK=3\r\n");
    EXPECT_FALSE(m_run.IsVisible(IDC_DEVICE));
    EXPECT_EQ(m_run.Rect(IDC_TREE).bottom - m_run.Rect(IDC_TREE).top, 310);
    m_run.ClearReports();
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
    ASSERT_TRUE(m_run.Sync());
    // The stop command goes out while the console's own message is being handled.
    ASSERT_EQ(m_run.Reports().size(), 1u);
    const Report& stop = m_run.Reports()[0];
    EXPECT_EQ(stop.code, wire::CDC_STAND_STATUS);
    ASSERT_EQ(stop.bytes.size(), 16u);
    EXPECT_EQ(stop.bytes[0], 10);
    EXPECT_EQ(stop.bytes[12], 1);
}

TEST_F(PanelTest, OtherStandSettingsHaveNoStandPanel) {
    StartPanel("[KOVESDK]\r\nKOVESDK=4\r\n");
    EXPECT_EQ(::FindWindowExW(m_run.Panel(), nullptr, L"#32770", nullptr), nullptr);
    EXPECT_FALSE(m_run.IsVisible(IDC_DEVICE));
    auto values = wire::SdkValues{{1, 2, 3, 4, 5}}.Encode();
    ASSERT_TRUE(m_run.Send(wire::CDC_SDK_VALUES, values));
    std::vector<std::uint8_t> status(16, 0);
    ASSERT_TRUE(m_run.Send(wire::CDC_STAND_STATUS, status));
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_TRUE(m_run.Reports().empty());
}

}  // namespace
}  // namespace sidecar::e2e
