// The two stand panels as the console sees them: the ceiling stand panel ("KOVESDK" 3) and the stand SDK
// panel ("KOVESDK" 1). Reports are read as the panel sent them; presses are posted mouse messages, and the
// mouse capture of the panel's thread is read after each step, because a hold that keeps the capture
// leaves the operator's mouse stuck on one button.
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "harness/e2e_case.h"
#include "link/codes.h"
#include "link/records.h"
#include "resources/resource.h"

namespace sidecar::e2e {
namespace {

const ExtraFile kSkin{L"Skins\\default.skf", "SidecarSkin 1\n[dialog]\nface = #202020\n"};

std::vector<std::uint8_t> LittleEndian(std::initializer_list<std::int32_t> values) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t value : values)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
    return bytes;
}

using Wire = std::vector<std::string>;

class StandCase : public CSidecarCase {
  protected:
    void StartWith(const std::string& kovesdk, Console console, int probeId) {
        StartOptions options;
        options.hostappIni = "[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n[KOVESDK]\r\n" + kovesdk;
        options.files = {kSkin};
        options.console = console;
        ASSERT_TRUE(m_run.Start(options));
        // The stand panel is the dialog child of the main panel that holds probeId.
        for (HWND child = FindWindowExW(m_run.Panel(), nullptr, L"#32770", nullptr); child && !m_hStand;
             child = FindWindowExW(m_run.Panel(), child, L"#32770", nullptr))
            if (GetDlgItem(child, probeId))
                m_hStand = child;
        ASSERT_TRUE(m_hStand) << "no stand panel with control " << probeId;
        m_run.ClearReports();
    }
    HWND Item(int nId) const {
        HWND hItem = GetDlgItem(m_hStand, nId);
        EXPECT_TRUE(hItem) << "the stand panel has no control " << nId;
        return hItem;
    }
    std::wstring Text(int nId) const { return m_run.Caption(Item(nId)); }
    bool Shown(int nId) const { return (GetWindowLongW(Item(nId), GWL_STYLE) & WS_VISIBLE) != 0; }
    void ExpectPlace(HWND hWnd, RECT expected) const {
        const RECT r = ReadRectIn(hWnd, m_run.Panel());
        EXPECT_EQ(r.left, expected.left);
        EXPECT_EQ(r.top, expected.top);
        EXPECT_EQ(r.right - r.left, expected.right);
        EXPECT_EQ(r.bottom - r.top, expected.bottom);
    }
    // The window holding the mouse capture in the panel's thread, or null.
    HWND Capture() const {
        GUITHREADINFO info{sizeof info};
        EXPECT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(m_run.Panel(), nullptr), &info));
        return info.hwndCapture;
    }

    // The reports since the last step, each as "stand N" (a StandCommand {10, 10, 10, N}), "check" or
    // "sdk N"; anything that is not exactly one of these shows raw.
    Wire Step() {
        EXPECT_TRUE(m_run.Sync());
        return Arrived();
    }
    std::string Describe(const Report& r) const {
        const std::string from = r.sender == m_run.Panel() ? "" : " (not from the main panel)";
        if (r.code == wire::CDC_SDK_COMMAND && r.nullData)
            return "sdk " + std::to_string(r.cbData) + from;
        if (r.code == wire::CDC_STAND_CHECK && r.nullData && r.cbData == 0)
            return "check" + from;
        if (r.code == wire::CDC_STAND_STATUS && r.cbData == 16 && r.bytes.size() == 16) {
            std::int32_t command = 0;
            std::memcpy(&command, &r.bytes[12], 4);
            if (r.bytes == LittleEndian({10, 10, 10, command}))
                return "stand " + std::to_string(command) + from;
        }
        std::string raw = "code " + std::to_string(r.code) + " cb " + std::to_string(r.cbData) + " bytes";
        for (std::uint8_t b : r.bytes)
            raw += " " + std::to_string(b);
        return raw + from;
    }

    void PostCommand(int nId) {
        ASSERT_TRUE(PostMessageW(m_hStand, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(Item(nId))));
    }
    void PostDoubleClick(HWND hWnd) {
        RECT rc{};
        GetClientRect(hWnd, &rc);
        PostMessageW(hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.right / 2, rc.bottom / 2));
    }
    // Enter and Escape (down, character, up) to each window; then nothing may have happened.
    void ExpectKeysDoNothing(std::initializer_list<HWND> targets) {
        for (HWND hWnd : targets) {
            for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
                PostMessageW(hWnd, WM_KEYDOWN, key, 1);
                PostMessageW(hWnd, WM_CHAR, key, 1);
                PostMessageW(hWnd, WM_KEYUP, key, 0xC0000001);
            }
        }
        EXPECT_EQ(Step(), Wire{});
        EXPECT_TRUE(m_run.Running());
        EXPECT_TRUE(IsWindowVisible(m_run.Panel()));
        EXPECT_TRUE(IsWindowVisible(m_hStand));
    }

    // The reports so far, without waiting for the panel to handle what is queued for it.
    Wire Arrived() {
        Wire out;
        for (const Report& r : m_run.Reports())
            out.push_back(Describe(r));
        m_run.ClearReports();
        return out;
    }

    // Each way a hold of `button` can end but the panel's own: the press reports `motion` at once, the hold's
    // end reports `release` exactly once as soon as the hold ends (a change made by a call into the panel's
    // thread is answered before the call returns), the mouse is free, and the release that follows sends
    // nothing more.
    void ExpectEveryHoldEndsOnce(HWND button, HWND other, const std::string& motion,
                                 const std::string& release) {
        const struct {
            const char* what;
            std::function<void()> end;
            bool bCall;  // a call the panel's thread answers (else input queued for it)
        } ways[] = {
            {"released on the button", [&] { m_run.Release(button); }, false},
            {"released outside it", [&] { m_run.Release(other); }, false},
            {"released over the main panel", [&] { m_run.Release(m_run.Panel()); }, false},
            {"the mouse taken away (the system cancels the mode)",
             [&] { SendMessageTimeoutW(button, WM_CANCELMODE, 0, 0, SMTO_NORMAL, 5000, nullptr); }, true},
            {"the button disabled", [&] { EnableWindow(button, FALSE); }, true},
            {"the button hidden", [&] { ShowWindow(button, SW_HIDE); }, true},
            {"the stand panel hidden", [&] { ShowWindow(m_hStand, SW_HIDE); }, true},
        };
        for (const auto& way : ways) {
            SCOPED_TRACE(way.what);
            ASSERT_TRUE(m_run.PressDown(button));
            EXPECT_EQ(Step(), Wire{motion});
            way.end();
            EXPECT_EQ(way.bCall ? Arrived() : Step(), Wire{release});
            EXPECT_EQ(Step(), Wire{});
            EXPECT_EQ(Capture(), nullptr);
            m_run.Release(button);
            EXPECT_EQ(Step(), Wire{});
            EnableWindow(button, TRUE);
            ShowWindow(button, SW_SHOW);
            ShowWindow(m_hStand, SW_SHOW);
        }
    }

    // A hold running when the console asks for the review ends as the panel gives way; `viewSwitch` is all
    // that the switch reports.
    void ExpectTheReviewEndsAHold(HWND button, const std::string& motion, const Wire& viewSwitch) {
        ASSERT_TRUE(m_run.PressDown(button));
        EXPECT_EQ(Step(), Wire{motion});
        ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_SHOW, wire::ReviewImage{4, 4, 12, 100, 50}.Encode()));
        EXPECT_FALSE(IsWindowVisible(m_run.Panel()));
        EXPECT_EQ(Arrived(), viewSwitch) << "within the console's send";
        EXPECT_EQ(Step(), Wire{});
        EXPECT_EQ(Capture(), nullptr);
        ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
        m_run.Release(button);
        m_run.ClearReports();
    }
    // A hold running when the panel closes ends before the panel is gone.
    void ExpectClosingEndsAHold(HWND button, const std::string& motion, const std::string& release) {
        ASSERT_TRUE(m_run.PressDown(button));
        EXPECT_EQ(Step(), Wire{motion});
        EXPECT_EQ(m_run.Close(), std::optional<DWORD>(0));
        EXPECT_EQ(Arrived(), Wire{release});
    }

    HWND m_hStand = nullptr;
};

