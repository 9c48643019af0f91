#include "script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <utility>

#include "link/codes.h"
#include "panel/button_codes.h"
#include "resources/resource.h"

namespace consim {

// ---- UTF-8 and UTF-16 -----------------------------------------------------------------------------------

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring out;
    std::size_t i = 0;
    auto unit = [&](std::uint32_t cp) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(cp));
        }
    };
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80             ? 0
                          : (lead & 0xE0) == 0xC0 ? 1
                          : (lead & 0xF0) == 0xE0 ? 2
                          : (lead & 0xF8) == 0xF0 ? 3
                                                  : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
            unit(0xFFFD);
            ++i;
            continue;
        }
        std::uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = cp << 6 | (next & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            unit(0xFFFD);
            ++i;
            continue;
        }
        unit(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string Utf8FromWide(std::wstring_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto cp = static_cast<std::uint32_t>(static_cast<std::uint16_t>(text[i]));
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<std::uint32_t>(static_cast<std::uint16_t>(text[i + 1]));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;  // a lone surrogate
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | cp >> 6));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | cp >> 12));
            out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | cp >> 18));
            out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// ---- Names ----------------------------------------------------------------------------------------------

namespace {

struct NamedValue {
    std::string_view name;
    std::int64_t value;
};

// The button codes by their names, from the panel's own table.
constexpr auto kButtons = [] {
    std::array<NamedValue, std::size(panel::kButtonCodes)> names{};
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = {panel::kButtonCodes[i].name, panel::kButtonCodes[i].code};
    return names;
}();

constexpr NamedValue kSizes[] = {{"P", 0}, {"S", 1}, {"M", 2}, {"L", 3}};

constexpr NamedValue kStandCommands[] = {
    {"release", stand::kCeilRelease}, {"stop", stand::kCeilStop},   {"up", stand::kCeilUp},
    {"down", stand::kCeilDown},       {"swing", stand::kCeilSwing}, {"tube", stand::kCeilTube},
    {"free", stand::kCeilFree},       {"long", stand::kCeilLong},   {"short", stand::kCeilShort},
    {"sync", stand::kCeilSync},
};

// The stand SDK panel's axis rows in id order, and the four controls of each row.
constexpr std::string_view kSdkRows[] = {"height", "rotate", "det", "sid", "sid-ext"};
constexpr std::string_view kSdkRowParts[] = {"label", "value", "down", "up"};
constexpr int kSdkFirstRowId = 1089;
constexpr int kSdkMoveId = 1088;

struct NamedControl {
    std::string_view name;
    int id;
};

constexpr NamedControl kControls[] = {
    // Main panel (the exposure buttons are named in the panel's button-code table).
    {"size-p", IDC_SIZE_0},
    {"size-s", IDC_SIZE_1},
    {"size-m", IDC_SIZE_2},
    {"size-l", IDC_SIZE_3},
    {"device", IDC_DEVICE},
    {"lamp-e", IDC_LAMP_E},
    // Review dialog.
    {"review-save", 1},
    {"review-cancel", 2},
    // Ceiling stand panel.
    {"ceil-up", 2399},
    {"ceil-down", 2400},
    {"ceil-check", 2404},
    {"ceil-long", 2396},
    {"ceil-short", 2395},
    {"ceil-sync", 2394},
    {"ceil-free", 2393},
    {"ceil-tube", 2398},
    {"ceil-swing", 2397},
    // Stand SDK panel (its axis rows are named by the rule below).
    {"sdk-con", 1080},
    {"sdk-save", 1086},
    {"sdk-stop", 1087},
    {"sdk-move", kSdkMoveId},
};

std::optional<std::int64_t> ValueByName(std::span<const NamedValue> table, std::string_view name) {
    for (const NamedValue& entry : table)
        if (entry.name == name)
            return entry.value;
    return std::nullopt;
}

std::optional<std::string_view> NameByValue(std::span<const NamedValue> table, std::int64_t value) {
    for (const NamedValue& entry : table)
        if (entry.value == value)
            return entry.name;
    return std::nullopt;
}

// The SDK axis controls by name ("height-up") and their ids.
std::optional<int> SdkAxisId(std::string_view name) {
    for (std::size_t row = 0; row < std::size(kSdkRows); ++row)
        for (std::size_t part = 0; part < std::size(kSdkRowParts); ++part) {
            std::string full = std::string(kSdkRows[row]) + "-" + std::string(kSdkRowParts[part]);
            if (full == name)
                return kSdkFirstRowId + static_cast<int>(4 * row + part);
        }
    return std::nullopt;
}

// The names of the SDK codes: save, stop, release, move, and one per axis control ("height-up").
std::string SdkCodeName(std::int64_t code) {
    if (code == stand::kSdkSave)
        return "save";
    if (code == stand::kSdkStop)
        return "stop";
    if (code == stand::kSdkRelease)
        return "release";
    const std::int64_t id = code - stand::kSdkPressOffset;
    if (id == kSdkMoveId)
        return "move";
    const std::int64_t index = id - kSdkFirstRowId;
    if (index >= 0 && index < static_cast<std::int64_t>(std::size(kSdkRows)) * 4)
        return std::string(kSdkRows[index / 4]) + "-" + std::string(kSdkRowParts[index % 4]);
    return {};
}

// The SDK code of a name, the reverse of SdkCodeName.
std::optional<std::int64_t> SdkCodeByName(std::string_view name) {
    if (name == "save")
        return stand::kSdkSave;
    if (name == "stop")
        return stand::kSdkStop;
    if (name == "release")
        return stand::kSdkRelease;
    if (name == "move")
        return kSdkMoveId + stand::kSdkPressOffset;
    if (auto id = SdkAxisId(name))
        return *id + stand::kSdkPressOffset;
    return std::nullopt;
}

}  // namespace

