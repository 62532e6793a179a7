// libFuzzer target: the TCP link's frame reader and client-message decoder fed arbitrary bytes
// in arbitrary pieces; no crash, hang or read out of bounds.
#include "TcpLinkProtocol.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    wire::FrameReader reader(tcplink::MaxFrameBytes);
    const std::size_t piece = size > 0 ? std::size_t(data[0]) + 1 : 1;
    for (std::size_t at = size > 0 ? 1 : 0; at < size; at += piece) {
        if (!reader.feed(std::span(data + at, std::min(piece, size - at))))
            return 0;
        while (auto frame = reader.next())
            (void)tcplink::decodeClientFrame(*frame);
    }
    return 0;
}
