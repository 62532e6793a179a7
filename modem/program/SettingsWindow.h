// The engine's settings window: sound source and devices, and how the transmitter is keyed.
// Saving writes the INI file and hands the new settings to whoever applies them.
#pragma once

#include "EngineSettings.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLineEdit;
class QSpinBox;
class QLabel;

namespace engineio {

class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget *parent = nullptr);

    void show(const EngineSettings &settings, const QString &state);
    std::function<void(const EngineSettings &)> onSaved;

private:
    EngineSettings fromFields() const;
    void save();

    QComboBox *source_;
    QLineEdit *inputDevice_, *outputDevice_, *wavInput_, *wavOutput_;
    QComboBox *pttMethod_;
    QLineEdit *pttPort_;
    QSpinBox *hamlibModel_, *serialSpeed_;
    QLabel *state_, *result_;
};

} // namespace engineio