// ---- The ceiling stand panel ----------------------------------------------------------------------------

class CeilingStandTest : public StandCase {
  protected:
    void SetUp() override { StartWith("KOVESDK=3\r\n", Console::Open, IDC_CEIL_UP); }
    void SendStatus(std::initializer_list<std::int32_t> fields) {
        ASSERT_TRUE(m_run.Send(wire::CDC_STAND_STATUS, LittleEndian(fields)));
    }
};

TEST_F(CeilingStandTest, SitsUnderTheShorterTreeWithItsCaptionsAndLooks) {
    EXPECT_TRUE(IsWindowVisible(m_hStand));
    ExpectPlace(m_hStand, {529, 534, 428, 140});
    ExpectPlace(m_run.Control(IDC_TREE), {529, 215, 428, 310});
    EXPECT_FALSE(m_run.IsVisible(IDC_DEVICE));

    EXPECT_EQ(Text(IDC_CEIL_DOWN), L"DOWN");
    for (int id : {IDC_CEIL_SID_VALUE, IDC_CEIL_AUX_VALUE, IDC_CEIL_ANGLE_VALUE})
        EXPECT_EQ(Text(id), L"--") << id;
    EXPECT_EQ(Text(IDC_CEIL_FREE), L"ALL");
    EXPECT_EQ(Text(IDC_CEIL_TUBE), L"ANGLE");
    EXPECT_EQ(m_run.SkinElement(Item(IDC_CEIL_UP)), L"sidecar_pBtn_trans");
    EXPECT_EQ(m_run.SkinElement(Item(IDC_CEIL_SID_VALUE)), L"sidecar_stcBtnS");
    EXPECT_EQ(m_run.SkinElement(Item(IDC_CEIL_SWING)), L"sidecar_pBtn_psml");
    // Only the SID and angle rows are shown; the mode buttons are reached by their commands alone.
    for (int id : {IDC_CEIL_SID_LABEL, IDC_CEIL_SID_VALUE, IDC_CEIL_UP, IDC_CEIL_ANGLE_VALUE, IDC_CEIL_DOWN})
        EXPECT_TRUE(Shown(id)) << id;
    for (int id : {IDC_CEIL_AUX_VALUE, IDC_CEIL_LONG, IDC_CEIL_CHECK, IDC_CEIL_HIDE_UARM})
        EXPECT_FALSE(Shown(id)) << id;
    EXPECT_EQ(Step(), Wire{}) << "creating the panel reports nothing";
}