std::string_view ReportName(ReportKind kind) {
    switch (kind) {
        case ReportKind::TreeSelected:
            return "tree-selected";
        case ReportKind::PatientSize:
            return "patient-size";
        case ReportKind::Button:
            return "button";
        case ReportKind::ReviewSave:
            return "review-save";
        case ReportKind::ReviewCancel:
            return "review-cancel";
        case ReportKind::SdkCommand:
            return "sdk-command";
        case ReportKind::StandCommand:
            return "stand-command";
        case ReportKind::StandCheck:
            return "stand-check";
        case ReportKind::Unknown:
            return "unknown";
        case ReportKind::Nothing:
            return "nothing";
    }
    return "unknown";
}

std::optional<std::string_view> ButtonName(std::int64_t code) {
    return NameByValue(kButtons, code);
}
std::optional<std::string_view> SizeName(std::int64_t size) {
    return NameByValue(kSizes, size);
}
std::optional<std::string_view> StandCommandName(std::int64_t command) {
    return NameByValue(kStandCommands, command);
}

std::optional<std::string_view> SdkCommandName(std::int64_t code) {
    // The names are built once, so views into them stay valid.
    static const std::vector<std::pair<std::int64_t, std::string>> kNames = [] {
        std::vector<std::pair<std::int64_t, std::string>> names;
        for (std::int64_t code :
             {std::int64_t{stand::kSdkSave}, std::int64_t{stand::kSdkStop}, std::int64_t{stand::kSdkRelease}})
            names.emplace_back(code, SdkCodeName(code));
        for (int id = kSdkMoveId; id < kSdkFirstRowId + 4 * static_cast<int>(std::size(kSdkRows)); ++id)
            names.emplace_back(id + stand::kSdkPressOffset, SdkCodeName(id + stand::kSdkPressOffset));
        return names;
    }();
    for (const auto& [value, name] : kNames)
        if (value == code)
            return std::string_view(name);
    return std::nullopt;
}

std::optional<int> ControlIdByName(std::string_view name) {
    // The exposure, mode and AEC buttons carry the names of the button codes they report.
    for (const panel::ButtonCode& button : panel::kButtonCodes)
        if (button.name == name)
            return button.controlId;
    for (const NamedControl& control : kControls)
        if (control.name == name)
            return control.id;
    return SdkAxisId(name);
}

// ---- Tokens ---------------------------------------------------------------------------------------------

namespace {

// A bad line: the message says what is wrong, ParseLine turns it into the line's error.
struct BadLine : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Bad(const std::string& message) {
    throw BadLine(message);
}

struct Token {
    std::string text;                    // quotes removed, escapes resolved
    std::size_t eq = std::string::npos;  // the first '=' written outside quotes
    bool quoted = false;

    bool IsField() const { return eq != std::string::npos; }
    std::string Key() const { return text.substr(0, eq); }
    std::string Value() const { return text.substr(eq + 1); }
};

// Splits a line at blanks outside double quotes; `#` at the start of a word begins a comment. Inside
// quotes only \" and \\ are escapes, so a Windows path reads as written ("C:\Program Files\a.pgm").
std::vector<Token> Tokenize(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    while (true) {
        while (i < line.size() && blank(line[i]))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        Token token;
        bool inQuotes = false;
        while (i < line.size() && (inQuotes || !blank(line[i]))) {
            const char c = line[i++];
            if (c == '"') {
                inQuotes = !inQuotes;
                token.quoted = true;
            } else if (inQuotes && c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
                token.text.push_back(line[i++]);
            } else {
                if (c == '=' && !inQuotes && token.eq == std::string::npos)
                    token.eq = token.text.size();
                token.text.push_back(c);
            }
        }
        if (inQuotes)
            Bad("a quoted text is not closed");
        tokens.push_back(std::move(token));
    }
    return tokens;
}

// ---- Values ---------------------------------------------------------------------------------------------

std::int64_t Integer(std::string_view text, std::int64_t min, std::int64_t max, const std::string& what) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        Bad(what + ": '" + std::string(text) + "' is not a number");
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = c >= '0' && c <= '9'                 ? c - '0'
                    : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
        if (digit < 0)
            Bad(what + ": '" + std::string(text) + "' is not a number");
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > (std::uint64_t{1} << 40))
            Bad(what + ": " + std::string(text) + " is out of range");
    }
    const std::int64_t value =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (value < min || value > max)
        Bad(what + ": " + std::string(text) + " is out of range (" + std::to_string(min) + ".." +
            std::to_string(max) + ")");
    return value;
}

constexpr std::int64_t kI32Min = -2147483648LL, kI32Max = 2147483647LL;
constexpr std::int64_t kI16Min = -32768, kI16Max = 32767;
constexpr std::int64_t kU32Max = 4294967295LL;

std::int32_t Int32(std::string_view text, const std::string& what) {
    return static_cast<std::int32_t>(Integer(text, kI32Min, kI32Max, what));
}

