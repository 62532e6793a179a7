#include "CallObserver.h"

#include <QObject>

namespace xmm {

void ObservedControl::noteCall(const char *member, const QString &arguments) const
{
    if (observer_)
        note(QStringLiteral("%1(%2)").arg(QLatin1String(member), arguments));
}

void ObservedControl::noteWrite(const char *property, const QString &value) const
{
    if (observer_)
        note(QStringLiteral("%1 := %2").arg(QLatin1String(property), value));
}

void ObservedControl::noteRead(const char *property, const QString &value) const
{
    if (observer_)
        note(QStringLiteral("%1 -> %2").arg(QLatin1String(property), value));
}

void ObservedControl::note(const QString &entry) const
{
    observer_->controlCalled(self_->objectName() + QLatin1Char('.') + entry);
}

void attachCallObserver(QObject *root, CallObserver *observer)
{
    const auto objects = root->findChildren<QObject *>();
    for (QObject *object : objects) {
        if (auto *control = dynamic_cast<ObservedControl *>(object))
            control->setCallObserver(observer);
    }
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace xmm
