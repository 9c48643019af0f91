#include "stand/stand_tables.h"

#include <iterator>

#include "link/records.h"
#include "resources/resource.h"

namespace stand {

namespace {

struct StatusRow {
    int nCode;
    std::array<unsigned, 2> ids;
    std::size_t nCount;
};

// Status codes 4, 11 and any code not listed show an empty line.
constexpr StatusRow kStatusRows[] = {
    {0, {IDS_APR, IDS_MOVING}, 2},      {1, {IDS_APR, IDS_STOP}, 2},    {2, {IDS_APR, IDS_COMPLETED}, 2},
    {3, {IDS_APR, IDS_ACKNOWLEDGE}, 2}, {5, {IDS_MOVING, 0}, 1},        {6, {IDS_HEIGHT, IDS_MOVING}, 2},
    {7, {IDS_ROTATE, IDS_MOVING}, 2},   {8, {IDS_DET, IDS_MOVING}, 2},  {9, {IDS_TUBE, IDS_MOVING}, 2},
    {10, {IDS_SID_EXT, IDS_MOVING}, 2}, {12, {IDS_PLEASE_WAIT, 0}, 1},  {13, {IDS_EMERGENCY_STOP, 0}, 1},
    {14, {IDS_SENSOR_DETECT, 0}, 1},    {15, {IDS_ERROR_DETECT, 0}, 1},
};

constexpr unsigned kConnectionIds[] = {IDS_CON, IDS_DIS, IDS_ERR, IDS_SEN};

// Two texts as "%s %s" formats them.
std::wstring JoinPair(const TextSource& text, unsigned nFirst, unsigned nSecond) {
    return text(nFirst) + L" " + text(nSecond);
}

}  // namespace

std::optional<StandStatus> StandStatus::Decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSize)
        return std::nullopt;
    return StandStatus{wire::ReadI32(bytes, 0), wire::ReadI32(bytes, 4), wire::ReadI32(bytes, 8),
                       wire::ReadI32(bytes, 12)};
}

std::vector<std::uint8_t> StandStatus::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    wire::WriteI32(out, 0, nSid);
    wire::WriteI32(out, 4, nUnused);
    wire::WriteI32(out, 8, nAngle);
    wire::WriteI32(out, 12, nState);
    return out;
}

std::vector<std::uint8_t> StandCommand::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    for (std::size_t at : {0u, 4u, 8u})
        wire::WriteI32(out, at, kFiller);
    wire::WriteI32(out, 12, nCommand);
    return out;
}

std::optional<StandCommand> StandCommand::Decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSize)
        return std::nullopt;
    for (std::size_t at : {0u, 4u, 8u})
        if (wire::ReadI32(bytes, at) != kFiller)
            return std::nullopt;
    return StandCommand{wire::ReadI32(bytes, 12)};
}

const std::array<ModeButton, 6> kModeButtons = {{
    {IDC_CEIL_SHORT, kCeilShort},
    {IDC_CEIL_LONG, kCeilLong},
    {IDC_CEIL_TUBE, kCeilTube},
    {IDC_CEIL_SWING, kCeilSwing},
    {IDC_CEIL_FREE, kCeilFree},
    {IDC_CEIL_SYNC, kCeilSync},
}};

std::optional<std::int32_t> ModeCommandOf(int nId) {
    for (const ModeButton& mode : kModeButtons)
        if (mode.nId == nId)
            return mode.nCommand;
    return std::nullopt;
}

std::wstring SidCaption(std::int32_t nSid) {
    return nSid == kNoSid ? L"--" : ValueCaption(nSid);
}

std::wstring ValueCaption(std::int32_t nValue) {
    return std::to_wstring(nValue);
}

std::optional<int> SdkPressCode(int nId) {
    if (nId < IDC_SDK_MOVE || nId > IDC_SDK_SIDEXT_UP)
        return std::nullopt;
    return nId + kSdkPressOffset;
}

std::span<const unsigned> StatusTextIds(int nCode) {
    for (const StatusRow& row : kStatusRows)
        if (row.nCode == nCode)
            return {row.ids.data(), row.nCount};
    return {};
}

std::wstring StatusText(int nCode, const TextSource& text) {
    const std::span<const unsigned> ids = StatusTextIds(nCode);
    if (ids.empty())
        return {};
    if (ids.size() == 1)
        return text(ids[0]);
    return JoinPair(text, ids[0], ids[1]);
}

std::optional<unsigned> ConnectionTextId(int nState) {
    if (nState < 0 || nState >= static_cast<int>(std::size(kConnectionIds)))
        return std::nullopt;
    return kConnectionIds[nState];
}

std::wstring ConnectionCaption(int nState, const TextSource& text) {
    const std::optional<unsigned> id = ConnectionTextId(nState);
    return id ? text(*id) : std::wstring();
}

bool MoveHolds(const std::wstring& strStatus, bool bAutoMove, const TextSource& text) {
    return !bAutoMove && strStatus == JoinPair(text, IDS_APR, IDS_ACKNOWLEDGE);
}

std::optional<StoredMessage> StoredMessageFor(const std::wstring& strStatus, const std::wstring& strError,
                                              const std::wstring& strSensor, const TextSource& text) {
    if (strStatus == text(IDS_ERROR_DETECT)) {
        if (strError.empty())
            return std::nullopt;
        return StoredMessage{StoredMessage::Slot::Error, IDS_ERROR_DETECT};
    }
    if (strStatus == text(IDS_SENSOR_DETECT)) {
        if (strSensor.empty())
            return std::nullopt;
        return StoredMessage{StoredMessage::Slot::Sensor, IDS_SENSOR_DETECT};
    }
    return std::nullopt;
}

}  // namespace stand
