#pragma once
// The stand panels' rules as data: the ceiling stand's two 16-byte records and its command values, the
// stand SDK panel's command codes, status table and connection captions, and the rule that decides whether
// MOVE is held. Pure: no platform calls; texts come from the caller's text source.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace stand {

// Fetches a localised text by id (the application's text table in the program, a fake in tests).
using TextSource = std::function<std::wstring(unsigned id)>;

// --- Ceiling stand -------------------------------------------------------------------------------------

// StandStatus, console to panel: four little-endian int32, exactly 16 bytes.
struct StandStatus {
    static constexpr std::size_t kSize = 16;
    std::int32_t nSid = 0;     // 4095: no value
    std::int32_t nUnused = 0;  // carried, never shown
    std::int32_t nAngle = 0;
    std::int32_t nState = 0;  // 2 and 4 refresh the UP and DOWN captions

    static std::optional<StandStatus> Decode(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> Encode() const;
};

// StandCommand, panel to console: {10, 10, 10, command}, exactly 16 bytes, same code as StandStatus.
struct StandCommand {
    static constexpr std::size_t kSize = 16;
    static constexpr std::int32_t kFiller = 10;
    std::int32_t nCommand = 0;

    std::vector<std::uint8_t> Encode() const;
    // Accepts only the 16-byte form whose first three fields are the filler.
    static std::optional<StandCommand> Decode(std::span<const std::uint8_t> bytes);
};

// Command values of StandCommand.
inline constexpr std::int32_t kCeilRelease = 0;  // UP or DOWN let go
inline constexpr std::int32_t kCeilStop = 1;
inline constexpr std::int32_t kCeilUp = 2;
inline constexpr std::int32_t kCeilDown = 4;
inline constexpr std::int32_t kCeilSwing = 32;
inline constexpr std::int32_t kCeilTube = 64;
inline constexpr std::int32_t kCeilFree = 128;
inline constexpr std::int32_t kCeilLong = 256;
inline constexpr std::int32_t kCeilShort = 1024;
inline constexpr std::int32_t kCeilSync = 8192;

// States of StandStatus that refresh a jog button's caption.
inline constexpr std::int32_t kStateUp = 2;
inline constexpr std::int32_t kStateDown = 4;

// The SID value that means "no value".
inline constexpr std::int32_t kNoSid = 4095;

struct ModeButton {
    int nId;
    std::int32_t nCommand;
};
// The six hidden mode buttons of the ceiling panel and their commands.
extern const std::array<ModeButton, 6> kModeButtons;
// The command of a mode button; none for any other control.
std::optional<std::int32_t> ModeCommandOf(int nId);

// Caption of the SID display: "--" for kNoSid, else the value in decimal.
std::wstring SidCaption(std::int32_t nSid);
// Caption of any other value display: the value in decimal, whatever it is.
std::wstring ValueCaption(std::int32_t nValue);

// --- Stand SDK -----------------------------------------------------------------------------------------

inline constexpr int kSdkSave = 2333;
inline constexpr int kSdkStop = 2334;
inline constexpr int kSdkRelease = 514;  // the held control let go
inline constexpr int kSdkPressOffset = 1247;

// The code a left-button press on control nId reports: nId + 1247 for MOVE and the axis rows (1088..1108),
// none for any other control.
std::optional<int> SdkPressCode(int nId);

// Text ids of a status code's line, joined by one space; an empty span for the codes with no text.
std::span<const unsigned> StatusTextIds(int nCode);
std::wstring StatusText(int nCode, const TextSource& text);

// Text id of a connection caption: 0 CON, 1 DIS, 2 ERR, 3 SEN; none (empty caption) for any other state.
std::optional<unsigned> ConnectionTextId(int nState);
std::wstring ConnectionCaption(int nState, const TextSource& text);

// MOVE is held like the axis buttons only while the status reads exactly "APR ACKNOWLEDGE" (texts 179
// and 182) and Auto Move is clear; otherwise it is a single command.
bool MoveHolds(const std::wstring& strStatus, bool bAutoMove, const TextSource& text);

// What a click on the connection caption shows in a message box, from the status it read before the
// click and the two message slots: the error slot under text 187, else the sensor slot under text 186.
// A slot with no message shows nothing (an empty box would tell the operator nothing).
struct StoredMessage {
    enum class Slot { Error, Sensor };
    Slot slot;
    unsigned nCaptionId;
};
std::optional<StoredMessage> StoredMessageFor(const std::wstring& strStatus, const std::wstring& strError,
                                              const std::wstring& strSensor, const TextSource& text);

}  // namespace stand
