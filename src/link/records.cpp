#include "link/records.h"

#include <climits>
#include <utility>

namespace wire {

namespace {

// Byte widths on the wire. They are fixed by the console, not by the compiler: the same record must be the
// same bytes from the i686 and x86_64 builds, and from the native build where wchar_t is 4 bytes.
constexpr std::size_t kI32Bytes = 4;
constexpr std::size_t kI16Bytes = 2;
constexpr std::size_t kUnitBytes = 2;  // one UTF-16 code unit of a text slot
static_assert(CHAR_BIT == 8 && sizeof(std::uint8_t) == 1);

// Where a field lies in its record: `count` values of Width bytes each, from `offset` on. T is the
// fixed-width type a value travels as; a field is only ever read or written through it.
template <class T, std::size_t Width>
struct Field {
    static_assert(sizeof(T) == Width, "a wire field's type must be exactly as wide as the field");
    std::size_t offset;
    std::size_t count = 1;

    constexpr std::size_t At(std::size_t i) const { return offset + Width * i; }
    constexpr std::size_t End() const { return At(count); }
};
using I32 = Field<std::int32_t, kI32Bytes>;
using I16 = Field<std::int16_t, kI16Bytes>;
using Text = Field<std::uint16_t, kUnitBytes>;  // count is the slot's size in code units

// True when every field is non-empty, ends inside a record of `size` bytes and shares no byte with another.
template <class... F>
constexpr bool Laid(std::size_t size, F... fields) {
    const std::pair<std::size_t, std::size_t> spans[] = {{fields.offset, fields.End()}...};
    for (std::size_t i = 0; i < sizeof...(F); ++i) {
        if (spans[i].first >= spans[i].second || spans[i].second > size)
            return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (spans[i].first < spans[j].second && spans[j].first < spans[i].second)
                return false;
        }
    }
    return true;
}

}  // namespace

std::int32_t ReadI32(Bytes b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < kI32Bytes; ++i)
        v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
    return static_cast<std::int32_t>(v);
}

std::int16_t ReadI16(Bytes b, std::size_t at) {
    auto v = static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
    return static_cast<std::int16_t>(v);
}

std::wstring ReadText(Bytes b, std::size_t at, std::size_t units) {
    std::wstring text;
    for (std::size_t i = 0; i < units; ++i) {
        auto unit = static_cast<wchar_t>(b[at + kUnitBytes * i] | b[at + kUnitBytes * i + 1] << 8);
        if (unit == L'\0')
            break;
        text.push_back(unit);
    }
    return text;
}

void WriteI32(std::vector<std::uint8_t>& out, std::size_t at, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < kI32Bytes; ++i)
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
        out[at + kUnitBytes * i] = static_cast<std::uint8_t>(unit);
        out[at + kUnitBytes * i + 1] = static_cast<std::uint8_t>(unit >> 8);
    }
}

namespace {

std::int32_t Read(Bytes b, I32 f, std::size_t i = 0) {
    return ReadI32(b, f.At(i));
}
std::int16_t Read(Bytes b, I16 f) {
    return ReadI16(b, f.offset);
}
std::wstring Read(Bytes b, Text f) {
    return ReadText(b, f.offset, f.count);
}
void Write(std::vector<std::uint8_t>& out, I32 f, std::int32_t v, std::size_t i = 0) {
    WriteI32(out, f.At(i), v);
}
void Write(std::vector<std::uint8_t>& out, I16 f, std::int16_t v) {
    WriteI16(out, f.offset, v);
}
void Write(std::vector<std::uint8_t>& out, Text f, const std::wstring& v) {
    WriteText(out, f.offset, f.count, v);
}

// The layout of each record.
namespace tree {
constexpr I32 kOp{0}, kItemData{4};
constexpr Text kText{8, TreeCommand::kTextUnits};
static_assert(Laid(TreeCommand::kSize, kOp, kItemData, kText));
}  // namespace tree

namespace patient {
constexpr Text kId{0, 32}, kName{64, 64}, kAccession{192, 32}, kStudy{256, 256};
static_assert(Laid(PatientInfo::kSize, kId, kName, kAccession, kStudy));
}  // namespace patient

namespace exposure {
constexpr Text kKvp{0, 6}, kMa{12, 6}, kMas{24, 12}, kTime{48, 12}, kAecValue{72, 6};
constexpr I16 kPatientSize{84}, kControlMode{112};
constexpr I32 kAecSubMode{104}, kTimeUnit{108},
    kAecField{116, std::tuple_size_v<decltype(ExposureState::aecField)>};
static_assert(Laid(ExposureState::kSize, kKvp, kMa, kMas, kTime, kAecValue, kPatientSize, kAecSubMode,
                   kTimeUnit, kControlMode, kAecField));
}  // namespace exposure

namespace lamps {
constexpr I32 kG{0}, kR{4}, kE{8};
static_assert(Laid(LampState::kSize, kG, kR, kE));
}  // namespace lamps

namespace review {
constexpr I32 kWidth{0}, kHeight{4}, kBitDepth{8}, kWindowWidth{12}, kWindowLevel{16};
static_assert(Laid(ReviewImage::kSize, kWidth, kHeight, kBitDepth, kWindowWidth, kWindowLevel));
}  // namespace review

namespace sdk_text {
constexpr I32 kAutoMove{0};
constexpr Text kStatus{4, 32}, kConnection{68, 32};
static_assert(Laid(SdkText::kSize, kAutoMove, kStatus, kConnection));
}  // namespace sdk_text

namespace sdk_values {
constexpr I32 kValues{0, std::tuple_size_v<decltype(SdkValues::values)>};
static_assert(Laid(SdkValues::kSize, kValues));
}  // namespace sdk_values

}  // namespace

