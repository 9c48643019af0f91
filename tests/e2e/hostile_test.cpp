// A hostile console: a long barrage of WM_COPYDATA with random codes, sizes and bytes, sent from inside
// the panel process so the panel sees exactly each cbData and lpData, interleaved with operator presses.
// Afterwards the panel still answers a normal command and a press, no fault was raised meanwhile (the
// harness fails the case on any fault it saw, swallowed by Wine or not), and its private memory, live GDI
// objects and windows are back at their level before the barrage.
//
// SIDECAR_BARRAGE_MESSAGES sets the number of messages (default 20,000 in `make test`; `make soak` sends
// 100,000).
#include <array>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "harness/e2e_case.h"
#include "link/codes.h"
#include "link/records.h"
#include "resources/resource.h"

namespace sidecar::e2e {
namespace {

const ExtraFile kSkin{L"Skins\\default.skf", "SidecarSkin 1\n[dialog]\nface = #202020\n"};

// Fixed start value of the generator: a failure reproduces with the same messages.
constexpr std::uint64_t kStart = 0x5DEECE66DULL;
int MessagesFromEnvironment() {
    const char* text = std::getenv("SIDECAR_BARRAGE_MESSAGES");
    const int messages = text ? std::atoi(text) : 0;
    return messages > 0 ? messages : 20000;
}
constexpr int kPressEvery = 500;
constexpr std::uint32_t kLargest = 4096;

// splitmix64: the same sequence with every standard library.
class CGenerator {
  public:
    explicit CGenerator(std::uint64_t start) : m_state(start) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }

