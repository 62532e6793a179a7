// The engine's settings window: sound source and devices, and how the transmitter is keyed,
// with how the sound and PTT stand now. Saving writes the INI file and hands the new settings
// to whoever applies them. Closing it only hides it.
#pragma once

#include "EngineSettings.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;
class QLabel;

namespace engineio {

class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget *parent = nullptr);

    void show(const EngineSettings &settings, const QString &state);
    // How the sound and PTT stand, a line each; shown at once when the window is open.
    void setState(const QString &state);
    std::function<void(const EngineSettings &)> onSaved;

private:
    // A text field, and a field of milliseconds of PTT delay, each on a row of its own.
    QLineEdit *field(QFormLayout *form, const char *label, const char *placeholder);
    QSpinBox *delay(QFormLayout *form, const char *label, const char *tip);
    // A drop-down list whose items show their label and hold their value.
    QComboBox *choices(std::initializer_list<std::pair<const char *, const char *>> items);
    EngineSettings fromFields() const;
    void save();

    QComboBox *source_;
    QLineEdit *inputDevice_, *outputDevice_, *wavInput_, *wavOutput_;
    QComboBox *pttMethod_;
    QLineEdit *pttPort_;
    QSpinBox *hamlibModel_, *serialSpeed_, *leadMs_, *tailMs_;
    QComboBox *txMethod_;
    QLineEdit *fskPort_;
    QCheckBox *fskReverse_;
    QLabel *state_, *result_;
};

} // namespace engineio