// A number, or one of the names of `table`.
std::int64_t NamedOrNumber(std::string_view text, std::span<const NamedValue> table, std::int64_t min,
                           std::int64_t max, const std::string& what) {
    if (auto value = ValueByName(table, text))
        return *value;
    if (!text.empty() &&
        (std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' || text[0] == '+'))
        return Integer(text, min, max, what);
    std::string names;
    for (const NamedValue& entry : table)
        names += (names.empty() ? "" : ", ") + std::string(entry.name);
    Bad(what + ": '" + std::string(text) + "' is neither a number nor one of " + names);
}

constexpr NamedValue kOnOff[] = {{"off", 0}, {"on", 1}};

std::wstring Text(std::string_view value, std::size_t units, const std::string& what) {
    std::wstring text = WideFromUtf8(value);
    if (text.size() > units)
        Bad(what + ": \"" + std::string(value) + "\" is " + std::to_string(text.size()) +
            " characters; the slot holds " + std::to_string(units));
    return text;
}

// ---- Fields ---------------------------------------------------------------------------------------------

using FieldHandler = std::function<void(const std::string& value)>;
struct Field {
    std::string_view key;
    FieldHandler handle;
};

// Every token from `first` on must be one of the fields, each at most once.
void ParseFields(const std::vector<Token>& tokens, std::size_t first, const std::string& command,
                 std::initializer_list<Field> fields) {
    std::vector<std::string> seen;
    for (std::size_t i = first; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (!token.IsField()) {
            std::string keys;
            for (const Field& field : fields)
                keys += (keys.empty() ? "" : ", ") + std::string(field.key);
            Bad(command + ": '" + token.text + "' is not a field=value pair" +
                (keys.empty() ? std::string(" (it takes none)") : " (fields: " + keys + ")"));
        }
        const std::string key = token.Key();
        const Field* match = nullptr;
        for (const Field& field : fields)
            if (field.key == key)
                match = &field;
        if (!match) {
            std::string keys;
            for (const Field& field : fields)
                keys.append(keys.empty() ? "" : ", ").append(field.key);
            Bad(std::string(command)
                    .append(": unknown field '")
                    .append(key)
                    .append("' (fields: ")
                    .append(keys)
                    .append(")"));
        }
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            Bad(std::string(command).append(": field '").append(key).append("' is given twice"));
        seen.push_back(key);
        match->handle(token.Value());
    }
}

void NoMoreArguments(const std::vector<Token>& tokens, std::size_t count, const std::string& usage) {
    if (tokens.size() > count)
        Bad("too many arguments: '" + tokens[count].text + "' (usage: " + usage + ")");
}

const Token& Argument(const std::vector<Token>& tokens, std::size_t index, const std::string& usage) {
    if (index >= tokens.size())
        Bad("missing argument (usage: " + usage + ")");
    if (tokens[index].IsField())
        Bad("'" + tokens[index].text + "' where a plain value belongs (usage: " + usage + ")");
    return tokens[index];
}

// ---- Commands -------------------------------------------------------------------------------------------

PatientCommand ParsePatient(const std::vector<Token>& t) {
    PatientCommand c;
    ParseFields(t, 1, "patient",
                {{"id", [&](const std::string& v) { c.id = Text(v, 32, "id"); }},
                 {"name", [&](const std::string& v) { c.name = Text(v, 64, "name"); }},
                 {"accession", [&](const std::string& v) { c.accession = Text(v, 32, "accession"); }},
                 {"study", [&](const std::string& v) { c.study = Text(v, 256, "study"); }}});
    return c;
}

ExposureCommand ParseExposure(const std::vector<Token>& t) {
    static constexpr NamedValue kModes[] = {{"ms", 0}, {"mas", 1}, {"aec", 2}};
    static constexpr NamedValue kUnits[] = {{"ms", 0}, {"sec", 1}};
    ExposureCommand c;
    auto field = [&](int index) {
        return [&c, index](const std::string& v) {
            static constexpr const char* kNames[] = {"aec-left", "aec-center", "aec-right"};
            c.aecField[static_cast<std::size_t>(index)] =
                static_cast<std::int32_t>(NamedOrNumber(v, kOnOff, kI32Min, kI32Max, kNames[index]));
        };
    };
    ParseFields(
        t, 1, "exposure",
        {{"kvp", [&](const std::string& v) { c.kvp = Text(v, 6, "kvp"); }},
         {"ma", [&](const std::string& v) { c.ma = Text(v, 6, "ma"); }},
         {"mas", [&](const std::string& v) { c.mas = Text(v, 12, "mas"); }},
         {"time", [&](const std::string& v) { c.time = Text(v, 12, "time"); }},
         {"aec-value", [&](const std::string& v) { c.aecValue = Text(v, 6, "aec-value"); }},
         {"size",
          [&](const std::string& v) {
              c.patientSize = static_cast<std::int16_t>(NamedOrNumber(v, kSizes, kI16Min, kI16Max, "size"));
          }},
         {"mode",
          [&](const std::string& v) {
              c.controlMode = static_cast<std::int16_t>(NamedOrNumber(v, kModes, kI16Min, kI16Max, "mode"));
          }},
         {"unit",
          [&](const std::string& v) {
              c.timeUnit = static_cast<std::int32_t>(NamedOrNumber(v, kUnits, kI32Min, kI32Max, "unit"));
          }},
         {"aec-submode", [&](const std::string& v) { c.aecSubMode = Int32(v, "aec-submode"); }},
         {"aec-left", field(0)},
         {"aec-center", field(1)},
         {"aec-right", field(2)}});
    return c;
}

TreeLine ParseTree(const std::vector<Token>& t) {
    static constexpr NamedValue kOps[] = {{"exam", wire::kTreeAddExam},
                                          {"protocol", wire::kTreeAddProtocol},
                                          {"select", wire::kTreeSelect},
                                          {"done", wire::kTreeMarkDone},
                                          {"pending", wire::kTreeMarkPending}};
    const std::string usage =
        "tree exam|protocol ITEM TEXT, tree select|done|pending ITEM, tree clear, tree op N ITEM [TEXT]";
    const std::string sub = Argument(t, 1, usage).text;
    TreeLine c;
    if (sub == "clear") {
        NoMoreArguments(t, 2, "tree clear");
        c.op = 0;
        return c;
    }
    std::size_t next = 2;
    if (sub == "op") {
        c.op = Int32(Argument(t, 2, "tree op N ITEM [TEXT]").text, "tree op");
        next = 3;
    } else if (auto op = ValueByName(kOps, sub)) {
        c.op = static_cast<std::int32_t>(*op);
    } else {
        Bad("tree: unknown operation '" + sub + "' (exam, protocol, select, done, pending, clear, op)");
    }
    c.item = Int32(Argument(t, next, usage).text, "tree item");
    const bool needsText = sub == "exam" || sub == "protocol";
    const bool mayHaveText = needsText || sub == "op";
    if (needsText || (mayHaveText && t.size() > next + 1))
        c.text = Text(Argument(t, next + 1, usage).text, wire::TreeCommand::kTextUnits, "tree text");
    NoMoreArguments(t, mayHaveText ? next + 2 : next + 1, usage);
    return c;
}

LampsCommand ParseLamps(const std::vector<Token>& t) {
    LampsCommand c;
    auto lamp = [&](std::size_t index, const char* name) {
        return [&c, index, name](const std::string& v) {
            c.lamp[index] = static_cast<std::int32_t>(NamedOrNumber(v, kOnOff, kI32Min, kI32Max, name));
        };
    };
    ParseFields(t, 1, "lamps", {{"g", lamp(0, "g")}, {"r", lamp(1, "r")}, {"e", lamp(2, "e")}});
    return c;
}

Command ParseReview(const std::vector<Token>& t) {
    if (t.size() > 1 && !t[1].IsField() && t[1].text == "close") {
        NoMoreArguments(t, 2, "review close");
        return ReviewCloseCommand{};
    }
    ReviewCommand c;
    ParseFields(t, 1, "review",
                {{"picture",
                  [&](const std::string& v) {
                      if (v.empty())
                          Bad("review: picture needs a PGM file or 'generated'");
                      if (v != "generated")
                          c.file = WideFromUtf8(v);
                  }},
                 {"width", [&](const std::string& v) { c.width = Int32(v, "width"); }},
                 {"height", [&](const std::string& v) { c.height = Int32(v, "height"); }},
                 {"depth", [&](const std::string& v) { c.depth = Int32(v, "depth"); }},
                 {"window", [&](const std::string& v) { c.window = Int32(v, "window"); }},
                 {"level", [&](const std::string& v) { c.level = Int32(v, "level"); }}});
    if (c.file.empty()) {
        for (const auto& [size, name] : {std::pair{c.width, "width"}, std::pair{c.height, "height"}})
            if (size && (*size < 1 || *size > 8192))
                Bad(std::string("review: the generated picture's ") + name + " must be 1..8192");
    }
    return c;
}

StandLine ParseStand(const std::vector<Token>& t) {
    static constexpr NamedValue kSid[] = {{"none", stand::kNoSid}};
    static constexpr NamedValue kStates[] = {
        {"idle", 0}, {"up", stand::kStateUp}, {"down", stand::kStateDown}};
    StandLine c;
    ParseFields(t, 1, "stand",
                {{"sid",
                  [&](const std::string& v) {
                      c.sid = static_cast<std::int32_t>(NamedOrNumber(v, kSid, kI32Min, kI32Max, "sid"));
                  }},
                 {"angle", [&](const std::string& v) { c.angle = Int32(v, "angle"); }},
                 {"state",
                  [&](const std::string& v) {
                      c.state =
                          static_cast<std::int32_t>(NamedOrNumber(v, kStates, kI32Min, kI32Max, "state"));
                  }},
                 {"unused", [&](const std::string& v) { c.unused = Int32(v, "unused"); }}});
    return c;
}

SdkTextCommand ParseSdkText(const std::vector<Token>& t) {
    SdkTextCommand c;
    ParseFields(t, 1, "sdk-text",
                {{"status", [&](const std::string& v) { c.status = Text(v, 32, "status"); }},
                 {"connection", [&](const std::string& v) { c.connection = Text(v, 32, "connection"); }},
                 {"auto-move", [&](const std::string& v) {
                      c.autoMove =
                          static_cast<std::int32_t>(NamedOrNumber(v, kOnOff, kI32Min, kI32Max, "auto-move"));
                  }}});
    return c;
}

SdkValuesCommand ParseSdkValues(const std::vector<Token>& t) {
    SdkValuesCommand c;
    auto value = [&](std::size_t index, const char* name) {
        return [&c, index, name](const std::string& v) { c.value[index] = Int32(v, name); };
    };
    ParseFields(t, 1, "sdk-values",
                {{"height", value(0, "height")},
                 {"rotate", value(1, "rotate")},
                 {"det", value(2, "det")},
                 {"sid", value(3, "sid")},
                 {"sid-ext", value(4, "sid-ext")}});
    return c;
}

constexpr NamedValue kCodes[] = {
    {"stand", wire::CDC_STAND_STATUS},
    {"tree", wire::CDC_TREE},
    {"patient", wire::CDC_PATIENT},
    {"exposure", wire::CDC_EXPOSURE},
    {"lamps", wire::CDC_LAMPS},
    {"review", wire::CDC_REVIEW_SHOW},
    {"review-close", wire::CDC_REVIEW_CLOSE},
    {"sdk-text", wire::CDC_SDK_TEXT},
    {"sdk-values", wire::CDC_SDK_VALUES},
    {"tree-selected", wire::CDC_TREE_SELECTED},
    {"patient-size", wire::CDC_PATIENT_SIZE},
    {"button", wire::CDC_BUTTON},
    {"review-save", wire::CDC_REVIEW_SAVE},
    {"review-cancel", wire::CDC_REVIEW_CANCEL},
    {"sdk-command", wire::CDC_SDK_COMMAND},
    {"stand-check", wire::CDC_STAND_CHECK},
};

RawCommand ParseRaw(const std::vector<Token>& t) {
    const std::string usage = "raw CODE [value=N | size=N] [HEX BYTES...]";
    RawCommand c;
    c.message.code =
        static_cast<std::uint32_t>(NamedOrNumber(Argument(t, 1, usage).text, kCodes, 0, kU32Max, "raw code"));
    std::vector<std::uint8_t> bytes;
    std::optional<std::uint32_t> value, size;
    for (std::size_t i = 2; i < t.size(); ++i) {
        const Token& token = t[i];
        if (token.IsField()) {
            const std::string key = token.Key();
            if (key != "value" && key != "size")
                Bad("raw: unknown field '" + key + "' (fields: value, size)");
            std::optional<std::uint32_t>& target = key == "value" ? value : size;
            if (target)
                Bad("raw: field '" + key + "' is given twice");
            target = static_cast<std::uint32_t>(Integer(token.Value(), 0, kU32Max, "raw " + key));
            continue;
        }
        std::string_view hex = token.text;
        if (hex.size() % 2 != 0)
            Bad("raw: '" + token.text + "' is not whole bytes of hex digits");
        for (std::size_t k = 0; k < hex.size(); k += 2) {
            auto nibble = [&](char ch) {
                if (ch >= '0' && ch <= '9')
                    return ch - '0';
                if (ch >= 'a' && ch <= 'f')
                    return ch - 'a' + 10;
                if (ch >= 'A' && ch <= 'F')
                    return ch - 'A' + 10;
                Bad("raw: '" + token.text + "' is not hex bytes");
            };
            bytes.push_back(static_cast<std::uint8_t>(nibble(hex[k]) << 4 | nibble(hex[k + 1])));
        }
    }
    if (value && (size || !bytes.empty()))
        Bad("raw: value=N sends no record, so it takes neither size= nor bytes");
    if (value) {
        c.message.cbData = *value;
    } else if (size) {
        if (bytes.size() > *size)
            Bad("raw: " + std::to_string(bytes.size()) +
                " bytes do not fit in size=" + std::to_string(*size));
        if (*size > (1u << 24))
            Bad("raw: size is limited to 16 MiB");
        bytes.resize(*size);
        c.message.cbData = *size;
        c.message.data = std::move(bytes);
    } else if (!bytes.empty()) {
        c.message.cbData = static_cast<std::uint32_t>(bytes.size());
        c.message.data = std::move(bytes);
    }
    return c;
}

WaitCommand ParseWait(const std::vector<Token>& t) {
    WaitCommand c;
    c.ms = static_cast<std::uint32_t>(Integer(Argument(t, 1, "wait MS").text, 0, 3600000, "wait"));
    NoMoreArguments(t, 2, "wait MS");
    return c;
}

ExpectCommand ParseExpect(const std::vector<Token>& t) {
    static constexpr NamedValue kKinds[] = {
        {"tree-selected", static_cast<int>(ReportKind::TreeSelected)},
        {"patient-size", static_cast<int>(ReportKind::PatientSize)},
        {"button", static_cast<int>(ReportKind::Button)},
        {"review-save", static_cast<int>(ReportKind::ReviewSave)},
        {"review-cancel", static_cast<int>(ReportKind::ReviewCancel)},
        {"sdk-command", static_cast<int>(ReportKind::SdkCommand)},
        {"stand-command", static_cast<int>(ReportKind::StandCommand)},
        {"stand-check", static_cast<int>(ReportKind::StandCheck)},
        {"nothing", static_cast<int>(ReportKind::Nothing)},
    };
    const std::string usage = "expect REPORT [VALUE] [within=MS]";
    const std::string name = Argument(t, 1, usage).text;
    auto kind = ValueByName(kKinds, name);
    if (!kind)
        Bad("expect: unknown report '" + name +
            "' (tree-selected, patient-size, button, review-save, review-cancel, sdk-command, stand-command, "
            "stand-check, nothing)");
    ExpectCommand c;
    c.kind = static_cast<ReportKind>(*kind);
    if (c.kind == ReportKind::Nothing)
        c.withinMs = ExpectCommand::kDefaultQuietMs;
    std::size_t next = 2;
    if (t.size() > 2 && !t[2].IsField()) {
        const std::string& v = t[2].text;
        switch (c.kind) {
            case ReportKind::TreeSelected:
                c.value = Int32(v, "tree-selected item");
                break;
            case ReportKind::PatientSize:
                c.value = NamedOrNumber(v, kSizes, 0, kU32Max, "patient-size");
                break;
            case ReportKind::Button:
                c.value = NamedOrNumber(v, kButtons, 0, kU32Max, "button");
                break;
            case ReportKind::StandCommand:
                c.value = NamedOrNumber(v, kStandCommands, kI32Min, kI32Max, "stand-command");
                break;
            case ReportKind::SdkCommand:
                if (auto code = SdkCodeByName(v))
                    c.value = *code;
                else
                    c.value = Integer(v, 0, kU32Max, "sdk-command");
                break;
            default:
                Bad("expect " + name + ": takes no value, but '" + v + "' was given");
        }
        next = 3;
    }
    ParseFields(t, next, "expect " + name,
                {{"within", [&](const std::string& v) {
                      c.withinMs = static_cast<std::uint32_t>(Integer(v, 0, 3600000, "within"));
                  }}});
    return c;
}

PressCommand ParsePress(const std::vector<Token>& t, PressCommand::Action action, const std::string& verb) {
    const std::string usage = verb + " CONTROL (a name such as kvp-up, or a control id)";
    PressCommand c;
    c.action = action;
    c.controlName = Argument(t, 1, usage).text;
    if (auto id = ControlIdByName(c.controlName)) {
        c.controlId = *id;
    } else if (!c.controlName.empty() && std::isdigit(static_cast<unsigned char>(c.controlName[0]))) {
        c.controlId = static_cast<int>(Integer(c.controlName, 0, 65535, verb));
    } else {
        Bad(verb + ": unknown control '" + c.controlName +
            "' (see `help` for the names, or give a control id)");
    }
    NoMoreArguments(t, 2, usage);
    return c;
}

std::string_view CommandWord(const std::vector<Token>& t) {
    return t.front().text;
}

Command ParseTokens(const std::vector<Token>& t) {
    const std::string_view word = CommandWord(t);
    if (t.front().IsField() || t.front().quoted)
        Bad("a line starts with a command word, not '" + t.front().text + "'");
    if (word == "patient")
        return ParsePatient(t);
    if (word == "exposure")
        return ParseExposure(t);
    if (word == "tree")
        return ParseTree(t);
    if (word == "lamps")
        return ParseLamps(t);
    if (word == "review")
        return ParseReview(t);
    if (word == "stand")
        return ParseStand(t);
    if (word == "sdk-text")
        return ParseSdkText(t);
    if (word == "sdk-values")
        return ParseSdkValues(t);
    if (word == "raw")
        return ParseRaw(t);
    if (word == "wait")
        return ParseWait(t);
    if (word == "expect")
        return ParseExpect(t);
    if (word == "launch") {
        LaunchCommand c;
        if (t.size() > 1)
            c.path = WideFromUtf8(Argument(t, 1, "launch [PATH]").text);
        NoMoreArguments(t, 2, "launch [PATH]");
        return c;
    }
    if (word == "close-panel") {
        NoMoreArguments(t, 1, "close-panel");
        return ClosePanelCommand{};
    }
    if (word == "screenshot") {
        const std::string path = Argument(t, 1, "screenshot FILE.bmp").text;
        NoMoreArguments(t, 2, "screenshot FILE.bmp");
        std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char ch) { return std::tolower(ch); });
        if (tail != ".bmp")
            Bad("screenshot: the picture is written as a 24-bit BMP, so the file name ends in .bmp");
        return ScreenshotCommand{WideFromUtf8(path)};
    }
    if (word == "press")
        return ParsePress(t, PressCommand::Action::Click, "press");
    if (word == "hold")
        return ParsePress(t, PressCommand::Action::Down, "hold");
    if (word == "release")
        return ParsePress(t, PressCommand::Action::Up, "release");
    if (word == "echo") {
        std::string text;
        for (std::size_t i = 1; i < t.size(); ++i)
            text += (i > 1 ? " " : "") + t[i].text;
        return EchoCommand{WideFromUtf8(text)};
    }
    if (word == "help")
        return HelpCommand{};
    if (word == "quit") {
        NoMoreArguments(t, 1, "quit");
        return QuitCommand{};
    }
    Bad("unknown command '" + std::string(word) + "' (try `help`)");
}

}  // namespace

