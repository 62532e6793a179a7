#include "EngineHealth.h"

#include <cctype>

namespace engineio {

namespace {
std::size_t slot(rtty::Edge edge)
{
    return std::size_t(edge);
}
} // namespace

std::string edgeName(rtty::Edge edge)
{
    switch (edge) {
    case rtty::Edge::SoundInput:
        return "sound input";
    case rtty::Edge::SoundOutput:
        return "sound output";
    case rtty::Edge::Ptt:
        break;
    }
    return "PTT";
}

EngineHealth::EngineHealth(std::string source, std::string detail, std::string version,
                           std::string pttMethod)
    : source_(std::move(source)), detail_(std::move(detail)), version_(std::move(version)),
      pttMethod_(std::move(pttMethod))
{
}

bool EngineHealth::set(rtty::Edge edge, const std::string &fault)
{
    std::optional<std::string> &stored = faults_[slot(edge)];
    if (stored == fault)
        return false;
    stored = fault;
    noted_[slot(edge)] = ++clock_;
    return true;
}

std::string EngineHealth::greeting() const
{
    const bool hears = faults_[slot(rtty::Edge::SoundInput)].value_or("").empty();
    const bool sends = faults_[slot(rtty::Edge::SoundOutput)].value_or("").empty();
    // Short enough, with the terminal's "Connected to MMTTY ", for its status panel.
    const std::string state = hears && sends ? source_
                              : hears        ? std::string("RX ONLY")
                              : sends        ? std::string("NO RX")
                                             : std::string("NO SOUND");
    return state + ", " + version_;
}

std::string EngineHealth::latestFault() const
{
    std::size_t latest = faults_.size();
    for (std::size_t i = 0; i < faults_.size(); ++i)
        if (!faults_[i].value_or("").empty() &&
            (latest == faults_.size() || noted_[i] > noted_[latest]))
            latest = i;
    if (latest == faults_.size())
        return {};
    std::string text = *faults_[latest];
    if (latest == slot(rtty::Edge::Ptt))
        return "PTT: " + text;
    text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

std::string EngineHealth::report() const
{
    auto line = [this](rtty::Edge edge, const char *label, const char *whenWell) {
        const std::optional<std::string> &fault = faults_[slot(edge)];
        const std::string state = !fault ? "opening" : fault->empty() ? whenWell : *fault;
        return std::string(label) + state + "\n";
    };
    const std::string ptt = "PTT (" + pttMethod_ + "): ";
    return "Receiving from " + detail_ + "\n" +
           line(rtty::Edge::SoundInput, "Sound input: ", "open") +
           line(rtty::Edge::SoundOutput, "Sound output: ", "open") +
           line(rtty::Edge::Ptt, ptt.c_str(), pttMethod_ == "none" ? "not keyed" : "ready") +
           (transmit_.empty() ? "" : "Transmit: " + transmit_ + "\n");
}

} // namespace engineio
