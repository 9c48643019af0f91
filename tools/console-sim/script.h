#pragma once
// The console simulator's model, without the platform: script lines parsed into commands, the console's
// state that turns commands into the exact messages a console sends, and the panel's reports decoded by
// name with the matching rule of `expect`. The Win32 program (console_sim.cpp) only carries these out.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "link/records.h"
#include "stand/stand_tables.h"

namespace consim {

// Script text is UTF-8; wire texts are UTF-16 code units (one wchar_t each, whatever wchar_t's width).
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// One WM_COPYDATA as either side sends it: the code, cbData, and the bytes behind lpData (none: NULL).
struct CopyData {
    std::uint32_t code = 0;
    std::uint32_t cbData = 0;
    std::optional<std::vector<std::uint8_t>> data;
};

// ---- Commands ------------------------------------------------------------------------------------------

// A new patient: fields not given are sent empty.
struct PatientCommand {
    std::wstring id, name, accession, study;
};

// Exposure fields not given keep the console's current value.
struct ExposureCommand {
    std::optional<std::wstring> kvp, ma, mas, time, aecValue;
    std::optional<std::int16_t> patientSize, controlMode;
    std::optional<std::int32_t> aecSubMode, timeUnit;
    std::array<std::optional<std::int32_t>, 3> aecField;  // L, C, R
};

struct TreeLine {
    std::int32_t op = 0;
    std::int32_t item = 0;
    std::wstring text;
};

struct LampsCommand {
    std::array<std::optional<std::int32_t>, 3> lamp;  // G, R, E
};

// The picture goes into the shared mapping; the record's fields default to the picture's size.
struct ReviewCommand {
    std::wstring file;                          // a binary PGM; empty: the generated test picture
    std::optional<std::int32_t> width, height;  // generated: its size; a file: override the record only
    std::int32_t depth = 14;
    std::int32_t window = 4096;
    std::int32_t level = 2048;
};
struct ReviewCloseCommand {};

struct StandLine {  // ceiling stand status; fields not given keep their value
    std::optional<std::int32_t> sid, unused, angle, state;
};

struct SdkTextCommand {  // fields not given keep their value
    std::optional<std::int32_t> autoMove;
    std::optional<std::wstring> status, connection;
};

struct SdkValuesCommand {  // height, rotate, det, sid, sid-ext; fields not given keep their value
    std::array<std::optional<std::int32_t>, 5> value;
};

struct RawCommand {
    CopyData message;
};

struct WaitCommand {
    std::uint32_t ms = 0;
};

// What the panel sends back, by name.
enum class ReportKind {
    TreeSelected,
    PatientSize,
    Button,
    ReviewSave,
    ReviewCancel,
    SdkCommand,
    StandCommand,
    StandCheck,
    Unknown,
    Nothing,  // `expect nothing`: no report at all
};

struct ExpectCommand {
    static constexpr std::uint32_t kDefaultWithinMs = 5000;
    static constexpr std::uint32_t kDefaultQuietMs = 500;  // how long `expect nothing` listens
    ReportKind kind = ReportKind::Nothing;
    std::optional<std::int64_t> value;  // item data, size, button code, SDK code or stand command
    std::uint32_t withinMs = kDefaultWithinMs;
};

struct LaunchCommand {
    std::wstring path;  // empty: Sidecar.exe beside the simulator
};
struct ClosePanelCommand {};
struct ScreenshotCommand {
    std::wstring path;
};

// The operator: a click, a press held down, or its release, on a control of the panel's windows.
struct PressCommand {
    enum class Action { Click, Down, Up };
    Action action = Action::Click;
    int controlId = 0;
    std::string controlName;  // as written, for messages
};

struct EchoCommand {
    std::wstring text;
};
struct HelpCommand {};
struct QuitCommand {};

using Command = std::variant<PatientCommand, ExposureCommand, TreeLine, LampsCommand, ReviewCommand,
                             ReviewCloseCommand, StandLine, SdkTextCommand, SdkValuesCommand, RawCommand,
                             WaitCommand, ExpectCommand, LaunchCommand, ClosePanelCommand, ScreenshotCommand,
                             PressCommand, EchoCommand, HelpCommand, QuitCommand>;

// One line: a command, nothing (blank or comment), or what is wrong with it.
struct ParsedLine {
    std::optional<Command> command;
    std::string error;
};
ParsedLine ParseLine(std::string_view line);

struct ScriptLine {
    int number = 0;
    std::string text;
    Command command;
};
struct ScriptError {
    int number = 0;
    std::string message;
};
struct Script {
    std::vector<ScriptLine> lines;
    std::vector<ScriptError> errors;
};
// A whole script (UTF-8, optional byte order mark, LF or CRLF line ends); every bad line is listed.
Script ParseScript(std::string_view text);

// The command summary that `help` prints.
std::string HelpText();

// ---- The console's state --------------------------------------------------------------------------------

// What the console last told the panel; exposure, lamps, stand and SDK commands change only the fields
// they name and send the whole record.
class CConsoleState {
  public:
    CConsoleState();

    CopyData Patient(const PatientCommand& command) const;
    CopyData Exposure(const ExposureCommand& command);
    CopyData Tree(const TreeLine& command) const;
    CopyData Lamps(const LampsCommand& command);
    // The record of a review whose picture (already in the mapping) is width x height.
    CopyData Review(const ReviewCommand& command, std::int32_t pictureWidth,
                    std::int32_t pictureHeight) const;
    CopyData ReviewClose() const;
    CopyData Stand(const StandLine& command);
    CopyData SdkText(const SdkTextCommand& command);
    CopyData SdkValues(const SdkValuesCommand& command);

    const wire::ExposureState& ExposureNow() const { return m_exposure; }
    const wire::LampState& LampsNow() const { return m_lamps; }
    const stand::StandStatus& StandNow() const { return m_stand; }

  private:
    wire::ExposureState m_exposure;
    wire::LampState m_lamps;
    stand::StandStatus m_stand;
    wire::SdkText m_sdkText;
    wire::SdkValues m_sdkValues;
};

// ---- Reports --------------------------------------------------------------------------------------------

struct DecodedReport {
    ReportKind kind = ReportKind::Unknown;
    std::optional<std::int64_t> value;
    bool valueLost = false;  // a record-less report whose value did not survive the trip (Wine)
    bool malformed = false;  // a known code whose record has the wrong size or content
    std::string text;        // one line: the name and its fields
};

// valuesMayBeLost: the simulator runs under Wine, where a record-less WM_COPYDATA from another process
// arrives with cbData 0, so a 0 there says nothing about the value the panel sent.
DecodedReport DecodeReport(const CopyData& report, bool valuesMayBeLost);

enum class Match {
    Yes,
    CodeOnly,  // the right report, whose value was lost in transit: only its code could be compared
    No,
};
Match MatchReport(const ExpectCommand& expect, const DecodedReport& report);
// What an expect waits for, as it is printed ("button kvp-up (2)").
std::string DescribeExpect(const ExpectCommand& expect);

// The report names, and the names of the values that the parser accepts and the decoder prints.
std::string_view ReportName(ReportKind kind);
std::optional<std::string_view> ButtonName(std::int64_t code);
std::optional<std::string_view> SizeName(std::int64_t size);
std::optional<std::string_view> SdkCommandName(std::int64_t code);
std::optional<std::string_view> StandCommandName(std::int64_t command);
// The control ids that `press` accepts by name.
std::optional<int> ControlIdByName(std::string_view name);

}  // namespace consim