TEST_F(CeilingStandTest, StatusRecordsShowSidAndAngleAndOnlyStates2And4TouchTheJogCaptions) {
    SendStatus({1200, 77, -45, 0});
    EXPECT_EQ(Text(IDC_CEIL_SID_VALUE), L"1200");
    EXPECT_EQ(Text(IDC_CEIL_ANGLE_VALUE), L"-45");
    SendStatus({4095, 0, 4095, 1});
    EXPECT_EQ(Text(IDC_CEIL_SID_VALUE), L"--") << "4095 is no SID";
    EXPECT_EQ(Text(IDC_CEIL_ANGLE_VALUE), L"4095") << "an angle of 4095 is a value";

    // Wrong sizes, a right size without bytes, and bytes that end where the memory does.
    const std::vector<std::uint8_t> five = LittleEndian({1, 2, 3, 4, 5});
    for (std::size_t size : {20u, 15u, 17u})
        ASSERT_TRUE(m_run.Send(wire::CDC_STAND_STATUS, std::span<const std::uint8_t>(five).first(size)));
    ASSERT_TRUE(m_run.SendRaw(wire::CDC_STAND_STATUS, 16, std::nullopt));
    EXPECT_EQ(Text(IDC_CEIL_SID_VALUE), L"--");
    ASSERT_TRUE(m_run.SendRaw(wire::CDC_STAND_STATUS, 16, LittleEndian({INT_MIN, 0, INT_MAX, 0})));
    EXPECT_EQ(Text(IDC_CEIL_SID_VALUE), L"-2147483648");
    EXPECT_EQ(Text(IDC_CEIL_ANGLE_VALUE), L"2147483647");

    // The second field is never shown: asked, the hidden display shows the panel's own 0; the other two
    // private messages show the stored values again.
    DWORD_PTR result = 1;
    ASSERT_TRUE(SendMessageTimeoutW(m_hStand, WM_USER + 6002, 5, 6, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(Text(IDC_CEIL_AUX_VALUE), L"0");
    SetWindowTextW(Item(IDC_CEIL_SID_VALUE), L"x");
    SetWindowTextW(Item(IDC_CEIL_ANGLE_VALUE), L"y");
    ASSERT_TRUE(SendMessageTimeoutW(m_hStand, WM_USER + 6001, 0, 0, SMTO_NORMAL, 5000, &result));
    ASSERT_TRUE(SendMessageTimeoutW(m_hStand, WM_USER + 6003, 0, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(Text(IDC_CEIL_SID_VALUE), L"-2147483648");
    EXPECT_EQ(Text(IDC_CEIL_ANGLE_VALUE), L"2147483647");

    SetWindowTextW(Item(IDC_CEIL_UP), L"-");
    for (int state : {0, 1, 3, 5, -4})
        SendStatus({1, 0, 2, state});
    EXPECT_EQ(Text(IDC_CEIL_DOWN), L"DOWN");
    EXPECT_EQ(Text(IDC_CEIL_UP), L"-");
    SendStatus({1, 0, 2, 4});
    EXPECT_EQ(Text(IDC_CEIL_DOWN), L"DN");
    SendStatus({1, 0, 2, 2});
    EXPECT_EQ(Text(IDC_CEIL_UP), L"UP");
    EXPECT_EQ(Step(), Wire{}) << "status records are not answered";
}

TEST_F(CeilingStandTest, UpAndDownJogWhileHeldAndLetTheMouseGoOnRelease) {
    HWND up = Item(IDC_CEIL_UP);
    HWND down = Item(IDC_CEIL_DOWN);
    ASSERT_TRUE(m_run.PressDown(up));
    EXPECT_EQ(Step(), Wire{"stand 2"}) << "the command goes out on the press";
    EXPECT_EQ(Capture(), up);
    ASSERT_TRUE(m_run.Release(up));
    EXPECT_EQ(Step(), Wire{"stand 0"});
    EXPECT_EQ(Capture(), nullptr);

    ASSERT_TRUE(m_run.PressDown(down));
    EXPECT_EQ(Step(), Wire{"stand 4"});
    EXPECT_EQ(Text(IDC_CEIL_DOWN), L"DN");
    ASSERT_TRUE(m_run.Release(down));
    EXPECT_EQ(Step(), Wire{"stand 0"});

    // A quick second press arrives as a double-click; it jogs like the first.
    ASSERT_TRUE(m_run.Press(up));
    PostDoubleClick(up);
    ASSERT_TRUE(m_run.Release(up));
    EXPECT_EQ(Step(), (Wire{"stand 2", "stand 0", "stand 2", "stand 0"}));
    EXPECT_EQ(Capture(), nullptr);
}

TEST_F(CeilingStandTest, EveryJogEndsWithOneReleaseHoweverItEnds) {
    HWND up = Item(IDC_CEIL_UP);
    HWND down = Item(IDC_CEIL_DOWN);
    m_run.Release(up);
    EXPECT_EQ(Step(), Wire{}) << "a release without a press";
    ExpectEveryHoldEndsOnce(up, down, "stand 2", "stand 0");
    ExpectEveryHoldEndsOnce(down, Item(IDC_CEIL_SID_VALUE), "stand 4", "stand 0");

    // Two quick presses: the first jog ends before the second starts, and only the second is held.
    ASSERT_TRUE(m_run.PressDown(up));
    ASSERT_TRUE(m_run.PressDown(down));
    EXPECT_EQ(Step(), (Wire{"stand 2", "stand 0", "stand 4"}));
    EXPECT_EQ(Capture(), down);
    m_run.Release(down);
    EXPECT_EQ(Step(), Wire{"stand 0"});
    EXPECT_EQ(Capture(), nullptr);
}

TEST_F(CeilingStandTest, AJogEndsWhenTheReviewTakesThePanelsPlaceAndWhenThePanelCloses) {
    // The view switch's own stop goes out first, then the jog's release as the panel is hidden.
    ExpectTheReviewEndsAHold(Item(IDC_CEIL_UP), "stand 2", {"stand 1", "stand 0"});
    ExpectClosingEndsAHold(Item(IDC_CEIL_DOWN), "stand 4", "stand 0");
}

TEST_F(CeilingStandTest, ModeButtonsTurnIntoCheckAndCheckSendsCheckThenStop) {
    const std::pair<int, const char*> modes[] = {
        {IDC_CEIL_SWING, "stand 32"}, {IDC_CEIL_TUBE, "stand 64"},    {IDC_CEIL_FREE, "stand 128"},
        {IDC_CEIL_LONG, "stand 256"}, {IDC_CEIL_SHORT, "stand 1024"}, {IDC_CEIL_SYNC, "stand 8192"}};
    for (const auto& [id, expected] : modes) {
        PostCommand(id);
        EXPECT_EQ(Step(), Wire{expected}) << id;
        EXPECT_EQ(Text(id), L"CHECK") << id;
    }
    // Clicked again: the same command; no record brings the caption back.
    PostCommand(IDC_CEIL_LONG);
    SendStatus({1, 0, 2, 0});
    EXPECT_EQ(Step(), Wire{"stand 256"});
    EXPECT_EQ(Text(IDC_CEIL_LONG), L"CHECK");

    PostCommand(IDC_CEIL_CHECK);
    EXPECT_EQ(Step(), (Wire{"check", "stand 1"}));
    // A view switch stops the stand too; the panel stays.
    ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
    EXPECT_EQ(Step(), Wire{"stand 1"});
    EXPECT_TRUE(IsWindowVisible(m_hStand));
}

TEST_F(CeilingStandTest, EnterAndEscapeDoNothing) {
    ASSERT_TRUE(m_run.Press(Item(IDC_CEIL_UP)));  // the focus goes to UP
    EXPECT_EQ(Step(), (Wire{"stand 2", "stand 0"}));
    ExpectKeysDoNothing({Item(IDC_CEIL_UP), Item(IDC_CEIL_DOWN), m_hStand});
}

class CeilingWithoutConsoleTest : public StandCase {};

TEST_F(CeilingWithoutConsoleTest, DropsEveryCommandAndNeverKeepsTheMouse) {
    StartWith("KOVESDK=2\r\n", Console::Absent, IDC_CEIL_UP);
    ASSERT_TRUE(m_run.PressDown(Item(IDC_CEIL_UP)));
    EXPECT_EQ(Step(), Wire{});
    ASSERT_TRUE(m_run.Release(Item(IDC_CEIL_UP)));
    ASSERT_TRUE(m_run.Press(Item(IDC_CEIL_DOWN)));
    PostCommand(IDC_CEIL_CHECK);
    PostCommand(IDC_CEIL_SYNC);
    EXPECT_EQ(Step(), Wire{});
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_EQ(Text(IDC_CEIL_DOWN), L"DN") << "captions change before the send";
    EXPECT_EQ(Text(IDC_CEIL_SYNC), L"CHECK");

    ASSERT_TRUE(m_run.OpenConsole(m_run.ConsoleTitle()));
    ASSERT_TRUE(m_run.Press(Item(IDC_CEIL_UP)));
    EXPECT_EQ(Step(), (Wire{"stand 2", "stand 0"})) << "the console is looked up again for every report";
}

// ---- The stand SDK panel --------------------------------------------------------------------------------

class SdkStandTest : public StandCase {
  protected:
    void StartSdk(const std::string& extra = {}, Console console = Console::Open) {
        StartWith("KOVESDK=1\r\n" + extra, console, IDC_SDK_MOVE);
    }
    void ShowDevice() {
        ASSERT_TRUE(m_run.Press(IDC_DEVICE));
        EXPECT_EQ(Step(), Wire{});
        ASSERT_TRUE(IsWindowVisible(m_hStand));
    }
    void SendTexts(int autoMove, const std::wstring& status, const std::wstring& connection) {
        wire::SdkText text{autoMove, status, connection};
        ASSERT_TRUE(m_run.Send(wire::CDC_SDK_TEXT, text.Encode()));
    }
    void SendValues(std::array<std::int32_t, 5> values) {
        wire::SdkValues record{values};
        ASSERT_TRUE(m_run.Send(wire::CDC_SDK_VALUES, record.Encode()));
    }
    // Press, then release, of one control: the reports of each half. The mouse must be free afterwards.
    std::pair<Wire, Wire> PressAndRelease(int id) {
        EXPECT_TRUE(m_run.PressDown(Item(id))) << id;
        Wire pressed = Step();
        EXPECT_TRUE(m_run.Release(Item(id))) << id;
        Wire released = Step();
        EXPECT_EQ(Capture(), nullptr) << id;
        return {pressed, released};
    }
};

TEST_F(SdkStandTest, HiddenUntilShowDeviceThenInTheTreesPlaceWithItsCaptionsAndLooks) {
    StartSdk();
    EXPECT_FALSE(IsWindowVisible(m_hStand));
    EXPECT_TRUE(m_run.IsVisible(IDC_DEVICE));

    ShowDevice();
    EXPECT_FALSE(m_run.IsVisible(IDC_TREE));
    ExpectPlace(m_hStand, {529, 215, 428, 460});
    EXPECT_EQ(Text(IDC_SDK_CONNECTION), L"CON");
    EXPECT_EQ(Text(IDC_SDK_SAVE), L"Save");
    EXPECT_EQ(Text(IDC_SDK_STOP), L"STOP");
    EXPECT_EQ(Text(IDC_SDK_MOVE), L"MOVE");
    EXPECT_EQ(Text(IDC_SDK_STATUS), L"--");
    const wchar_t* labels[] = {L"HEIGHT", L"ROTATE", L"DET.", L"SID", L"SID EXT."};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(Text(IDC_SDK_HEIGHT_LABEL + 4 * row), labels[row]);
        EXPECT_EQ(Text(IDC_SDK_HEIGHT_VALUE + 4 * row), L"--");
        EXPECT_TRUE(Shown(IDC_SDK_HEIGHT_UP + 4 * row)) << "TYPE absent shows every row";
    }
    EXPECT_FALSE(Shown(IDC_SDK_AUTO_MOVE));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SDK_AUTO_MOVE)));
    EXPECT_EQ(m_run.SkinElement(Item(IDC_SDK_CONNECTION)), L"testBtn0001");
    EXPECT_EQ(m_run.SkinElement(Item(IDC_SDK_SID_VALUE)), L"sidecar_stcBtnS");
    EXPECT_EQ(m_run.SkinElement(Item(IDC_SDK_ROTATE_DOWN)), L"sidecar_pBtn_trans");
    EXPECT_EQ(m_run.SkinElement(Item(IDC_SDK_DET_LABEL)), L"sidecar_pBtn_disab");

    ASSERT_TRUE(m_run.Press(IDC_DEVICE));
    EXPECT_EQ(Step(), Wire{}) << "the SDK panel has no stop command";
    EXPECT_FALSE(IsWindowVisible(m_hStand));
}

