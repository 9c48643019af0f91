// The console simulator's model: script parsing (every command, quoting, numbers, bad lines), the console
// state that builds each message, report decoding with the Wine rule, and its pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

#include "link/codes.h"
#include "link/records.h"
#include "picture.h"
#include "script.h"
#include "stand/stand_tables.h"

using namespace consim;

namespace {

template <typename T>
T Parsed(const std::string& line) {
    ParsedLine parsed = ParseLine(line);
    EXPECT_EQ(parsed.error, "") << line;
    if (!parsed.command) {
        ADD_FAILURE() << "no command from: " << line;
        return T{};
    }
    const T* command = std::get_if<T>(&*parsed.command);
    if (!command) {
        ADD_FAILURE() << "another command from: " << line;
        return T{};
    }
    return *command;
}

std::string ErrorOf(const std::string& line) {
    ParsedLine parsed = ParseLine(line);
    EXPECT_FALSE(parsed.command.has_value()) << line;
    EXPECT_NE(parsed.error, "") << line;
    return parsed.error;
}

bool Mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

CopyData Report(std::uint32_t code, std::uint32_t cbData,
                std::optional<std::vector<std::uint8_t>> data = std::nullopt) {
    return CopyData{code, cbData, std::move(data)};
}

}  // namespace

// ---- Lines, quoting, comments ---------------------------------------------------------------------------

TEST(ConsoleScriptLines, BlankLinesAndCommentsAreNoCommands) {
    for (const char* line : {"", "   ", "\t", "# a comment", "   # indented comment", "\r"}) {
        ParsedLine parsed = ParseLine(line);
        EXPECT_EQ(parsed.error, "") << line;
        EXPECT_FALSE(parsed.command.has_value()) << line;
    }
}

