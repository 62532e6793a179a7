// libFuzzer target: the engine link's frame reader and both directions' message decoders, fed
// arbitrary bytes in arbitrary pieces. A malformed stream must end in a failed reader or a
// rejected message, never in a crash, a hang or a read out of bounds; whatever decodes must
// encode back to the very frame it came from.
#include "EngineLinkProtocol.h"

#include <cstdint>
#include <cstdlib>

namespace {

template <typename Decode> void readAll(const std::uint8_t *data, std::size_t size, Decode decode)
{
    wire::FrameReader reader(enginelink::MaxFrameBytes);
    // The first byte chooses how the rest arrives: in pieces of 1..256 bytes.
    const std::size_t piece = size > 0 ? std::size_t(data[0]) + 1 : 1;
    for (std::size_t at = size > 0 ? 1 : 0; at < size; at += piece) {
        if (!reader.feed(std::span(data + at, std::min(piece, size - at))))
            return;
        while (auto frame = reader.next()) {
            if (auto message = decode(*frame)) {
                const auto again = enginelink::encode(*message);
                const auto original = wire::encodeFrame(frame->type, frame->payload);
                if (again != original)
                    std::abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    readAll(data, size, [](const wire::Frame &f) { return enginelink::decodeEngineFrame(f); });
    readAll(data, size, [](const wire::Frame &f) { return enginelink::decodeTerminalFrame(f); });
    return 0;
}
