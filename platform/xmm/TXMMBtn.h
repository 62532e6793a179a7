// The engine library's toggle button: a left click changes State, then raises OnLButtonClick.
// Pressed in (State true) it is drawn sunken. A button that switches an engine function names
// it in EngineSwitch (AFC, NET, ATC, BPF, LMS, SQL, REV, UOS, NOT), so that the engine link
// knows what a release means and which functions the buttons show (TXMMR).
#pragma once

#include "CallObserver.h"

#include <QColor>
#include <QWidget>

class TXMMBtn : public QWidget, public xmm::ObservedControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool State READ State WRITE setState)
    Q_PROPERTY(QColor CaptionColor READ CaptionColor WRITE setCaptionColor)
    Q_PROPERTY(QString EngineSwitch READ EngineSwitch WRITE setEngineSwitch)
public:
    explicit TXMMBtn(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString &caption);
    bool State() const;
    // State, as the library itself reads it (not noted as a call of the window).
    bool isPressed() const { return state_; }
    void setState(bool pressed);
    QColor CaptionColor() const { return captionColor_; }
    void setCaptionColor(const QColor &color);
    void setVisible(bool visible) override; // the control's Visible property
    QString EngineSwitch() const { return engineSwitch_; }
    void setEngineSwitch(const QString &name) { engineSwitch_ = name; }

    // The button whose OnLButtonClick is being delivered now; nothing outside a click.
    static TXMMBtn *clicking() { return clicking_; }

    QSize sizeHint() const override;

signals:
    void OnLButtonClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QString caption_;
    QColor captionColor_;
    QString engineSwitch_;
    bool state_ = false;
    static TXMMBtn *clicking_;
};