ParsedLine ParseLine(std::string_view line) {
    ParsedLine parsed;
    try {
        std::vector<Token> tokens = Tokenize(line);
        if (!tokens.empty())
            parsed.command = ParseTokens(tokens);
    } catch (const BadLine& bad) {
        parsed.error = bad.what();
    }
    return parsed;
}

Script ParseScript(std::string_view text) {
    Script script;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ParsedLine parsed = ParseLine(line);
        if (!parsed.error.empty())
            script.errors.push_back({number, parsed.error});
        else if (parsed.command)
            script.lines.push_back({number, std::string(line), std::move(*parsed.command)});
    }
    return script;
}

std::string HelpText() {
    return "Console messages (fields not given: see docs/console-sim.md)\n"
           "  patient id=T name=T accession=T study=T\n"
           "  exposure kvp=T ma=T mas=T time=T aec-value=T size=P|S|M|L mode=ms|mas|aec unit=ms|sec\n"
           "           aec-submode=N aec-left=on|off aec-center=on|off aec-right=on|off\n"
           "  tree exam|protocol ITEM TEXT | tree select|done|pending ITEM | tree clear | tree op N ITEM "
           "[TEXT]\n"
           "  lamps g=on|off r=on|off e=on|off\n"
           "  review [picture=generated|FILE.pgm] [width=N height=N depth=N window=N level=N] | review "
           "close\n"
           "  stand sid=N|none angle=N state=N|idle|up|down unused=N\n"
           "  sdk-text status=T connection=T auto-move=on|off\n"
           "  sdk-values height=N rotate=N det=N sid=N sid-ext=N\n"
           "  raw CODE [value=N | size=N] [HEX BYTES...]\n"
           "The operator\n"
           "  press|hold|release CONTROL   e.g. kvp-up, mode-aec, size-l, device, review-save, ceil-up,\n"
           "                               sdk-move, height-up, or a control id\n"
           "Reports and the session\n"
           "  expect REPORT [VALUE] [within=MS]   tree-selected ITEM, patient-size P|S|M|L, button NAME,\n"
           "         review-save, review-cancel, sdk-command NAME, stand-command NAME, stand-check, nothing\n"
           "  wait MS | launch [PATH] | close-panel | screenshot FILE.bmp | echo TEXT | help | quit\n";
}

