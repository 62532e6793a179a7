// What the engine's edge tests share: a configuration folder with the engine's settings, and
// the environment the engine runs in.
#pragma once

#include "EngineLinkClient.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

class EngineConfig {
public:
    EngineConfig() { QDir(dir.path()).mkpath("tolmfsk"); }

    void write(const QString &ini)
    {
        QFile file(dir.filePath("tolmfsk/engine.ini"));
        if (file.open(QIODevice::WriteOnly))
            file.write(ini.toUtf8());
    }
    // base with the engine's configuration folder set to this one.
    QProcessEnvironment
    environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const
    {
        base.insert("XDG_CONFIG_HOME", dir.path());
        base.insert("QT_QPA_PLATFORM", "offscreen");
        return base;
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

// The text an engine decoded, as the link brought it.
inline std::string decodedText(const EngineLinkClient &engine)
{
    std::string text;
    for (const auto &[at, c] : engine.all<enginelink::CharMsg>())
        text += char(c.code);
    return text;
}

// The texts of the engine's notices so far, one a line, "!" before a fault.
inline std::string noticeTexts(const EngineLinkClient &engine)
{
    std::string text;
    for (const auto &[at, n] : engine.all<enginelink::NoticeMsg>())
        text += (n.fault ? "!" : "") + n.text + "\n";
    return text;
}

// Starts a transmission of text from the link: PTT setting, the text, transmit, then back to
// receive once it has gone out.
inline void transmit(EngineLinkClient &engine, const std::string &text)
{
    engine.send(enginelink::SetPttMsg{true});
    engine.send(enginelink::SendTextMsg{text});
    engine.command(enginelink::CmdTransmitControl, enginelink::TxTransmit);
    engine.command(enginelink::CmdTransmitControl, enginelink::TxReceiveAfterSending);
}
