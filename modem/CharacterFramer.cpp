#include "CharacterFramer.h"

#include <cmath>

namespace rtty {

namespace {
constexpr double LastBitBits = 6.5;   // the first stop bit is read this after the start
constexpr double SearchBits = 0.5;    // the start is sought within this of the crossing
constexpr double NextStartBits = 7.0; // the next crossing lies at least this after a start
} // namespace

CharacterFramer::CharacterFramer(double samplesPerBit)
{
    setSamplesPerBit(samplesPerBit);
}

void CharacterFramer::setSamplesPerBit(double samplesPerBit)
{
    samplesPerBit_ = samplesPerBit;
    history_.assign(std::size_t(std::ceil(samplesPerBit * 16)) + 8, 0.0f);
    reset();
}

void CharacterFramer::reset()
{
    crossing_.reset();
    scanFrom_ = now_ + 2;
}

float CharacterFramer::at(double time) const
{
    const auto i = (long long)std::floor(time);
    const double f = time - double(i);
    const std::size_t size = history_.size();
    const float a = history_[std::size_t(i % (long long)size)];
    const float b = history_[std::size_t((i + 1) % (long long)size)];
    return a + float(f) * (b - a);
}

std::optional<std::uint8_t> CharacterFramer::push(float decision)
{
    ++now_;
    history_[std::size_t(now_ % (long long)history_.size())] = decision;
    search();
    if (codes_.empty())
        return std::nullopt;
    const std::uint8_t code = codes_.front();
    codes_.pop_front();
    return code;
}

// Looks for crossings from scanFrom_ on, and reads each frame as soon as it is complete.
void CharacterFramer::search()
{
    const double frameSpan = (SearchBits + LastBitBits) * samplesPerBit_ + 2;
    const long long oldest = now_ - (long long)history_.size() + 2;
    if (scanFrom_ < oldest)
        scanFrom_ = oldest;
    for (;;) {
        if (!crossing_) {
            while (scanFrom_ <= now_) {
                const std::size_t size = history_.size();
                const float before = history_[std::size_t((scanFrom_ - 1) % (long long)size)];
                const float after = history_[std::size_t(scanFrom_ % (long long)size)];
                if (before > 0 && after <= 0) {
                    crossing_ = double(scanFrom_ - 1) + before / double(before - after);
                    break;
                }
                ++scanFrom_;
            }
            if (!crossing_)
                return;
        }
        if (double(now_) < *crossing_ + frameSpan)
            return; // the frame is not complete yet
        const double crossing = *crossing_;
        crossing_.reset();
        if (!evaluate(crossing))
            scanFrom_ = (long long)std::floor(crossing) + 2;
    }
}

// Reads the frame whose start lies within SearchBits of the crossing; false when it is none.
bool CharacterFramer::evaluate(double crossing)
{
    const double T = samplesPerBit_;
    double bestStart = crossing, bestScore = -1e30;
    // Outward from the crossing, so that of equally good starts the nearest one wins.
    const int reach = int(SearchBits * T);
    for (int step = 0; step <= 2 * reach; ++step) {
        const double start = crossing + ((step % 2) ? (step + 1) / 2 : -(step / 2));
        if (start < double(now_ - (long long)history_.size() + 2))
            continue;
        double score = at(start - 0.5 * T) - at(start + 0.5 * T) + at(start + 6.5 * T);
        for (int k = 1; k <= 5; ++k)
            score += std::fabs(at(start + (k + 0.5) * T));
        if (score > bestScore) {
            bestScore = score;
            bestStart = start;
        }
    }
    // A frame: mark before the start bit, the start bit space, the first stop bit mark.
    if (at(bestStart - 0.5 * T) <= 0 || at(bestStart + 0.5 * T) >= 0 ||
        at(bestStart + 6.5 * T) <= 0) {
        if (at(bestStart + 0.5 * T) < 0)
            ++framingErrors_;
        return false;
    }
    std::uint8_t code = 0;
    for (int k = 1; k <= 5; ++k)
        if (at(bestStart + (k + 0.5) * T) > 0)
            code |= std::uint8_t(1 << (k - 1));
    codes_.push_back(code);
    scanFrom_ = (long long)std::ceil(bestStart + NextStartBits * T);
    return true;
}

} // namespace rtty
