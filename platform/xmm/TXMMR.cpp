#include "TXMMR.h"

#include "EngineLinkProtocol.h"
#include "EngineSide.h"
#include "EngineSwitchButton.h"
#include "ProcessEngineSide.h"
#include "SwitchWords.h"

namespace {

// The function a button's EngineSwitch names.
std::optional<enginelink::SwitchBit> switchBit(const QString &name)
{
    using namespace enginelink;
    static const std::pair<const char *, SwitchBit> names[] = {
        {"AFC", SwitchBitAfc}, {"NET", SwitchBitNet}, {"ATC", SwitchBitAtc},
        {"BPF", SwitchBitBpf}, {"LMS", SwitchBitLms}, {"SQL", SwitchBitSql},
        {"REV", SwitchBitRev}, {"UOS", SwitchBitUos}, {"NOT", SwitchBitNotch},
    };
    for (const auto &[text, bit] : names)
        if (name == QLatin1String(text))
            return bit;
    return std::nullopt;
}

std::int32_t wordFor(enginelink::SwitchBit bit, bool on)
{
    using namespace enginelink;
    if (bit == SwitchBitNotch)
        return on ? SwitchNotchOn : SwitchNotchOff;
    return on ? switchOn(bit) : switchOff(bit);
}

} // namespace

TXMMR::TXMMR(QObject *parent)
    : QObject(parent), ObservedControl(this), side_(std::make_unique<xmm::ProcessEngineSide>())
{
    bindSide();
}

TXMMR::~TXMMR() = default;

void TXMMR::setEngineSide(std::unique_ptr<xmm::EngineSide> side)
{
    if (side_ && side_->isRunning())
        side_->stop();
    side_ = std::move(side);
    bindSide();
}

void TXMMR::bindSide()
{
    using xmm::EngineSide;
    EngineSide *side = side_.get();
    connect(side, &EngineSide::engineConnected, this, [this] {
        syncEngine();
        emit OnConnected();
    });
    connect(side, &EngineSide::engineDisconnected, this, &TXMMR::OnDisconnected);
    connect(side, &EngineSide::charReceived, this, &TXMMR::OnCharRcvd);
    connect(side, &EngineSide::pttChanged, this, &TXMMR::OnPttEvent);
    connect(side, &EngineSide::fftBlock, this, &TXMMR::OnNotifyFFT);
    connect(side, &EngineSide::xyBlock, this, &TXMMR::OnNotifyXY);
    connect(side, &EngineSide::statusRecord, this, &TXMMR::OnNotifyNMMR);
    connect(side, &EngineSide::engineNotice, this, &TXMMR::OnNotice);
}

bool TXMMR::PostCommand(std::int32_t command, std::int32_t value)
{
    noteCall("PostCommand", QStringLiteral("%1, %2").arg(command).arg(value));
    if (command == enginelink::CmdNotchHz)
        notchHz_ = value;
    if (!side_->isRunning())
        return false;
    side_->postCommand(command, value);
    return true;
}

bool TXMMR::SetSwitch(std::int32_t word)
{
    noteCall("SetSwitch", QString::number(word));
    if (!side_->isRunning())
        return false;
    side_->setSwitch(engineWord(word));
    return true;
}

std::int32_t TXMMR::engineWord(std::int32_t word) const
{
    const xmm::EngineSwitchButton *button = xmm::EngineSwitchButton::clicking();
    if (word != enginelink::SwitchRelease || !button)
        return word;
    const auto bit = switchBit(button->engineSwitch());
    return bit ? wordFor(*bit, false) : word;
}

void TXMMR::syncEngine()
{
    if (QObject *window = parent()) {
        for (const QObject *child : window->findChildren<QObject *>()) {
            const auto *button = dynamic_cast<const xmm::EngineSwitchButton *>(child);
            const auto bit = button ? switchBit(button->engineSwitch()) : std::nullopt;
            if (!bit)
                continue;
            // The AFC button is pressed in while AFC is off.
            const bool on =
                *bit == enginelink::SwitchBitAfc ? !button->pressedIn() : button->pressedIn();
            side_->setSwitch(wordFor(*bit, on));
        }
    }
    if (notchHz_)
        side_->postCommand(enginelink::CmdNotchHz, *notchHz_);
}

bool TXMMR::SetOption(std::int16_t option)
{
    noteCall("SetOption", QString::number(option));
    if (!side_->isRunning())
        return false;
    side_->setOption(option);
    return true;
}

bool TXMMR::SendText(const QString &text)
{
    noteCall("SendText", QLatin1Char('"') + text + QLatin1Char('"'));
    if (!side_->isRunning())
        return false;
    side_->sendText(text);
    return true;
}

void TXMMR::setbActive(bool active)
{
    noteWrite("bActive", xmm::boolText(active));
    if (!active) {
        if (side_->isRunning())
            side_->stop();
    } else if (!side_->isRunning()) {
        side_->start(invokeCommand_);
    }
}

void TXMMR::setInvokeCommand(const QString &commandLine)
{
    noteWrite("InvokeCommand", QLatin1Char('"') + commandLine + QLatin1Char('"'));
    invokeCommand_ = commandLine;
}

QString TXMMR::verMMTTY() const
{
    const QString version = side_->version();
    noteRead("verMMTTY", QLatin1Char('"') + version + QLatin1Char('"'));
    return version;
}

std::int32_t TXMMR::OverFlow() const
{
    const std::int32_t count = side_->overflow();
    noteRead("OverFlow", QString::number(count));
    return count;
}

std::int32_t TXMMR::smpDemFreq() const
{
    const std::int32_t rate = side_->demSampleFreq();
    noteRead("smpDemFreq", QString::number(rate));
    return rate;
}

void TXMMR::setPTT(bool on)
{
    noteWrite("PTT", xmm::boolText(on));
    side_->setPtt(on);
}