std::optional<TreeCommand> TreeCommand::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return TreeCommand{Read(b, tree::kOp), Read(b, tree::kItemData), Read(b, tree::kText)};
}

std::vector<std::uint8_t> TreeCommand::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    Write(out, tree::kOp, op);
    Write(out, tree::kItemData, itemData);
    Write(out, tree::kText, text);
    return out;
}

std::optional<PatientInfo> PatientInfo::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return PatientInfo{Read(b, patient::kId), Read(b, patient::kName), Read(b, patient::kAccession),
                       Read(b, patient::kStudy)};
}

std::vector<std::uint8_t> PatientInfo::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    Write(out, patient::kId, patientId);
    Write(out, patient::kName, patientName);
    Write(out, patient::kAccession, accessionNo);
    Write(out, patient::kStudy, study);
    return out;
}

std::optional<ExposureState> ExposureState::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    using namespace exposure;
    ExposureState s;
    s.kvp = Read(b, kKvp);
    s.ma = Read(b, kMa);
    s.mas = Read(b, kMas);
    s.time = Read(b, kTime);
    s.aecValue = Read(b, kAecValue);
    s.patientSize = Read(b, kPatientSize);
    s.aecSubMode = Read(b, kAecSubMode);
    s.timeUnit = Read(b, kTimeUnit);
    s.controlMode = Read(b, kControlMode);
    for (std::size_t i = 0; i < kAecField.count; ++i)
        s.aecField[i] = Read(b, kAecField, i);
    return s;
}

std::vector<std::uint8_t> ExposureState::Encode() const {
    using namespace exposure;
    std::vector<std::uint8_t> out(kSize);
    Write(out, kKvp, kvp);
    Write(out, kMa, ma);
    Write(out, kMas, mas);
    Write(out, kTime, time);
    Write(out, kAecValue, aecValue);
    Write(out, kPatientSize, patientSize);
    Write(out, kAecSubMode, aecSubMode);
    Write(out, kTimeUnit, timeUnit);
    Write(out, kControlMode, controlMode);
    for (std::size_t i = 0; i < kAecField.count; ++i)
        Write(out, kAecField, aecField[i], i);
    return out;
}

std::optional<LampState> LampState::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return LampState{Read(b, lamps::kG), Read(b, lamps::kR), Read(b, lamps::kE)};
}

std::vector<std::uint8_t> LampState::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    Write(out, lamps::kG, g);
    Write(out, lamps::kR, r);
    Write(out, lamps::kE, e);
    return out;
}

std::optional<ReviewImage> ReviewImage::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    using namespace review;
    return ReviewImage{Read(b, kWidth), Read(b, kHeight), Read(b, kBitDepth), Read(b, kWindowWidth),
                       Read(b, kWindowLevel)};
}

std::vector<std::uint8_t> ReviewImage::Encode() const {
    using namespace review;
    std::vector<std::uint8_t> out(kSize);
    Write(out, kWidth, width);
    Write(out, kHeight, height);
    Write(out, kBitDepth, bitDepth);
    Write(out, kWindowWidth, windowWidth);
    Write(out, kWindowLevel, windowLevel);
    return out;
}

std::optional<SdkText> SdkText::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    return SdkText{Read(b, sdk_text::kAutoMove), Read(b, sdk_text::kStatus), Read(b, sdk_text::kConnection)};
}

std::vector<std::uint8_t> SdkText::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    Write(out, sdk_text::kAutoMove, autoMove);
    Write(out, sdk_text::kStatus, status);
    Write(out, sdk_text::kConnection, connection);
    return out;
}

std::optional<SdkValues> SdkValues::Decode(Bytes b) {
    if (b.size() != kSize)
        return std::nullopt;
    SdkValues v;
    for (std::size_t i = 0; i < sdk_values::kValues.count; ++i)
        v.values[i] = Read(b, sdk_values::kValues, i);
    return v;
}

std::vector<std::uint8_t> SdkValues::Encode() const {
    std::vector<std::uint8_t> out(kSize);
    for (std::size_t i = 0; i < sdk_values::kValues.count; ++i)
        Write(out, sdk_values::kValues, values[i], i);
    return out;
}

}  // namespace wire
