// The stand tables that only the core can reach in full: the ceiling stand records byte for byte, and the
// SDK status lines, connection captions and stored-message rule with every id they use.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "stand/stand_tables.h"

namespace {

using stand::StandCommand;
using stand::StandStatus;

// A text source that names each id, so a result shows which ids were used and in which order.
std::wstring Named(unsigned id) {
    return L"<" + std::to_wstring(id) + L">";
}

std::vector<std::uint8_t> LittleEndian(std::initializer_list<std::int32_t> values) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t value : values)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
    return bytes;
}

TEST(StandRecords, StatusIsFourLittleEndianFieldsOfExactly16Bytes) {
    const std::vector<std::uint8_t> raw = {0x47, 0x26, 0x01, 0x00, 0xF9, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0x0F, 0,    0,    0,    0,    0,    0x80};
    const auto status = StandStatus::Decode(raw);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->nSid, 75335);
    EXPECT_EQ(status->nUnused, -7);
    EXPECT_EQ(status->nAngle, 4095);
    EXPECT_EQ(status->nState, INT_MIN);
    EXPECT_EQ(status->Encode(), raw);
    for (std::size_t size : {0u, 12u, 15u, 17u, 20u})
        EXPECT_FALSE(StandStatus::Decode(std::vector<std::uint8_t>(size, 0x11))) << size << " bytes";
}

TEST(StandRecords, CommandIsThreeTensThenTheCommand) {
    for (std::int32_t command : {0, 1, 2, 4, 8192, -1, INT_MAX}) {
        const auto bytes = StandCommand{command}.Encode();
        EXPECT_EQ(bytes, LittleEndian({10, 10, 10, command})) << command;
        const auto decoded = StandCommand::Decode(bytes);
        ASSERT_TRUE(decoded) << command;
        EXPECT_EQ(decoded->nCommand, command);
    }
    EXPECT_FALSE(StandCommand::Decode(LittleEndian({10, 10, 11, 1}))) << "filler differs";
    EXPECT_FALSE(StandCommand::Decode(LittleEndian({10, 10, 10}))) << "short";
    EXPECT_FALSE(StandCommand::Decode(LittleEndian({10, 10, 10, 1, 0}))) << "long";
}

TEST(SdkStand, StatusLinesJoinTheirTextsWithOneSpace) {
    const std::wstring expected[] = {
        L"<179> <180>", L"<179> <164>", L"<179> <181>", L"<179> <182>", L"", L"<180>", L"<165> <180>",
        L"<166> <180>", L"<167> <180>", L"<183> <180>", L"<169> <180>", L"", L"<184>", L"<185>",
        L"<186>",       L"<187>"};
    for (int code = 0; code < 16; ++code)
        EXPECT_EQ(stand::StatusText(code, Named), expected[code]) << code;
    for (int code : {-1, 16, INT_MIN, INT_MAX})
        EXPECT_EQ(stand::StatusText(code, Named), L"") << code;
    // A pair keeps its space even when a text is empty, as "%s %s" does.
    EXPECT_EQ(stand::StatusText(0, [](unsigned) { return std::wstring(); }), L" ");
}

TEST(SdkStand, ConnectionCaptionsCoverStatesZeroToThree) {
    const std::wstring expected[] = {L"<170>", L"<176>", L"<177>", L"<178>"};
    for (int state = 0; state < 4; ++state)
        EXPECT_EQ(stand::ConnectionCaption(state, Named), expected[state]);
    for (int state : {-1, 4, INT_MIN})
        EXPECT_EQ(stand::ConnectionCaption(state, Named), L"") << state;
}

TEST(SdkStand, ConnectionClickShowsTheSlotTheStatusNamesWhenItHoldsAMessage) {
    using Slot = stand::StoredMessage::Slot;
    const auto error = stand::StoredMessageFor(L"<187>", L"arm blocked", L"door open", Named);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->slot, Slot::Error);
    EXPECT_EQ(error->nCaptionId, 187u);
    const auto sensor = stand::StoredMessageFor(L"<186>", L"arm blocked", L"door open", Named);
    ASSERT_TRUE(sensor);
    EXPECT_EQ(sensor->slot, Slot::Sensor);
    EXPECT_EQ(sensor->nCaptionId, 186u);
    EXPECT_FALSE(stand::StoredMessageFor(L"<187>", L"", L"door open", Named)) << "empty error slot";
    EXPECT_FALSE(stand::StoredMessageFor(L"<186>", L"arm blocked", L"", Named)) << "empty sensor slot";
    EXPECT_FALSE(stand::StoredMessageFor(L"", L"arm blocked", L"door open", Named));
}

}  // namespace
