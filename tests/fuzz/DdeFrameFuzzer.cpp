// libFuzzer target: the DDE transport's frame reader and message decoder fed arbitrary bytes in
// arbitrary pieces; no crash, hang or read out of bounds, and what decodes encodes back to the
// very frame it came from.
#include "DdeProtocol.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    wire::FrameReader reader(ddewire::MaxFrameBytes);
    const std::size_t piece = size > 0 ? std::size_t(data[0]) * 16 + 1 : 1;
    for (std::size_t at = size > 0 ? 1 : 0; at < size; at += piece) {
        if (!reader.feed(std::span(data + at, std::min(piece, size - at))))
            return 0;
        while (auto frame = reader.next()) {
            if (auto message = ddewire::decode(*frame)) {
                if (ddewire::encode(*message) != wire::encodeFrame(frame->type, frame->payload))
                    std::abort();
            }
        }
    }
    return 0;
}