TEST(ConsoleScriptLines, QuotedTextsKeepBlanksHashesAndEscapes) {
    auto c = Parsed<PatientCommand>(
        R"(patient name="Doe Jane # not a comment" study="say \"hi\" \\ C:\now" id=P1 # trailing comment)");
    EXPECT_EQ(c.name, L"Doe Jane # not a comment");
    EXPECT_EQ(c.study, L"say \"hi\" \\ C:\\now");  // only \" and \\ are escapes
    EXPECT_EQ(c.id, L"P1");
    EXPECT_EQ(c.accession, L"");  // not given: sent empty
}

TEST(ConsoleScriptLines, QuotingMistakesAreReported) {
    EXPECT_TRUE(Mentions(ErrorOf(R"(patient name="Doe)"), "not closed"));
    EXPECT_TRUE(Mentions(ErrorOf(R"(patient name="a\")"), "not closed"));  // the quote is escaped
    // A quoted '=' is text, so a quoted field is not a field.
    EXPECT_TRUE(Mentions(ErrorOf(R"(patient "name=Doe")"), "not a field=value pair"));
    EXPECT_TRUE(Mentions(ErrorOf(R"("patient" id=1)"), "command word"));
}

TEST(ConsoleScriptLines, TextsAreUtf8AndCountedInUtf16Units) {
    auto c =
        Parsed<PatientCommand>("patient name=\"M\xC3\xBCller \xE5\xB1\xB1\xE7\x94\xB0 \xF0\x9F\x98\x80\"");
    EXPECT_EQ(c.name, (std::wstring{L'M', 0xFC, L'l', L'l', L'e', L'r', L' ', 0x5C71, 0x7530, L' ',
                                    static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}));
    // kvp's slot holds 6 units: five letters and one surrogate pair do not fit.
    EXPECT_TRUE(Mentions(ErrorOf("exposure kvp=abcde\xF0\x9F\x98\x80"), "slot holds 6"));
    EXPECT_EQ(Parsed<ExposureCommand>("exposure kvp=abcdef").kvp, L"abcdef");  // a full slot is allowed
}

TEST(ConsoleScriptLines, Utf8ConversionsRoundTripAndReplaceBrokenBytes) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
    EXPECT_EQ(Utf8FromWide(WideFromUtf8(text)), text);
    EXPECT_EQ(WideFromUtf8("\xC3"), std::wstring(1, static_cast<wchar_t>(0xFFFD)));          // cut short
    EXPECT_EQ(WideFromUtf8("\xC0\xAF"), (std::wstring(2, static_cast<wchar_t>(0xFFFD))));    // overlong
    EXPECT_EQ(WideFromUtf8("\xED\xA0\x80").front(), static_cast<wchar_t>(0xFFFD));           // a surrogate
    EXPECT_EQ(Utf8FromWide(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
}

// ---- Numbers --------------------------------------------------------------------------------------------

TEST(ConsoleScriptNumbers, DecimalHexAndSignsWithinTheFieldsRange) {
    EXPECT_EQ(Parsed<WaitCommand>("wait 250").ms, 250u);
    EXPECT_EQ(Parsed<WaitCommand>("wait 0x10").ms, 16u);
    EXPECT_EQ(*Parsed<StandLine>("stand angle=-15").angle, -15);
    EXPECT_EQ(*Parsed<StandLine>("stand angle=+15").angle, 15);
    EXPECT_EQ(*Parsed<StandLine>("stand angle=-2147483648").angle, INT32_MIN);
    EXPECT_EQ(*Parsed<ExposureCommand>("exposure mode=-32768").controlMode, -32768);
    EXPECT_EQ(Parsed<RawCommand>("raw 0xFFFFFFFF").message.code, 0xFFFFFFFFu);

    EXPECT_TRUE(Mentions(ErrorOf("stand angle=2147483648"), "out of range"));
    EXPECT_TRUE(Mentions(ErrorOf("exposure mode=32768"), "out of range"));
    EXPECT_TRUE(Mentions(ErrorOf("wait -1"), "out of range"));
    EXPECT_TRUE(Mentions(ErrorOf("raw 0x100000000"), "out of range"));
    EXPECT_TRUE(Mentions(ErrorOf("wait 12x"), "not a number"));
    EXPECT_TRUE(Mentions(ErrorOf("wait 0x"), "not a number"));
    EXPECT_TRUE(Mentions(ErrorOf("wait -"), "not a number"));
    EXPECT_TRUE(Mentions(ErrorOf("stand angle=99999999999999999999"), "out of range"));
}

// ---- Console messages -----------------------------------------------------------------------------------

TEST(ConsoleScriptCommands, ExposureTakesEveryFieldByNameOrNumber) {
    auto c = Parsed<ExposureCommand>(
        "exposure kvp=81 ma=250 mas=12.5 time=0.05 aec-value=+1 size=L mode=aec unit=sec aec-submode=2 "
        "aec-left=on aec-center=off aec-right=7");
    EXPECT_EQ(*c.kvp, L"81");
    EXPECT_EQ(*c.ma, L"250");
    EXPECT_EQ(*c.mas, L"12.5");
    EXPECT_EQ(*c.time, L"0.05");
    EXPECT_EQ(*c.aecValue, L"+1");
    EXPECT_EQ(*c.patientSize, 3);
    EXPECT_EQ(*c.controlMode, 2);
    EXPECT_EQ(*c.timeUnit, 1);
    EXPECT_EQ(*c.aecSubMode, 2);
    EXPECT_EQ(*c.aecField[0], 1);
    EXPECT_EQ(*c.aecField[1], 0);
    EXPECT_EQ(*c.aecField[2], 7);

    auto names = Parsed<ExposureCommand>("exposure size=P mode=ms unit=ms");
    EXPECT_EQ(*names.patientSize, 0);
    EXPECT_EQ(*names.controlMode, 0);
    EXPECT_EQ(*names.timeUnit, 0);
    EXPECT_EQ(*Parsed<ExposureCommand>("exposure mode=mas").controlMode, 1);
    EXPECT_EQ(*Parsed<ExposureCommand>("exposure size=4").patientSize,
              4);  // out-of-range values still travel

    auto none = Parsed<ExposureCommand>("exposure");  // resends the current record
    EXPECT_FALSE(none.kvp || none.controlMode || none.aecField[0]);
}

TEST(ConsoleScriptCommands, TreeOperations) {
    auto exam = Parsed<TreeLine>(R"(tree exam 100 "Chest")");
    EXPECT_EQ(exam.op, 1);
    EXPECT_EQ(exam.item, 100);
    EXPECT_EQ(exam.text, L"Chest");
    auto protocol = Parsed<TreeLine>(R"(tree protocol -5 "PA:R")");
    EXPECT_EQ(protocol.op, 2);
    EXPECT_EQ(protocol.item, -5);
    EXPECT_EQ(Parsed<TreeLine>("tree select 7").op, 3);
    EXPECT_EQ(Parsed<TreeLine>("tree done 7").op, 4);
    EXPECT_EQ(Parsed<TreeLine>("tree pending 7").op, 5);
    auto clear = Parsed<TreeLine>("tree clear");
    EXPECT_EQ(clear.op, 0);
    auto any = Parsed<TreeLine>(R"(tree op 9 3 "x")");
    EXPECT_EQ(any.op, 9);
    EXPECT_EQ(any.item, 3);
    EXPECT_EQ(any.text, L"x");
    EXPECT_EQ(Parsed<TreeLine>("tree op -1 3").text, L"");

    EXPECT_TRUE(Mentions(ErrorOf("tree exam 100"), "missing argument"));
    EXPECT_TRUE(Mentions(ErrorOf("tree select"), "missing argument"));
    EXPECT_TRUE(Mentions(ErrorOf("tree select 1 extra"), "too many arguments"));
    EXPECT_TRUE(Mentions(ErrorOf("tree clear 1"), "too many arguments"));
    EXPECT_TRUE(Mentions(ErrorOf("tree grow 1"), "unknown operation"));
    EXPECT_TRUE(Mentions(ErrorOf("tree exam 1 " + std::string(257, 'x')), "slot holds 256"));
    EXPECT_TRUE(Mentions(ErrorOf("tree"), "missing argument"));
}

TEST(ConsoleScriptCommands, LampsStandAndSdkRecords) {
    auto lamps = Parsed<LampsCommand>("lamps g=on r=off e=-1");
    EXPECT_EQ(*lamps.lamp[0], 1);
    EXPECT_EQ(*lamps.lamp[1], 0);
    EXPECT_EQ(*lamps.lamp[2], -1);
    EXPECT_FALSE(Parsed<LampsCommand>("lamps r=on").lamp[0].has_value());

    auto stand = Parsed<StandLine>("stand sid=none angle=30 state=up unused=9");
    EXPECT_EQ(*stand.sid, stand::kNoSid);
    EXPECT_EQ(*stand.angle, 30);
    EXPECT_EQ(*stand.state, stand::kStateUp);
    EXPECT_EQ(*stand.unused, 9);
    EXPECT_EQ(*Parsed<StandLine>("stand state=down").state, stand::kStateDown);
    EXPECT_EQ(*Parsed<StandLine>("stand state=idle").state, 0);

    auto text = Parsed<SdkTextCommand>(R"(sdk-text status="APR ACKNOWLEDGE" connection=CON auto-move=on)");
    EXPECT_EQ(*text.status, L"APR ACKNOWLEDGE");
    EXPECT_EQ(*text.connection, L"CON");
    EXPECT_EQ(*text.autoMove, 1);

    auto values = Parsed<SdkValuesCommand>("sdk-values height=1 rotate=-2 det=3 sid=4 sid-ext=5");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(*values.value[static_cast<std::size_t>(i)], i == 1 ? -2 : i + 1);

    EXPECT_TRUE(Mentions(ErrorOf("lamps x=1"), "unknown field 'x'"));
    EXPECT_TRUE(Mentions(ErrorOf("lamps g=maybe"), "neither a number nor one of off, on"));
    EXPECT_TRUE(Mentions(ErrorOf("lamps g=1 g=0"), "given twice"));
    EXPECT_TRUE(Mentions(ErrorOf("sdk-text status=" + std::string(33, 'x')), "slot holds 32"));
    EXPECT_TRUE(Mentions(ErrorOf("stand sid=far"), "none"));
}

TEST(ConsoleScriptCommands, ReviewAndItsPicture) {
    auto generated = Parsed<ReviewCommand>("review");
    EXPECT_TRUE(generated.file.empty());
    EXPECT_FALSE(generated.width.has_value());
    auto file = Parsed<ReviewCommand>(
        R"(review picture="my knee.pgm" width=10 height=0 depth=12 window=300 level=-5)");
    EXPECT_EQ(file.file, L"my knee.pgm");
    EXPECT_EQ(*file.width, 10);
    EXPECT_EQ(*file.height, 0);  // a file's record may lie about the size: the panel must cope
    EXPECT_EQ(file.depth, 12);
    EXPECT_EQ(file.window, 300);
    EXPECT_EQ(file.level, -5);
    EXPECT_EQ(*Parsed<ReviewCommand>("review picture=generated width=64 height=48").height, 48);
    EXPECT_TRUE(std::holds_alternative<ReviewCloseCommand>(*ParseLine("review close").command));

    EXPECT_TRUE(Mentions(ErrorOf("review picture=generated width=0"), "1..8192"));
    EXPECT_TRUE(Mentions(ErrorOf("review height=9000"), "1..8192"));
    EXPECT_TRUE(Mentions(ErrorOf("review picture="), "PGM file or 'generated'"));
    EXPECT_TRUE(Mentions(ErrorOf("review close now"), "too many arguments"));
}

TEST(ConsoleScriptCommands, RawSendsExactlyTheGivenEnvelope) {
    auto bytes = Parsed<RawCommand>("raw 742047 01 02ff 0A").message;
    EXPECT_EQ(bytes.code, wire::CDC_EXPOSURE);
    EXPECT_EQ(bytes.cbData, 4u);
    EXPECT_EQ(*bytes.data, (std::vector<std::uint8_t>{0x01, 0x02, 0xFF, 0x0A}));

    auto padded = Parsed<RawCommand>("raw exposure size=127 aa").message;  // one byte short of the record
    EXPECT_EQ(padded.cbData, 127u);
    ASSERT_TRUE(padded.data);
    EXPECT_EQ(padded.data->size(), 127u);
    EXPECT_EQ(padded.data->front(), 0xAA);
    EXPECT_EQ(padded.data->back(), 0);

    auto value = Parsed<RawCommand>("raw button value=16").message;  // the form of a record-less report
    EXPECT_EQ(value.code, wire::CDC_BUTTON);
    EXPECT_EQ(value.cbData, 16u);
    EXPECT_FALSE(value.data.has_value());

    auto empty = Parsed<RawCommand>("raw patient").message;  // back to the panel view, no record
    EXPECT_EQ(empty.code, wire::CDC_PATIENT);
    EXPECT_EQ(empty.cbData, 0u);
    EXPECT_FALSE(empty.data.has_value());

    EXPECT_TRUE(Mentions(ErrorOf("raw 1 abc"), "whole bytes"));
    EXPECT_TRUE(Mentions(ErrorOf("raw 1 zz"), "hex"));
    EXPECT_TRUE(Mentions(ErrorOf("raw 1 value=1 00"), "neither size= nor bytes"));
    EXPECT_TRUE(Mentions(ErrorOf("raw 1 size=1 0000"), "do not fit"));
    EXPECT_TRUE(Mentions(ErrorOf("raw 1 length=1"), "unknown field"));
    EXPECT_TRUE(Mentions(ErrorOf("raw"), "missing argument"));
    EXPECT_TRUE(Mentions(ErrorOf("raw nonsense"), "neither a number nor one of"));
}

// ---- Session commands -----------------------------------------------------------------------------------

TEST(ConsoleScriptCommands, ExpectEveryReportWithValuesByName) {
    auto button = Parsed<ExpectCommand>("expect button kvp-up within=250");
    EXPECT_EQ(button.kind, ReportKind::Button);
    EXPECT_EQ(*button.value, 2);
    EXPECT_EQ(button.withinMs, 250u);
    EXPECT_EQ(*Parsed<ExpectCommand>("expect button 16").value, 16);
    EXPECT_EQ(*Parsed<ExpectCommand>("expect patient-size L").value, 3);
    EXPECT_EQ(*Parsed<ExpectCommand>("expect tree-selected -3").value, -3);
    EXPECT_EQ(*Parsed<ExpectCommand>("expect sdk-command height-up").value, 2339);  // control 1092 + 1247
    EXPECT_EQ(*Parsed<ExpectCommand>("expect sdk-command move").value, 2335);
    EXPECT_EQ(*Parsed<ExpectCommand>("expect sdk-command sid-ext-label").value, 2352);
    EXPECT_EQ(*Parsed<ExpectCommand>("expect sdk-command release").value, 514);
    EXPECT_EQ(*Parsed<ExpectCommand>("expect stand-command sync").value, stand::kCeilSync);
    EXPECT_EQ(*Parsed<ExpectCommand>("expect stand-command release").value, stand::kCeilRelease);

    for (const char* line :
         {"expect review-save", "expect review-cancel", "expect stand-check", "expect button"}) {
        auto c = Parsed<ExpectCommand>(line);
        EXPECT_FALSE(c.value.has_value()) << line;
        EXPECT_EQ(c.withinMs, ExpectCommand::kDefaultWithinMs) << line;
    }
    auto nothing = Parsed<ExpectCommand>("expect nothing");
    EXPECT_EQ(nothing.kind, ReportKind::Nothing);
    EXPECT_EQ(nothing.withinMs, ExpectCommand::kDefaultQuietMs);

    EXPECT_TRUE(Mentions(ErrorOf("expect review-save 1"), "takes no value"));
    EXPECT_TRUE(Mentions(ErrorOf("expect nothing 1"), "takes no value"));
    EXPECT_TRUE(Mentions(ErrorOf("expect applause"), "unknown report"));
    EXPECT_TRUE(Mentions(ErrorOf("expect button kvp-sideways"), "neither a number nor one of"));
    EXPECT_TRUE(Mentions(ErrorOf("expect button kvp-up soon=1"), "unknown field 'soon'"));
    EXPECT_TRUE(Mentions(ErrorOf("expect"), "missing argument"));
}

TEST(ConsoleScriptCommands, OperatorControlsByNameOrId) {
    auto press = Parsed<PressCommand>("press kvp-up");
    EXPECT_EQ(press.action, PressCommand::Action::Click);
    EXPECT_EQ(press.controlId, 1001);
    auto hold = Parsed<PressCommand>("hold ceil-up");
    EXPECT_EQ(hold.action, PressCommand::Action::Down);
    EXPECT_EQ(hold.controlId, 2399);
    auto release = Parsed<PressCommand>("release 1092");
    EXPECT_EQ(release.action, PressCommand::Action::Up);
    EXPECT_EQ(release.controlId, 1092);
    EXPECT_EQ(Parsed<PressCommand>("press review-save").controlId, 1);
    EXPECT_EQ(Parsed<PressCommand>("press size-l").controlId, 1033);

    // The SDK axis rows follow one rule: row r has label 1089+4r, value +1, "<" +2, ">" +3.
    const char* rows[] = {"height", "rotate", "det", "sid", "sid-ext"};
    const char* parts[] = {"label", "value", "down", "up"};
    for (int r = 0; r < 5; ++r)
        for (int p = 0; p < 4; ++p) {
            const std::string name = std::string(rows[r]) + "-" + parts[p];
            EXPECT_EQ(ControlIdByName(name), 1089 + 4 * r + p) << name;
            // The press of that control reports its id + 1247 under the same name.
            EXPECT_EQ(SdkCommandName(1089 + 4 * r + p + 1247), name) << name;
        }

    EXPECT_TRUE(Mentions(ErrorOf("press kvp-sideways"), "unknown control"));
    EXPECT_TRUE(Mentions(ErrorOf("press 70000"), "out of range"));
    EXPECT_TRUE(Mentions(ErrorOf("hold"), "missing argument"));
    EXPECT_TRUE(Mentions(ErrorOf("release kvp-up kvp-down"), "too many arguments"));
}

TEST(ConsoleScriptCommands, SessionCommands) {
    EXPECT_EQ(Parsed<LaunchCommand>("launch").path, L"");
    EXPECT_EQ(Parsed<LaunchCommand>(R"(launch "C:\Program Files\Sidecar.exe")").path,
              L"C:\\Program Files\\Sidecar.exe");
    EXPECT_TRUE(std::holds_alternative<ClosePanelCommand>(*ParseLine("close-panel").command));
    EXPECT_EQ(Parsed<ScreenshotCommand>("screenshot shots/one.BMP").path, L"shots/one.BMP");
    EXPECT_EQ(Parsed<EchoCommand>(R"(echo Next:   "two  spaces" kept)").text, L"Next: two  spaces kept");
    EXPECT_TRUE(std::holds_alternative<HelpCommand>(*ParseLine("help").command));
    EXPECT_TRUE(std::holds_alternative<QuitCommand>(*ParseLine("quit").command));

    EXPECT_TRUE(Mentions(ErrorOf("screenshot shot.png"), ".bmp"));
    EXPECT_TRUE(Mentions(ErrorOf("launch a b"), "too many arguments"));
    EXPECT_TRUE(Mentions(ErrorOf("wait"), "missing argument"));
    EXPECT_TRUE(Mentions(ErrorOf("wait 1 2"), "too many arguments"));
    EXPECT_TRUE(Mentions(ErrorOf("quit now"), "too many arguments"));
    EXPECT_TRUE(Mentions(ErrorOf("dance"), "unknown command 'dance'"));
    EXPECT_TRUE(Mentions(ErrorOf("patient idx=1"), "fields: id, name, accession, study"));
}

TEST(ConsoleScriptCommands, HelpNamesEveryCommandWord) {
    const std::string help = HelpText();
    for (const char* word :
         {"patient",    "exposure",    "tree",       "lamps", "review",  "stand",  "sdk-text",
          "sdk-values", "raw",         "press",      "hold",  "release", "expect", "wait",
          "launch",     "close-panel", "screenshot", "echo",  "help",    "quit"})
        EXPECT_TRUE(Mentions(help, word)) << word;
}

// ---- Whole scripts --------------------------------------------------------------------------------------

TEST(ConsoleScriptFiles, EveryBadLineIsListedWithItsNumber) {
    const std::string text =
        "\xEF\xBB\xBF# a script\r\n"
        "launch\r\n"
        "\r\n"
        "exposure kvp=70 kpv=1\r\n"
        "tree select 5\n"
        "wiat 100\n"
        "lamps g=on";  // no line end at the end
    Script script = ParseScript(text);
    ASSERT_EQ(script.errors.size(), 2u);
    EXPECT_EQ(script.errors[0].number, 4);
    EXPECT_TRUE(Mentions(script.errors[0].message, "unknown field 'kpv'"));
    EXPECT_EQ(script.errors[1].number, 6);
    EXPECT_TRUE(Mentions(script.errors[1].message, "unknown command 'wiat'"));
    ASSERT_EQ(script.lines.size(), 3u);
    EXPECT_EQ(script.lines[0].number, 2);
    EXPECT_EQ(script.lines[0].text, "launch");  // no CR, no byte order mark
    EXPECT_EQ(script.lines[1].number, 5);
    EXPECT_EQ(script.lines[2].number, 7);
    EXPECT_TRUE(std::holds_alternative<LampsCommand>(script.lines[2].command));
}

TEST(ConsoleScriptFiles, TheDemoSessionParses) {
    // The demo is a script like any other: a demo that drifts from the language fails here, not in `make
    // run`.
    std::ifstream file(SIDECAR_DEMO_SCRIPT, std::ios::binary);
    ASSERT_TRUE(file) << SIDECAR_DEMO_SCRIPT;
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Script script = ParseScript(text);
    for (const ScriptError& e : script.errors)
        ADD_FAILURE() << "line " << e.number << ": " << e.message;
    auto uses = [&](auto probe) {
        return std::any_of(script.lines.begin(), script.lines.end(),
                           [&](const ScriptLine& line) { return std::visit(probe, line.command); });
    };
    EXPECT_TRUE(uses([](const auto& c) { return std::is_same_v<std::decay_t<decltype(c)>, LaunchCommand>; }));
    EXPECT_TRUE(uses([](const auto& c) { return std::is_same_v<std::decay_t<decltype(c)>, ReviewCommand>; }));
    EXPECT_TRUE(uses([](const auto& c) { return std::is_same_v<std::decay_t<decltype(c)>, ExpectCommand>; }));
    EXPECT_TRUE(
        uses([](const auto& c) { return std::is_same_v<std::decay_t<decltype(c)>, ScreenshotCommand>; }));
}

// ---- The console's state --------------------------------------------------------------------------------

TEST(ConsoleState, ExposureKeepsWhatALineDoesNotName) {
    CConsoleState state;
    state.Exposure(
        Parsed<ExposureCommand>("exposure kvp=70 ma=200 mas=8 time=40 mode=aec aec-left=on size=S unit=sec"));
    CopyData message = state.Exposure(Parsed<ExposureCommand>("exposure kvp=73"));
    EXPECT_EQ(message.code, wire::CDC_EXPOSURE);
    EXPECT_EQ(message.cbData, wire::ExposureState::kSize);
    ASSERT_TRUE(message.data);
    auto sent = wire::ExposureState::Decode(*message.data);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->kvp, L"73");
    EXPECT_EQ(sent->ma, L"200");
    EXPECT_EQ(sent->mas, L"8");
    EXPECT_EQ(sent->time, L"40");
    EXPECT_EQ(sent->controlMode, 2);
    EXPECT_EQ(sent->aecField[0], 1);
    EXPECT_EQ(sent->patientSize, 1);
    EXPECT_EQ(sent->timeUnit, 1);
    // The size as bytes on the wire: int16 at offset 84.
    EXPECT_EQ((*message.data)[84], 1);
    EXPECT_EQ((*message.data)[85], 0);
}

TEST(ConsoleState, EachCommandBuildsItsRecord) {
    CConsoleState state;
    CopyData patient = state.Patient(Parsed<PatientCommand>("patient id=P1 name=\"Doe^J\""));
    EXPECT_EQ(patient.code, wire::CDC_PATIENT);
    auto info = wire::PatientInfo::Decode(*patient.data);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->patientId, L"P1");
    EXPECT_EQ(info->patientName, L"Doe^J");
    EXPECT_EQ(info->study, L"");

    CopyData tree = state.Tree(Parsed<TreeLine>(R"(tree protocol 12 "PA:R")"));
    auto cmd = wire::TreeCommand::Decode(*tree.data);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(tree.code, wire::CDC_TREE);
    EXPECT_EQ(cmd->op, 2);
    EXPECT_EQ(cmd->itemData, 12);
    EXPECT_EQ(cmd->text, L"PA:R");

    state.Lamps(Parsed<LampsCommand>("lamps g=on r=on"));
    auto lamps = wire::LampState::Decode(*state.Lamps(Parsed<LampsCommand>("lamps r=off e=on")).data);
    ASSERT_TRUE(lamps);
    EXPECT_EQ(lamps->g, 1);
    EXPECT_EQ(lamps->r, 0);
    EXPECT_EQ(lamps->e, 1);

    CopyData review = state.Review(Parsed<ReviewCommand>("review depth=12 window=100 level=50"), 640, 480);
    auto image = wire::ReviewImage::Decode(*review.data);
    ASSERT_TRUE(image);
    EXPECT_EQ(review.code, wire::CDC_REVIEW_SHOW);
    EXPECT_EQ(image->width, 640);
    EXPECT_EQ(image->height, 480);
    EXPECT_EQ(image->bitDepth, 12);
    EXPECT_EQ(image->windowWidth, 100);
    EXPECT_EQ(image->windowLevel, 50);
    auto lying = wire::ReviewImage::Decode(
        *state.Review(Parsed<ReviewCommand>("review picture=a.pgm width=9"), 640, 480).data);
    EXPECT_EQ(lying->width, 9);
    EXPECT_EQ(lying->height, 480);

    CopyData close = state.ReviewClose();
    EXPECT_EQ(close.code, wire::CDC_REVIEW_CLOSE);
    EXPECT_EQ(close.cbData, 0u);
    EXPECT_FALSE(close.data.has_value());
}

TEST(ConsoleState, StandAndSdkRecordsStartEmptyAndKeepTheirFields) {
    CConsoleState state;
    EXPECT_EQ(state.StandNow().nSid, stand::kNoSid);  // no value until the console knows one
    CopyData stand = state.Stand(Parsed<StandLine>("stand angle=12"));
    EXPECT_EQ(stand.code, wire::CDC_STAND_STATUS);
    EXPECT_EQ(stand.cbData, 16u);
    auto status = stand::StandStatus::Decode(*stand.data);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->nSid, stand::kNoSid);
    EXPECT_EQ(status->nAngle, 12);
    status = stand::StandStatus::Decode(*state.Stand(Parsed<StandLine>("stand sid=180 state=up")).data);
    EXPECT_EQ(status->nAngle, 12);
    EXPECT_EQ(status->nSid, 180);
    EXPECT_EQ(status->nState, stand::kStateUp);

    state.SdkText(Parsed<SdkTextCommand>("sdk-text status=MOVING connection=CON"));
    auto text = wire::SdkText::Decode(*state.SdkText(Parsed<SdkTextCommand>("sdk-text auto-move=on")).data);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->status, L"MOVING");
    EXPECT_EQ(text->connection, L"CON");
    EXPECT_EQ(text->autoMove, 1);

    state.SdkValues(Parsed<SdkValuesCommand>("sdk-values height=1 sid=4"));
    CopyData values = state.SdkValues(Parsed<SdkValuesCommand>("sdk-values height=9"));
    EXPECT_EQ(values.code, wire::CDC_SDK_VALUES);
    auto v = wire::SdkValues::Decode(*values.data);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->values[0], 9);
    EXPECT_EQ(v->values[3], 4);
}

