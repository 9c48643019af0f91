#include "link/records.h"

namespace wire {

std::int32_t ReadI32(Bytes b, std::size_t at) {
    std::uint32_t v = static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
                      static_cast<std::uint32_t>(b[at + 2]) << 16 |
                      static_cast<std::uint32_t>(b[at + 3]) << 24;
    return static_cast<std::int32_t>(v);
}

std::int16_t ReadI16(Bytes b, std::size_t at) {
    auto v = static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
    return static_cast<std::int16_t>(v);
}

std::wstring ReadText(Bytes b, std::size_t at, std::size_t units) {
    std::wstring text;
    for (std::size_t i = 0; i < units; ++i) {
        auto unit = static_cast<wchar_t>(b[at + 2 * i] | b[at + 2 * i + 1] << 8);
        if (unit == L'\0')
            break;
        text.push_back(unit);
    }
    return text;
}

void WriteI32(std::vector<std::uint8_t>& out, std::size_t at, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void WriteI16(std::vector<std::uint8_t>& out, std::size_t at, std::int16_t value) {
    auto v = static_cast<std::uint16_t>(value);
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void WriteText(std::vector<std::uint8_t>& out, std::size_t at, std::size_t units, const std::wstring& text) {
    for (std::size_t i = 0; i < units; ++i) {
        auto unit = i < text.size() ? static_cast<std::uint16_t>(text[i]) : std::uint16_t{0};
        out[at + 2 * i] = static_cast<std::uint8_t>(unit);
        out[at + 2 * i + 1] = static_cast<std::uint8_t>(unit >> 8);
    }
}

std::optional<TreeCommand> TreeCommand::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return TreeCommand{ReadI32(b, 0), ReadI32(b, 4), ReadText(b, 8, kTextUnits)};
}

std::vector<std::uint8_t> TreeCommand::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    WriteI32(out, 0, op);
    WriteI32(out, 4, itemData);
    WriteText(out, 8, kTextUnits, text);
    return out;
}

std::optional<PatientInfo> PatientInfo::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return PatientInfo{ReadText(b, 0, 32), ReadText(b, 64, 64), ReadText(b, 192, 32), ReadText(b, 256, 256)};
}

std::vector<std::uint8_t> PatientInfo::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    WriteText(out, 0, 32, patientId);
    WriteText(out, 64, 64, patientName);
    WriteText(out, 192, 32, accessionNo);
    WriteText(out, 256, 256, study);
    return out;
}

std::optional<ExposureState> ExposureState::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    ExposureState s;
    s.kvp = ReadText(b, 0, 6);
    s.ma = ReadText(b, 12, 6);
    s.mas = ReadText(b, 24, 12);
    s.time = ReadText(b, 48, 12);
    s.aecValue = ReadText(b, 72, 6);
    s.patientSize = ReadI16(b, 84);
    s.aecSubMode = ReadI32(b, 104);
    s.timeUnit = ReadI32(b, 108);
    s.controlMode = ReadI16(b, 112);
    s.aecField = {ReadI32(b, 116), ReadI32(b, 120), ReadI32(b, 124)};
    return s;
}

std::vector<std::uint8_t> ExposureState::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    WriteText(out, 0, 6, kvp);
    WriteText(out, 12, 6, ma);
    WriteText(out, 24, 12, mas);
    WriteText(out, 48, 12, time);
    WriteText(out, 72, 6, aecValue);
    WriteI16(out, 84, patientSize);
    WriteI32(out, 104, aecSubMode);
    WriteI32(out, 108, timeUnit);
    WriteI16(out, 112, controlMode);
    for (std::size_t i = 0; i < 3; ++i)
        WriteI32(out, 116 + 4 * i, aecField[i]);
    return out;
}

std::optional<LampState> LampState::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return LampState{ReadI32(b, 0), ReadI32(b, 4), ReadI32(b, 8)};
}

std::vector<std::uint8_t> LampState::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    WriteI32(out, 0, g);
    WriteI32(out, 4, r);
    WriteI32(out, 8, e);
    return out;
}

std::optional<ReviewImage> ReviewImage::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return ReviewImage{ReadI32(b, 0), ReadI32(b, 4), ReadI32(b, 8), ReadI32(b, 12), ReadI32(b, 16)};
}

std::vector<std::uint8_t> ReviewImage::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    WriteI32(out, 0, width);
    WriteI32(out, 4, height);
    WriteI32(out, 8, bitDepth);
    WriteI32(out, 12, windowWidth);
    WriteI32(out, 16, windowLevel);
    return out;
}

std::optional<SdkText> SdkText::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return SdkText{ReadI32(b, 0), ReadText(b, 4, 32), ReadText(b, 68, 32)};
}

std::vector<std::uint8_t> SdkText::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    WriteI32(out, 0, autoMove);
    WriteText(out, 4, 32, status);
    WriteText(out, 68, 32, connection);
    return out;
}

std::optional<SdkValues> SdkValues::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    SdkValues v;
    for (std::size_t i = 0; i < 5; ++i)
        v.values[i] = ReadI32(b, 4 * i);
    return v;
}

std::vector<std::uint8_t> SdkValues::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    for (std::size_t i = 0; i < 5; ++i)
        WriteI32(out, 4 * i, values[i]);
    return out;
}

}  // namespace wire
