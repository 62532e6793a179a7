#include "PttKeyer.h"

namespace engineio {

PttKeyer::PttKeyer(std::function<void(const std::string &fault)> report)
    : report_(std::move(report))
{
}

PttKeyer::~PttKeyer()
{
    finishOpening();
    key(false);
}

void PttKeyer::finishOpening()
{
    std::lock_guard lock(openingMutex_);
    if (opening_.joinable())
        opening_.join();
}

void PttKeyer::open(const PttSettings &settings)
{
    std::lock_guard openingLock(openingMutex_);
    if (opening_.joinable())
        opening_.join();
    {
        std::lock_guard lock(mutex_);
        if (ptt_ && keyed_)
            ptt_->set(false);
        keyed_ = false;
        ptt_.reset();
    }
    opening_ = std::thread([this, settings] {
        auto ptt = std::make_unique<Ptt>(settings);
        std::lock_guard lock(mutex_);
        note(ptt->ready(), ptt->error(), true);
        ptt_ = std::move(ptt);
    });
}

void PttKeyer::key(bool on)
{
    finishOpening();
    std::lock_guard lock(mutex_);
    if (!ptt_ || keyed_ == on)
        return;
    const bool worked = ptt_->set(on);
    if (worked)
        keyed_ = on;
    note(worked, ptt_->error(), false);
}

bool PttKeyer::keyed() const
{
    std::lock_guard lock(mutex_);
    return keyed_;
}

void PttKeyer::note(bool worked, const std::string &error, bool always)
{
    if (worked == !faulty_ && !always)
        return;
    faulty_ = !worked;
    report_(worked ? std::string() : error);
}

} // namespace engineio
