// The skin file is hand-edited: the signature decides whether a file is ours at all, and inside it a bad
// line must cost only that line, never the whole look.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "skin/skin_file.h"

namespace {

using Diags = std::vector<CSkinDiagnostic>;

std::optional<CSkinFile> Parse(const std::string& text, Diags* diags = nullptr) {
    return ParseSkinFile(text, diags);
}

// The problems reported, as (line, problem) pairs.
std::vector<std::pair<size_t, CSkinProblem>> Problems(const Diags& diags) {
    std::vector<std::pair<size_t, CSkinProblem>> out;
    for (const auto& d : diags)
        out.emplace_back(d.nLine, d.problem);
    return out;
}

constexpr CSkinColor kRed{0xFF, 0x00, 0x00};
constexpr CSkinFill kRedFace{false, kRed};

}  // namespace

TEST(SkinSignature, AcceptsTheFirstLineWithBomLineEndsAndTrailingBlanks) {
    for (const char* text : {"SidecarSkin 1", "SidecarSkin 1\n", "SidecarSkin 1\r\n[a]\r\n",
                             "\xEF\xBB\xBFSidecarSkin 1\n", "SidecarSkin 1 \t\r\n", "SidecarSkin 1\r[a]"}) {
        EXPECT_TRUE(Parse(text).has_value()) << text;
    }
}

TEST(SkinSignature, RejectsForeignFiles) {
    const std::string utf16(
        "\xFF\xFES\0i\0d\0e\0c\0a\0r\0S\0k\0i\0n\0 \0"
        "1\0\n\0",
        30);
    for (const std::string& text :
         {std::string(), std::string("\n"), std::string("SidecarSkin 2\n"), std::string("sidecarskin 1\n"),
          std::string(" SidecarSkin 1\n"), std::string("SidecarSkin  1\n"), std::string("SidecarSkin 10\n"),
          std::string("SidecarSkin 1;\n"), std::string("[button]\nface = #000000\n"),
          std::string("\nSidecarSkin 1\n"), std::string("\xEF\xBB\xBF\xEF\xBB\xBFSidecarSkin 1"), utf16}) {
        EXPECT_FALSE(Parse(text).has_value()) << text;
    }
}

