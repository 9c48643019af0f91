// The console misbehaving as real consoles do: it closes and comes back under a new window between
// reports, it is slow to take a report, and it answers a report with a command of its own while the panel
// still waits in its send.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "harness/e2e_case.h"
#include "link/codes.h"
#include "link/records.h"
#include "resources/resource.h"

namespace sidecar::e2e {
namespace {

const ExtraFile kSkin{L"Skins\\default.skf", "SidecarSkin 1\n[dialog]\nface = #202020\n"};

wire::ExposureState Exposure(const std::wstring& kvp) {
    wire::ExposureState s;
    s.kvp = kvp;
    s.ma = L"200";
    s.mas = L"10.0";
    s.time = L"50";
    s.patientSize = 1;
    s.controlMode = 0;
    return s;
}

class ConsoleFaultsTest : public CSidecarCase {
  protected:
    void SetUp() override {
        StartOptions options;
        options.hostappIni = "[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n";
        options.files = {kSkin};
        ASSERT_TRUE(m_run.Start(options));
    }
    void SendTree(int op, int data, const std::wstring& text = {}) {
        auto bytes = wire::TreeCommand{op, data, text}.Encode();
        ASSERT_TRUE(m_run.Send(wire::CDC_TREE, bytes));
    }
};

// Between reports the console's window goes away and a new one with the same title appears. A report made
// while no console exists is dropped for good (it never turns up at the next console); every other report
// reaches the console that exists at the time, whichever part of the panel made it.
TEST_F(ConsoleFaultsTest, ReportsFollowAConsoleThatClosesAndComesBackUnderNewWindows) {
    SendTree(1, 100, L"Chest");
    SendTree(2, 101, L"PA:R");
    SendTree(2, 102, L"LAT:R");

    HWND console = m_run.Console();
    std::vector<HWND> seen{console};
    for (int round = 0; round < 12; ++round) {
        ASSERT_TRUE(m_run.CloseConsole(console)) << "round " << round;
        m_run.ClearReports();
        ASSERT_TRUE(m_run.Press(IDC_KVP_UP));
        ASSERT_TRUE(m_run.Press(IDC_SIZE_0 + round % 4));
        ASSERT_TRUE(m_run.Sync());
        EXPECT_TRUE(m_run.Reports().empty()) << "round " << round << ": a report without a console";

        console = m_run.OpenConsole(m_run.ConsoleTitle());
        ASSERT_NE(console, nullptr);
        for (HWND old : seen)
            EXPECT_NE(console, old) << "round " << round << ": the test needs a new window each time";
        seen.push_back(console);

        m_run.ClearReports();
        const int button = IDC_KVP_DOWN + round % 4;  // kVp down/up, mA down/up: codes 1 to 4
        ASSERT_TRUE(m_run.Press(button));
        ASSERT_TRUE(m_run.Press(IDC_SIZE_0 + (round + 1) % 4));
        ASSERT_TRUE(m_run.Sync());                // a sent command would overtake the posted presses
        SendTree(3, round % 2 == 0 ? 101 : 102);  // a console-made selection is reported too
        ASSERT_TRUE(m_run.Sync());
        const std::vector<Report>& reports = m_run.Reports();
        ASSERT_EQ(reports.size(), 3u) << "round " << round;
        EXPECT_EQ(reports[0].code, wire::CDC_BUTTON);
        EXPECT_EQ(reports[0].cbData, static_cast<std::uint32_t>(round % 4 + 1));
        EXPECT_EQ(reports[1].code, wire::CDC_PATIENT_SIZE);
        EXPECT_EQ(reports[1].cbData, static_cast<std::uint32_t>((round + 1) % 4));
        EXPECT_EQ(reports[2].code, wire::CDC_TREE_SELECTED);
        for (const Report& r : reports) {
            EXPECT_EQ(r.console, console) << "round " << round << ": report went to an old console";
            EXPECT_EQ(r.sender, m_run.Panel());
        }
    }
}

// The console's window goes and comes back while presses are on their way, so that some reports find the
// console by its title and then send to a window that is gone. The panel must never wait on such a send:
// every round ends in a Sync, each report reaches a console that existed, and afterwards a press reaches
// the last console.
TEST_F(ConsoleFaultsTest, AConsoleThatVanishesBetweenLookUpAndSendNeverHoldsThePanel) {
    HWND console = m_run.Console();
    std::vector<HWND> consoles{console};
    int pressed = 0;
    m_run.ClearReports();
    for (int round = 0; round < 40; ++round) {
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(m_run.Press(IDC_KVP_UP));
            ++pressed;
        }
        // Handled by the console's thread inside the panel process while the panel works on the presses.
        ASSERT_TRUE(m_run.CloseConsole(console)) << "round " << round;
        console = m_run.OpenConsole(m_run.ConsoleTitle());
        ASSERT_NE(console, nullptr) << "round " << round;
        consoles.push_back(console);
        ASSERT_TRUE(m_run.Sync()) << "round " << round << ": the panel did not come back";
    }
    const std::vector<Report>& reports = m_run.Reports();
    EXPECT_LE(reports.size(), static_cast<std::size_t>(pressed));
    for (const Report& r : reports) {
        EXPECT_EQ(r.code, wire::CDC_BUTTON);
        EXPECT_NE(std::find(consoles.begin(), consoles.end(), r.console), consoles.end());
    }