// ---- The console's state --------------------------------------------------------------------------------

namespace {

CopyData Message(std::uint32_t code, std::vector<std::uint8_t> bytes) {
    CopyData message;
    message.code = code;
    message.cbData = static_cast<std::uint32_t>(bytes.size());
    message.data = std::move(bytes);
    return message;
}

template <typename T>
void Take(T& target, const std::optional<T>& value) {
    if (value)
        target = *value;
}

}  // namespace

CConsoleState::CConsoleState() {
    m_stand.nSid = stand::kNoSid;
}

CopyData CConsoleState::Patient(const PatientCommand& c) const {
    wire::PatientInfo info{c.id, c.name, c.accession, c.study};
    return Message(wire::CDC_PATIENT, info.Encode());
}

CopyData CConsoleState::Exposure(const ExposureCommand& c) {
    Take(m_exposure.kvp, c.kvp);
    Take(m_exposure.ma, c.ma);
    Take(m_exposure.mas, c.mas);
    Take(m_exposure.time, c.time);
    Take(m_exposure.aecValue, c.aecValue);
    Take(m_exposure.patientSize, c.patientSize);
    Take(m_exposure.controlMode, c.controlMode);
    Take(m_exposure.aecSubMode, c.aecSubMode);
    Take(m_exposure.timeUnit, c.timeUnit);
    for (std::size_t i = 0; i < 3; ++i)
        Take(m_exposure.aecField[i], c.aecField[i]);
    return Message(wire::CDC_EXPOSURE, m_exposure.Encode());
}