TEST_F(SdkStandTest, ShowsTheConsolesValuesAndTextsEvenWhileHidden) {
    StartSdk("TYPE=2\r\n");
    EXPECT_FALSE(Shown(IDC_SDK_SIDEXT_VALUE)) << "TYPE 2 keeps the SID EXT. row hidden";
    const int values[] = {IDC_SDK_HEIGHT_VALUE, IDC_SDK_ROTATE_VALUE, IDC_SDK_DET_VALUE, IDC_SDK_SID_VALUE,
                          IDC_SDK_SIDEXT_VALUE};
    auto shown = [&] {
        std::vector<std::wstring> out;
        for (int id : values)
            out.push_back(Text(id));
        return out;
    };
    SendValues({1, -2, 3, 4, 5});
    EXPECT_EQ(shown(), (std::vector<std::wstring>{L"1", L"-2", L"3", L"4", L"5"}));
    SendValues({INT_MIN, INT_MAX, 4095, 0, -1});
    const std::vector<std::wstring> extremes{L"-2147483648", L"2147483647", L"4095", L"0", L"-1"};
    EXPECT_EQ(shown(), extremes);
    const std::vector<std::uint8_t> six = LittleEndian({7, 7, 7, 7, 7, 7});
    for (std::size_t size : {19u, 21u})
        ASSERT_TRUE(m_run.Send(wire::CDC_SDK_VALUES, std::span<const std::uint8_t>(six).first(size)));
    EXPECT_EQ(shown(), extremes) << "wrong sizes change nothing";

    auto autoMove = [&] {
        DWORD_PTR state = 99;
        EXPECT_TRUE(
            SendMessageTimeoutW(Item(IDC_SDK_AUTO_MOVE), BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state));
        return state;
    };
    SendTexts(1, L"APR MOVING", L"DIS");
    EXPECT_EQ(Text(IDC_SDK_STATUS), L"APR MOVING");
    EXPECT_EQ(Text(IDC_SDK_CONNECTION), L"DIS");
    EXPECT_EQ(autoMove(), static_cast<DWORD_PTR>(BST_CHECKED));
    SendTexts(0, L"", L"");
    EXPECT_EQ(Text(IDC_SDK_STATUS), L"");
    EXPECT_EQ(Text(IDC_SDK_CONNECTION), L"");
    EXPECT_EQ(autoMove(), static_cast<DWORD_PTR>(BST_UNCHECKED));
    EXPECT_EQ(Step(), Wire{});
}

