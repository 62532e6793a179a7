// Observation of the engine controls: every operation, property write and property read on a
// control can be reported, in the order it happens, to one observer. The terminal runs without
// one; the tests attach one to follow what the window's handlers do to the controls.
#pragma once

#include <QString>

class QObject;

namespace xmm {

class CallObserver {
public:
    virtual ~CallObserver() = default;
    // entry reads "<control>.<member>(<arguments>)" for an operation, "<control>.<property> :=
    // <value>" for a write and "<control>.<property> -> <value>" for a read.
    virtual void controlCalled(const QString &entry) = 0;
};

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

private:
    void note(const QString &entry) const;

    const QObject *self_;
    CallObserver *observer_ = nullptr;
};

// Attaches the observer to every engine control among root's descendants (null detaches).
void attachCallObserver(QObject *root, CallObserver *observer);

// "true" / "false", as the entries show booleans.
QString boolText(bool value);

} // namespace xmm