// ---- Reports --------------------------------------------------------------------------------------------

TEST(ConsoleReports, RecordLessReportsCarryTheirValueInCbData) {
    auto button = DecodeReport(Report(wire::CDC_BUTTON, 16), false);
    EXPECT_EQ(button.kind, ReportKind::Button);
    EXPECT_EQ(*button.value, 16);
    EXPECT_EQ(button.text, "button mode-aec (16)");
    EXPECT_EQ(DecodeReport(Report(wire::CDC_PATIENT_SIZE, 0), false).text, "patient-size P (0)");
    EXPECT_EQ(DecodeReport(Report(wire::CDC_SDK_COMMAND, 514), false).text, "sdk-command release (514)");
    EXPECT_EQ(DecodeReport(Report(wire::CDC_SDK_COMMAND, 2333), false).text, "sdk-command save (2333)");
    EXPECT_EQ(DecodeReport(Report(wire::CDC_BUTTON, 99), false).text, "button 99 (no such button)");
    EXPECT_EQ(DecodeReport(Report(wire::CDC_REVIEW_SAVE, 0), false).text, "review-save");
    EXPECT_EQ(DecodeReport(Report(wire::CDC_REVIEW_CANCEL, 0), false).text, "review-cancel");
    EXPECT_EQ(DecodeReport(Report(wire::CDC_STAND_CHECK, 0), false).text, "stand-check");
}

