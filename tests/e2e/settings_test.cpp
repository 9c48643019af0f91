// Hostile settings and skin files: whatever Hostapp.ini and the skin hold, the panel starts, shows its
// window, reports a press, and shows the defaults wherever the file made a value unreadable.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "harness/e2e_case.h"
#include "link/codes.h"
#include "resources/resource.h"

namespace sidecar::e2e {
namespace {

// splitmix64 from a fixed start value, so the garbage files are the same every run.
std::string Garbage(std::size_t n, std::uint64_t state) {
    std::string out(n, '\0');
    for (char& c : out) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        c = static_cast<char>(z ^ (z >> 31));
    }
    return out;
}

// UTF-16 LE with its byte order mark, from ASCII text.
std::string Utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

// A literal with its NULs, without the terminating one.
template <std::size_t N>
std::string Raw(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string Big(std::size_t n) {
    std::string out = "[JUNK]\r\n";
    for (int i = 0; out.size() < n; ++i)
        out += "Key" + std::to_string(i) + "=" + std::string(60, 'v') + "\r\n";
    return out;
}

enum class Sizes { Plain, Vet, Either };  // P S M L, S M L XL, or not decided by this variant

struct Variant {
    const char* name;
    std::optional<std::string> ini;   // nullopt: no Hostapp.ini
    std::optional<std::string> skin;  // nullopt: no skin file
    Sizes sizes = Sizes::Plain;
    std::optional<POINT> place;  // where the panel must be, when the variant decides it
    bool deviceShown = false;    // the stand SDK panel's device button
};

void PrintTo(const Variant& v, std::ostream* os) {
    *os << v.name;
}

const std::string kLongFont(400, 'W');
const std::string kHuge = "99999999999999999999";

const Variant kVariants[] = {
    {"BinaryGarbage", Garbage(4096, 1), {}, Sizes::Plain, POINT{0, 0}},
    {"GarbageWithNuls", Raw("[SYSTEM]\r\nIsVet=1\0\0\0\x01\x02\r\nSidecarPosX=9\r\n"), {}, Sizes::Either},
    {"HugeValues",
     "[SYSTEM]\r\nSidecarPosX=" + kHuge + "\r\nSidecarPosY=" + kHuge + "\r\nFontSize=" + kHuge +
         "\r\nFontSizeL=" + kHuge + "\r\nIsVet=0\r\n[KOVESDK]\r\nKOVESDK=" + kHuge + "\r\nTYPE=" + kHuge +
         "\r\n",
     {},
     Sizes::Plain},
    {"OverflowByOne",
     "[SYSTEM]\r\nSidecarPosX=2147483648\r\nSidecarPosY=4294967296\r\nFontSize=4294967295\r\n",
     {},
     Sizes::Plain},
    {"NegativePlaces",
     "[SYSTEM]\r\nSidecarPosX=-100\r\nSidecarPosY=-5000\r\nFontSize=-20\r\nFontSizeL=-1\r\n",
     {},
     Sizes::Plain},
    {"ZeroFonts", "[SYSTEM]\r\nFontSize=0\r\nFontSizeL=0\r\nFontName=\r\n", {}, Sizes::Plain, POINT{0, 0}},
    {"LongFontName",
     "[SYSTEM]\r\nSidecarPosX=15\r\nFontName=" + kLongFont + "\r\n",
     {},
     Sizes::Plain,
     POINT{15, 0}},
    {"HundredKilobyteLine",
     "[SYSTEM]\r\nFontName=" + std::string(100000, 'x') + "\r\nSidecarPosY=7\r\n",
     {},
     Sizes::Plain},
    {"NoSectionAtAll", "SidecarPosX=33\r\nIsVet=1\r\nKOVESDK=1\r\n", {}, Sizes::Plain, POINT{0, 0}},
    {"WrongSections",
     "[SYSTEMS]\r\nSidecarPosX=33\r\nIsVet=1\r\n[KOVE]\r\nKOVESDK=1\r\n",
     {},
     Sizes::Plain,
     POINT{0, 0}},
    {"EmptyFile", "", {}, Sizes::Plain, POINT{0, 0}},
    {"Utf16WithByteOrderMark",
     Utf16("[SYSTEM]\r\nSidecarPosX=40\r\nSidecarPosY=4\r\nIsVet=1\r\n"),
     {},
     Sizes::Vet,
     POINT{40, 4}},
    {"OnlyUtf16ByteOrderMark", "\xFF\xFE", {}, Sizes::Plain, POINT{0, 0}},
    {"OnlyUtf8ByteOrderMark", "\xEF\xBB\xBF", {}, Sizes::Plain, POINT{0, 0}},
    {"KeysWithoutEquals",
     "[SYSTEM]\r\nSidecarPosX\r\nIsVet\r\nFontName\r\n[KOVESDK]\r\nKOVESDK\r\n",
     {},
     Sizes::Plain,
     POINT{0, 0}},
    {"UnreadableNumbers",
     "[SYSTEM]\r\nSidecarPosX=abc\r\nSidecarPosY= \r\nIsVet=yes\r\n[KOVESDK]\r\nKOVESDK=one\r\n",
     {},
     Sizes::Plain,
     POINT{0, 0}},
    {"DuplicateSectionsAndKeys",
     "[SYSTEM]\r\nSidecarPosX=50\r\nSidecarPosX=51\r\n[KOVESDK]\r\nKOVESDK=0\r\n[SYSTEM]\r\nSidecarPosX="
     "60\r\n",
     {},
     Sizes::Either},
    {"CarriageReturnOnly", "[SYSTEM]\rSidecarPosX=70\rIsVet=1\r[KOVESDK]\rKOVESDK=5\r", {}, Sizes::Either},
    {"OneMegabyte", Big(1 << 20) + "[SYSTEM]\r\nSidecarPosX=21\r\n", {}, Sizes::Plain, POINT{21, 0}},
    {"HugeSectionName",
     "[" + std::string(5000, 'S') + "]\r\nIsVet=1\r\n[SYSTEM\r\nIsVet=1\r\n",
     {},
     Sizes::Either},
    {"StandSettingsOutOfRange", "[KOVESDK]\r\nKOVESDK=-1\r\nTYPE=-7\r\n", {}, Sizes::Plain, POINT{0, 0}},
    {"StandSdkWithHostileType",
     "[KOVESDK]\r\nKOVESDK=1\r\nTYPE=" + kHuge + "\r\n",
     {},
     Sizes::Plain,
     POINT{0, 0},
     true},
    {"SkinTypeIsAFolder", "[SYSTEM]\r\nSkinType=.\r\n", {}, Sizes::Plain, POINT{0, 0}},
    {"SkinTypeIsLongAndAbsent",
     "[SYSTEM]\r\nSkinType=" + std::string(400, 'k') + ".skf\r\n",
     {},
     Sizes::Plain,
     POINT{0, 0}},
    // Hostile skin files (the default name).
    {"SkinBinary", std::nullopt, Garbage(65536, 2), Sizes::Plain, POINT{0, 0}},
    {"SkinSignatureOnly", std::nullopt, "SidecarSkin 1", Sizes::Plain, POINT{0, 0}},
    {"SkinSignatureThenGarbage", std::nullopt, "SidecarSkin 1\n" + Garbage(65536, 3), Sizes::Plain,
     POINT{0, 0}},
    {"SkinHugeValues", std::nullopt,
     "SidecarSkin 1\n[dialog]\nface = #GGGGGG\nborder_width = " + kHuge +
         "\nradius = -5\nalign = \n"
         "[sidecar_pBtn_trans]\nface2 = #" +
         std::string(5000, 'F') + "\nborder_width = -1\nradius = " + kHuge +
         "\nglyph = field_left\nbase = sidecar_pBtn_trans\n",
     Sizes::Plain, POINT{0, 0}},
    {"SkinBaseCycle", std::nullopt,
     "SidecarSkin 1\n[sidecar_pBtn_trans]\nbase = sidecar_stcBtnS\n[sidecar_stcBtnS]\nbase = "
     "sidecar_pBtn_trans\n"
     "[dialog]\nbase = dialog\nface = #101010\n",
     Sizes::Plain, POINT{0, 0}},
    {"SkinFourMegabytes", std::nullopt,
     [] {
         std::string s = "SidecarSkin 1\n";
         for (int i = 0; s.size() < (4u << 20); ++i)
             s += "[element" + std::to_string(i) + "]\nface = #123456\nbase = element" +
                  std::to_string(i + 1) + "\n";
         return s;
     }(),
     Sizes::Plain, POINT{0, 0}},
};

class BadSettings : public CSidecarCase, public ::testing::WithParamInterface<Variant> {};

TEST_P(BadSettings, PanelStartsAnswersAndShowsTheDefaults) {
    const Variant& v = GetParam();
    StartOptions options;
    options.hostappIni = v.ini;
    if (v.skin)
        options.files = {{L"Skins\\default.skf", *v.skin}};
    ASSERT_TRUE(m_run.Start(options));
    EXPECT_EQ(m_run.Caption(m_run.Panel()), L"Sidecar");
    EXPECT_TRUE(::IsWindowVisible(m_run.Panel()));

    if (v.sizes != Sizes::Either) {
        std::vector<std::wstring> sizes;
        for (int id = IDC_SIZE_0; id <= IDC_SIZE_3; ++id)
            sizes.push_back(m_run.Caption(id));
        EXPECT_EQ(sizes, v.sizes == Sizes::Vet ? (std::vector<std::wstring>{L"S", L"M", L"L", L"XL"})
                                               : (std::vector<std::wstring>{L"P", L"S", L"M", L"L"}));
    }
    if (v.place) {
        RECT rc{};
        ::GetWindowRect(m_run.Panel(), &rc);
        EXPECT_EQ(rc.left, v.place->x);
        EXPECT_EQ(rc.top, v.place->y);
    }
    EXPECT_EQ(m_run.IsVisible(IDC_DEVICE), v.deviceShown);

    m_run.ClearReports();
    ASSERT_TRUE(m_run.Press(IDC_KVP_UP)) << "kVp up is hidden or disabled";
    ASSERT_TRUE(m_run.Sync());
    ASSERT_EQ(m_run.Reports().size(), 1u);
    EXPECT_EQ(m_run.Reports()[0].code, wire::CDC_BUTTON);
    EXPECT_EQ(m_run.Reports()[0].cbData, 2u);
    EXPECT_EQ(m_run.Close(), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(Files, BadSettings, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace sidecar::e2e
