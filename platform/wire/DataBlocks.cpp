#include "DataBlocks.h"

namespace enginelink {

namespace {

// Fills values[from..] with one read() each; false at the first that fails.
template <typename T, typename Read>
bool readValues(std::vector<T> &values, std::size_t from, Read read)
{
    for (std::size_t i = from; i < values.size(); ++i) {
        const auto v = read();
        if (!v)
            return false;
        values[i] = *v;
    }
    return true;
}

// An int32 block whose first value says how long it is: `count` values, times `perCount`, after
// it.
std::optional<std::vector<std::int32_t>> readCounted(wire::PayloadReader &in, std::int32_t least,
                                                     std::int32_t most, std::size_t perCount,
                                                     std::size_t counted)
{
    const auto count = in.i32();
    if (!count || *count < least || *count > most)
        return std::nullopt;
    std::vector<std::int32_t> block(counted + perCount * std::size_t(*count));
    block[0] = *count;
    if (!readValues(block, 1, [&] { return in.i32(); }))
        return std::nullopt;
    return block;
}

} // namespace

std::optional<FftBlock> readFftBlock(wire::PayloadReader &in)
{
    const auto size = in.i16();
    const auto rate = in.i16();
    if (!size || !rate || *size <= 0 || *size > MaxFftValues || *rate <= 0)
        return std::nullopt;
    FftBlock fft{*rate, std::vector<std::int16_t>(std::size_t(*size))};
    if (!readValues(fft.values, 0, [&] { return in.i16(); }))
        return std::nullopt;
    return fft;
}

void writeFftBlock(wire::PayloadWriter &out, std::int16_t sampleRate,
                   std::span<const std::int16_t> values)
{
    out.i16(std::int16_t(values.size())).i16(sampleRate);
    for (std::int16_t v : values)
        out.i16(v);
}

std::optional<XyBlock> readXyBlock(wire::PayloadReader &in)
{
    auto block = readCounted(in, 0, MaxXyPoints, 2, 1);
    if (!block)
        return std::nullopt;
    return XyBlock{std::move(*block)};
}

std::optional<StatusBlock> readStatusBlock(wire::PayloadReader &in)
{
    // The count includes itself.
    auto record = readCounted(in, 1, MaxStatusFields, 1, 0);
    if (!record)
        return std::nullopt;
    return StatusBlock{std::move(*record)};
}

void writeIntBlock(wire::PayloadWriter &out, std::span<const std::int32_t> block)
{
    for (std::int32_t v : block)
        out.i32(v);
}

} // namespace enginelink