TEST_F(SdkStandTest, EveryAxisControlReportsItsCodeOnPressAnd514OnRelease) {
    StartSdk();
    ShowDevice();
    for (int id = IDC_SDK_HEIGHT_LABEL; id <= IDC_SDK_SIDEXT_UP; ++id) {
        EXPECT_TRUE(m_run.PressDown(Item(id))) << id;
        EXPECT_EQ(Step(), Wire{"sdk " + std::to_string(id + 1247)}) << id;
        EXPECT_EQ(Capture(), Item(id)) << id;
        EXPECT_TRUE(m_run.Release(Item(id))) << id;
        EXPECT_EQ(Step(), Wire{"sdk 514"}) << id;
        EXPECT_EQ(Capture(), nullptr) << id;
    }
    EXPECT_EQ(PressAndRelease(IDC_SDK_HEIGHT_UP), std::make_pair(Wire{"sdk 2339"}, Wire{"sdk 514"}));
    EXPECT_EQ(PressAndRelease(IDC_SDK_HEIGHT_LABEL), std::make_pair(Wire{"sdk 2336"}, Wire{"sdk 514"}));
}

TEST_F(SdkStandTest, MoveHoldsOnlyWhileAcknowledgeIsShownAndAutoMoveIsClear) {
    StartSdk();
    ShowDevice();
    SendTexts(0, L"APR ACKNOWLEDGE", L"CON");
    EXPECT_EQ(PressAndRelease(IDC_SDK_MOVE), std::make_pair(Wire{"sdk 2335"}, Wire{"sdk 514"}));
    SendTexts(1, L"APR ACKNOWLEDGE", L"CON");
    EXPECT_EQ(PressAndRelease(IDC_SDK_MOVE), std::make_pair(Wire{"sdk 2335"}, Wire{}));
    for (const wchar_t* status : {L"APR STOP", L"apr acknowledge", L"APR ACKNOWLEDGE ", L"--"}) {
        SendTexts(0, status, L"CON");
        EXPECT_EQ(PressAndRelease(IDC_SDK_MOVE), std::make_pair(Wire{"sdk 2335"}, Wire{})) << status;
    }
}

