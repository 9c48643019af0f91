// The main panel's tables: exposure modes, patient sizes, tree markers and the layout.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "panel/panel_rules.h"
#include "resources/resource.h"

using namespace panel;

namespace {

std::map<int, CControlLook> ByControl(const std::vector<CControlLook>& looks) {
    std::map<int, CControlLook> out;
    for (const auto& l : looks)
        out.emplace(l.id, l);
    return out;
}

std::wstring Skin(const std::map<int, CControlLook>& m, int id) {
    auto it = m.find(id);
    return it == m.end() || !it->second.skin ? L"(kept)" : it->second.skin;
}

Enable En(const std::map<int, CControlLook>& m, int id) {
    auto it = m.find(id);
    return it == m.end() ? Enable::Keep : it->second.enable;
}

}  // namespace

TEST(ExposureModes, EnabledRowsFollowTheModeAndAecSubMode) {
    struct Row {
        int mode, sub;
        Enable ma, mas, time, aec;
    } rows[] = {
        {0, 1, Enable::On, Enable::Off, Enable::On, Enable::Off},
        {1, 1, Enable::Keep, Enable::On, Enable::Off, Enable::Off},
        {2, 1, Enable::On, Enable::On, Enable::Off, Enable::On},
        {2, 2, Enable::On, Enable::Off, Enable::On, Enable::On},
        {2, 7, Enable::On, Enable::Off, Enable::Off, Enable::On},
    };
    for (const Row& r : rows) {
        auto m = ByControl(ModeLooks(r.mode, r.sub, {0, 0, 0}));
        SCOPED_TRACE(testing::Message() << "mode " << r.mode << " sub " << r.sub);
        EXPECT_EQ(En(m, IDC_KVP_DOWN), Enable::On);
        EXPECT_EQ(En(m, IDC_KVP_UP), Enable::On);
        EXPECT_EQ(En(m, IDC_MA_DOWN), r.ma);
        EXPECT_EQ(En(m, IDC_MA_UP), r.ma);
        EXPECT_EQ(En(m, IDC_MAS_DOWN), r.mas);
        EXPECT_EQ(En(m, IDC_MAS_UP), r.mas);
        EXPECT_EQ(En(m, IDC_TIME_DOWN), r.time);
        EXPECT_EQ(En(m, IDC_TIME_UP), r.time);
        for (int id : {IDC_AEC_DOWN, IDC_AEC_UP, IDC_AEC_LEFT, IDC_AEC_CENTER, IDC_AEC_RIGHT}) {
            EXPECT_EQ(En(m, id), r.aec) << id;
        }
    }
}

TEST(ExposureModes, PressedLooksMarkTheActiveModeAndSelectedFields) {
    auto ms = ByControl(ModeLooks(0, 1, {1, 1, 1}));
    EXPECT_EQ(Skin(ms, IDC_MODE_MS), L"panelControl_activeCtrlBtn_pr");
    EXPECT_EQ(Skin(ms, IDC_MODE_MAS), L"sidecar_pBtn_mamas");
    EXPECT_EQ(Skin(ms, IDC_MODE_AEC), L"sidecar_pBtn_aec");
    EXPECT_EQ(Skin(ms, IDC_AEC_LEFT), L"(kept)");  // fields keep their look outside AEC

    auto mas = ByControl(ModeLooks(1, 1, {0, 0, 0}));
    EXPECT_EQ(Skin(mas, IDC_MODE_MAS), L"panelControl_activeCtrlBtn_pr");
    EXPECT_EQ(Skin(mas, IDC_MODE_MS), L"sidecar_pBtn_mamas");
    EXPECT_EQ(Skin(mas, IDC_AEC_RIGHT), L"(kept)");

    auto aec = ByControl(ModeLooks(2, 1, {1, 0, 2}));
    EXPECT_EQ(Skin(aec, IDC_MODE_AEC), L"panelControl_aecBtn_pr");
    EXPECT_EQ(Skin(aec, IDC_MODE_MAS), L"sidecar_pBtn_mamas");
    EXPECT_EQ(Skin(aec, IDC_MODE_MS), L"sidecar_pBtn_mamas");
    EXPECT_EQ(Skin(aec, IDC_AEC_LEFT), L"panelControl_aec0Btn_pr");
    EXPECT_EQ(Skin(aec, IDC_AEC_CENTER), L"sidecar_aec1");
    EXPECT_EQ(Skin(aec, IDC_AEC_RIGHT), L"sidecar_aec2");  // only 1 means selected
}

