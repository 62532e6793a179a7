// The engine library's toggle button: a left click changes State, then raises OnLButtonClick.
// Pressed in (State true) it is drawn sunken. A button that switches an engine function names
// it in EngineSwitch (AFC, NET, ATC, BPF, LMS, SQL, REV, UOS, NOT), so that the engine link
// knows what a release means and which functions the buttons show (TXMMR).
#pragma once

#include "CallObserver.h"
#include "EngineSwitchButton.h"

#include <QColor>
#include <QWidget>

class TXMMBtn : public QWidget, public xmm::ObservedControl, public xmm::EngineSwitchButton {
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
    void setState(bool pressed);
    QColor CaptionColor() const { return captionColor_; }
    void setCaptionColor(const QColor &color);
    void setVisible(bool visible) override; // the control's Visible property
    QString EngineSwitch() const { return engineSwitch_; }
    void setEngineSwitch(const QString &name) { engineSwitch_ = name; }
    QString engineSwitch() const override { return engineSwitch_; }
    bool pressedIn() const override { return state_; } // State, not noted as the window's read

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
};