TEST_F(SdkStandTest, SaveAndStopReportOnTheClickAlone) {
    StartSdk();
    ShowDevice();
    EXPECT_EQ(PressAndRelease(IDC_SDK_SAVE), std::make_pair(Wire{}, Wire{"sdk 2333"}));
    EXPECT_EQ(PressAndRelease(IDC_SDK_STOP), std::make_pair(Wire{}, Wire{"sdk 2334"}));
    ASSERT_TRUE(m_run.PressDown(Item(IDC_SDK_SAVE)));
    PostMessageW(Item(IDC_SDK_SAVE), WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
    EXPECT_EQ(Step(), Wire{}) << "let go outside the button: no click";
    EXPECT_EQ(Capture(), nullptr);
}

TEST_F(SdkStandTest, EveryHoldEndsWithOne514HoweverItEnds) {
    StartSdk();
    ShowDevice();
    m_run.Release(Item(IDC_SDK_SID_UP));
    EXPECT_EQ(Step(), Wire{}) << "a release without a press";
    ExpectEveryHoldEndsOnce(Item(IDC_SDK_HEIGHT_UP), Item(IDC_SDK_STATUS), "sdk 2339", "sdk 514");
    SendTexts(0, L"APR ACKNOWLEDGE", L"CON");
    ExpectEveryHoldEndsOnce(Item(IDC_SDK_MOVE), Item(IDC_SDK_ROTATE_UP), "sdk 2335", "sdk 514");

    // Two quick presses, and a double-click: each motion ends before the next starts.
    ASSERT_TRUE(m_run.PressDown(Item(IDC_SDK_HEIGHT_UP)));
    ASSERT_TRUE(m_run.PressDown(Item(IDC_SDK_DET_DOWN)));
    EXPECT_EQ(Step(), (Wire{"sdk 2339", "sdk 514", "sdk 2346"}));
    EXPECT_EQ(Capture(), Item(IDC_SDK_DET_DOWN));
    m_run.Release(Item(IDC_SDK_DET_DOWN));
    ASSERT_TRUE(m_run.Press(Item(IDC_SDK_SID_UP)));
    PostDoubleClick(Item(IDC_SDK_SID_UP));
    m_run.Release(Item(IDC_SDK_SID_UP));
    EXPECT_EQ(Step(), (Wire{"sdk 514", "sdk 2351", "sdk 514", "sdk 2351", "sdk 514"}));
    EXPECT_EQ(Capture(), nullptr);
}

TEST_F(SdkStandTest, AHoldEndsWhenTheReviewTakesThePanelsPlaceAndWhenThePanelCloses) {
    StartSdk();
    ShowDevice();
    ExpectTheReviewEndsAHold(Item(IDC_SDK_ROTATE_DOWN), "sdk 2342", {"sdk 514"});
    ShowDevice();
    ExpectClosingEndsAHold(Item(IDC_SDK_ROTATE_DOWN), "sdk 2342", "sdk 514");
}

TEST_F(SdkStandTest, ConnectionClickClearsTheStatusAndShowsStateZeroOnce) {
    StartSdk();
    ShowDevice();
    SendTexts(0, L"ERROR DETECT", L"ERR");
    ASSERT_TRUE(m_run.Press(Item(IDC_SDK_CONNECTION)));
    EXPECT_EQ(Step(), Wire{});
    EXPECT_EQ(Text(IDC_SDK_STATUS), L"");
    EXPECT_EQ(Text(IDC_SDK_CONNECTION), L"CON");
    EXPECT_EQ(m_run.FindTopLevel(L"Message"), nullptr) << "no message box: the slots hold no message";
    // The console's caption is unknown to the panel's state: once CON is shown, later clicks leave it.
    SendTexts(0, L"SENSOR DETECT", L"DIS");
    ASSERT_TRUE(m_run.Press(Item(IDC_SDK_CONNECTION)));
    EXPECT_EQ(Step(), Wire{});
    EXPECT_EQ(Text(IDC_SDK_STATUS), L"");
    EXPECT_EQ(Text(IDC_SDK_CONNECTION), L"DIS");
}

TEST_F(SdkStandTest, EnterAndEscapeDoNothing) {
    StartSdk();
    ShowDevice();
    ASSERT_TRUE(m_run.Press(Item(IDC_SDK_SAVE)));  // the focus goes to SAVE
    EXPECT_EQ(Step(), Wire{"sdk 2333"});
    ExpectKeysDoNothing({Item(IDC_SDK_SAVE), Item(IDC_SDK_MOVE), m_hStand});
}

TEST_F(SdkStandTest, WithoutAConsoleNothingIsSentAndTheMouseIsNeverKept) {
    StartSdk({}, Console::Absent);
    ShowDevice();
    SendTexts(0, L"APR ACKNOWLEDGE", L"CON");
    for (int id : {IDC_SDK_MOVE, IDC_SDK_HEIGHT_UP, IDC_SDK_SIDEXT_LABEL, IDC_SDK_SAVE, IDC_SDK_STOP})
        EXPECT_EQ(PressAndRelease(id), std::make_pair(Wire{}, Wire{})) << id;
    ASSERT_TRUE(m_run.OpenConsole(m_run.ConsoleTitle()));
    EXPECT_EQ(PressAndRelease(IDC_SDK_ROTATE_DOWN), std::make_pair(Wire{"sdk 2342"}, Wire{"sdk 514"}));
}

}  // namespace
}  // namespace sidecar::e2e
