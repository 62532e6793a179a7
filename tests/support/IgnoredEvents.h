// Engine events nobody listens to: a test that drives the signal path for its state, or that
// listens to a few events only (it overrides those).
#pragma once

#include "EngineEvents.h"

struct IgnoredEvents : rtty::EngineEvents {
    void character(char) override {}
    void spectrum(const std::vector<std::int16_t> &, int, std::int32_t) override {}
    void xy(const std::vector<std::int32_t> &) override {}
    void status(const std::vector<std::int32_t> &) override {}
    void transmitting(bool) override {}
};
