// Keys the transmitter for the signal thread. The port or radio is opened on a thread of its
// own, so that a slow or missing radio holds up neither the engine's start nor its signal
// path; a key request waits for that opening to finish. How each opening went is reported,
// and so is every keying that fails, and the first that works after one failed.
#pragma once

#include "Ptt.h"

#include <functional>
#include <mutex>
#include <thread>

namespace engineio {

class PttKeyer {
public:
    // report(fault) on any thread: fault empty once PTT works again.
    explicit PttKeyer(std::function<void(const std::string &fault)> report);
    ~PttKeyer(); // released and closed

    // Releases and closes the line in use, then opens the one the settings name.
    void open(const PttSettings &settings);
    // Keys or releases, waiting for an opening under way. Keying again is a no-op.
    void key(bool on);
    bool keyed() const;

private:
    void installed(std::unique_ptr<Ptt> ptt);
    void finishOpening();
    void note(bool worked, const std::string &error, bool always);

    std::function<void(const std::string &)> report_;
    std::mutex openingMutex_; // guards opening_
    std::thread opening_;
    mutable std::mutex mutex_; // guards the rest
    std::unique_ptr<Ptt> ptt_;
    bool keyed_ = false;
    bool faulty_ = false;
};

} // namespace engineio
