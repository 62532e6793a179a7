// recording-engine: an engine program for the terminal's engine-link tests. It says hello as
// tolmfsk-engine does, then appends the text of every text message it gets to the file named by
// TOLMFSK_RECORD_FILE, and ends on quit or at the end of its input. A message it cannot read
// ends it with exit code 3, as the real engine.
#include "EngineLinkProtocol.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main()
{
    const char *path = std::getenv("TOLMFSK_RECORD_FILE");
    std::FILE *record = path ? std::fopen(path, "wb") : nullptr;
    const auto hello = enginelink::encode(
        enginelink::EngineMessage{enginelink::Hello{enginelink::Version, "recording", 11025}});
    if (::write(STDOUT_FILENO, hello.data(), hello.size()) != ssize_t(hello.size()))
        return 1;
    wire::FrameReader reader(enginelink::MaxFrameBytes);
    std::uint8_t bytes[65536];
    for (ssize_t got; (got = ::read(STDIN_FILENO, bytes, sizeof bytes)) > 0;) {
        reader.feed(std::span(bytes, std::size_t(got)));
        while (auto frame = reader.next()) {
            const auto message = enginelink::decodeTerminalFrame(*frame);
            if (!message)
                return 3;
            if (std::holds_alternative<enginelink::QuitMsg>(*message))
                return 0;
            if (const auto *text = std::get_if<enginelink::SendTextMsg>(&*message)) {
                if (record) {
                    std::fwrite(text->text.data(), 1, text->text.size(), record);
                    std::fflush(record);
                }
            }
        }
        if (reader.failed())
            return 3;
    }
    return 0;
}