CopyData CConsoleState::Tree(const TreeLine& c) const {
    return Message(wire::CDC_TREE, wire::TreeCommand{c.op, c.item, c.text}.Encode());
}

CopyData CConsoleState::Lamps(const LampsCommand& c) {
    Take(m_lamps.g, c.lamp[0]);
    Take(m_lamps.r, c.lamp[1]);
    Take(m_lamps.e, c.lamp[2]);
    return Message(wire::CDC_LAMPS, m_lamps.Encode());
}

CopyData CConsoleState::Review(const ReviewCommand& c, std::int32_t pictureWidth,
                               std::int32_t pictureHeight) const {
    wire::ReviewImage image{c.width.value_or(pictureWidth), c.height.value_or(pictureHeight), c.depth,
                            c.window, c.level};
    return Message(wire::CDC_REVIEW_SHOW, image.Encode());
}

CopyData CConsoleState::ReviewClose() const {
    CopyData message;
    message.code = wire::CDC_REVIEW_CLOSE;
    return message;
}

CopyData CConsoleState::Stand(const StandLine& c) {
    Take(m_stand.nSid, c.sid);
    Take(m_stand.nUnused, c.unused);
    Take(m_stand.nAngle, c.angle);
    Take(m_stand.nState, c.state);
    return Message(wire::CDC_STAND_STATUS, m_stand.Encode());
}