TEST(SkinFile, ReadsEveryKeyWithCommentsAndBlankLines) {
    Diags diags;
    auto file = Parse(
        "SidecarSkin 1\n"
        "; a comment\n"
        "  # another one\n"
        "\n"
        "[sidecar_pBtn_aec]\n"
        "face = #FF0000\n"
        "face2=#00ff80\n"
        "  border   =   none  \n"
        "text = #0A0b0C\n"
        "radius = 32\n"
        "align = Center\n"
        "border_width = 8\n"
        "[dialog]\n"
        "border = #102030\n"
        "radius = 0\n"
        "align = right\n",
        &diags);
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(diags.empty());
    EXPECT_EQ(file->Size(), 2u);

    const CSkinLook* look = file->Find("sidecar_pBtn_aec");
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(look->normal.face, kRedFace);
    EXPECT_EQ(look->normal.face2, (CSkinColor{0x00, 0xFF, 0x80}));
    EXPECT_EQ(look->normal.border, (CSkinBorder{true, {}}));
    EXPECT_EQ(look->normal.text, (CSkinColor{0x0A, 0x0B, 0x0C}));
    EXPECT_EQ(look->normal.radius, 32);
    EXPECT_EQ(look->normal.align, CSkinAlign::kCenter);
    EXPECT_EQ(look->normal.borderWidth, 8);

    const CSkinLook* dialog = file->Find("dialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->normal.border, (CSkinBorder{false, {0x10, 0x20, 0x30}}));
    EXPECT_EQ(dialog->normal.radius, 0);
    EXPECT_EQ(dialog->normal.align, CSkinAlign::kRight);
    EXPECT_FALSE(dialog->normal.face.has_value());

    EXPECT_EQ(file->Find("SIDECAR_PBTN_AEC"), look);  // names ignore ASCII case, like atoms
    EXPECT_EQ(file->Find("sidecar_pBtn"), nullptr);
    EXPECT_EQ(file->Find(""), nullptr);
}

TEST(SkinFile, SkipsBadValuesAndReportsTheirLines) {
    Diags diags;
    auto file = Parse(
        "SidecarSkin 1\r\n"
        "[b]\r\n"
        "face = #12345\r\n"         // 3
        "face = #GGGGGG\r\n"        // 4
        "text = 123456\r\n"         // 5
        "face2 = #1234567\r\n"      // 6
        "radius = 33\r\n"           // 7
        "radius = -1\r\n"           // 8
        "border_width = 9\r\n"      // 9
        "align = middle\r\n"        // 10
        "border = nothing\r\n"      // 11
        "face =\r\n"                // 12
        "radius = 99999999999\r\n"  // 13
        "text = #00ff00\r\n",
        &diags);
    ASSERT_TRUE(file.has_value());
    std::vector<std::pair<size_t, CSkinProblem>> expected;
    for (size_t line = 3; line <= 13; ++line)
        expected.emplace_back(line, CSkinProblem::kBadValue);
    EXPECT_EQ(Problems(diags), expected);

    const CSkinLook* look = file->Find("b");
    ASSERT_NE(look, nullptr);
    CSkinPaint onlyText;
    onlyText.text = CSkinColor{0, 0xFF, 0};
    EXPECT_EQ(look->normal, onlyText);
}

TEST(SkinFile, ReportsMalformedLinesAndKeepsGoing) {
    Diags diags;
    auto file = Parse(
        "SidecarSkin 1\n"
        "face = #FF0000\n"        // 2: before any section
        "[unknown element]\n"     // accepted: any name may be given to a window
        "colour = #FF0000\n"      // 4
        "hover.face = #FF0000\n"  // 5
        "pressed.size = 3\n"      // 6
        "just words\n"            // 7
        "= #FF0000\n"             // 8
        "[broken\n"               // 9
        "face = #FF0000\n"        // 10: its section is broken
        "[]\n"                    // 11
        "[x] trailing\n"          // 12
        "[a]b]\n"                 // 13
        "[ok]\n"
        "face = #FF0000\n",
        &diags);
    ASSERT_TRUE(file.has_value());
    using P = CSkinProblem;
    std::vector<std::pair<size_t, CSkinProblem>> expected = {
        {2, P::kKeyOutsideSection}, {4, P::kUnknownKey},  {5, P::kUnknownKey},  {6, P::kUnknownKey},
        {7, P::kBadLine},           {8, P::kBadLine},     {9, P::kBadSection},  {10, P::kKeyOutsideSection},
        {11, P::kBadSection},       {12, P::kBadSection}, {13, P::kBadSection},
    };
    EXPECT_EQ(Problems(diags), expected);
    ASSERT_NE(file->Find("unknown element"), nullptr);
    EXPECT_EQ(file->Find("unknown element")->normal, CSkinPaint{});
    ASSERT_NE(file->Find("ok"), nullptr);
    EXPECT_EQ(file->Find("ok")->normal.face, kRedFace);
    EXPECT_EQ(file->Size(), 2u);
    for (const auto& d : diags)
        EXPECT_STRNE(DescribeSkinProblem(d.problem), "");
}

TEST(SkinFile, RepeatedSectionsMergeAndRepeatedKeysTakeTheLaterValue) {
    Diags diags;
    auto file = Parse(
        "SidecarSkin 1\n"
        "[lamp]\n"
        "face = #000001\n"
        "text = #000002\n"
        "[other]\n"
        "[LAMP]\n"
        "face = #FF0000\n"  // 7
        "radius = 4\n",
        &diags);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(Problems(diags),
              (std::vector<std::pair<size_t, CSkinProblem>>{{7, CSkinProblem::kDuplicateKey}}));
    const CSkinLook* look = file->Find("lamp");
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(look->normal.face, kRedFace);
    EXPECT_EQ(look->normal.text, (CSkinColor{0, 0, 2}));
    EXPECT_EQ(look->normal.radius, 4);
}

TEST(SkinFile, StateOverridesApplyOverTheNormalLook) {
    auto file = Parse(
        "SidecarSkin 1\n"
        "[btn]\n"
        "face = #101010\n"
        "text = #202020\n"
        "radius = 6\n"
        "pressed.face = #FF0000\n"
        "Disabled.Text = #808080\n"
        "disabled.border = none\n"
        "focused.border_width = 2\n");
    ASSERT_TRUE(file.has_value());
    const CSkinLook* look = file->Find("btn");
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(look->normal.face, (CSkinFill{false, {0x10, 0x10, 0x10}}));
    EXPECT_FALSE(look->normal.border.has_value());

    CSkinPaint pressed = look->For(CSkinState::kPressed);
    EXPECT_EQ(pressed.face, kRedFace);
    EXPECT_EQ(pressed.text, (CSkinColor{0x20, 0x20, 0x20}));
    EXPECT_EQ(pressed.radius, 6);

    CSkinPaint disabled = look->For(CSkinState::kDisabled);
    EXPECT_EQ(disabled.face, (CSkinFill{false, {0x10, 0x10, 0x10}}));
    EXPECT_EQ(disabled.text, (CSkinColor{0x80, 0x80, 0x80}));
    EXPECT_EQ(disabled.border, (CSkinBorder{true, {}}));

    EXPECT_EQ(look->For(CSkinState::kFocused).borderWidth, 2);
    EXPECT_FALSE(look->For(CSkinState::kPressed).borderWidth.has_value());
    EXPECT_EQ(look->For(CSkinState::kNormal), look->normal);
}

TEST(SkinFile, SurvivesGarbageHugeLinesAndLargeFiles) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string junk(static_cast<size_t>(round) * 37, '\0');
        for (char& c : junk)
            c = static_cast<char>(byte(rng));
        EXPECT_FALSE(Parse(junk).has_value());
        Diags diags;
        auto file = Parse("SidecarSkin 1\n[g]\n" + junk, &diags);
        EXPECT_TRUE(file.has_value());
    }

    std::string allBytes = "SidecarSkin 1\n[x]\nface = ";
    for (int c = 0; c < 256; ++c)
        allBytes += static_cast<char>(c);
    Diags diags;
    EXPECT_TRUE(Parse(allBytes, &diags).has_value());
    EXPECT_FALSE(diags.empty());

    auto huge =
        Parse("SidecarSkin 1\n[x]\ntext = #" + std::string(2'000'000, 'a') + "\nface = #FF0000\n", &diags);
    ASSERT_TRUE(huge.has_value());
    EXPECT_EQ(huge->Find("x")->normal.face, kRedFace);

    std::string big = "SidecarSkin 1\n";
    for (int i = 0; i < 50000; ++i)
        big += "[element_" + std::to_string(i) + "]\nface = #FF0000\nradius = 3\n";
    diags.clear();
    auto many = Parse(big, &diags);
    ASSERT_TRUE(many.has_value());
    EXPECT_TRUE(diags.empty());
    EXPECT_EQ(many->Size(), 50000u);
    ASSERT_NE(many->Find("element_49999"), nullptr);
    EXPECT_EQ(many->Find("element_49999")->normal.radius, 3);
}