TEST(ConsoleReports, UnderWineAZeroFromARecordLessReportIsALostValue) {
    for (std::uint32_t code : {wire::CDC_BUTTON, wire::CDC_PATIENT_SIZE, wire::CDC_SDK_COMMAND}) {
        auto lost = DecodeReport(Report(code, 0), true);
        EXPECT_TRUE(lost.valueLost) << code;
        EXPECT_FALSE(lost.value.has_value()) << code;
        EXPECT_TRUE(Mentions(lost.text, "value lost in transit under Wine (cbData 0)")) << code;
        // A value that did arrive is believed, Wine or not.
        EXPECT_FALSE(DecodeReport(Report(code, 2), true).valueLost) << code;
    }
    // Reports whose cbData is always 0 lose nothing.
    EXPECT_FALSE(DecodeReport(Report(wire::CDC_REVIEW_SAVE, 0), true).valueLost);
    EXPECT_FALSE(DecodeReport(Report(wire::CDC_STAND_CHECK, 0), true).valueLost);
}

TEST(ConsoleReports, RecordsAreDecodedAndWrongShapesAreCalledMalformed) {
    auto selected =
        DecodeReport(Report(wire::CDC_TREE_SELECTED, 520, wire::TreeCommand{3, 1002, {}}.Encode()), true);
    EXPECT_EQ(selected.kind, ReportKind::TreeSelected);
    EXPECT_EQ(*selected.value, 1002);
    EXPECT_EQ(selected.text, "tree-selected item=1002");
    auto otherOp =
        DecodeReport(Report(wire::CDC_TREE_SELECTED, 520, wire::TreeCommand{5, 1, L"x"}.Encode()), true);
    EXPECT_TRUE(Mentions(otherOp.text, "op=5"));
    EXPECT_TRUE(Mentions(otherOp.text, "text=\"x\""));

    auto stop = DecodeReport(
        Report(wire::CDC_STAND_STATUS, 16, stand::StandCommand{stand::kCeilStop}.Encode()), true);
    EXPECT_EQ(stop.kind, ReportKind::StandCommand);
    EXPECT_EQ(*stop.value, stand::kCeilStop);
    EXPECT_EQ(stop.text, "stand-command stop (1)");

    auto shortTree =
        DecodeReport(Report(wire::CDC_TREE_SELECTED, 4, std::vector<std::uint8_t>{1, 2, 3, 4}), true);
    EXPECT_TRUE(shortTree.malformed);
    EXPECT_TRUE(Mentions(shortTree.text, "cbData=4 data=01020304"));
    std::vector<std::uint8_t> notFiller = stand::StandCommand{2}.Encode();
    notFiller[0] = 11;
    EXPECT_TRUE(DecodeReport(Report(wire::CDC_STAND_STATUS, 16, notFiller), true).malformed);
    EXPECT_TRUE(DecodeReport(Report(wire::CDC_BUTTON, 4, std::vector<std::uint8_t>(4)), true).malformed);
    EXPECT_TRUE(DecodeReport(Report(wire::CDC_REVIEW_SAVE, 3), true).malformed);

    auto unknown = DecodeReport(Report(12345, 2, std::vector<std::uint8_t>{0xAB, 0xCD}), true);
    EXPECT_EQ(unknown.kind, ReportKind::Unknown);
    EXPECT_EQ(unknown.text, "unknown code=12345 cbData=2 data=abcd");
    EXPECT_EQ(DecodeReport(Report(1, 7), true).text, "unknown code=1 cbData=7 data=null");
    // Long records are shortened in the line.
    auto big = DecodeReport(Report(1, 200, std::vector<std::uint8_t>(200, 0x11)), true);
    EXPECT_TRUE(Mentions(big.text, "..."));
    EXPECT_LT(big.text.size(), 200u);
}

