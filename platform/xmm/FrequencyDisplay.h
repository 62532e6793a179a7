// Base of the spectrum and the waterfall: a horizontal audio-frequency axis from BaseFreq to
// BaseFreq + WidthFreq over the control's width, FFT blocks resampled onto its pixel columns,
// and mouse events that report the frequency under the pointer in Hz.
#pragma once

#include "CallObserver.h"

#include <QVector>
#include <QWidget>
#include <cstdint>

class FrequencyDisplay : public QWidget, public xmm::ObservedControl {
    Q_OBJECT
public:
    explicit FrequencyDisplay(QWidget *parent = nullptr);

    std::int16_t BaseFreq() const { return noted("BaseFreq", baseHz_); }
    void setBaseFreq(std::int16_t hz) { setRange("BaseFreq", baseHz_, hz); }
    std::int16_t WidthFreq() const { return noted("WidthFreq", widthHz_); }
    void setWidthFreq(std::int16_t hz) { setRange("WidthFreq", widthHz_, hz); }

    // The control's width on the window, in pixels.
    void setWidthPixels(int pixels);

    // Frequency in Hz under pixel column x (x clamped to the control), and back.
    std::int16_t freqAtX(int x) const;
    int xForFreq(int hz) const;

signals:
    void OnLMouseDown(std::int16_t freq);
    void OnLMouseMove(std::int16_t freq);
    void OnLMouseUp(std::int16_t freq);
    void OnRMouseDown(std::int16_t freq);
    void OnRMouseMove(std::int16_t freq);
    void OnRMouseUp(std::int16_t freq);

protected:
    // The strongest value of the block within each pixel column's frequency range, in
    // hundredths of a dB; columns with no bin take the nearest bin below them.
    QVector<std::int16_t> columnsFromBlock(const std::int16_t *values, std::int16_t size,
                                           std::int16_t sampleRate) const;
    virtual void rangeChanged() {}
    void setRange(const char *property, std::int16_t &field, std::int16_t hz);

    // The left button's signal or the right one's, with the frequency under the pointer.
    void mouseEvent(QMouseEvent *event, Qt::MouseButtons buttons,
                    void (FrequencyDisplay::*left)(std::int16_t),
                    void (FrequencyDisplay::*right)(std::int16_t));
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    std::int16_t baseHz_ = 850;
    std::int16_t widthHz_ = 3000;
};
