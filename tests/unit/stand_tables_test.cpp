// The stand panels' wire records and tables: what the console reads from the ceiling stand's commands,
// which code each SDK control reports, and which line or caption the operator sees for a state.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "stand/stand_tables.h"

namespace {

using stand::StandCommand;
using stand::StandStatus;

// A text source that names each id, so a result shows which ids were used and in which order.
std::wstring NamedText(unsigned id) {
    return L"<" + std::to_wstring(id) + L">";
}

// The built-in English texts of the ids the stand tables use.
std::wstring EnglishText(unsigned id) {
    switch (id) {
        case IDS_STOP:
            return L"STOP";
        case IDS_HEIGHT:
            return L"HEIGHT";
        case IDS_ROTATE:
            return L"ROTATE";
        case IDS_DET:
            return L"DET.";
        case IDS_SID_EXT:
            return L"SID EXT.";
        case IDS_CON:
            return L"CON";
        case IDS_DIS:
            return L"DIS";
        case IDS_ERR:
            return L"ERR";
        case IDS_SEN:
            return L"SEN";
        case IDS_APR:
            return L"APR";
        case IDS_MOVING:
            return L"MOVING";
        case IDS_COMPLETED:
            return L"COMPLETED";
        case IDS_ACKNOWLEDGE:
            return L"ACKNOWLEDGE";
        case IDS_TUBE:
            return L"TUBE";
        case IDS_PLEASE_WAIT:
            return L"PLEASE WAIT";
        case IDS_EMERGENCY_STOP:
            return L"EMERGENCY STOP";
        case IDS_SENSOR_DETECT:
            return L"SENSOR DETECT";
        case IDS_ERROR_DETECT:
            return L"ERROR DETECT";
        default:
            return L"?";
    }
}

std::vector<std::uint8_t> LittleEndian(std::initializer_list<std::int32_t> values) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t value : values) {
        const auto u = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    }
    return bytes;
}

TEST(StandStatusRecord, DecodesFourLittleEndianFieldsOfExactly16Bytes) {
    const std::vector<std::uint8_t> bytes = LittleEndian({4095, -7, 0x01020304, INT_MIN});
    const auto status = StandStatus::Decode(bytes);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->nSid, 4095);
    EXPECT_EQ(status->nUnused, -7);
    EXPECT_EQ(status->nAngle, 0x01020304);
    EXPECT_EQ(status->nState, INT_MIN);

    // Byte order: the low byte comes first.
    const std::vector<std::uint8_t> raw = {0x47, 0x26, 0x01, 0x00, 0, 0, 0, 0,
                                           0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0};
    const auto fromRaw = StandStatus::Decode(raw);
    ASSERT_TRUE(fromRaw);
    EXPECT_EQ(fromRaw->nSid, 75335);
    EXPECT_EQ(fromRaw->nAngle, -1);
    EXPECT_EQ(fromRaw->nState, 2);

    for (std::size_t size : {0u, 1u, 12u, 15u, 17u, 20u, 32u}) {
        std::vector<std::uint8_t> wrong(size, 0x11);
        EXPECT_FALSE(StandStatus::Decode(wrong)) << size << " bytes";
    }
}

TEST(StandStatusRecord, EncodeIsTheInverseOfDecode) {
    const StandStatus original{-1, 123456, -4095, 4};
    const auto bytes = original.Encode();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), LittleEndian({-1, 123456, -4095, 4}));
    const auto decoded = StandStatus::Decode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->nSid, original.nSid);
    EXPECT_EQ(decoded->nUnused, original.nUnused);
    EXPECT_EQ(decoded->nAngle, original.nAngle);
    EXPECT_EQ(decoded->nState, original.nState);
}

TEST(StandCommandRecord, IsThreeTensThenTheCommandLittleEndian) {
    for (std::int32_t command : {0, 1, 2, 4, 32, 64, 128, 256, 1024, 8192, -1, INT_MAX}) {
        const auto bytes = StandCommand{command}.Encode();
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), LittleEndian({10, 10, 10, command}))
            << command;
        const auto decoded = StandCommand::Decode(bytes);
        ASSERT_TRUE(decoded) << command;
        EXPECT_EQ(decoded->nCommand, command);
    }
    EXPECT_FALSE(StandCommand::Decode(LittleEndian({10, 10, 11, 1}))) << "not a command: filler differs";
    EXPECT_FALSE(StandCommand::Decode(LittleEndian({10, 10, 10}))) << "short";
    EXPECT_FALSE(StandCommand::Decode(LittleEndian({10, 10, 10, 1, 0}))) << "long";
}