TEST(ConsoleReports, ExpectMatchesKindThenValueAndOnlyTheCodeOfALostValue) {
    auto expect = [](const std::string& line) { return Parsed<ExpectCommand>(line); };
    const auto kvpUp = DecodeReport(Report(wire::CDC_BUTTON, 2), false);
    EXPECT_EQ(MatchReport(expect("expect button kvp-up"), kvpUp), Match::Yes);
    EXPECT_EQ(MatchReport(expect("expect button"), kvpUp), Match::Yes);
    EXPECT_EQ(MatchReport(expect("expect button kvp-down"), kvpUp), Match::No);
    EXPECT_EQ(MatchReport(expect("expect patient-size S"), kvpUp), Match::No);

    const auto lost = DecodeReport(Report(wire::CDC_BUTTON, 0), true);
    EXPECT_EQ(MatchReport(expect("expect button kvp-down"), lost), Match::CodeOnly);
    EXPECT_EQ(MatchReport(expect("expect button"), lost), Match::Yes);
    EXPECT_EQ(MatchReport(expect("expect sdk-command save"), lost), Match::No);
    // Without the Wine rule the same message is a button 0, which no button sends.
    EXPECT_EQ(MatchReport(expect("expect button kvp-down"), DecodeReport(Report(wire::CDC_BUTTON, 0), false)),
              Match::No);

    const auto malformed =
        DecodeReport(Report(wire::CDC_TREE_SELECTED, 4, std::vector<std::uint8_t>(4)), true);
    EXPECT_EQ(MatchReport(expect("expect tree-selected"), malformed), Match::No);
    EXPECT_EQ(MatchReport(expect("expect nothing"), kvpUp), Match::No);

    EXPECT_EQ(DescribeExpect(expect("expect button kvp-up")), "button kvp-up (2)");
    EXPECT_EQ(DescribeExpect(expect("expect tree-selected 5")), "tree-selected item=5");
    EXPECT_EQ(DescribeExpect(expect("expect review-save")), "review-save");
}

