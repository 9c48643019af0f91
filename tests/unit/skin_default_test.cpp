// The default skin as shipped in Skins/: a clean file that gives every element name the system applies a
// look, legible text, active choices and lit lamps that stand out from their plain looks, and a logo drawn on
// the skin's own dialog colour.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_raster.h"

namespace {

std::filesystem::path SkinsFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "Skins";
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every element name the system gives a window, by the screen that uses it.
const char* const kElements[] = {
    "sidecar_stcBtnL",
    "sidecar_stcBtnS",
    "sidecar_pBtn_disab",
    "sidecar_pBtn_trans",
    "sidecar_pBtn_psml",
    "sidecar_pBtn_mamas",
    "sidecar_pBtn_aec",
    "sidecar_aec0",
    "sidecar_aec1",
    "sidecar_aec2",
    "panelControl_activeCtrlBtn_pr",
    "panelControl_aecBtn_pr",
    "panelControl_aec0Btn_pr",
    "panelControl_aec1Btn_pr",
    "panelControl_aec2Btn_pr",
    "panelControl_patsizeBtn_pr",
    "panelControl_ledGBtn_blue",
    "panelControl_ledGBtn_gray",
    "statusBar_ledRBtn_gray",
    "statusBar_ledRBtn_yellow",
    "statusBar_ledEBtn_gray",
    "statusBar_ledEBtn_green",
    "barmain_RLBtn_pr",
    "browser_BrwLogo_900",
    "config_lineBtn",
    "pBt_210_030_n",
    "testBtn0001",
    "message_w",
    "message_q",
    "message_i",
    "message_x",
};

// Relative luminance and contrast ratio as the accessibility guidelines define them.
double Luminance(CSkinColor c) {
    auto channel = [](uint8_t v) {
        double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
}

double Contrast(CSkinColor a, CSkinColor b) {
    double la = Luminance(a);
    double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How far a colour is from grey: 0 for greys, up to 255.
int Saturation(CSkinColor c) {
    return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
}

class DefaultSkin : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string bytes = ReadAll(SkinsFolder() / "default.skf");
        ASSERT_FALSE(bytes.empty()) << "no " << (SkinsFolder() / "default.skf");
        m_file = ParseSkinFile(bytes, &m_diags);
        ASSERT_TRUE(m_file.has_value());
        const CSkinLook* dialog = m_file->Find("dialog");
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->normal.face && !dialog->normal.face->bNone);
        m_dialogFace = dialog->normal.face->color;
    }
    // A state of an element as the painter resolves it on the dialog's surface.
    CSkinResolved Paint(const char* element, CSkinState state = CSkinState::kNormal) const {
        const CSkinLook* look = m_file->Find(element);
        EXPECT_NE(look, nullptr) << element;
        static const CSkinLook kNone;
        return ResolveSkinPaint(look ? *look : kNone, state,
                                {{0xF0, 0xF0, 0xF0}, {0, 0, 0}, {0xA0, 0xA0, 0xA0}}, m_dialogFace);
    }
    CSkinColor FaceOf(const CSkinResolved& paint) const { return paint.faceTop.value_or(m_dialogFace); }

    std::optional<CSkinFile> m_file;
    std::vector<CSkinDiagnostic> m_diags;
    CSkinColor m_dialogFace;
};

}  // namespace

TEST_F(DefaultSkin, ParsesCleanlyAndGivesEveryElementALook) {
    for (const CSkinDiagnostic& d : m_diags)
        ADD_FAILURE() << "line " << d.nLine << ": " << DescribeSkinProblem(d.problem);
    for (const char* element : kElements)
        EXPECT_NE(m_file->Find(element), nullptr) << element;
    EXPECT_NE(m_file->Find("tree"), nullptr);
}

TEST_F(DefaultSkin, CaptionsReadFromAStepAwayAndDisabledOnesRecede) {
    for (const char* element : kElements) {
        CSkinResolved normal = Paint(element);
        if (normal.glyph != CSkinGlyph::kNone || std::string_view(element) == "config_lineBtn")
            continue;  // icons and chamber fields show their glyph, the separator no caption
        double contrast = Contrast(normal.text, FaceOf(normal));
        EXPECT_GE(contrast, 4.5) << element;
        CSkinResolved pressed = Paint(element, CSkinState::kPressed);
        EXPECT_GE(Contrast(pressed.text, FaceOf(pressed)), 4.5) << element << " pressed";
        CSkinResolved disabled = Paint(element, CSkinState::kDisabled);
        EXPECT_LT(Contrast(disabled.text, FaceOf(disabled)), contrast * 0.6) << element << " disabled";
    }
    const CSkinLook* dialog = m_file->Find("dialog");
    ASSERT_TRUE(dialog->normal.text.has_value());
    EXPECT_GE(Contrast(*dialog->normal.text, m_dialogFace), 7.0) << "labels on the surface";
}

TEST_F(DefaultSkin, ActiveChoicesStandOutFromTheirPlainLooks) {
    const std::pair<const char*, const char*> pairs[] = {
        {"panelControl_activeCtrlBtn_pr", "sidecar_pBtn_mamas"},
        {"panelControl_aecBtn_pr", "sidecar_pBtn_aec"},
        {"panelControl_aec0Btn_pr", "sidecar_aec0"},
        {"panelControl_aec1Btn_pr", "sidecar_aec1"},
        {"panelControl_aec2Btn_pr", "sidecar_aec2"},
        {"panelControl_patsizeBtn_pr", "sidecar_pBtn_psml"},
        {"barmain_RLBtn_pr", "sidecar_pBtn_psml"},
    };
    for (const auto& [active, plain] : pairs) {
        CSkinColor on = FaceOf(Paint(active));
        CSkinColor off = FaceOf(Paint(plain));
        EXPECT_GT(Saturation(on), Saturation(off) + 60) << active << " against " << plain;
        EXPECT_GT(Contrast(on, m_dialogFace), Contrast(off, m_dialogFace)) << active;
    }
    // The size the console reports looks the same whichever of its two names set it.
    EXPECT_EQ(m_file->Find("barmain_RLBtn_pr")->For(CSkinState::kNormal),
              m_file->Find("panelControl_patsizeBtn_pr")->For(CSkinState::kNormal));
}

