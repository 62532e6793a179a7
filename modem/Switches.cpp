#include "Switches.h"

#include <algorithm>
#include <array>
#include <utility>

namespace rtty {

namespace {
constexpr std::int32_t OnMark = 4;
constexpr std::int32_t NotchOnWord = -8;
constexpr std::int32_t NotchOffWord = 8196;
constexpr std::int32_t ResetWord = -128;
constexpr std::array<std::pair<std::int32_t, Function>, 8> Bits = {{
    {8, Function::Net},
    {16, Function::Atc},
    {32, Function::TxBandpass},
    {64, Function::Lms},
    {128, Function::Squelch},
    {256, Function::Reverse},
    {512, Function::UnshiftOnSpace},
    {8192, Function::Notch},
}};
} // namespace

std::int32_t Switches::word() const
{
    std::int32_t bits = on(Function::Afc) ? OnMark : 0;
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
    case 0:
        if (!onInOrder_.empty())
            onInOrder_.pop_back();
        return true;
    case NotchOnWord:
        set(Function::Notch, true);
        return true;
    case NotchOffWord:
        set(Function::Notch, false);
        return true;
    case ResetWord: {
        const bool afc = on(Function::Afc);
        onInOrder_.clear();
        if (afc)
            onInOrder_.push_back(Function::Afc);
        return true;
    }
    default:
        break;
    }
    if (word < 0 || !(word & OnMark))
        return false;
    const std::int32_t named = word & ~OnMark;
    if (named == 0) {
        set(Function::Afc, true);
        return true;
    }
    bool any = false;
    for (const auto &[bit, function] : Bits) {
        if (named & bit) {
            set(function, true);
            any = true;
        }
    }
    return any;
}

} // namespace rtty