TEST(ConsoleReports, EveryNamedValueParsesBackToItself) {
    for (std::int64_t code = 1; code <= 16; ++code) {
        auto name = ButtonName(code);
        ASSERT_TRUE(name) << code;
        EXPECT_EQ(*Parsed<ExpectCommand>("expect button " + std::string(*name)).value, code);
    }
    EXPECT_FALSE(ButtonName(0));
    EXPECT_FALSE(ButtonName(17));
    for (std::int64_t command : {0, 1, 2, 4, 32, 64, 128, 256, 1024, 8192}) {
        auto name = StandCommandName(command);
        ASSERT_TRUE(name) << command;
        EXPECT_EQ(*Parsed<ExpectCommand>("expect stand-command " + std::string(*name)).value, command);
    }
    for (std::int64_t code : {2333, 2334, 514, 2335, 2336, 2355}) {
        auto name = SdkCommandName(code);
        ASSERT_TRUE(name) << code;
        EXPECT_EQ(*Parsed<ExpectCommand>("expect sdk-command " + std::string(*name)).value, code);
    }
    EXPECT_FALSE(SdkCommandName(2356));
    EXPECT_FALSE(SdkCommandName(2334 + 1247));  // 3581 is no control's press
}

// ---- Pictures -------------------------------------------------------------------------------------------

