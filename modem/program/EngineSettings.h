// The engine's settings, kept in an INI file in the user's configuration folder
// ($XDG_CONFIG_HOME/tolmfsk/engine.ini): where the sound comes from and goes to, and how the
// transmitter is keyed.
#pragma once

#include "FskLine.h"
#include "Ptt.h"

#include <QString>

namespace engineio {

enum class Source {
    Automatic, // the sound card, or the demo when no sound server runs at all
    SoundCard,
    WavFile,
    Demo,
};

// The longest PTT lead or tail the settings take, in ms.
constexpr int MaxPttDelayMs = 1000;

struct EngineSettings {
    Source source = Source::Automatic;
    QString inputDevice;  // PulseAudio source name; empty: the default
    QString outputDevice; // PulseAudio sink name; empty: the default
    QString wavInput;     // for Source::WavFile
    QString wavOutput;    // when set, transmitted audio goes to this file instead of a card
    PttSettings ptt;
    TxSettings tx; // AFSK through the sound output, or FSK keyed on a serial port

    static QString filePath();
    static EngineSettings load();
    bool save() const; // false when the file cannot be written
};

QString sourceName(Source source);
Source sourceFromName(const QString &name);

} // namespace engineio
