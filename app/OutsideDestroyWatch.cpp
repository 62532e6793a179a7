#include "OutsideDestroyWatch.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <xcb/xcb.h>

OutsideDestroyWatch::OutsideDestroyWatch(QWidget &window, std::function<void()> destroyed)
    : window_(window), destroyed_(std::move(destroyed))
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

OutsideDestroyWatch::~OutsideDestroyWatch()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool OutsideDestroyWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !window_.testAttribute(Qt::WA_WState_Created))
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
        return false;
    const auto *destroyed = static_cast<const xcb_destroy_notify_event_t *>(message);
    if (destroyed->window == xcb_window_t(window_.winId()))
        QTimer::singleShot(0, &window_, destroyed_);
    return false;
}