TEST(ConsolePictures, BinaryPgmWithCommentsAndSmallMaxima) {
    const std::string file = "P5\n# made by hand\n3 2 # width height\n15\n";
    std::vector<std::uint8_t> bytes(file.begin(), file.end());
    for (std::uint8_t v : {0, 15, 5, 10, 1, 14})
        bytes.push_back(v);
    GreyPicture picture;
    std::string error;
    ASSERT_TRUE(ParsePgm(bytes, picture, error)) << error;
    EXPECT_EQ(picture.width, 3);
    EXPECT_EQ(picture.height, 2);
    // Stretched to 0..255.
    EXPECT_EQ(picture.pixels, (std::vector<std::uint8_t>{0, 255, 85, 170, 17, 238}));

    GreyPicture again;
    ASSERT_TRUE(ParsePgm(EncodePgm(picture), again, error)) << error;
    EXPECT_EQ(again.pixels, picture.pixels);
    EXPECT_EQ(again.width, 3);
}

TEST(ConsolePictures, BadPgmFilesSayWhy) {
    auto fails = [](const std::string& file) {
        GreyPicture picture;
        std::string error;
        EXPECT_FALSE(ParsePgm(std::vector<std::uint8_t>(file.begin(), file.end()), picture, error)) << file;
        return error;
    };
    EXPECT_TRUE(Mentions(fails("P2\n1 1\n255\n0"), "P5"));
    EXPECT_TRUE(Mentions(fails("P5\n2 2\n65535\n"), "8-bit"));
    EXPECT_TRUE(Mentions(fails("P5\n2 2\n255\nabc"), "needs 4"));
    EXPECT_TRUE(Mentions(fails("P5\n2\n"), "incomplete"));
    EXPECT_TRUE(Mentions(fails("P5\n0 2\n255\n"), "1..16384"));
    EXPECT_TRUE(Mentions(fails("P5\n1 1\n255"), "blank"));
}