TEST(CeilingCaptions, OnlySidTreats4095AsNoValue) {
    EXPECT_EQ(stand::SidCaption(4095), L"--");
    EXPECT_EQ(stand::SidCaption(4094), L"4094");
    EXPECT_EQ(stand::SidCaption(4096), L"4096");
    EXPECT_EQ(stand::SidCaption(0), L"0");
    EXPECT_EQ(stand::SidCaption(-4095), L"-4095");
    EXPECT_EQ(stand::SidCaption(INT_MIN), L"-2147483648");
    EXPECT_EQ(stand::ValueCaption(4095), L"4095");
    EXPECT_EQ(stand::ValueCaption(-2), L"-2");
    EXPECT_EQ(stand::ValueCaption(INT_MAX), L"2147483647");
}

TEST(CeilingModes, EachModeButtonHasItsOwnSingleBitCommand) {
    EXPECT_EQ(stand::ModeCommandOf(IDC_CEIL_SWING), 32);
    EXPECT_EQ(stand::ModeCommandOf(IDC_CEIL_TUBE), 64);
    EXPECT_EQ(stand::ModeCommandOf(IDC_CEIL_FREE), 128);
    EXPECT_EQ(stand::ModeCommandOf(IDC_CEIL_LONG), 256);
    EXPECT_EQ(stand::ModeCommandOf(IDC_CEIL_SHORT), 1024);
    EXPECT_EQ(stand::ModeCommandOf(IDC_CEIL_SYNC), 8192);
    for (int id : {IDC_CEIL_UP, IDC_CEIL_DOWN, IDC_CEIL_CHECK, IDC_CEIL_HIDE_UARM, IDC_CEIL_SID_VALUE, 0, -1})
        EXPECT_FALSE(stand::ModeCommandOf(id)) << id;

    // The console tells modes apart by bit: none may share one with another mode or with the jog commands.
    std::set<std::int32_t> seen = {stand::kCeilRelease, stand::kCeilStop, stand::kCeilUp, stand::kCeilDown};
    for (const stand::ModeButton& mode : stand::kModeButtons) {
        EXPECT_EQ(mode.nCommand & (mode.nCommand - 1), 0) << mode.nId << " is not a single bit";
        EXPECT_TRUE(seen.insert(mode.nCommand).second) << mode.nId << " repeats a command";
    }
}

TEST(SdkPressCodes, AreTheControlIdPlus1247FromMoveToTheLastRow) {
    EXPECT_FALSE(stand::SdkPressCode(IDC_SDK_STOP));
    EXPECT_FALSE(stand::SdkPressCode(IDC_SDK_SAVE));
    EXPECT_FALSE(stand::SdkPressCode(IDC_SDK_CONNECTION));
    EXPECT_FALSE(stand::SdkPressCode(IDC_SDK_STATUS));
    EXPECT_FALSE(stand::SdkPressCode(1109));
    EXPECT_EQ(stand::SdkPressCode(IDC_SDK_MOVE), 2335);
    // Row r: label, value, "<", ">" report 2336 + 4r onwards.
    const int rows[][4] = {
        {IDC_SDK_HEIGHT_LABEL, IDC_SDK_HEIGHT_VALUE, IDC_SDK_HEIGHT_DOWN, IDC_SDK_HEIGHT_UP},
        {IDC_SDK_ROTATE_LABEL, IDC_SDK_ROTATE_VALUE, IDC_SDK_ROTATE_DOWN, IDC_SDK_ROTATE_UP},
        {IDC_SDK_DET_LABEL, IDC_SDK_DET_VALUE, IDC_SDK_DET_DOWN, IDC_SDK_DET_UP},
        {IDC_SDK_SID_LABEL, IDC_SDK_SID_VALUE, IDC_SDK_SID_DOWN, IDC_SDK_SID_UP},
        {IDC_SDK_SIDEXT_LABEL, IDC_SDK_SIDEXT_VALUE, IDC_SDK_SIDEXT_DOWN, IDC_SDK_SIDEXT_UP},
    };
    for (int r = 0; r < 5; ++r)
        for (int part = 0; part < 4; ++part)
            EXPECT_EQ(stand::SdkPressCode(rows[r][part]), 2336 + 4 * r + part);
    // No press code collides with the click and release codes.
    for (int id = IDC_SDK_MOVE; id <= IDC_SDK_SIDEXT_UP; ++id)
        for (int other : {stand::kSdkSave, stand::kSdkStop, stand::kSdkRelease})
            EXPECT_NE(stand::SdkPressCode(id), other);
}

