#pragma once
// Which behaviour an incoming console message runs, decided from its code and its exact size alone.
#include <cstddef>
#include <cstdint>

namespace wire {

enum class Action {
    Ignore,         // unknown code (the panel's own report codes included) or a wrong size
    StandStatus,    // ceiling stand status, 16 bytes
    Tree,           // one tree command, 520 bytes
    PatientView,    // a patient message of any other size: back to the main view only
    PatientRecord,  // back to the main view, then the 768-byte patient identification
    Exposure,       // exposure state, 128 bytes
    Lamps,          // lamps, 268 bytes
    ReviewShow,     // review picture, 20 bytes
    ReviewClose,    // back to the main view, any size
    SdkText,        // stand SDK texts, 132 bytes
    SdkValues,      // stand SDK values, 20 bytes
};

// The code is dwData, as wide as a pointer; a value with any bit above the low 32 is not one of ours.
Action ActionFor(std::uint64_t code, std::size_t size);

}  // namespace wire