  private:
    std::uint64_t m_state;
};

struct CodeSize {
    std::uint32_t code;
    std::uint32_t size;  // the record's exact size; 0 when any size is taken
};

// The console's commands with their record sizes.
constexpr CodeSize kCommands[] = {
    {wire::CDC_STAND_STATUS, 16}, {wire::CDC_TREE, 520},     {wire::CDC_PATIENT, 768},
    {wire::CDC_EXPOSURE, 128},    {wire::CDC_LAMPS, 268},    {wire::CDC_REVIEW_SHOW, 20},
    {wire::CDC_REVIEW_CLOSE, 0},  {wire::CDC_SDK_TEXT, 132}, {wire::CDC_SDK_VALUES, 20},
};
// The panel's own report codes: the panel must ignore them whatever their size.
constexpr CodeSize kReportCodes[] = {
    {wire::CDC_TREE_SELECTED, 520}, {wire::CDC_PATIENT_SIZE, 0},  {wire::CDC_BUTTON, 0},
    {wire::CDC_REVIEW_SAVE, 0},     {wire::CDC_REVIEW_CANCEL, 0}, {wire::CDC_SDK_COMMAND, 0},
    {wire::CDC_STAND_CHECK, 0},
};

// Main panel buttons and the code each reports in cbData.
constexpr std::pair<int, std::uint32_t> kButtons[] = {
    {IDC_KVP_DOWN, 1},   {IDC_KVP_UP, 2},    {IDC_MA_DOWN, 3},   {IDC_MA_UP, 4},
    {IDC_MAS_DOWN, 5},   {IDC_MAS_UP, 6},    {IDC_TIME_DOWN, 7}, {IDC_TIME_UP, 8},
    {IDC_AEC_DOWN, 9},   {IDC_AEC_UP, 10},   {IDC_AEC_LEFT, 11}, {IDC_AEC_CENTER, 12},
    {IDC_AEC_RIGHT, 13}, {IDC_MODE_MAS, 14}, {IDC_MODE_MS, 15},  {IDC_MODE_AEC, 16}};

struct Message {
    std::uint32_t code = 0;
    std::uint32_t cbData = 0;
    std::optional<std::vector<std::uint8_t>> bytes;  // nullopt: lpData NULL
};

Message RandomMessage(CGenerator& gen) {
    CodeSize pick{};
    const std::uint32_t kind = gen.Below(100);
    if (kind < 70)
        pick = kCommands[gen.Below(std::size(kCommands))];
    else if (kind < 82)
        pick = kReportCodes[gen.Below(std::size(kReportCodes))];
    else if (kind < 92)
        pick = {742030 + gen.Below(40), 0};  // around the link's codes
    else
        pick = {static_cast<std::uint32_t>(gen.Next()), 0};

    Message m;
    m.code = pick.code;
    const std::uint32_t sizeKind = gen.Below(10);
    if (sizeKind < 4)
        m.cbData = pick.size;
    else if (sizeKind < 5)
        m.cbData = pick.size + 1;
    else if (sizeKind < 6)
        m.cbData = pick.size > 0 ? pick.size - 1 : 1;
    else if (sizeKind < 7)
        m.cbData = 0;
    else if (sizeKind < 9)
        m.cbData = gen.Below(kLargest + 1);
    else
        m.cbData = kLargest - gen.Below(8);
    // A review picture of the right size needs the console's mapping; its hostile sizes and mappings are
    // the review cases' business. Here it only ever comes with a wrong size.
    if (m.code == wire::CDC_REVIEW_SHOW && m.cbData == wire::ReviewImage::kSize)
        m.cbData += 1 + gen.Below(3);

    // lpData NULL with any cbData now and then: the panel must not read behind a NULL.
    if (m.cbData == 0 ? gen.Below(2) == 0 : gen.Below(20) == 0)
        return m;
    std::vector<std::uint8_t> bytes(m.cbData);
    const std::uint32_t fill = gen.Below(8);
    for (std::uint8_t& b : bytes) {
        if (fill == 0)
            b = 0;
        else if (fill == 1)
            b = 0xFF;
        else
            b = static_cast<std::uint8_t>(gen.Next());
    }
    m.bytes = std::move(bytes);
    return m;
}

class HostileConsole : public CSidecarCase, public ::testing::WithParamInterface<const char*> {
  protected:
    // One valid record of every command that leaves the panel as it was: the tree emptied, the panel
    // shown, normal values.
    void SendNormalRound() {
        const std::vector<std::vector<std::uint8_t>> records = {
            wire::PatientInfo{L"P1", L"Normal^Patient", L"A1", L"Chest"}.Encode(),
            wire::LampState{1, 0, 0}.Encode(),
            wire::SdkText{0, L"READY", L"CONNECTED"}.Encode(),
            wire::SdkValues{{100, 0, 1, 1000, 0}}.Encode(),
            wire::TreeCommand{0, 0, {}}.Encode(),
        };
        const std::uint32_t codes[] = {wire::CDC_PATIENT, wire::CDC_LAMPS, wire::CDC_SDK_TEXT,
                                       wire::CDC_SDK_VALUES, wire::CDC_TREE};
        for (std::size_t i = 0; i < records.size(); ++i)
            ASSERT_TRUE(m_run.Send(codes[i], records[i]));
        ASSERT_TRUE(m_run.Send(wire::CDC_REVIEW_CLOSE, {}));
    }
};

TEST_P(HostileConsole, BarrageLeavesThePanelAnsweringAndFaultFree) {
    StartOptions options;
    options.hostappIni =
        std::string("[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n[KOVESDK]\r\n") + GetParam();
    options.files = {kSkin};
    ASSERT_TRUE(m_run.Start(options));

    // The level before: after one normal round of every record, so first-use allocations are made.
    SendNormalRound();
    ASSERT_TRUE(m_run.Settle());
    const std::size_t bytesBefore = m_run.PrivateBytes();
    const std::optional<long> gdiBefore = m_run.LiveGdiObjects();
    const std::size_t windowsBefore = m_run.WindowCount();
    ASSERT_GT(bytesBefore, 0u);
    ASSERT_TRUE(gdiBefore);

    const int kMessages = MessagesFromEnvironment();
    CGenerator gen(kStart);
    int pressesTaken = 0;
    for (int i = 1; i <= kMessages; ++i) {
        const Message m = RandomMessage(gen);
        std::optional<std::span<const std::uint8_t>> bytes;
        if (m.bytes)
            bytes = *m.bytes;
        ASSERT_TRUE(m_run.SendRaw(m.code, m.cbData, bytes))
            << "message " << i << ": code " << m.code << ", cbData " << m.cbData;
        if (i % kPressEvery != 0)
            continue;
        // The operator presses a button between the console's messages; a hidden or disabled one is
        // not reachable and is skipped. One that takes the press reports its code.
        m_run.ClearReports();
        const auto& [id, code] = kButtons[gen.Below(std::size(kButtons))];
        const bool pressed = m_run.Press(id);
        ASSERT_TRUE(m_run.Sync()) << "after message " << i;
        if (!pressed)
            continue;
        ++pressesTaken;
        const std::vector<Report>& reports = m_run.Reports();
        ASSERT_EQ(reports.size(), 1u) << "press of " << id << " after message " << i;
        EXPECT_EQ(reports[0].code, wire::CDC_BUTTON);
        EXPECT_EQ(reports[0].cbData, code);
    }
    EXPECT_GT(pressesTaken, 0) << "no press reached the panel";
    std::printf("presses taken: %d of %d\n", pressesTaken, kMessages / kPressEvery);
    ASSERT_TRUE(m_run.Running());
    EXPECT_TRUE(::IsWindowVisible(m_run.Panel()));
    EXPECT_EQ(m_run.Caption(m_run.Panel()), L"Sidecar");

    // A normal console command is still applied in full.
    wire::ExposureState s;
    s.kvp = L"77";
    s.ma = L"320";
    s.mas = L"16.0";
    s.time = L"50";
    s.aecValue = L"+2";
    s.patientSize = 2;
    s.aecSubMode = 1;
    s.controlMode = 0;
    const std::vector<std::uint8_t> record = s.Encode();
    ASSERT_TRUE(m_run.Send(wire::CDC_EXPOSURE, record));
    EXPECT_EQ(m_run.Caption(IDC_KVP_VALUE), L"77");
    EXPECT_EQ(m_run.Caption(IDC_MAS_VALUE), L"16.0");
    EXPECT_EQ(m_run.Caption(IDC_TIME_VALUE), L"50");
    EXPECT_EQ(m_run.Caption(IDC_TIME_LABEL), L"ms");
    EXPECT_TRUE(m_run.IsEnabled(IDC_TIME_UP));
    EXPECT_FALSE(m_run.IsEnabled(IDC_MAS_UP));

    // And a press still reports.
    m_run.ClearReports();
    ASSERT_TRUE(m_run.Press(IDC_KVP_UP));
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_BUTTON);
    EXPECT_EQ(m_run.Reports()[0].cbData, 2u);
    EXPECT_TRUE(m_run.Reports()[0].nullData);