TEST(ConsolePictures, TheGeneratedRadiographLooksLikeOne) {
    const GreyPicture picture = GenerateTestPicture(400, 480);
    ASSERT_EQ(picture.pixels.size(), 400u * 480u);
    EXPECT_EQ(GenerateTestPicture(400, 480).pixels, picture.pixels);  // the same every time
    auto at = [&](double u, double v) {
        return static_cast<int>(picture.pixels[static_cast<std::size_t>(v * picture.height) * picture.width +
                                               static_cast<std::size_t>(u * picture.width)]);
    };
    auto mean = [&](double u0, double v0, double u1, double v1) {
        // Samples on a grid of 1/100 of the picture's width and height.
        double sum = 0;
        int n = 0;
        for (int j = 0; v0 + j * 0.01 < v1; ++j)
            for (int i = 0; u0 + i * 0.01 < u1; ++i, ++n)
                sum += at(u0 + i * 0.01, v0 + j * 0.01);
        return sum / n;
    };
    const double collimated = mean(0.0, 0.3, 0.015, 0.7);  // the edge that got no dose
    const double air = mean(0.03, 0.3, 0.04, 0.6);         // beside the body
    const double lung = mean(0.25, 0.35, 0.35, 0.5);
    const double mediastinum = mean(0.48, 0.3, 0.52, 0.45);
    const double abdomen = mean(0.3, 0.85, 0.45, 0.95);
    EXPECT_GT(collimated, 200);
    EXPECT_LT(air, 40);
    EXPECT_GT(lung, air + 20);
    EXPECT_GT(mediastinum, lung + 30);
    EXPECT_GT(abdomen, lung + 30);
    // The side marker burns in at the top left.
    int marker = 0;
    for (int y = 0; y < picture.height / 8; ++y)
        for (int x = 0; x < picture.width / 8; ++x)
            marker += picture.pixels[static_cast<std::size_t>(y) * 400 + x] == 248;
    EXPECT_GT(marker, 20);
    // Any size works, down to a single pixel.
    EXPECT_EQ(GenerateTestPicture(1, 1).pixels.size(), 1u);
    EXPECT_EQ(GenerateTestPicture(0, -3).pixels.size(), 1u);
}

TEST(ConsolePictures, Bmp24HeaderAndRows) {
    const int width = 3, height = 2;  // rows of 9 bytes padded to 12
    ASSERT_EQ(Bmp24RowBytes(width), 12u);
    std::vector<std::uint8_t> rows(24);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<std::uint8_t>(i);
    const std::vector<std::uint8_t> file = EncodeBmp24(width, height, rows);
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                          file[at + 3] << 24);
    };
    ASSERT_EQ(file.size(), 54u + 24u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(u32(2), file.size());
    EXPECT_EQ(u32(10), 54u);  // pixels follow the two headers
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 3u);
    EXPECT_EQ(u32(22), 2u);  // positive: bottom row first
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(u32(34), 24u);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin() + 54));
    // Too few bytes: the rest of the picture is black, never read past the input.
    EXPECT_EQ(EncodeBmp24(width, height, std::vector<std::uint8_t>(5, 0xFF)).size(), 54u + 24u);
}