TEST(SdkStatusLine, JoinsItsTextsWithOneSpaceInTableOrder) {
    const std::wstring expected[] = {L"APR MOVING",
                                     L"APR STOP",
                                     L"APR COMPLETED",
                                     L"APR ACKNOWLEDGE",
                                     L"",
                                     L"MOVING",
                                     L"HEIGHT MOVING",
                                     L"ROTATE MOVING",
                                     L"DET. MOVING",
                                     L"TUBE MOVING",
                                     L"SID EXT. MOVING",
                                     L"",
                                     L"PLEASE WAIT",
                                     L"EMERGENCY STOP",
                                     L"SENSOR DETECT",
                                     L"ERROR DETECT"};
    for (int code = 0; code < 16; ++code)
        EXPECT_EQ(stand::StatusText(code, EnglishText), expected[code]) << code;
    for (int code : {-1, 16, 100, INT_MIN, INT_MAX})
        EXPECT_EQ(stand::StatusText(code, EnglishText), L"") << code;

    // The texts come from the text table, first id first.
    EXPECT_EQ(stand::StatusText(3, NamedText), L"<179> <182>");
    EXPECT_EQ(stand::StatusText(10, NamedText), L"<169> <180>");
    EXPECT_EQ(stand::StatusText(12, NamedText), L"<184>");
    // A pair keeps its space even when a text is empty, as "%s %s" does.
    EXPECT_EQ(stand::StatusText(0, [](unsigned) { return std::wstring(); }), L" ");
}

TEST(SdkConnectionCaption, CoversStatesZeroToThreeAndNothingElse) {
    EXPECT_EQ(stand::ConnectionCaption(0, EnglishText), L"CON");
    EXPECT_EQ(stand::ConnectionCaption(1, EnglishText), L"DIS");
    EXPECT_EQ(stand::ConnectionCaption(2, EnglishText), L"ERR");
    EXPECT_EQ(stand::ConnectionCaption(3, EnglishText), L"SEN");
    for (int state : {-1, 4, 170, INT_MIN, INT_MAX}) {
        EXPECT_FALSE(stand::ConnectionTextId(state)) << state;
        EXPECT_EQ(stand::ConnectionCaption(state, EnglishText), L"") << state;
    }
}

TEST(SdkMoveHold, NeedsTheExactAcknowledgeLineAndAutoMoveClear) {
    EXPECT_TRUE(stand::MoveHolds(L"APR ACKNOWLEDGE", false, EnglishText));
    EXPECT_FALSE(stand::MoveHolds(L"APR ACKNOWLEDGE", true, EnglishText));
    for (const wchar_t* other : {L"apr acknowledge", L"APR ACKNOWLEDGE ", L" APR ACKNOWLEDGE",
                                 L"APR  ACKNOWLEDGE", L"APR", L"ACKNOWLEDGE", L"", L"APR MOVING"})
        EXPECT_FALSE(stand::MoveHolds(other, false, EnglishText)) << other;
    // Localised: the line the table makes from texts 179 and 182, whatever they say.
    EXPECT_TRUE(stand::MoveHolds(L"<179> <182>", false, NamedText));
    EXPECT_FALSE(stand::MoveHolds(L"APR ACKNOWLEDGE", false, NamedText));
}

TEST(SdkStoredMessage, ShowsTheSlotThatTheShownStatusNamesWhenItHoldsAMessage) {
    using Slot = stand::StoredMessage::Slot;
    auto error = stand::StoredMessageFor(L"ERROR DETECT", L"arm blocked", L"door open", EnglishText);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->slot, Slot::Error);
    EXPECT_EQ(error->nCaptionId, static_cast<unsigned>(IDS_ERROR_DETECT));

    auto sensor = stand::StoredMessageFor(L"SENSOR DETECT", L"arm blocked", L"door open", EnglishText);
    ASSERT_TRUE(sensor);
    EXPECT_EQ(sensor->slot, Slot::Sensor);
    EXPECT_EQ(sensor->nCaptionId, static_cast<unsigned>(IDS_SENSOR_DETECT));

    EXPECT_FALSE(stand::StoredMessageFor(L"ERROR DETECT", L"", L"door open", EnglishText))
        << "empty error slot";
    EXPECT_FALSE(stand::StoredMessageFor(L"SENSOR DETECT", L"arm blocked", L"", EnglishText))
        << "empty sensor slot";
    EXPECT_FALSE(stand::StoredMessageFor(L"arm blocked", L"arm blocked", L"door open", EnglishText));
    EXPECT_FALSE(stand::StoredMessageFor(L"", L"arm blocked", L"door open", EnglishText));
    EXPECT_FALSE(stand::StoredMessageFor(L"error detect", L"arm blocked", L"door open", EnglishText));
}

}  // namespace
