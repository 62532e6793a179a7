// Notices when the window's native window is destroyed from outside (another X client destroys
// it, rather than asking it to close): without a window the program would go on running
// unseen, its engine transmitting. The callback then ends the program as an operator's Exit.
#pragma once

#include <QAbstractNativeEventFilter>
#include <functional>

class QWidget;

class OutsideDestroyWatch : public QAbstractNativeEventFilter {
public:
    // Watches window until this object is destroyed; destroyed() runs on the next turn of the
    // event loop.
    OutsideDestroyWatch(QWidget &window, std::function<void()> destroyed);
    ~OutsideDestroyWatch() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override;

private:
    QWidget &window_;
    std::function<void()> destroyed_;
};