TEST(ExposureModes, OnlyAecRunsTwiceAndOnlyTimeAndMasEmptyTheAecValue) {
    EXPECT_TRUE(ModeChangeRuns(2, 2));
    EXPECT_FALSE(ModeChangeRuns(1, 1));
    EXPECT_FALSE(ModeChangeRuns(0, 0));
    EXPECT_TRUE(ModeChangeRuns(1, 2));
    EXPECT_TRUE(ModeChangeRuns(5, 2));
    EXPECT_FALSE(ModeChangeRuns(5, 5));
    EXPECT_TRUE(ModeLooks(5, 1, {0, 0, 0}).empty());
    EXPECT_TRUE(ModeLooks(-1, 1, {0, 0, 0}).empty());
    EXPECT_TRUE(ModeClearsAecValue(0));
    EXPECT_TRUE(ModeClearsAecValue(1));
    EXPECT_FALSE(ModeClearsAecValue(2));
    EXPECT_FALSE(ModeClearsAecValue(5));
}

TEST(PatientSize, OnlyTheShownSizeLooksPressed) {
    for (int shown : {-1, 0, 1, 2, 3, 4}) {
        for (int i = 0; i < 4; ++i) {
            std::wstring want = i == shown ? L"panelControl_patsizeBtn_pr" : L"sidecar_pBtn_psml";
            EXPECT_EQ(SizeButtonSkin(i, shown), want) << shown << " " << i;
        }
    }
}

TEST(TreeMarkers, DoneOnlyWhenYAppearsAfterTheFirstPosition) {
    EXPECT_EQ(ProtocolImage(L"Chest PA:Y"), kDoneImage);
    EXPECT_EQ(ProtocolImage(L":Y Chest PA"), kPendingImage);
    EXPECT_EQ(ProtocolImage(L":Y Chest:Y"), kDoneImage);
    EXPECT_EQ(ProtocolImage(L"Chest PA:R"), kPendingImage);
    EXPECT_EQ(ProtocolImage(L"Chest PA"), kPendingImage);
    EXPECT_EQ(ProtocolImage(L""), kPendingImage);
    EXPECT_EQ(ReplaceAll(L"a:Rb:R", L":R", L":Y"), L"a:Yb:Y");
    EXPECT_EQ(ReplaceAll(L"none", L":R", L":Y"), L"none");
    EXPECT_EQ(ReplaceAll(L":R:R:R", L":R", L":Y"), L":Y:Y:Y");
    EXPECT_EQ(ReplaceAll(L"::RR", L":R", L":Y"), L"::YR");
}

TEST(Layout, EveryControlHasOnePlaceInsideThePanel) {
    std::set<int> seen;
    for (const CPlace& p : ControlLayout()) {
        EXPECT_TRUE(seen.insert(p.id).second) << "placed twice: " << p.id;
        EXPECT_GE(p.x, 0);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.x + p.cx, 1024) << p.id;
        EXPECT_LE(p.y + p.cy, 768) << p.id;
    }
    EXPECT_EQ(seen.size(), 47u);
    // Stepper rows are 72 pixels apart.
    auto y = [](int id) {
        for (const CPlace& p : ControlLayout())
            if (p.id == id)
                return p.y;
        return -1;
    };
    EXPECT_EQ(y(IDC_MA_UP) - y(IDC_KVP_UP), 72);
    EXPECT_EQ(y(IDC_TIME_DOWN) - y(IDC_MAS_DOWN), 72);
    EXPECT_EQ(TreePlace(true).cy, 310);
    EXPECT_EQ(TreePlace(false).cy, 460);
    EXPECT_EQ(CeilingPanelPlace().y, 534);
}

TEST(Watchdog, EitherCoordinateInPlaceKeepsThePanelWhereItIs) {
    EXPECT_TRUE(PanelInPlace(11, 21, 10, 20));
    EXPECT_TRUE(PanelInPlace(500, 21, 10, 20));  // moved only horizontally
    EXPECT_TRUE(PanelInPlace(11, 400, 10, 20));
    EXPECT_FALSE(PanelInPlace(500, 400, 10, 20));
    EXPECT_FALSE(PanelInPlace(10, 20, 10, 20));  // the corner itself is one pixel off
}