TEST(SkinFile, ReadsTransparentFacesAndGlyphs) {
    Diags diags;
    auto file = Parse(
        "SidecarSkin 1\n"
        "[stepper]\n"
        "face = NONE\n"
        "pressed.face = #102030\n"
        "[icon]\n"
        "glyph = Warning\n"
        "glyph_color = #F2B134\n"
        "disabled.glyph = none\n"
        "[fields]\n"
        "glyph = field_center\n"
        "glyph = field-left\n"  // 11
        "glyph = #FF0000\n"     // 12
        "glyph_color = none\n"  // 13
        "face2 = none\n",       // 14: a gradient end is always a colour
        &diags);
    ASSERT_TRUE(file.has_value());
    using P = CSkinProblem;
    EXPECT_EQ(Problems(diags),
              (std::vector<std::pair<size_t, CSkinProblem>>{
                  {11, P::kBadValue}, {12, P::kBadValue}, {13, P::kBadValue}, {14, P::kBadValue}}));

    const CSkinLook* stepper = file->Find("stepper");
    ASSERT_NE(stepper, nullptr);
    EXPECT_EQ(stepper->normal.face, (CSkinFill{true, {}}));
    EXPECT_EQ(stepper->For(CSkinState::kPressed).face, (CSkinFill{false, {0x10, 0x20, 0x30}}));
    EXPECT_EQ(stepper->For(CSkinState::kDisabled).face, (CSkinFill{true, {}}));

    const CSkinLook* icon = file->Find("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->normal.glyph, CSkinGlyph::kWarning);
    EXPECT_EQ(icon->normal.glyphColor, (CSkinColor{0xF2, 0xB1, 0x34}));
    EXPECT_EQ(icon->For(CSkinState::kDisabled).glyph, CSkinGlyph::kNone);
    EXPECT_EQ(icon->For(CSkinState::kDisabled).glyphColor, (CSkinColor{0xF2, 0xB1, 0x34}));
    EXPECT_EQ(file->Find("fields")->normal.glyph, CSkinGlyph::kFieldCenter);

    // Every glyph name the format knows.
    const std::pair<const char*, CSkinGlyph> names[] = {
        {"none", CSkinGlyph::kNone},
        {"warning", CSkinGlyph::kWarning},
        {"question", CSkinGlyph::kQuestion},
        {"information", CSkinGlyph::kInformation},
        {"error", CSkinGlyph::kError},
        {"field_left", CSkinGlyph::kFieldLeft},
        {"field_center", CSkinGlyph::kFieldCenter},
        {"field_right", CSkinGlyph::kFieldRight},
    };
    for (const auto& [name, glyph] : names) {
        auto one = Parse(std::string("SidecarSkin 1\n[g]\nglyph = ") + name + "\n");
        ASSERT_TRUE(one.has_value());
        EXPECT_EQ(one->Find("g")->normal.glyph, glyph) << name;
    }
}

TEST(SkinFile, BasesFillWhatASectionLeavesUnsetStateByState) {
    Diags diags;
    auto file = Parse(
        "SidecarSkin 1\n"
        "[active]\n"
        "base = button\n"  // the base comes later in the file
        "face = #0000FF\n"
        "[button]\n"
        "base = shape\n"
        "face = #333333\n"
        "text = #EEEEEE\n"
        "pressed.face = #111111\n"
        "disabled.text = #777777\n"
        "[shape]\n"
        "radius = 7\n"
        "border = none\n"
        "[aec1]\n"
        "base = Active\n"  // names ignore case
        "glyph = field_center\n",
        &diags);
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(diags.empty());

    const CSkinLook* active = file->Find("active");
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->normal.face, (CSkinFill{false, {0, 0, 0xFF}}));  // its own key wins
    EXPECT_EQ(active->normal.text, (CSkinColor{0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(active->normal.radius, 7);  // through two bases
    EXPECT_EQ(active->normal.border, (CSkinBorder{true, {}}));
    // A state takes its base's state keys: the base's pressed face is part of what "active" inherits.
    EXPECT_EQ(active->For(CSkinState::kPressed).face, (CSkinFill{false, {0x11, 0x11, 0x11}}));
    EXPECT_EQ(active->For(CSkinState::kDisabled).text, (CSkinColor{0x77, 0x77, 0x77}));

    const CSkinLook* aec1 = file->Find("aec1");
    ASSERT_NE(aec1, nullptr);
    EXPECT_EQ(aec1->normal.glyph, CSkinGlyph::kFieldCenter);
    EXPECT_EQ(aec1->normal.face, active->normal.face);
    EXPECT_EQ(aec1->normal.radius, 7);
    EXPECT_FALSE(file->Find("shape")->normal.face.has_value());  // bases are not changed by their users
}

TEST(SkinFile, ReportsBrokenBasesAndKeepsTheSectionsOwnKeys) {
    Diags diags;
    auto file = Parse(
        "SidecarSkin 1\n"
        "[a]\n"
        "base = b\n"  // 3
        "face = #000001\n"
        "[b]\n"
        "base = a\n"  // 6: back to a
        "text = #000002\n"
        "[self]\n"
        "base = self\n"  // 9
        "[orphan]\n"
        "base = nowhere\n"  // 11
        "radius = 3\n"
        "[twice]\n"
        "base = a\n"
        "base = orphan\n"  // 15: the later base is taken
        "[empty]\n"
        "base =\n"             // 17
        "pressed.base = a\n",  // 18: a base is for the whole section
        &diags);
    ASSERT_TRUE(file.has_value());
    auto problems = Problems(diags);
    std::sort(problems.begin(), problems.end());
    using P = CSkinProblem;
    // Of the cycle a-b one link is reported, whichever is followed first.
    ASSERT_EQ(problems.size(), 6u);
    EXPECT_TRUE(problems[0] == std::make_pair(size_t{3}, P::kBaseCycle) ||
                problems[0] == std::make_pair(size_t{6}, P::kBaseCycle));
    EXPECT_EQ(std::vector(problems.begin() + 1, problems.end()),
              (std::vector<std::pair<size_t, CSkinProblem>>{{9, P::kBaseCycle},
                                                            {11, P::kUnknownBase},
                                                            {15, P::kDuplicateKey},
                                                            {17, P::kBadValue},
                                                            {18, P::kUnknownKey}}));
    EXPECT_EQ(file->Find("a")->normal.face, (CSkinFill{false, {0, 0, 1}}));
    EXPECT_EQ(file->Find("b")->normal.text, (CSkinColor{0, 0, 2}));
    EXPECT_EQ(file->Find("orphan")->normal.radius, 3);
    EXPECT_EQ(file->Find("twice")->normal.radius, 3);            // from orphan
    EXPECT_FALSE(file->Find("twice")->normal.face.has_value());  // not from a
    for (const auto& d : diags)
        EXPECT_STRNE(DescribeSkinProblem(d.problem), "");
}

TEST(SkinFile, LongChainsOfBasesResolveWithoutRecursion) {
    std::string text = "SidecarSkin 1\n[s0]\nface = #FF0000\n";
    constexpr int kDepth = 20000;
    for (int i = 1; i <= kDepth; ++i)
        text += "[s" + std::to_string(i) + "]\nbase = s" + std::to_string(i - 1) + "\n";
    Diags diags;
    auto file = Parse(text, &diags);
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(diags.empty());
    EXPECT_EQ(file->Find("s" + std::to_string(kDepth))->normal.face, kRedFace);
}
