// The built-in skin engine as the console sees it: with the shipped skin in the program folder's Skins
// every control carries the look its screen gives it, through every state the console drives, and the
// panel draws them without a fault; with no usable skin file no window carries anything.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness/e2e_case.h"
#include "link/codes.h"
#include "link/records.h"
#include "resources/resource.h"
#include "skin/skin_file.h"

namespace sidecar::e2e {
namespace {

// The repository's Skins folder, as CMake names it, on Wine's drive Z:.
std::wstring RepoFile(const char* name) {
    std::string path = std::string(SIDECAR_SKINS_DIR) + "/" + name;
    std::wstring out(path.begin(), path.end());
    for (wchar_t& ch : out) {
        if (ch == L'/')
            ch = L'\\';
    }
    return L"Z:" + out;
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Ini(const std::string& skinType = {}) {
    std::string ini = "[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n";
    if (!skinType.empty())
        ini += "SkinType=" + skinType + "\r\n";
    return ini;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

class SkinTest : public CSidecarCase {
  protected:
    void SetUp() override {
        m_strSkin = ReadAll(RepoFile("default.skf"));
        m_strLogo = ReadAll(RepoFile("SIDECAR_LOGO.bmp"));
        ASSERT_FALSE(m_strSkin.empty());
        ASSERT_FALSE(m_strLogo.empty());
    }
    void Start(const std::string& ini, std::vector<ExtraFile> files) {
        StartOptions options;
        options.hostappIni = ini;
        options.files = std::move(files);
        ASSERT_TRUE(m_run.Start(options));
    }
    void StartWithDefaultSkin() {
        Start(Ini(), {{L"Skins\\default.skf", m_strSkin}, {L"Skins\\SIDECAR_LOGO.bmp", m_strLogo}});
    }
    // Every window of the panel, its own and those of its children, with the element each carries.
    std::vector<std::pair<HWND, std::wstring>> Elements() const {
        std::vector<HWND> windows{m_run.Panel()};
        ::EnumChildWindows(m_run.Panel(), CollectChild, reinterpret_cast<LPARAM>(&windows));
        std::vector<std::pair<HWND, std::wstring>> out;
        out.reserve(windows.size());
        for (HWND hwnd : windows)
            out.emplace_back(hwnd, m_run.SkinElement(hwnd));
        return out;
    }
    void SendExposure(short mode, std::array<int, 3> fields, short size) {
        wire::ExposureState s;
        s.kvp = L"110";
        s.ma = L"250";
        s.mas = L"3.2";
        s.time = L"12.5";
        s.aecValue = L"+1";
        s.patientSize = size;
        s.aecSubMode = 1;
        s.controlMode = mode;
        s.aecField = fields;
        ASSERT_TRUE(m_run.Send(wire::CDC_EXPOSURE, s.Encode()));
    }

    std::string m_strSkin;
    std::string m_strLogo;
};

}  // namespace

TEST_F(SkinTest, WithTheShippedSkinEveryControlCarriesItsLookAndEveryLookIsInTheSkin) {
    StartWithDefaultSkin();
    struct {
        int id;
        const wchar_t* element;
    } expected[] = {
        {IDC_PATIENT_ID, L"sidecar_stcBtnL"},    {IDC_PATIENT_NAME, L"sidecar_stcBtnL"},
        {IDC_ACCESSION_NO, L"sidecar_stcBtnL"},  {IDC_STUDY, L"sidecar_stcBtnL"},
        {IDC_KVP_LABEL, L"sidecar_pBtn_disab"},  {IDC_MA_LABEL, L"sidecar_pBtn_disab"},
        {IDC_MAS_LABEL, L"sidecar_pBtn_disab"},  {IDC_TIME_LABEL, L"sidecar_pBtn_disab"},
        {IDC_KVP_DOWN, L"sidecar_pBtn_trans"},   {IDC_KVP_UP, L"sidecar_pBtn_trans"},
        {IDC_MA_DOWN, L"sidecar_pBtn_trans"},    {IDC_MA_UP, L"sidecar_pBtn_trans"},
        {IDC_MAS_DOWN, L"sidecar_pBtn_trans"},   {IDC_MAS_UP, L"sidecar_pBtn_trans"},
        {IDC_TIME_DOWN, L"sidecar_pBtn_trans"},  {IDC_TIME_UP, L"sidecar_pBtn_trans"},
        {IDC_AEC_DOWN, L"sidecar_pBtn_trans"},   {IDC_AEC_UP, L"sidecar_pBtn_trans"},
        {IDC_MODE_MAS, L"sidecar_pBtn_mamas"},   {IDC_MODE_MS, L"sidecar_pBtn_mamas"},
        {IDC_MODE_AEC, L"sidecar_pBtn_aec"},     {IDC_AEC_LEFT, L"sidecar_aec0"},
        {IDC_AEC_CENTER, L"sidecar_aec1"},       {IDC_AEC_RIGHT, L"sidecar_aec2"},
        {IDC_KVP_VALUE, L"sidecar_stcBtnS"},     {IDC_MA_VALUE, L"sidecar_stcBtnS"},
        {IDC_MAS_VALUE, L"sidecar_stcBtnS"},     {IDC_TIME_VALUE, L"sidecar_stcBtnS"},
        {IDC_AEC_VALUE, L"sidecar_stcBtnS"},     {IDC_SIZE_0, L"sidecar_pBtn_psml"},
        {IDC_SIZE_1, L"sidecar_pBtn_psml"},      {IDC_SIZE_2, L"barmain_RLBtn_pr"},
        {IDC_SIZE_3, L"sidecar_pBtn_psml"},      {IDC_LAMP_G, L"panelControl_ledGBtn_blue"},
        {IDC_LAMP_R, L"statusBar_ledRBtn_gray"}, {IDC_LAMP_E, L"statusBar_ledEBtn_gray"},
        {IDC_SEPARATOR, L"config_lineBtn"},      {IDC_DEVICE, L"pBt_210_030_n"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(m_run.SkinElement(e.id), e.element) << e.id;

    // The shipped logo loads: the picture shows and the stand-in button stays hidden, unskinned.
    EXPECT_TRUE(m_run.IsVisible(IDC_LOGO));
    EXPECT_FALSE(m_run.IsVisible(IDC_LOGO_BUTTON));
    EXPECT_EQ(m_run.SkinElement(IDC_LOGO_BUTTON), L"");

    // Only the controls the screens name carry a look; labels, group boxes, the tree and the panel itself
    // take the skin's dialog and tree sections without an element of their own.
    for (int id :
         {IDC_ID_LABEL, IDC_GENERATOR_LABEL, IDC_PATIENT_GROUP, IDC_CONTROL_GROUP, IDC_TREE, IDC_LOGO})
        EXPECT_EQ(m_run.SkinElement(id), L"") << id;
    EXPECT_EQ(m_run.SkinElement(m_run.Panel()), L"");

    // Every look a window carries is one the shipped skin draws, and only the controls above carry one.
    auto skin = ParseSkinFile(m_strSkin);
    ASSERT_TRUE(skin.has_value());
    int carried = 0;
    for (const auto& [hwnd, element] : Elements()) {
        if (element.empty())
            continue;
        ++carried;
        EXPECT_NE(skin->Find(std::string(element.begin(), element.end())), nullptr)
            << "window " << ::GetDlgCtrlID(hwnd) << " carries \""
            << std::string(element.begin(), element.end()) << "\", which the skin does not have";
    }
    EXPECT_EQ(carried, static_cast<int>(std::size(expected)));
}

TEST_F(SkinTest, LooksFollowTheConsoleAndTheOperatorWithoutAFault) {
    StartWithDefaultSkin();
    SendExposure(2, {1, 0, 1}, 1);
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_AEC), L"panelControl_aecBtn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_LEFT), L"panelControl_aec0Btn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_CENTER), L"sidecar_aec1");
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_RIGHT), L"panelControl_aec2Btn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_1), L"panelControl_patsizeBtn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_2), L"sidecar_pBtn_psml");

    SendExposure(1, {0, 0, 0}, 3);
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_MAS), L"panelControl_activeCtrlBtn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_AEC), L"sidecar_pBtn_aec");
    EXPECT_EQ(m_run.SkinElement(IDC_AEC_LEFT), L"panelControl_aec0Btn_pr") << "kept outside AEC mode";
    EXPECT_FALSE(m_run.IsEnabled(IDC_TIME_UP));
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_3), L"panelControl_patsizeBtn_pr");

    SendExposure(0, {0, 0, 0}, 0);
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_MS), L"panelControl_activeCtrlBtn_pr");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_MAS), L"sidecar_pBtn_mamas");

    ASSERT_TRUE(m_run.Send(wire::CDC_LAMPS, wire::LampState{1, 1, 1}.Encode()));
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_G), L"panelControl_ledGBtn_blue");
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_R), L"statusBar_ledRBtn_yellow");
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_E), L"statusBar_ledEBtn_green");
    ASSERT_TRUE(m_run.Send(wire::CDC_LAMPS, wire::LampState{0, 0, 0}.Encode()));
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_G), L"panelControl_ledGBtn_gray");
    EXPECT_EQ(m_run.SkinElement(IDC_LAMP_E), L"statusBar_ledEBtn_gray");

    // The operator's hand: pressed, held and released buttons are drawn in their pressed looks.
    for (int id : {IDC_KVP_UP, IDC_MODE_AEC, IDC_MODE_MS, IDC_SIZE_2}) {
        ASSERT_TRUE(m_run.PressDown(id)) << id;
        ASSERT_TRUE(m_run.Sync());
        ASSERT_TRUE(m_run.Release(id)) << id;
        ASSERT_TRUE(m_run.Sync());
    }
    EXPECT_TRUE(m_run.ExpectNoFaults());
}

