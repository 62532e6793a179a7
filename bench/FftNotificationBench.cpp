// The whole FFT notification of the shown window (spectrum and waterfall drawn, the overflow
// read and the warning updated, the repaint done) for a 1024-value block, and its share of one
// core at 50 blocks a second.
//   bench-fft-notification [BLOCKS]
#include "BenchWindow.h"

#include <QElapsedTimer>
#include <cmath>
#include <cstdio>
#include <random>

int main(int argc, char *argv[])
{
    BenchWindow window(argc, argv);
    const int blocks = BenchWindow::count(argc, argv, 2000);
    FakeEngineSide &engine = window.engine;

    // Noise around -90 dB with two tones of a keyed signal.
    std::mt19937 random(1);
    std::normal_distribution<double> noise(-9000, 300);
    std::vector<std::vector<std::int16_t>> prepared(16, std::vector<std::int16_t>(1024));
    for (std::size_t b = 0; b < prepared.size(); ++b)
        for (std::size_t i = 0; i < 1024; ++i)
            prepared[b][i] =
                std::int16_t(noise(random) + ((b % 2 ? i == 395 : i == 426) ? 6000 : 0));

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < blocks; ++i) {
        const auto &block = prepared[std::size_t(i) % prepared.size()];
        engine.raiseFft(block.data(), 1024, 11025);
        QCoreApplication::processEvents(); // the repaint is part of the cost
    }
    const double perBlockUs = double(clock.nsecsElapsed()) / 1000.0 / blocks;
    const double share = perBlockUs * 50 / 1e6 * 100;
    std::printf("FFT notification, 1024 values, window shown (%d blocks)\n", blocks);
    std::printf("  per block: %8.1f us\n", perBlockUs);
    std::printf("  at 50 blocks a second: %.2f%% of one core (must stay under 5%%)\n", share);
    return share < 5 ? 0 : 1;
}
