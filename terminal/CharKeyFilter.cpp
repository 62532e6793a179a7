#include "CharKeyFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

CharKeyFilter::CharKeyFilter(QWidget *window, Handler handler)
    : QObject(window), window_(window), handler_(std::move(handler))
{
    window->installEventFilter(this);
}

bool CharKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != window_ || event->type() != QEvent::KeyPress || redispatching_)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    QString typed = key->text();
    // Ctrl with a letter types its control code, whatever text the platform attached.
    if ((key->modifiers() & Qt::ControlModifier) && key->key() >= Qt::Key_A &&
        key->key() <= Qt::Key_Z)
        typed = QChar(char16_t(key->key() - Qt::Key_A + 1));
    if (typed.isEmpty() || typed == QLatin1String("\x7f")) // Delete types no character
        return false;

    QString edited;
    bool changed = false;
    for (const QChar c : typed) {
        if (c.unicode() > 0xff) {
            edited += c;
            continue;
        }
        char byte = char(c.unicode());
        handler_(byte);
        const QChar after{char16_t(std::uint8_t(byte))};
        changed = changed || after != c;
        edited += after;
    }
    if (!changed)
        return false;
    QKeyEvent replaced(QEvent::KeyPress, key->key(), key->modifiers(), edited, key->isAutoRepeat(),
                       ushort(key->count()));
    redispatching_ = true;
    QCoreApplication::sendEvent(window_, &replaced);
    redispatching_ = false;
    return true;
}
