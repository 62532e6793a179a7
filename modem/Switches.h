// The engine's switch word (docs/engine-link.md, platform/wire/SwitchWords.h): each word the
// terminal sends switches one of the demodulator's and modulator's functions on or off. Bit 2
// (4) marks a word that switches a function on, bit 1 (2) one that switches it off; the bits
// above name the function, and with none of them set the word names AFC. 0 switches off the
// function most recently switched on that is still on (the terminal's engine library sends
// the explicit word instead). -8 switches the notch on, 8196 switches it off, and -128
// switches everything off but AFC.
#pragma once

#include <cstdint>
#include <vector>

namespace rtty {

enum class Function {
    Afc,            // 4
    Net,            // 8: transmit tones follow the receive tones
    Atc,            // 16
    TxBandpass,     // 32
    Lms,            // 64: adaptive filter that removes steady carriers
    Squelch,        // 128
    Reverse,        // 256: mark and space swapped on receive
    UnshiftOnSpace, // 512
    Notch,          // 8192, and the words -8 and 8196
};

class Switches {
public:
    // Applies one switch word; false for a word that names no function (nothing changes).
    bool apply(std::int32_t word);
    bool on(Function f) const;
    // The bits of the functions that are on, as the status record carries them.
    std::int32_t word() const;

private:
    void set(Function f, bool on);

    std::vector<Function> onInOrder_ = {Function::Afc}; // AFC is on from the start
};

} // namespace rtty
