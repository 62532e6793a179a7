#include "SettingsWindow.h"

#include "SettingNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace engineio {

SettingsWindow::SettingsWindow(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("tolmfsk-engine settings"));
    auto *layout = new QVBoxLayout(this);
    state_ = new QLabel(this);
    state_->setWordWrap(true);
    layout->addWidget(state_);

    auto *form = new QFormLayout;
    source_ = choices({{"Sound card, or the demo when there is none", "automatic"},
                       {"Sound card (PulseAudio / PipeWire)", "soundcard"},
                       {"WAV file", "wav"},
                       {"Demo signal", "demo"}});
    form->addRow(QStringLiteral("Receive from"), source_);
    inputDevice_ = field(form, "Input device", "default (see: pactl list short sources)");
    outputDevice_ = field(form, "Output device", "default (see: pactl list short sinks)");
    wavInput_ = field(form, "WAV file to receive", "");
    wavOutput_ = field(form, "WAV file to transmit into", "empty: transmit to the output device");

    pttMethod_ = choices({{"None (VOX)", "none"},
                          {"Serial port RTS", "rts"},
                          {"Serial port DTR", "dtr"},
                          {"CAT through Hamlib", "cat"}});
    form->addRow(QStringLiteral("PTT"), pttMethod_);
    pttPort_ = field(form, "PTT port", "/dev/ttyUSB0, or localhost:4532 for rigctld");
    hamlibModel_ = new QSpinBox(this);
    hamlibModel_->setRange(1, 99999);
    hamlibModel_->setToolTip(QStringLiteral("%1: rigctld; %2: Kenwood TS-2000")
                                 .arg(radio::RigctldModel)
                                 .arg(radio::Ts2000Model));
    form->addRow(QStringLiteral("Hamlib radio model"), hamlibModel_);
    serialSpeed_ = new QSpinBox(this);
    serialSpeed_->setRange(0, 115200);
    serialSpeed_->setSpecialValueText(QStringLiteral("the radio's default"));
    form->addRow(QStringLiteral("CAT serial speed"), serialSpeed_);
    leadMs_ = delay(form, "PTT lead", "PTT goes on this long before the first sound");
    tailMs_ = delay(form, "PTT tail", "PTT goes off this long after the last sound was played");
    txMethod_ = choices({{"AFSK: tones to the output device", "afsk"},
                         {"FSK: the port's TXD (5-bit UART frames)", "fsk"},
                         {"FSK: the port's DTR, keyed bit by bit", "fsk-dtr"},
                         {"FSK: the port's RTS, keyed bit by bit", "fsk-rts"}});
    form->addRow(QStringLiteral("Transmit"), txMethod_);
    fskPort_ = field(form, "FSK port", "/dev/ttyUSB0: wired to the radio's FSK input");
    fskReverse_ = new QCheckBox(QStringLiteral("space raises the line's opposite level"), this);
    form->addRow(QStringLiteral("FSK reverse"), fskReverse_);
    layout->addLayout(form);

    result_ = new QLabel(this);
    layout->addWidget(result_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    connect(buttons->button(QDialogButtonBox::Save), &QPushButton::clicked, this,
            &SettingsWindow::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    resize(520, 0);
}

QLineEdit *SettingsWindow::field(QFormLayout *form, const char *label, const char *placeholder)
{
    auto *edit = new QLineEdit(this);
    edit->setPlaceholderText(QString::fromUtf8(placeholder));
    form->addRow(QString::fromUtf8(label), edit);
    return edit;
}

QSpinBox *SettingsWindow::delay(QFormLayout *form, const char *label, const char *tip)
{
    auto *box = new QSpinBox(this);
    box->setRange(0, MaxPttDelayMs);
    box->setSuffix(QStringLiteral(" ms"));
    box->setToolTip(QString::fromUtf8(tip));
    form->addRow(QString::fromUtf8(label), box);
    return box;
}

QComboBox *
SettingsWindow::choices(std::initializer_list<std::pair<const char *, const char *>> items)
{
    auto *box = new QComboBox(this);
    for (const auto &[label, value] : items)
        box->addItem(QString::fromUtf8(label), QString::fromLatin1(value));
    return box;
}

void SettingsWindow::setState(const QString &state)
{
    state_->setText(state.trimmed());
}

void SettingsWindow::show(const EngineSettings &s, const QString &state)
{
    setState(state);
    source_->setCurrentIndex(source_->findData(sourceName(s.source)));
    inputDevice_->setText(s.inputDevice);
    outputDevice_->setText(s.outputDevice);
    wavInput_->setText(s.wavInput);
    wavOutput_->setText(s.wavOutput);
    pttMethod_->setCurrentIndex(
        pttMethod_->findData(QString::fromStdString(nameOf(PttMethodNames, s.ptt.method))));
    pttPort_->setText(QString::fromStdString(s.ptt.port));
    hamlibModel_->setValue(s.ptt.hamlibModel);
    serialSpeed_->setValue(s.ptt.serialSpeed);
    leadMs_->setValue(s.ptt.leadMs);
    tailMs_->setValue(s.ptt.tailMs);
    txMethod_->setCurrentIndex(
        txMethod_->findData(QString::fromStdString(nameOf(TxMethodNames, s.tx.method))));
    fskPort_->setText(QString::fromStdString(s.tx.fskPort));
    fskReverse_->setChecked(s.tx.fskReverse);
    result_->clear();
    QWidget::show();
    raise();
    activateWindow();
}

EngineSettings SettingsWindow::fromFields() const
{
    EngineSettings s;
    s.source = sourceFromName(source_->currentData().toString());
    s.inputDevice = inputDevice_->text().trimmed();
    s.outputDevice = outputDevice_->text().trimmed();
    s.wavInput = wavInput_->text().trimmed();
    s.wavOutput = wavOutput_->text().trimmed();
    s.ptt.method = valueNamed(PttMethodNames, pttMethod_->currentData().toString().toStdString());
    s.ptt.port = pttPort_->text().trimmed().toStdString();
    s.ptt.hamlibModel = hamlibModel_->value();
    s.ptt.serialSpeed = serialSpeed_->value();
    s.ptt.leadMs = leadMs_->value();
    s.ptt.tailMs = tailMs_->value();
    s.tx.method = valueNamed(TxMethodNames, txMethod_->currentData().toString().toStdString());
    s.tx.fskPort = fskPort_->text().trimmed().toStdString();
    s.tx.fskReverse = fskReverse_->isChecked();
    return s;
}

void SettingsWindow::save()
{
    const EngineSettings s = fromFields();
    if (!s.save()) {
        result_->setText(QStringLiteral("Cannot write %1").arg(EngineSettings::filePath()));
        return;
    }
    result_->setText(
        QStringLiteral("Saved to %1; the engine uses them now.").arg(EngineSettings::filePath()));
    if (onSaved)
        onSaved(s);
}

} // namespace engineio
