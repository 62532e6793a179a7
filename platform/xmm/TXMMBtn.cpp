#include "TXMMBtn.h"

#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

TXMMBtn::TXMMBtn(QWidget *parent) : QWidget(parent), ObservedControl(this)
{
    setAttribute(Qt::WA_Hover);
}

void TXMMBtn::setCaption(const QString &caption)
{
    store("Caption", caption_, caption);
    setAccessibleName(caption); // what a screen reader, or a test driving the window, finds
    update();
}

bool TXMMBtn::State() const
{
    return noted("State", state_);
}

void TXMMBtn::setState(bool pressed)
{
    store("State", state_, pressed);
    update();
}

void TXMMBtn::setCaptionColor(const QColor &color)
{
    captionColor_ = color;
    update();
}

void TXMMBtn::setVisible(bool visible)
{
    noteWrite("Visible", xmm::boolText(visible));
    QWidget::setVisible(visible);
}

QSize TXMMBtn::sizeHint() const
{
    return {44, 22};
}

void TXMMBtn::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = caption_;
    option.state |= state_ ? (QStyle::State_On | QStyle::State_Sunken) : QStyle::State_Raised;
    if (captionColor_.isValid())
        option.palette.setColor(QPalette::ButtonText, captionColor_);
    if (state_) // a pressed toggle reads as lit, not only as sunken
        option.palette.setColor(QPalette::Button,
                                option.palette.color(QPalette::Midlight).darker(115));
    painter.drawControl(QStyle::CE_PushButton, option);
}

void TXMMBtn::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    state_ = !state_;
    update();
    deliverClick([this] { emit OnLButtonClick(); });
}
