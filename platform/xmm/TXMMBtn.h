// The engine library's toggle button: a left click changes State, then raises OnLButtonClick.
// Pressed in (State true) it is drawn sunken.
#pragma once

#include "CallObserver.h"

#include <QColor>
#include <QWidget>

class TXMMBtn : public QWidget, public xmm::ObservedControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool State READ State WRITE setState)
    Q_PROPERTY(QColor CaptionColor READ CaptionColor WRITE setCaptionColor)
public:
    explicit TXMMBtn(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString &caption);
    bool State() const;
    void setState(bool pressed);
    QColor CaptionColor() const { return captionColor_; }
    void setCaptionColor(const QColor &color);
    void setVisible(bool visible) override; // the control's Visible property

    QSize sizeHint() const override;

signals:
    void OnLButtonClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QString caption_;
    QColor captionColor_;
    bool state_ = false;
};
