#include "EngineSettings.h"

#include "SettingNames.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace engineio {

QString EngineSettings::filePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("tolmfsk/engine.ini"));
}

EngineSettings EngineSettings::load()
{
    QSettings ini(filePath(), QSettings::IniFormat);
    EngineSettings s;
    s.source = sourceFromName(ini.value("audio/source", "automatic").toString());
    s.inputDevice = ini.value("audio/input_device").toString();
    s.outputDevice = ini.value("audio/output_device").toString();
    s.wavInput = ini.value("audio/wav_input").toString();
    s.wavOutput = ini.value("audio/wav_output").toString();
    s.ptt.method =
        valueNamed(PttMethodNames, ini.value("ptt/method", "none").toString().toStdString());
    s.ptt.port = ini.value("ptt/port").toString().toStdString();
    s.ptt.hamlibModel = ini.value("ptt/hamlib_model", 2).toInt();
    s.ptt.serialSpeed = ini.value("ptt/serial_speed", 0).toInt();
    s.ptt.leadMs = std::clamp(ini.value("ptt/lead_ms", s.ptt.leadMs).toInt(), 0, MaxPttDelayMs);
    s.ptt.tailMs = std::clamp(ini.value("ptt/tail_ms", s.ptt.tailMs).toInt(), 0, MaxPttDelayMs);
    s.tx.method =
        valueNamed(TxMethodNames, ini.value("tx/method", "afsk").toString().toStdString());
    s.tx.fskPort = ini.value("tx/fsk_port").toString().toStdString();
    s.tx.fskReverse = ini.value("tx/fsk_reverse", false).toBool();
    return s;
}

bool EngineSettings::save() const
{
    QDir().mkpath(QFileInfo(filePath()).absolutePath());
    QSettings ini(filePath(), QSettings::IniFormat);
    ini.setValue("audio/source", sourceName(source));
    ini.setValue("audio/input_device", inputDevice);
    ini.setValue("audio/output_device", outputDevice);
    ini.setValue("audio/wav_input", wavInput);
    ini.setValue("audio/wav_output", wavOutput);
    ini.setValue("ptt/method", QString::fromStdString(nameOf(PttMethodNames, ptt.method)));
    ini.setValue("ptt/port", QString::fromStdString(ptt.port));
    ini.setValue("ptt/hamlib_model", ptt.hamlibModel);
    ini.setValue("ptt/serial_speed", ptt.serialSpeed);
    ini.setValue("ptt/lead_ms", ptt.leadMs);
    ini.setValue("ptt/tail_ms", ptt.tailMs);
    ini.setValue("tx/method", QString::fromStdString(nameOf(TxMethodNames, tx.method)));
    ini.setValue("tx/fsk_port", QString::fromStdString(tx.fskPort));
    ini.setValue("tx/fsk_reverse", tx.fskReverse);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

QString sourceName(Source source)
{
    switch (source) {
    case Source::SoundCard:
        return QStringLiteral("soundcard");
    case Source::WavFile:
        return QStringLiteral("wav");
    case Source::Demo:
        return QStringLiteral("demo");
    case Source::Automatic:
        break;
    }
    return QStringLiteral("automatic");
}

Source sourceFromName(const QString &name)
{
    if (name == QLatin1String("soundcard"))
        return Source::SoundCard;
    if (name == QLatin1String("wav"))
        return Source::WavFile;
    if (name == QLatin1String("demo"))
        return Source::Demo;
    return Source::Automatic;
}

} // namespace engineio
