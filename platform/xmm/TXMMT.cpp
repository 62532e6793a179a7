#include "TXMMT.h"

TXMMT::TXMMT(QObject *parent) : QObject(parent), ObservedControl(this) {}

TXMMT::~TXMMT() = default;

void TXMMT::setbActive(bool active)
{
    noteWrite("bActive", xmm::boolText(active));
    active_ = active;
}

bool TXMMT::SendChar(std::int16_t nIndex, std::int16_t code)
{
    noteCall("SendChar", QStringLiteral("%1, %2").arg(nIndex).arg(code));
    return active_;
}

bool TXMMT::SendCode(std::int16_t nIndex, std::int16_t code)
{
    noteCall("SendCode", QStringLiteral("%1, %2").arg(nIndex).arg(code));
    return active_;
}

bool TXMMT::SendValue(std::int16_t nIndex, std::int16_t value)
{
    noteCall("SendValue", QStringLiteral("%1, %2").arg(nIndex).arg(value));
    return active_;
}
