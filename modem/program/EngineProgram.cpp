#include "EngineProgram.h"

#include "SettingNames.h"
#include "SoundSetup.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

namespace engineio {

EngineProgram::EngineProgram(bool linked) : runner_(*this)
{
    if (linked) {
        link_ = std::make_unique<EngineLink>(STDIN_FILENO, STDOUT_FILENO, runner_);
        forwardTo(link_.get());
        link_->onSetupRequested = [this] { showSettings(); };
        link_->onFinished = [this](int code, const QString &why) {
            if (code != 0)
                std::fprintf(stderr, "tolmfsk-engine: %s\n", qPrintable(why));
            runner_.stop();
            QCoreApplication::exit(code);
        };
    }
    window_.onSaved = [this](const EngineSettings &saved) {
        apply(saved);
        tellHealth();
    };
    apply(EngineSettings::load());
}

EngineProgram::~EngineProgram()
{
    runner_.stop();
}

void EngineProgram::apply(const EngineSettings &settings)
{
    settings_ = settings;
    Sound sound = openSound(settings, runner_.edgeReporter(rtty::Edge::SoundInput),
                            runner_.edgeReporter(rtty::Edge::SoundOutput));
    health_ = std::make_unique<EngineHealth>(sound.source, sound.detail, Version,
                                             nameOf(PttMethodNames, settings.ptt.method));
    health_->setTransmit(fskDescription(settings.tx));
    health_->set(rtty::Edge::SoundInput, sound.input->fault());
    health_->set(rtty::Edge::SoundOutput, sound.output->fault());
    for (const std::string &fault : {sound.input->fault(), sound.output->fault()})
        if (!fault.empty())
            std::fprintf(stderr, "tolmfsk-engine: %s\n", fault.c_str());
    runner_.setSound(std::move(sound.input), std::move(sound.output));
    runner_.setPtt(settings.ptt); // its outcome arrives as an edge change
    runner_.setTx(settings.tx);
    window_.setState(QString::fromStdString(health_->report()));
}

void EngineProgram::start(bool showSettingsWindow)
{
    if (link_) {
        told_ = {false, health_->greeting()};
        link_->greet(told_.second, int(SampleRateHz));
        tellHealth();
    }
    if (showSettingsWindow)
        showSettings();
    runner_.start();
}

void EngineProgram::showSettings()
{
    window_.show(settings_, QString::fromStdString(health_->report()));
}

void EngineProgram::tellHealth()
{
    window_.setState(QString::fromStdString(health_->report()));
    const std::string fault = health_->latestFault();
    const std::pair<bool, std::string> news{!fault.empty(),
                                            fault.empty() ? health_->greeting() : fault};
    if (!link_ || news == told_)
        return;
    told_ = news;
    link_->notice(news.first, news.second);
}

void EngineProgram::edgeChanged(rtty::Edge edge, const std::string &fault)
{
    const bool wasKnown = health_->fault(edge).has_value();
    if (!health_->set(edge, fault))
        return;
    if (fault.empty() && wasKnown)
        std::fprintf(stderr, "tolmfsk-engine: the %s works again\n", edgeName(edge).c_str());
    else if (fault.empty() && settings_.ptt.method != PttMethod::None)
        std::fprintf(stderr, "tolmfsk-engine: the PTT is ready\n");
    else if (!fault.empty())
        std::fprintf(stderr, "tolmfsk-engine: %s%s\n", edge == rtty::Edge::Ptt ? "PTT: " : "",
                     fault.c_str());
    tellHealth();
}

} // namespace engineio
