// Every wire record the console sends, fed as the panel receives it: the dispatch decision from the code
// and the size, then the decoder the decision names. Checks that dispatch and decoders agree on sizes, that
// text slots are read up to their first NUL and never past their end, and that encoding a decoded record
// gives back exactly its fields in their places (everything else zero).
#include <cstring>
#include <initializer_list>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "link/codes.h"
#include "link/dispatch.h"
#include "link/records.h"
#include "stand/stand_tables.h"

namespace {

using wire::Action;
using Bytes = std::span<const std::uint8_t>;

// One field of a record's layout: where it sits, how many bytes it takes, and whether it is a text slot.
struct CField {
    std::size_t offset;
    std::size_t bytes;
    bool bText;
};

CField I32(std::size_t offset) {
    return {offset, 4, false};
}
CField I16(std::size_t offset) {
    return {offset, 2, false};
}
CField Text(std::size_t offset, std::size_t units) {
    return {offset, 2 * units, true};
}

// The bytes a record of this layout encodes to after a decode: integers copied, each text slot copied up to
// its first NUL unit and zero after it, padding zero.
std::vector<std::uint8_t> Normalised(Bytes record, std::initializer_list<CField> layout) {
    std::vector<std::uint8_t> out(record.size(), 0);
    for (const CField& field : layout) {
        FUZZ_CHECK(field.offset + field.bytes <= record.size());
        for (std::size_t i = 0; i < field.bytes; i += 2) {
            if (field.bText && UnitAt(record, field.offset + i) == 0)
                break;
            out[field.offset + i] = record[field.offset + i];
            out[field.offset + i + 1] = record[field.offset + i + 1];
        }
    }
    return out;
}

// A decoded text slot: no longer than the slot, no NUL inside, the slot's units in order, and ended by a NUL
// unit when shorter than the slot.
void CheckSlot(const std::wstring& text, Bytes record, std::size_t offset, std::size_t units) {
    FUZZ_CHECK(text.size() <= units);
    for (std::size_t i = 0; i < text.size(); ++i) {
        FUZZ_CHECK(text[i] != 0);
        FUZZ_CHECK(text[i] == UnitAt(record, offset + 2 * i));
    }
    if (text.size() < units)
        FUZZ_CHECK(UnitAt(record, offset + 2 * text.size()) == 0);
}

// Decodes with T whatever the size; only the record's exact size decodes. A decoded record encodes to its
// normalised bytes, and those decode and encode to themselves.
template <typename T, typename CheckFields>
bool DecodeAndCheck(Bytes record, std::initializer_list<CField> layout, CheckFields checkFields) {
    std::optional<T> decoded = T::Decode(record);
    FUZZ_CHECK(decoded.has_value() == (record.size() == T::kSize));
    if (!decoded)
        return false;
    checkFields(*decoded, record);
    const std::vector<std::uint8_t> encoded = decoded->Encode();
    FUZZ_CHECK(encoded == Normalised(record, layout));
    std::optional<T> again = T::Decode(encoded);
    FUZZ_CHECK(again.has_value());
    checkFields(*again, encoded);
    FUZZ_CHECK(again->Encode() == encoded);
    return true;
}

bool Tree(Bytes r) {
    return DecodeAndCheck<wire::TreeCommand>(r, {I32(0), I32(4), Text(8, 256)}, [](const auto& d, Bytes b) {
        FUZZ_CHECK(d.op == I32At(b, 0));
        FUZZ_CHECK(d.itemData == I32At(b, 4));
        CheckSlot(d.text, b, 8, wire::TreeCommand::kTextUnits);
    });
}

bool Patient(Bytes r) {
    return DecodeAndCheck<wire::PatientInfo>(r, {Text(0, 32), Text(64, 64), Text(192, 32), Text(256, 256)},
                                             [](const auto& d, Bytes b) {
                                                 CheckSlot(d.patientId, b, 0, 32);
                                                 CheckSlot(d.patientName, b, 64, 64);
                                                 CheckSlot(d.accessionNo, b, 192, 32);
                                                 CheckSlot(d.study, b, 256, 256);
                                             });
}

bool Exposure(Bytes r) {
    return DecodeAndCheck<wire::ExposureState>(
        r,
        {Text(0, 6), Text(12, 6), Text(24, 12), Text(48, 12), Text(72, 6), I16(84), I32(104), I32(108),
         I16(112), I32(116), I32(120), I32(124)},
        [](const auto& d, Bytes b) {
            CheckSlot(d.kvp, b, 0, 6);
            CheckSlot(d.ma, b, 12, 6);
            CheckSlot(d.mas, b, 24, 12);
            CheckSlot(d.time, b, 48, 12);
            CheckSlot(d.aecValue, b, 72, 6);
            FUZZ_CHECK(d.patientSize == I16At(b, 84));
            FUZZ_CHECK(d.aecSubMode == I32At(b, 104));
            FUZZ_CHECK(d.timeUnit == I32At(b, 108));
            FUZZ_CHECK(d.controlMode == I16At(b, 112));
            for (std::size_t i = 0; i < 3; ++i)
                FUZZ_CHECK(d.aecField[i] == I32At(b, 116 + 4 * i));
        });
}

bool Lamps(Bytes r) {
    return DecodeAndCheck<wire::LampState>(r, {I32(0), I32(4), I32(8)}, [](const auto& d, Bytes b) {
        FUZZ_CHECK(d.g == I32At(b, 0));
        FUZZ_CHECK(d.r == I32At(b, 4));
        FUZZ_CHECK(d.e == I32At(b, 8));
    });
}

bool Review(Bytes r) {
    return DecodeAndCheck<wire::ReviewImage>(r, {I32(0), I32(4), I32(8), I32(12), I32(16)},
                                             [](const auto& d, Bytes b) {
                                                 FUZZ_CHECK(d.width == I32At(b, 0));
                                                 FUZZ_CHECK(d.height == I32At(b, 4));
                                                 FUZZ_CHECK(d.bitDepth == I32At(b, 8));
                                                 FUZZ_CHECK(d.windowWidth == I32At(b, 12));
                                                 FUZZ_CHECK(d.windowLevel == I32At(b, 16));
                                             });
}

bool SdkText(Bytes r) {
    return DecodeAndCheck<wire::SdkText>(r, {I32(0), Text(4, 32), Text(68, 32)}, [](const auto& d, Bytes b) {
        FUZZ_CHECK(d.autoMove == I32At(b, 0));
        CheckSlot(d.status, b, 4, 32);
        CheckSlot(d.connection, b, 68, 32);
    });
}

bool SdkValues(Bytes r) {
    return DecodeAndCheck<wire::SdkValues>(r, {I32(0), I32(4), I32(8), I32(12), I32(16)},
                                           [](const auto& d, Bytes b) {
                                               for (std::size_t i = 0; i < 5; ++i)
                                                   FUZZ_CHECK(d.values[i] == I32At(b, 4 * i));
                                           });
}

bool StandStatus(Bytes r) {
    return DecodeAndCheck<stand::StandStatus>(r, {I32(0), I32(4), I32(8), I32(12)},
                                              [](const auto& d, Bytes b) {
                                                  FUZZ_CHECK(d.nSid == I32At(b, 0));
                                                  FUZZ_CHECK(d.nUnused == I32At(b, 4));
                                                  FUZZ_CHECK(d.nAngle == I32At(b, 8));
                                                  FUZZ_CHECK(d.nState == I32At(b, 12));
                                              });
}

// The record size a code's record action needs; zero for codes whose action takes any size or none.
std::size_t ExactSizeOf(std::uint32_t code) {
    switch (code) {
        case wire::CDC_STAND_STATUS:
            return 16;
        case wire::CDC_TREE:
            return 520;
        case wire::CDC_EXPOSURE:
            return 128;
        case wire::CDC_LAMPS:
            return 268;
        case wire::CDC_REVIEW_SHOW:
            return 20;
        case wire::CDC_SDK_TEXT:
            return 132;
        case wire::CDC_SDK_VALUES:
            return 20;
        default:
            return 0;
    }
}

// What the console link document says a message runs: unknown codes (the panel's own reports included) are
// ignored, a record code runs its action only at its exact size, the patient code runs the record at 768
// bytes and the view change at any other size, review close runs at any size.
Action Expected(std::uint32_t code, std::size_t size) {
    if (code == wire::CDC_PATIENT)
        return size == 768 ? Action::PatientRecord : Action::PatientView;
    if (code == wire::CDC_REVIEW_CLOSE)
        return Action::ReviewClose;
    if (size != ExactSizeOf(code) || ExactSizeOf(code) == 0)
        return Action::Ignore;
    switch (code) {
        case wire::CDC_STAND_STATUS:
            return Action::StandStatus;
        case wire::CDC_TREE:
            return Action::Tree;
        case wire::CDC_EXPOSURE:
            return Action::Exposure;
        case wire::CDC_LAMPS:
            return Action::Lamps;
        case wire::CDC_REVIEW_SHOW:
            return Action::ReviewShow;
        case wire::CDC_SDK_TEXT:
            return Action::SdkText;
        default:
            return Action::SdkValues;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CFuzzMessage message = SplitMessage(data, size);
    const Bytes record = message.record;
    const Action action = wire::ActionFor(message.nCode, record.size());
    FUZZ_CHECK(action == Expected(message.nCode, record.size()));

    // Every decoder sees the record whatever the code: each accepts its own exact size only.
    const bool bTree = Tree(record);
    const bool bPatient = Patient(record);
    const bool bExposure = Exposure(record);
    const bool bLamps = Lamps(record);
    const bool bReview = Review(record);
    const bool bSdkText = SdkText(record);
    const bool bSdkValues = SdkValues(record);
    const bool bStand = StandStatus(record);

    // The decoder of the chosen action always accepts what dispatch let through.
    switch (action) {
        case Action::StandStatus:
            FUZZ_CHECK(bStand);
            break;
        case Action::Tree:
            FUZZ_CHECK(bTree);
            break;
        case Action::PatientRecord:
            FUZZ_CHECK(bPatient);
            break;
        case Action::PatientView:
            FUZZ_CHECK(!bPatient);
            break;
        case Action::Exposure:
            FUZZ_CHECK(bExposure);
            break;
        case Action::Lamps:
            FUZZ_CHECK(bLamps);
            break;
        case Action::ReviewShow:
            FUZZ_CHECK(bReview);
            break;
        case Action::SdkText:
            FUZZ_CHECK(bSdkText);
            break;
        case Action::SdkValues:
            FUZZ_CHECK(bSdkValues);
            break;
        case Action::ReviewClose:
        case Action::Ignore:
            break;
    }

    // One byte more or less never keeps a record action.
    if (action != Action::Ignore && action != Action::ReviewClose && action != Action::PatientView) {
        const Action wider = wire::ActionFor(message.nCode, record.size() + 1);
        FUZZ_CHECK(wider == Action::Ignore || wider == Action::PatientView);
        const Action narrower = wire::ActionFor(message.nCode, record.size() - 1);
        FUZZ_CHECK(narrower == Action::Ignore || narrower == Action::PatientView);
    }
    return 0;
}