CopyData CConsoleState::SdkText(const SdkTextCommand& c) {
    Take(m_sdkText.autoMove, c.autoMove);
    Take(m_sdkText.status, c.status);
    Take(m_sdkText.connection, c.connection);
    return Message(wire::CDC_SDK_TEXT, m_sdkText.Encode());
}

CopyData CConsoleState::SdkValues(const SdkValuesCommand& c) {
    for (std::size_t i = 0; i < 5; ++i)
        Take(m_sdkValues.values[i], c.value[i]);
    return Message(wire::CDC_SDK_VALUES, m_sdkValues.Encode());
}

// ---- Reports --------------------------------------------------------------------------------------------

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    constexpr std::size_t kShown = 64;
    std::string out;
    char pair[3];
    for (std::size_t i = 0; i < bytes.size() && i < kShown; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        out += pair;
    }
    if (bytes.size() > kShown)
        out += "...";
    return out;
}

std::string Envelope(const CopyData& r) {
    return "cbData=" + std::to_string(r.cbData) + " data=" + (r.data ? Hex(*r.data) : std::string("null"));
}

std::string Named(std::optional<std::string_view> name, std::int64_t value, std::string_view unknown) {
    return (name ? std::string(*name) : std::to_string(value) + " " + std::string(unknown)) +
           (name ? " (" + std::to_string(value) + ")" : std::string());
}

}  // namespace

