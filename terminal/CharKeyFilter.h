// Hands each character typed into a text window to a handler that may change it in place, as
// the window's key-press event does; the window then edits with the changed character. Keys
// that type no character (arrows, Delete, function keys) never reach the handler; a Ctrl+letter
// combination reaches it as its control code (Ctrl+V as 22). Characters outside Latin-1 are
// left to the window.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

class CharKeyFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(char &key)>;

    CharKeyFilter(QWidget *window, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    Handler handler_;
    bool redispatching_ = false;
};