// The program folder of a run whose skin cannot be used.
enum class CUnusable { kNoSkinsFolder, kForeignFile, kUtf16File, kEmptyFile, kNamedFileMissing };

class UnusableSkinTest : public SkinTest, public ::testing::WithParamInterface<CUnusable> {};

TEST_P(UnusableSkinTest, NoWindowCarriesALook) {
    const std::string utf16(
        "\xFF\xFES\0i\0d\0e\0c\0a\0r\0S\0k\0i\0n\0 \0"
        "1\0\r\0\n\0",
        32);
    switch (GetParam()) {
        case CUnusable::kNoSkinsFolder:
            Start(Ini(), {});
            break;
        case CUnusable::kForeignFile:
            Start(Ini(), {{L"Skins\\default.skf", "[sidecar_stcBtnS]\nface = #000000\n"}});
            break;
        case CUnusable::kUtf16File:
            Start(Ini(), {{L"Skins\\default.skf", utf16}});
            break;
        case CUnusable::kEmptyFile:
            Start(Ini(), {{L"Skins\\default.skf", ""}});
            break;
        case CUnusable::kNamedFileMissing:  // the default name is there, but the setting names another
            Start(Ini("night.skf"), {{L"Skins\\default.skf", m_strSkin}});
            break;
    }
    int windows = 0;
    for (const auto& [hwnd, element] : Elements()) {
        ++windows;
        EXPECT_EQ(element, L"") << "window " << ::GetDlgCtrlID(hwnd);
    }
    EXPECT_GT(windows, 40);
    // The panel works all the same.
    SendExposure(1, {0, 0, 0}, 1);
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"110");
    EXPECT_EQ(m_run.SkinElement(IDC_MODE_MAS), L"");
}

INSTANTIATE_TEST_SUITE_P(Skins, UnusableSkinTest,
                         ::testing::Values(CUnusable::kNoSkinsFolder, CUnusable::kForeignFile,
                                           CUnusable::kUtf16File, CUnusable::kEmptyFile,
                                           CUnusable::kNamedFileMissing));

TEST_F(SkinTest, TheSettingChoosesTheSkinFile) {
    Start(Ini("night.skf"), {{L"Skins\\night.skf", m_strSkin}});
    EXPECT_EQ(m_run.SkinElement(IDC_KVP_VALUE), L"sidecar_stcBtnS");
    EXPECT_EQ(m_run.SkinElement(IDC_SIZE_2), L"barmain_RLBtn_pr");
}

}  // namespace sidecar::e2e
