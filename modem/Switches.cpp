#include "Switches.h"

#include "SwitchWords.h"

#include <algorithm>
#include <array>
#include <utility>

namespace rtty {

using namespace enginelink;

namespace {
constexpr std::array<std::pair<SwitchBit, Function>, 8> Bits = {{
    {SwitchBitNet, Function::Net},
    {SwitchBitAtc, Function::Atc},
    {SwitchBitBpf, Function::TxBandpass},
    {SwitchBitLms, Function::Lms},
    {SwitchBitSql, Function::Squelch},
    {SwitchBitRev, Function::Reverse},
    {SwitchBitUos, Function::UnshiftOnSpace},
    {SwitchBitNotch, Function::Notch},
}};
} // namespace

std::int32_t Switches::word() const
{
    std::int32_t bits = on(Function::Afc) ? SwitchOnMark : 0;
    for (const auto &[bit, function] : Bits)
        if (on(function))
            bits |= bit;
    return bits;
}

bool Switches::on(Function f) const
{
    return std::find(onInOrder_.begin(), onInOrder_.end(), f) != onInOrder_.end();
}

void Switches::set(Function f, bool on)
{
    onInOrder_.erase(std::remove(onInOrder_.begin(), onInOrder_.end(), f), onInOrder_.end());
    if (on)
        onInOrder_.push_back(f);
}

bool Switches::apply(std::int32_t word)
{
    switch (word) {
    case SwitchRelease:
        if (!onInOrder_.empty())
            onInOrder_.pop_back();
        return true;
    case SwitchNotchOn:
        set(Function::Notch, true);
        return true;
    case SwitchNotchOff:
        set(Function::Notch, false);
        return true;
    case SwitchResetAll: {
        const bool afc = on(Function::Afc);
        onInOrder_.clear();
        if (afc)
            onInOrder_.push_back(Function::Afc);
        return true;
    }
    default:
        break;
    }
    const bool switchOn = word > 0 && (word & SwitchOnMark);
    const bool switchOff = word > 0 && (word & SwitchOffMark) && !(word & SwitchOnMark);
    if (!switchOn && !switchOff)
        return false;
    const std::int32_t named = word & ~(SwitchOnMark | SwitchOffMark);
    if (named == 0) {
        set(Function::Afc, switchOn);
        return true;
    }
    bool any = false;
    for (const auto &[bit, function] : Bits) {
        if (named & bit) {
            set(function, switchOn);
            any = true;
        }
    }
    return any;
}

} // namespace rtty
