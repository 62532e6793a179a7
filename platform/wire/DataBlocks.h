// The blocks that the engine hands to the display controls, one definition for the engine,
// both links (the engine link and the TCP link) and the display controls.
//
// FFT block:     `size` int16 values; value i is the power around i * sampfreq / (2 * size) Hz,
//                in hundredths of a dB relative to a full-scale sine (so -12000 is -120 dB).
// XY block:      int32 count n, then n pairs of int32 (x, y) in -32768..32767; x is the mark
//                channel's output, y the space channel's.
// Status record: int32 fields at the fixed places below; field 0 holds the number of fields,
//                so that a reader can tell which of the later fields an engine provides.
//
// The readers and writers below are the one codec of these blocks for every link that carries
// them; a reader refuses a block over the limits and leaves the rest of the payload to its caller.
#pragma once

#include "Frames.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace enginelink {

// Field indices of the status record. New fields go at the end.
enum StatusField : int {
    StatusFieldCount = 0,    // number of int32 fields in the record, this one included
    StatusSignalLevel = 1,   // 0..1023, the scale of the squelch command
    StatusSquelchLevel = 2,  // 0..1023
    StatusSquelchOpen = 3,   // 0 closed, 1 open
    StatusMarkHz = 4,        // mark tone as tracked now
    StatusSpaceHz = 5,       // space tone as tracked now
    StatusNotch1Hz = 6,      // 0 = off
    StatusNotch2Hz = 7,      // 0 = off
    StatusBaudX100 = 8,      // 4545, 7500
    StatusSwitchWord = 9,    // the engine's switch word
    StatusTransmitting = 10, // 0 receiving, 1 transmitting
    StatusOverflow = 11,     // samples clipped at full scale since the engine started
    StatusTxBuffered = 12,   // characters waiting in the transmit buffer
    StatusFieldsKnown = 13   // the number of fields defined here
};

// Reads field `index` of a status record, or `fallback` when the record is shorter.
inline std::int32_t statusField(const std::int32_t *record, int index, std::int32_t fallback = 0)
{
    if (record == nullptr || index < 0 || index >= record[StatusFieldCount])
        return fallback;
    return record[index];
}

// The largest blocks a link carries; a reader refuses larger ones.
constexpr std::int16_t MaxFftValues = 2048;
constexpr std::int32_t MaxXyPoints = 4096;
constexpr std::int32_t MaxStatusFields = 64;
// The payload of the largest block: an XY block of MaxXyPoints.
constexpr std::size_t MaxBlockBytes = 4 + 8 * std::size_t(MaxXyPoints);

// Range of the values of an FFT block: hundredths of a dB, -327.68 dB .. 0 dB full scale.
constexpr std::int16_t FftFloorCentiDb = -12000;

struct FftBlock {
    std::int16_t sampleRate;
    std::vector<std::int16_t> values;
};
struct XyBlock {
    std::vector<std::int32_t> block; // count, then the pairs
};
struct StatusBlock {
    std::vector<std::int32_t> record; // field 0 holds the count
};

// i16 size, i16 sample rate, then the values.
std::optional<FftBlock> readFftBlock(wire::PayloadReader &in);
void writeFftBlock(wire::PayloadWriter &out, std::int16_t sampleRate,
                   std::span<const std::int16_t> values);
// i32 count n, then 2n i32.
std::optional<XyBlock> readXyBlock(wire::PayloadReader &in);
// i32 count n (field 0), then n - 1 i32.
std::optional<StatusBlock> readStatusBlock(wire::PayloadReader &in);
// An XY block or a status record as it stands, its count first.
void writeIntBlock(wire::PayloadWriter &out, std::span<const std::int32_t> block);

} // namespace enginelink