    m_run.ClearReports();
    ASSERT_TRUE(m_run.Press(IDC_KVP_DOWN));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    EXPECT_EQ(m_run.Reports()[0].console, console);
    EXPECT_EQ(m_run.Reports()[0].cbData, 1u);
    EXPECT_TRUE(m_run.ExpectNoFaults());
}

// A console that takes its time: the panel stays in its send until the console has taken the report, as a
// synchronous send does. Presses made meanwhile wait in the panel's queue and reach the console afterwards,
// all of them and in the order made; a command the console sends from another thread meanwhile is applied
// at once, because a panel waiting in a send still takes sent messages.
TEST_F(ConsoleFaultsTest, ASlowConsoleLosesNothingAndGetsEveryPressInOrder) {
    constexpr DWORD kSlowMs = 150;
    std::atomic<int> taken{0};
    m_run.OnReport([&](const Report&) {
        ++taken;
        ::Sleep(kSlowMs);  // not answering: no message is handled while the console sleeps
    });

    const int presses[] = {IDC_KVP_UP, IDC_MA_DOWN, IDC_TIME_UP, IDC_TIME_DOWN, IDC_KVP_DOWN, IDC_MA_UP};
    const std::uint32_t codes[] = {2, 3, 8, 7, 1, 4};
    m_run.ClearReports();
    // Exposure mode 0 enables every row pressed here.
    auto bytes = Exposure(L"70").Encode();
    ASSERT_TRUE(m_run.Send(wire::CDC_EXPOSURE, bytes));
    for (int id : presses)
        ASSERT_TRUE(m_run.Press(id));

    // While the console is busy with the first reports, another thread of the console sends a command.
    std::atomic<bool> applied{false};
    std::thread other([&] {
        while (taken.load() == 0)
            ::Sleep(5);
        ::Sleep(kSlowMs / 3);
        auto record = Exposure(L"99").Encode();
        COPYDATASTRUCT cds{wire::CDC_EXPOSURE, static_cast<DWORD>(record.size()), record.data()};
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutW(m_run.Panel(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL,
                                  5000, &result) != 0) {
            wchar_t text[16] = {};
            ::SendMessageTimeoutW(::GetDlgItem(m_run.Panel(), IDC_KVP_VALUE), WM_GETTEXT, 16,
                                  reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &result);
            // Applied while the console still held the panel in its sends.
            applied = std::wstring(text) == L"99" && taken.load() < static_cast<int>(std::size(presses));
        }
    });
    ASSERT_TRUE(m_run.Sync());
    other.join();
    m_run.OnReport(nullptr);

    const std::vector<Report>& reports = m_run.Reports();
    ASSERT_EQ(reports.size(), std::size(presses));
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].code, wire::CDC_BUTTON) << i;
        EXPECT_EQ(reports[i].cbData, codes[i]) << "report " << i << " out of order";
    }
    EXPECT_TRUE(applied) << "the command sent during the slow reports was not applied at once";
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"99");
}

// A console that answers a report with a command before it returns: the panel applies the command inside
// its own send, so when the send returns the panel already shows the answer. Here the console answers each
// kVp press with the new value, as a console that steps kVp does, and each selection with a patient.
TEST_F(ConsoleFaultsTest, ACommandSentInAnswerToAReportIsAppliedBeforeTheReportReturns) {
    int kvp = 70;
    std::vector<std::wstring> seenInside;
    m_run.OnReport([&](const Report& r) {
        if (r.code == wire::CDC_BUTTON && (r.cbData == 1 || r.cbData == 2)) {
            kvp += r.cbData == 2 ? 1 : -1;
            auto bytes = Exposure(std::to_wstring(kvp)).Encode();
            ASSERT_TRUE(m_run.Send(wire::CDC_EXPOSURE, bytes));
            seenInside.push_back(m_run.Caption(IDC_KVP_VALUE));  // the panel still waits in its send
        } else if (r.code == wire::CDC_TREE_SELECTED) {
            auto bytes = wire::PatientInfo{L"ID-" + std::to_wstring(kvp), L"Answer^Console", L"ACC", L"Chest"}
                             .Encode();
            ASSERT_TRUE(m_run.Send(wire::CDC_PATIENT, bytes));
            seenInside.push_back(m_run.Caption(IDC_PATIENT_ID));
        }
    });
    auto start = Exposure(L"70").Encode();
    ASSERT_TRUE(m_run.Send(wire::CDC_EXPOSURE, start));

    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(m_run.Press(IDC_KVP_UP));
    ASSERT_TRUE(m_run.Press(IDC_KVP_DOWN));
    ASSERT_TRUE(m_run.Sync());
    EXPECT_EQ(seenInside, (std::vector<std::wstring>{L"71", L"72", L"73", L"74", L"75", L"74"}));
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"74");

    // A selection the console makes is reported, and the console's answer lands inside that report.
    seenInside.clear();
    SendTree(1, 200, L"Knee");
    SendTree(3, 200);
    EXPECT_EQ(seenInside, (std::vector<std::wstring>{L"ID-74"}));
    m_run.OnReport(nullptr);
    EXPECT_EQ(m_run.Caption(IDC_PATIENT_ID), L"ID-74");
    EXPECT_EQ(m_run.Reports().size(), 7u);
}

}  // namespace
}  // namespace sidecar::e2e
