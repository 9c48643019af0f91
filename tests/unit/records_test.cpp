// Wire records: offsets, little-endian integers, bounded text slots and the dispatch decision.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "link/codes.h"
#include "link/dispatch.h"
#include "link/records.h"

using namespace wire;

namespace {

void PutText(std::vector<std::uint8_t>& b, std::size_t at, const char16_t* text) {
    for (std::size_t i = 0; text[i]; ++i) {
        b[at + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        b[at + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
}

void PutI32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(Records, ExposureStateFieldsComeFromTheirOffsets) {
    std::vector<std::uint8_t> b(128, 0);
    PutText(b, 0, u"81");
    PutText(b, 12, u"250");
    PutText(b, 24, u"12.5");
    PutText(b, 48, u"50");
    PutText(b, 72, u"+1");
    b[84] = 0xFF;  // patient size -1 as int16
    b[85] = 0xFF;
    b[86] = 0x77;  // unread bytes do not leak into anything
    PutI32(b, 104, 2);
    PutI32(b, 108, 1);
    b[112] = 1;
    b[114] = 0x55;
    PutI32(b, 116, 1);
    PutI32(b, 120, 0xFFFFFFFF);
    PutI32(b, 124, 0x01020304);

    auto s = ExposureState::Decode(b);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->kvp, L"81");
    EXPECT_EQ(s->ma, L"250");
    EXPECT_EQ(s->mas, L"12.5");
    EXPECT_EQ(s->time, L"50");
    EXPECT_EQ(s->aecValue, L"+1");
    EXPECT_EQ(s->patientSize, -1);
    EXPECT_EQ(s->aecSubMode, 2);
    EXPECT_EQ(s->timeUnit, 1);
    EXPECT_EQ(s->controlMode, 1);
    EXPECT_EQ(s->aecField[0], 1);
    EXPECT_EQ(s->aecField[1], -1);
    EXPECT_EQ(s->aecField[2], 0x01020304);

    // Re-encoding gives the same bytes, except the ones nobody reads.
    std::vector<std::uint8_t> again = s->Encode();
    b[86] = 0;
    b[114] = 0;
    EXPECT_EQ(again, b);
}

TEST(Records, TextSlotsStopAtTheirEndWithoutANul) {
    std::vector<std::uint8_t> b(128, 0);
    PutText(b, 0, u"123456");  // fills the 6-unit kVp slot, no NUL: must not run into the mA slot
    PutText(b, 12, u"ABC");
    auto s = ExposureState::Decode(b);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->kvp, L"123456");
    EXPECT_EQ(s->ma, L"ABC");

    std::vector<std::uint8_t> t(520, 'x');  // a tree text slot of 256 non-NUL units
    auto cmd = TreeCommand::Decode(t);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->text.size(), 256u);
    EXPECT_EQ(cmd->op, 0x78787878);
}

TEST(Records, NonAsciiUnitsSurviveTheRoundTrip) {
    PatientInfo p{L"ID-\u00e9", L"\ud55c\uad6d Name", L"ACC", std::wstring(300, L'S')};
    auto bytes = p.Encode();
    ASSERT_EQ(bytes.size(), 768u);
    auto back = PatientInfo::Decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->patientId, p.patientId);
    EXPECT_EQ(back->patientName, p.patientName);
    EXPECT_EQ(back->study, std::wstring(256, L'S'));  // cut to its slot
    // The study slot starts at byte 256.
    EXPECT_EQ(bytes[256], 'S');
    EXPECT_EQ(bytes[255], 0);
}

TEST(Records, EveryDecoderTakesOnlyItsExactSize) {
    auto sizes = [](auto decode, std::size_t good) {
        for (std::size_t n : {good - 1, good + 1, std::size_t{0}}) {
            std::vector<std::uint8_t> b(n, 1);
            EXPECT_FALSE(decode(b)) << "size " << n;
        }
        std::vector<std::uint8_t> b(good, 0);
        EXPECT_TRUE(decode(b));
    };
    sizes([](Bytes b) { return TreeCommand::Decode(b).has_value(); }, 520);
    sizes([](Bytes b) { return PatientInfo::Decode(b).has_value(); }, 768);
    sizes([](Bytes b) { return ExposureState::Decode(b).has_value(); }, 128);
    sizes([](Bytes b) { return LampState::Decode(b).has_value(); }, 268);
    sizes([](Bytes b) { return ReviewImage::Decode(b).has_value(); }, 20);
    sizes([](Bytes b) { return SdkText::Decode(b).has_value(); }, 132);
    sizes([](Bytes b) { return SdkValues::Decode(b).has_value(); }, 20);
}