TEST_F(DefaultSkin, LampsAreRoundAndLightOnlyWhenOn) {
    const std::pair<const char*, const char*> lamps[] = {
        {"panelControl_ledGBtn_blue", "panelControl_ledGBtn_gray"},
        {"statusBar_ledRBtn_yellow", "statusBar_ledRBtn_gray"},
        {"statusBar_ledEBtn_green", "statusBar_ledEBtn_gray"},
    };
    for (const auto& [on, off] : lamps) {
        CSkinResolved lit = Paint(on);
        CSkinResolved dark = Paint(off);
        EXPECT_GE(lit.radius, 16) << on << ": a 32-pixel lamp is a disc";
        EXPECT_GE(dark.radius, 16) << off;
        EXPECT_GT(Saturation(FaceOf(lit)), 100) << on;
        EXPECT_LT(Saturation(FaceOf(dark)), 24) << off << " is grey";
        EXPECT_GT(Luminance(FaceOf(lit)), 4 * Luminance(FaceOf(dark))) << on;
    }
}

TEST_F(DefaultSkin, DisplaysStepperSeparatorAndIconsHaveTheirShapes) {
    for (const char* display : {"sidecar_stcBtnS", "sidecar_stcBtnL"})
        EXPECT_LT(Luminance(FaceOf(Paint(display))), Luminance(m_dialogFace)) << display << " is sunk";
    CSkinResolved stepper = Paint("sidecar_pBtn_trans");
    EXPECT_FALSE(stepper.faceTop.has_value());
    EXPECT_FALSE(stepper.border.has_value());
    EXPECT_TRUE(Paint("sidecar_pBtn_trans", CSkinState::kPressed).faceTop.has_value()) << "a press shows";
    CSkinResolved label = Paint("sidecar_pBtn_disab");
    EXPECT_FALSE(label.faceTop.has_value());
    CSkinResolved line = Paint("config_lineBtn");
    EXPECT_EQ(line.radius, 0);
    EXPECT_FALSE(line.border.has_value());
    EXPECT_GT(Contrast(FaceOf(line), m_dialogFace), 1.3);

    EXPECT_EQ(Paint("message_w").glyph, CSkinGlyph::kWarning);
    EXPECT_EQ(Paint("message_q").glyph, CSkinGlyph::kQuestion);
    EXPECT_EQ(Paint("message_i").glyph, CSkinGlyph::kInformation);
    EXPECT_EQ(Paint("message_x").glyph, CSkinGlyph::kError);
    EXPECT_EQ(Paint("sidecar_aec0").glyph, CSkinGlyph::kFieldLeft);
    EXPECT_EQ(Paint("sidecar_aec1").glyph, CSkinGlyph::kFieldCenter);
    EXPECT_EQ(Paint("sidecar_aec2").glyph, CSkinGlyph::kFieldRight);
    EXPECT_EQ(Paint("panelControl_aec0Btn_pr").glyph, CSkinGlyph::kFieldLeft);
    EXPECT_EQ(Paint("panelControl_aec1Btn_pr").glyph, CSkinGlyph::kFieldCenter);
    EXPECT_EQ(Paint("panelControl_aec2Btn_pr").glyph, CSkinGlyph::kFieldRight);
    for (const char* icon : {"message_w", "message_q", "message_i", "message_x"}) {
        CSkinResolved p = Paint(icon);
        EXPECT_GE(Contrast(p.glyphColor, m_dialogFace), 3.0) << icon;
        EXPECT_GE(Contrast(p.text, p.glyphColor), 3.0) << icon << ": the mark on the badge";
    }
}

TEST_F(DefaultSkin, TheLogoIsA250By40BitmapOnTheDialogColour) {
    std::string bmp = ReadAll(SkinsFolder() / "SIDECAR_LOGO.bmp");
    ASSERT_GE(bmp.size(), 54u);
    auto u16 = [&](size_t at) {
        return static_cast<uint8_t>(bmp[at]) | static_cast<uint8_t>(bmp[at + 1]) << 8;
    };
    auto i32 = [&](size_t at) {
        return static_cast<int32_t>(static_cast<uint32_t>(u16(at)) | static_cast<uint32_t>(u16(at + 2))
                                                                         << 16);
    };
    ASSERT_EQ(bmp.substr(0, 2), "BM");
    const int32_t width = i32(18);
    const int32_t height = i32(22);
    EXPECT_EQ(width, 250);
    EXPECT_EQ(std::abs(height), 40);
    ASSERT_EQ(u16(28), 24) << "24 bits per pixel";
    EXPECT_EQ(i32(30), 0) << "uncompressed";
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t offset = static_cast<size_t>(i32(10));
    ASSERT_GE(bmp.size(), offset + stride * 40);
    // Every corner is the dialog's surface, so the picture sits seamlessly on the panel.
    for (size_t row : {size_t{0}, size_t{39}}) {
        for (size_t col : {size_t{0}, size_t{249}}) {
            const size_t at = offset + row * stride + col * 3;
            CSkinColor pixel{static_cast<uint8_t>(bmp[at + 2]), static_cast<uint8_t>(bmp[at + 1]),
                             static_cast<uint8_t>(bmp[at])};
            EXPECT_EQ(pixel, m_dialogFace) << row << "," << col;
        }
    }
}