    // Back to the level before: the same normal round (which also empties the tree the barrage filled).
    SendNormalRound();
    ASSERT_TRUE(m_run.Settle());
    const std::size_t bytesAfter = m_run.PrivateBytes();
    const std::optional<long> gdiAfter = m_run.LiveGdiObjects();
    const double growth = (static_cast<double>(bytesAfter) - static_cast<double>(bytesBefore)) /
                          static_cast<double>(bytesBefore);
    std::printf(
        "%d messages: private %.2f MB -> %.2f MB (%+.2f%%), GDI objects %ld -> %ld, windows %zu -> %zu\n",
        kMessages, bytesBefore / 1048576.0, bytesAfter / 1048576.0, growth * 100.0, *gdiBefore,
        gdiAfter.value_or(-1), windowsBefore, m_run.WindowCount());
    EXPECT_LE(growth, 0.05) << "private memory grew by more than 5%";
    EXPECT_EQ(gdiAfter, gdiBefore);
    EXPECT_EQ(m_run.WindowCount(), windowsBefore);

    EXPECT_TRUE(m_run.ExpectNoFaults());
    EXPECT_EQ(m_run.Close(), std::optional<DWORD>(0));
}

// With the stand SDK panel and with the ceiling stand panel, so the stand records reach a panel.
INSTANTIATE_TEST_SUITE_P(Stands, HostileConsole, ::testing::Values("KOVESDK=1\r\n", "KOVESDK=3\r\n"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return info.index == 0 ? std::string("StandSdk") : std::string("CeilingStand");
                         });

}  // namespace
}  // namespace sidecar::e2e