DecodedReport DecodeReport(const CopyData& r, bool valuesMayBeLost) {
    DecodedReport d;
    switch (r.code) {
        case wire::CDC_TREE_SELECTED:
            d.kind = ReportKind::TreeSelected;
            break;
        case wire::CDC_PATIENT_SIZE:
            d.kind = ReportKind::PatientSize;
            break;
        case wire::CDC_BUTTON:
            d.kind = ReportKind::Button;
            break;
        case wire::CDC_REVIEW_SAVE:
            d.kind = ReportKind::ReviewSave;
            break;
        case wire::CDC_REVIEW_CANCEL:
            d.kind = ReportKind::ReviewCancel;
            break;
        case wire::CDC_SDK_COMMAND:
            d.kind = ReportKind::SdkCommand;
            break;
        case wire::CDC_STAND_STATUS:
            d.kind = ReportKind::StandCommand;
            break;
        case wire::CDC_STAND_CHECK:
            d.kind = ReportKind::StandCheck;
            break;
        default:
            d.kind = ReportKind::Unknown;
            d.text = "unknown code=" + std::to_string(r.code) + " " + Envelope(r);
            return d;
    }
    const std::string name(ReportName(d.kind));
    switch (d.kind) {
        case ReportKind::TreeSelected: {
            std::optional<wire::TreeCommand> cmd;
            if (r.data && r.data->size() == r.cbData)
                cmd = wire::TreeCommand::Decode(*r.data);
            if (!cmd) {
                d.malformed = true;
                d.text = name + " malformed: " + Envelope(r);
                break;
            }
            d.value = cmd->itemData;
            d.text = name + " item=" + std::to_string(cmd->itemData);
            if (cmd->op != 3)
                d.text += " op=" + std::to_string(cmd->op);
            if (!cmd->text.empty())
                d.text += " text=\"" + Utf8FromWide(cmd->text) + "\"";
            break;
        }
        case ReportKind::PatientSize:
        case ReportKind::Button:
        case ReportKind::SdkCommand: {
            // The value travels in cbData, with no record.
            if (r.data) {
                d.malformed = true;
                d.text = name + " malformed (a record where none belongs): " + Envelope(r);
                break;
            }
            if (r.cbData == 0 && valuesMayBeLost) {
                d.valueLost = true;
                d.text = name + ": value lost in transit under Wine (cbData 0)";
                break;
            }
            d.value = r.cbData;
            if (d.kind == ReportKind::PatientSize)
                d.text = name + " " + Named(SizeName(r.cbData), r.cbData, "(no such size)");
            else if (d.kind == ReportKind::Button)
                d.text = name + " " + Named(ButtonName(r.cbData), r.cbData, "(no such button)");
            else
                d.text = name + " " + Named(SdkCommandName(r.cbData), r.cbData, "(no such command)");
            break;
        }
        case ReportKind::StandCommand: {
            std::optional<stand::StandCommand> cmd;
            if (r.data && r.data->size() == r.cbData)
                cmd = stand::StandCommand::Decode(*r.data);
            if (!cmd) {
                d.malformed = true;
                d.text = name + " malformed: " + Envelope(r);
                break;
            }
            d.value = cmd->nCommand;
            d.text = name + " " + Named(StandCommandName(cmd->nCommand), cmd->nCommand, "(no such command)");
            break;
        }
        default:  // review-save, review-cancel, stand-check: no record, cbData 0
            d.text = name;
            if (r.cbData != 0 || r.data) {
                d.malformed = true;
                d.text += " malformed: " + Envelope(r);
            }
            break;
    }
    return d;
}

Match MatchReport(const ExpectCommand& expect, const DecodedReport& report) {
    if (expect.kind == ReportKind::Nothing || report.kind != expect.kind || report.malformed)
        return Match::No;
    if (!expect.value)
        return Match::Yes;
    if (report.valueLost)
        return Match::CodeOnly;
    return report.value == expect.value ? Match::Yes : Match::No;
}

std::string DescribeExpect(const ExpectCommand& expect) {
    std::string text(ReportName(expect.kind));
    if (!expect.value)
        return text;
    const std::int64_t v = *expect.value;
    switch (expect.kind) {
        case ReportKind::TreeSelected:
            return text + " item=" + std::to_string(v);
        case ReportKind::PatientSize:
            return text + " " + Named(SizeName(v), v, "(no such size)");
        case ReportKind::Button:
            return text + " " + Named(ButtonName(v), v, "(no such button)");
        case ReportKind::SdkCommand:
            return text + " " + Named(SdkCommandName(v), v, "(no such command)");
        case ReportKind::StandCommand:
            return text + " " + Named(StandCommandName(v), v, "(no such command)");
        default:
            return text + " " + std::to_string(v);
    }
}

}  // namespace consim
