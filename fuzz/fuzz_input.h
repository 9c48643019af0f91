#pragma once
// Reads the fuzz input as the console would frame it: a little-endian 32-bit code, then the record bytes.
#include <cstddef>
#include <cstdint>
#include <span>

struct CFuzzMessage {
    std::uint32_t nCode = 0;
    std::span<const std::uint8_t> record;
};

// Inputs shorter than the code read as a code of zero with no record.
inline CFuzzMessage SplitMessage(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return {};
    std::uint32_t code = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                         static_cast<std::uint32_t>(data[2]) << 16 |
                         static_cast<std::uint32_t>(data[3]) << 24;
    return {code, {data + 4, size - 4}};
}

// One UTF-16 code unit of a text slot, read byte by byte (independently of the decoders under test).
inline wchar_t UnitAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<wchar_t>(bytes[offset] | bytes[offset + 1] << 8);
}

// Little-endian signed integers, read byte by byte.
inline std::int32_t I32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | bytes[offset + i];
    return static_cast<std::int32_t>(v);
}

inline std::int16_t I16At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8));
}
