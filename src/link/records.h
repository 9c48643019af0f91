#pragma once
// The wire records of the console link, decoded from and encoded to their exact bytes: little-endian
// integers, text slots of UTF-16 code units holding NUL-terminated strings. A decoder accepts only the
// record's exact size; a text slot is read up to its first NUL and never past its end (a slot without a NUL
// gives its full length). Texts are held as wide strings, one code unit per character.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wire {

using Bytes = std::span<const std::uint8_t>;

struct TreeCommand {
    static constexpr std::size_t kSize = 520;
    static constexpr std::size_t kTextUnits = 256;
    std::int32_t op = 0;
    std::int32_t itemData = 0;
    std::wstring text;

    static std::optional<TreeCommand> Decode(Bytes bytes);
    // The text slot is zero-filled after the text (a text longer than the slot is cut to it).
    std::vector<std::uint8_t> Encode() const;
};

struct PatientInfo {
    static constexpr std::size_t kSize = 768;
    std::wstring patientId;    // 32 units at 0
    std::wstring patientName;  // 64 units at 64
    std::wstring accessionNo;  // 32 units at 192
    std::wstring study;        // 256 units at 256

    static std::optional<PatientInfo> Decode(Bytes bytes);
    std::vector<std::uint8_t> Encode() const;
};

struct ExposureState {
    static constexpr std::size_t kSize = 128;
    std::wstring kvp;                        // 6 units at 0
    std::wstring ma;                         // 6 units at 12
    std::wstring mas;                        // 12 units at 24
    std::wstring time;                       // 12 units at 48
    std::wstring aecValue;                   // 6 units at 72
    std::int16_t patientSize = 0;            // at 84
    std::int32_t aecSubMode = 0;             // at 104
    std::int32_t timeUnit = 0;               // at 108: 1 seconds, else milliseconds
    std::int16_t controlMode = 0;            // at 112
    std::array<std::int32_t, 3> aecField{};  // at 116, 120, 124

    static std::optional<ExposureState> Decode(Bytes bytes);
    std::vector<std::uint8_t> Encode() const;
};

struct LampState {
    static constexpr std::size_t kSize = 268;
    std::int32_t g = 0;
    std::int32_t r = 0;
    std::int32_t e = 0;

    static std::optional<LampState> Decode(Bytes bytes);
    std::vector<std::uint8_t> Encode() const;
};

struct ReviewImage {
    static constexpr std::size_t kSize = 20;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitDepth = 0;
    std::int32_t windowWidth = 0;
    std::int32_t windowLevel = 0;

    static std::optional<ReviewImage> Decode(Bytes bytes);
    std::vector<std::uint8_t> Encode() const;
};

struct SdkText {
    static constexpr std::size_t kSize = 132;
    std::int32_t autoMove = 0;  // at 0
    std::wstring status;        // 32 units at 4
    std::wstring connection;    // 32 units at 68

    static std::optional<SdkText> Decode(Bytes bytes);
    std::vector<std::uint8_t> Encode() const;
};

struct SdkValues {
    static constexpr std::size_t kSize = 20;
    std::array<std::int32_t, 5> values{};  // height, rotation, detector, SID, SID extension

    static std::optional<SdkValues> Decode(Bytes bytes);
    std::vector<std::uint8_t> Encode() const;
};

// Field helpers, shared with the stand records.
std::int32_t ReadI32(Bytes bytes, std::size_t offset);
std::int16_t ReadI16(Bytes bytes, std::size_t offset);
std::wstring ReadText(Bytes bytes, std::size_t offset, std::size_t units);
void WriteI32(std::vector<std::uint8_t>& out, std::size_t offset, std::int32_t value);
void WriteI16(std::vector<std::uint8_t>& out, std::size_t offset, std::int16_t value);
void WriteText(std::vector<std::uint8_t>& out, std::size_t offset, std::size_t units,
               const std::wstring& text);

}  // namespace wire
