// The level meter: the signal level as a vertical bar and the squelch level as a mark across
// it, both on the 0..1023 scale of the squelch command; the meter's top stands at TopLevel.
// A left click reports the level under the pointer on the same scale.
#pragma once

#include "CallObserver.h"

#include <QWidget>
#include <cstdint>

class TXMMLvl : public QWidget, public xmm::ObservedControl {
    Q_OBJECT
public:
    static constexpr int TopLevel = 1100; // above 1023, so the squelch can be set fully shut

    explicit TXMMLvl(QWidget *parent = nullptr);

    void DrawNMMR(const std::int32_t *pNMMR);
    void Clear();

    int signalLevel() const { return signal_; }
    int squelchLevel() const { return squelch_; }
    bool squelchOpen() const { return open_; }
    // Level on the meter's scale at the control's row y, and back.
    std::int16_t levelAtY(int y) const;
    int yForLevel(int level) const;

signals:
    void OnLMouseDown(std::int16_t level);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int signal_ = 0;
    int squelch_ = 0;
    bool open_ = false;
};