TEST(Records, SmallRecordsReadTheirIntegers) {
    std::vector<std::uint8_t> b(20, 0);
    PutI32(b, 0, 1000);
    PutI32(b, 4, 800);
    PutI32(b, 8, 14);
    PutI32(b, 12, 16383);
    PutI32(b, 16, static_cast<std::uint32_t>(-8192));
    auto r = ReviewImage::Decode(b);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->width, 1000);
    EXPECT_EQ(r->height, 800);
    EXPECT_EQ(r->bitDepth, 14);
    EXPECT_EQ(r->windowWidth, 16383);
    EXPECT_EQ(r->windowLevel, -8192);
    auto v = SdkValues::Decode(b);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->values[4], -8192);

    std::vector<std::uint8_t> t(132, 0);
    PutI32(t, 0, 1);
    PutText(t, 4, u"APR ACKNOWLEDGE");
    PutText(t, 68, u"CON");
    auto text = SdkText::Decode(t);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->autoMove, 1);
    EXPECT_EQ(text->status, L"APR ACKNOWLEDGE");
    EXPECT_EQ(text->connection, L"CON");
}

TEST(Dispatch, CodesAndExactSizesDecideWhatRuns) {
    EXPECT_EQ(ActionFor(CDC_EXPOSURE, 128), Action::Exposure);
    EXPECT_EQ(ActionFor(CDC_EXPOSURE, 127), Action::Ignore);
    EXPECT_EQ(ActionFor(CDC_EXPOSURE, 129), Action::Ignore);
    EXPECT_EQ(ActionFor(CDC_TREE, 520), Action::Tree);
    EXPECT_EQ(ActionFor(CDC_LAMPS, 268), Action::Lamps);
    EXPECT_EQ(ActionFor(CDC_REVIEW_SHOW, 20), Action::ReviewShow);
    EXPECT_EQ(ActionFor(CDC_REVIEW_SHOW, 0), Action::Ignore);
    EXPECT_EQ(ActionFor(CDC_STAND_STATUS, 16), Action::StandStatus);
    EXPECT_EQ(ActionFor(CDC_SDK_TEXT, 132), Action::SdkText);
    EXPECT_EQ(ActionFor(CDC_SDK_VALUES, 20), Action::SdkValues);
    EXPECT_EQ(ActionFor(CDC_SDK_VALUES, 16), Action::Ignore);
    // A patient message always brings the panel back; only 768 bytes carry the patient.
    EXPECT_EQ(ActionFor(CDC_PATIENT, 768), Action::PatientRecord);
    EXPECT_EQ(ActionFor(CDC_PATIENT, 0), Action::PatientView);
    EXPECT_EQ(ActionFor(CDC_PATIENT, 767), Action::PatientView);
    EXPECT_EQ(ActionFor(CDC_REVIEW_CLOSE, 0), Action::ReviewClose);
    EXPECT_EQ(ActionFor(CDC_REVIEW_CLOSE, 12345), Action::ReviewClose);
    // The panel's own report codes and unknown codes are ignored whatever their size.
    for (std::uint32_t code :
         {CDC_TREE_SELECTED, CDC_PATIENT_SIZE, CDC_BUTTON, CDC_REVIEW_SAVE, CDC_REVIEW_CANCEL,
          CDC_SDK_COMMAND, CDC_STAND_CHECK, 0u, 742054u, 0xFFFFFFFFu}) {
        for (std::size_t size : {0u, 16u, 20u, 128u, 520u, 768u}) {
            EXPECT_EQ(ActionFor(code, size), Action::Ignore) << code << " " << size;
        }
    }
    // dwData is pointer-wide: one of our codes with a higher bit set is not ours.
    EXPECT_EQ(ActionFor((1ull << 32) | CDC_EXPOSURE, 128), Action::Ignore);
    EXPECT_EQ(ActionFor((1ull << 63) | CDC_REVIEW_CLOSE, 0), Action::Ignore);
}
