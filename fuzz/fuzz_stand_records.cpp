// The stand records: the ceiling stand's status (console to panel) and command (panel to console) under
// the stand code, and the stand SDK texts and values with the rules the panel applies to them (captions,
// status lines, whether MOVE is held). Checks sizes, field places, captions and the command form.
#include <algorithm>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "link/codes.h"
#include "link/dispatch.h"
#include "link/records.h"
#include "stand/stand_tables.h"

namespace {

using Bytes = std::span<const std::uint8_t>;

std::wstring FakeText(unsigned id) {
    return L"T" + std::to_wstring(id);
}

void CheckCaption(const std::wstring& caption, std::int32_t value) {
    FUZZ_CHECK(!caption.empty());
    FUZZ_CHECK(std::stoll(caption) == value);
}

void CeilingStand(std::uint32_t code, Bytes record) {
    const wire::Action action = wire::ActionFor(code, record.size());
    const std::optional<stand::StandStatus> status = stand::StandStatus::Decode(record);
    FUZZ_CHECK(status.has_value() == (record.size() == 16));
    FUZZ_CHECK((action == wire::Action::StandStatus) == (code == wire::CDC_STAND_STATUS && status));
    if (status) {
        FUZZ_CHECK(status->nSid == I32At(record, 0));
        FUZZ_CHECK(status->nUnused == I32At(record, 4));
        FUZZ_CHECK(status->nAngle == I32At(record, 8));
        FUZZ_CHECK(status->nState == I32At(record, 12));
        const std::vector<std::uint8_t> encoded = status->Encode();
        FUZZ_CHECK(encoded.size() == 16 && std::equal(encoded.begin(), encoded.end(), record.begin()));

        const std::wstring sid = stand::SidCaption(status->nSid);
        if (status->nSid == stand::kNoSid)
            FUZZ_CHECK(sid == L"--");
        else
            CheckCaption(sid, status->nSid);
        CheckCaption(stand::ValueCaption(status->nAngle), status->nAngle);
    }

    // The command form: accepted only with the three fillers, and then it is its own encoding.
    const std::optional<stand::StandCommand> command = stand::StandCommand::Decode(record);
    const bool bCommandForm =
        record.size() == 16 && I32At(record, 0) == 10 && I32At(record, 4) == 10 && I32At(record, 8) == 10;
    FUZZ_CHECK(command.has_value() == bCommandForm);
    if (command) {
        FUZZ_CHECK(command->nCommand == I32At(record, 12));
        const std::vector<std::uint8_t> encoded = command->Encode();
        FUZZ_CHECK(encoded.size() == 16 && std::equal(encoded.begin(), encoded.end(), record.begin()));
    }
    if (record.size() >= 4) {
        const stand::StandCommand any{I32At(record, 0)};
        const std::optional<stand::StandCommand> back = stand::StandCommand::Decode(any.Encode());
        FUZZ_CHECK(back && back->nCommand == any.nCommand);
        // A command is never mistaken for a status with another meaning: its fields read as the fillers.
        const std::optional<stand::StandStatus> asStatus = stand::StandStatus::Decode(any.Encode());
        FUZZ_CHECK(asStatus && asStatus->nSid == 10 && asStatus->nState == any.nCommand);
    }
}

void StandSdk(std::uint32_t code, Bytes record) {
    const stand::TextSource text = FakeText;
    if (const std::optional<wire::SdkText> sdk = wire::SdkText::Decode(record)) {
        FUZZ_CHECK(code != wire::CDC_SDK_TEXT ||
                   wire::ActionFor(code, record.size()) == wire::Action::SdkText);
        FUZZ_CHECK(sdk->status.size() <= 32 && sdk->connection.size() <= 32);
        const bool bHolds = stand::MoveHolds(sdk->status, sdk->autoMove != 0, text);
        FUZZ_CHECK(!bHolds || (sdk->autoMove == 0 && sdk->status == text(179) + L" " + text(182)));
        if (const std::optional<stand::StoredMessage> stored =
                stand::StoredMessageFor(sdk->status, sdk->connection, sdk->status, text)) {
            FUZZ_CHECK(sdk->status == text(stored->nCaptionId));
            FUZZ_CHECK(!sdk->connection.empty() || stored->slot == stand::StoredMessage::Slot::Sensor);
        }
    }
    if (const std::optional<wire::SdkValues> values = wire::SdkValues::Decode(record)) {
        FUZZ_CHECK(code != wire::CDC_SDK_VALUES ||
                   wire::ActionFor(code, record.size()) == wire::Action::SdkValues);
        for (std::size_t i = 0; i < 5; ++i)
            CheckCaption(stand::ValueCaption(values->values[i]), I32At(record, 4 * i));
    }

    // Status lines, connection captions and press codes for any value the bytes give.
    for (std::size_t at = 0; at + 4 <= record.size() && at < 16; at += 4) {
        const std::int32_t value = I32At(record, at);
        const std::span<const unsigned> ids = stand::StatusTextIds(value);
        FUZZ_CHECK(ids.size() <= 2);
        const std::wstring line = stand::StatusText(value, text);
        FUZZ_CHECK(line.empty() == ids.empty());
        if (ids.size() == 2)
            FUZZ_CHECK(line == text(ids[0]) + L" " + text(ids[1]));
        const std::optional<unsigned> connection = stand::ConnectionTextId(value);
        FUZZ_CHECK(connection.has_value() == (value >= 0 && value <= 3));
        FUZZ_CHECK(stand::ConnectionCaption(value, text) == (connection ? text(*connection) : L""));
        if (const std::optional<int> press = stand::SdkPressCode(value))
            FUZZ_CHECK(*press - stand::kSdkPressOffset == value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CFuzzMessage message = SplitMessage(data, size);
    CeilingStand(message.nCode, message.record);
    StandSdk(message.nCode, message.record);
    return 0;
}
