// Observation of the engine controls: every operation, property write and property read on a
// control can be reported, in the order it happens, to one observer. The terminal runs without
// one; the tests attach one to follow what the window's handlers do to the controls.
#pragma once

#include <QString>
#include <cstdint>

class QObject;

namespace xmm {

class CallObserver {
public:
    virtual ~CallObserver() = default;
    // entry reads "<control>.<member>(<arguments>)" for an operation, "<control>.<property> :=
    // <value>" for a write and "<control>.<property> -> <value>" for a read.
    virtual void controlCalled(const QString &entry) = 0;
};

// "true" / "false", as the entries show booleans.
QString boolText(bool value);

// A value as the entries show it: booleans as above, numbers in decimal, texts in quotes.
inline QString valueText(bool value)
{
    return boolText(value);
}
inline QString valueText(std::int16_t value)
{
    return QString::number(value);
}
inline QString valueText(const QString &value)
{
    return QLatin1Char('"') + value + QLatin1Char('"');
}

// Base of every engine control: holds the observer and formats the entries.
class ObservedControl {
public:
    void setCallObserver(CallObserver *observer) { observer_ = observer; }

protected:
    explicit ObservedControl(const QObject *self) : self_(self) {}
    ~ObservedControl() = default;

    void noteCall(const char *member, const QString &arguments = {}) const;
    void noteWrite(const char *property, const QString &value) const;
    void noteRead(const char *property, const QString &value) const;

    // A property read: noted with the value, which it returns.
    template <typename T> const T &noted(const char *property, const T &value) const
    {
        noteRead(property, valueText(value));
        return value;
    }
    // A property write: noted, then the value stored in field.
    template <typename T> void store(const char *property, T &field, const T &value) const
    {
        noteWrite(property, valueText(value));
        field = value;
    }

private:
    void note(const QString &entry) const;

    const QObject *self_;
    CallObserver *observer_ = nullptr;
};

// Attaches the observer to every engine control among root's descendants (null detaches).
void attachCallObserver(QObject *root, CallObserver *observer);

} // namespace xmm
