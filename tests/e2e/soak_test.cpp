// Soak: many full cycles of a realistic session played by the console and the operator (patient, exposure
// in each mode, the protocol tree built, marked and selected, lamps, stand records, presses, and every 50th
// cycle a picture shown, saved and closed). After a warm-up the panel's private memory may not grow by more
// than 5%, and its live GDI objects and its windows may not grow at all.
//
// SIDECAR_SOAK_CYCLES sets the number of cycles (default 200, the short run of `make test`; `make soak`
// runs 10,000).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "harness/console_picture.h"
#include "harness/e2e_case.h"
#include "link/codes.h"
#include "link/records.h"
#include "resources/resource.h"

namespace sidecar::e2e {
namespace {

const ExtraFile kSkin{
    L"Skins\\default.skf",
    "SidecarSkin 1\n[dialog]\nface = #202020\n[button sidecar_pBtn_mamas]\nface = #303030\n"};

constexpr int kReviewEvery = 50;
constexpr int kPicture = 256;

int CyclesFromEnvironment() {
    const char* text = std::getenv("SIDECAR_SOAK_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : 200;
}

struct Level {
    std::size_t privateBytes = 0;
    long gdiObjects = 0;
    std::size_t windows = 0;
};

class SoakTest : public CSidecarCase {
  protected:
    void SetUp() override {
        StartOptions options;
        options.hostappIni = "[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n[KOVESDK]\r\nKOVESDK=1\r\n";
        options.files = {kSkin};
        ASSERT_TRUE(m_run.Start(options));
        ASSERT_TRUE(m_picture.Share(
            kPicture, kPicture, [](int x, int y) { return static_cast<std::uint8_t>((x * 3 + y) & 0xFF); }));
    }

    void Send(std::uint32_t code, const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(m_run.Send(code, bytes)) << "code " << code;
    }

    // Measured once the panel is idle: painting, which happens only then, makes its first allocations late.
    Level Measure() {
        EXPECT_TRUE(m_run.Settle());
        Level level;
        level.privateBytes = m_run.PrivateBytes();
        level.gdiObjects = m_run.LiveGdiObjects().value_or(-1);
        level.windows = m_run.WindowCount();
        return level;
    }

    // One session: what the console sends and the operator presses, with the reports checked.
    void Cycle(int n) {
        const std::wstring tag = std::to_wstring(n);
        Send(wire::CDC_PATIENT,
             wire::PatientInfo{L"PID" + tag, L"Soak^Patient^" + tag, L"ACC" + tag, L"Study " + tag}.Encode());

        for (std::int16_t mode = 0; mode <= 2; ++mode) {
            wire::ExposureState s;
            s.kvp = std::to_wstring(60 + n % 40);
            s.ma = std::to_wstring(100 + mode * 100);
            s.mas = std::to_wstring(n % 50) + L".0";
            s.time = std::to_wstring(10 + n % 90);
            s.aecValue = mode == 2 ? L"+1" : L"";
            s.patientSize = static_cast<std::int16_t>(n % 4);
            s.aecSubMode = n % 3;
            s.timeUnit = n % 2;
            s.controlMode = mode;
            s.aecField = {n % 2, (n / 2) % 2, 1};
            Send(wire::CDC_EXPOSURE, s.Encode());
        }

        Send(wire::CDC_TREE, wire::TreeCommand{0, 0, {}}.Encode());
        for (int exam = 0; exam < 3; ++exam) {
            const int examData = 1000 * (exam + 1);
            Send(wire::CDC_TREE, wire::TreeCommand{1, examData, L"Exam " + std::to_wstring(exam)}.Encode());
            for (int p = 1; p <= 3; ++p)
                Send(wire::CDC_TREE,
                     wire::TreeCommand{2, examData + p, L"Protocol " + std::to_wstring(p) + L":R"}.Encode());
        }
        Send(wire::CDC_TREE, wire::TreeCommand{4, 1001 + n % 3, {}}.Encode());
        Send(wire::CDC_TREE, wire::TreeCommand{5, 2001, {}}.Encode());

        Send(wire::CDC_LAMPS, wire::LampState{n % 3, (n + 1) % 3, (n + 2) % 3}.Encode());
        Send(wire::CDC_SDK_TEXT, wire::SdkText{n % 2, L"READY " + tag, L"CONNECTED"}.Encode());
        Send(wire::CDC_SDK_VALUES,
             wire::SdkValues{{n % 1800, n % 90, n % 2, 1000 + n % 800, n % 3}}.Encode());

        // The console selects a protocol, the operator steps kVp and picks a patient size: three reports.
        m_run.ClearReports();
        Send(wire::CDC_TREE, wire::TreeCommand{3, 3001 + n % 3, {}}.Encode());
        ASSERT_TRUE(m_run.Press(n % 2 == 0 ? IDC_KVP_UP : IDC_KVP_DOWN));
        ASSERT_TRUE(m_run.Press(IDC_SIZE_0 + n % 4));
        if (n % 10 == 0) {
            ASSERT_TRUE(m_run.Press(IDC_DEVICE));  // the stand panel shown and hidden in turn
        }
        ASSERT_TRUE(m_run.Sync());
        const std::vector<Report>& reports = m_run.Reports();
        ASSERT_EQ(reports.size(), 3u) << "cycle " << n;
        EXPECT_EQ(reports[0].code, wire::CDC_TREE_SELECTED) << "cycle " << n;
        EXPECT_EQ(reports[1].cbData, n % 2 == 0 ? 2u : 1u) << "cycle " << n;
        EXPECT_EQ(reports[2].code, wire::CDC_PATIENT_SIZE) << "cycle " << n;

        if (n % kReviewEvery == 0)
            Review(n);
    }

    // The console shows the picture, the operator saves it, the console closes the review.
    void Review(int n) {
        Send(wire::CDC_REVIEW_SHOW, wire::ReviewImage{kPicture, kPicture, 8, 256, 128}.Encode());
        HWND review = m_run.FindTopLevelWithControl(IDC_REVIEW_PICTURE);
        ASSERT_NE(review, nullptr) << "cycle " << n;
        ASSERT_TRUE(::IsWindowVisible(review)) << "cycle " << n;
        m_run.ClearReports();
        ASSERT_TRUE(m_run.Press(::GetDlgItem(review, IDOK)));
        ASSERT_TRUE(m_run.Sync());
        ASSERT_EQ(m_run.Reports().size(), 1u) << "cycle " << n;
        EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_REVIEW_SAVE);
        Send(wire::CDC_REVIEW_CLOSE, {});
        EXPECT_FALSE(::IsWindowVisible(review)) << "cycle " << n;
        EXPECT_TRUE(::IsWindowVisible(m_run.Panel())) << "cycle " << n;
    }

    CConsolePicture m_picture;
};

TEST_F(SoakTest, RepeatedSessionsLeaveMemoryGdiObjectsAndWindowsFlat) {
    const int cycles = CyclesFromEnvironment();
    // Warm-up: caches, heaps and the review dialog's first picture reach their working size.
    const int warmUp = std::max(kReviewEvery + 1, cycles / 10);
    ASSERT_GT(cycles, warmUp) << "SIDECAR_SOAK_CYCLES must exceed the warm-up of " << warmUp << " cycles";

    Level base;
    std::size_t highest = 0;
    for (int n = 1; n <= cycles; ++n) {
        ASSERT_NO_FATAL_FAILURE(Cycle(n)) << "cycle " << n;
        if (n == warmUp) {
            base = Measure();
            ASSERT_GT(base.privateBytes, 0u) << "private memory cannot be read";
            ASSERT_GE(base.gdiObjects, 0);
        } else if (n > warmUp && n % 1000 == 0) {
            const Level now = Measure();
            highest = std::max(highest, now.privateBytes);
            std::printf("cycle %5d: private %.2f MB, GDI objects %ld, windows %zu\n", n,
                        now.privateBytes / 1048576.0, now.gdiObjects, now.windows);
        }
    }
    ASSERT_TRUE(m_run.Running());
    const Level end = Measure();
    highest = std::max(highest, end.privateBytes);
    const double growth = (static_cast<double>(end.privateBytes) - static_cast<double>(base.privateBytes)) /
                          static_cast<double>(base.privateBytes);
    std::printf(
        "%d cycles: private %.2f MB after warm-up (cycle %d), %.2f MB at the end (%+.2f%%, highest "
        "%.2f MB); GDI objects %ld -> %ld; windows %zu -> %zu\n",
        cycles, base.privateBytes / 1048576.0, warmUp, end.privateBytes / 1048576.0, growth * 100.0,
        highest / 1048576.0, base.gdiObjects, end.gdiObjects, base.windows, end.windows);
    EXPECT_LE(growth, 0.05) << "private memory grew by more than 5%";
    EXPECT_EQ(end.gdiObjects, base.gdiObjects);
    EXPECT_EQ(end.windows, base.windows);
    EXPECT_TRUE(m_run.ExpectNoFaults());
    EXPECT_EQ(m_run.Close(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace sidecar::e2e
