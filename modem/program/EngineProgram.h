// The engine program as it runs: its settings, its sound and PTT, the signal path on a thread,
// the link to the terminal when a terminal runs it, and its settings window. It is the one
// listener of the engine's events: it hands those of the signal path to the link, and keeps
// track of the edges (sound input, sound output, PTT), whose every change it reports on
// standard error, in the settings window and to the terminal.
#pragma once

#include "EngineHealth.h"
#include "EngineLink.h"
#include "EngineRunner.h"
#include "EngineSettings.h"
#include "SettingsWindow.h"

#include <QObject>
#include <memory>

namespace engineio {

// The signal path's events go on to the link, when there is one.
class EngineProgram : public QObject, public rtty::ForwardedEvents {
    Q_OBJECT
public:
    static constexpr char Version[] = "engine 1.0";

    // linked: a terminal runs the engine over standard input and output.
    explicit EngineProgram(bool linked);
    ~EngineProgram() override;

    // Greets the terminal (when linked), shows the settings window when asked, and starts the
    // signal path.
    void start(bool showSettings);

    void edgeChanged(rtty::Edge edge, const std::string &fault) override;

private:
    void apply(const EngineSettings &settings);
    void tellHealth();
    void showSettings();

    EngineSettings settings_;
    EngineRunner runner_;
    std::unique_ptr<EngineHealth> health_;
    std::unique_ptr<EngineLink> link_;
    std::pair<bool, std::string> told_; // the fault flag and text the terminal last heard
    SettingsWindow window_;
};

} // namespace engineio
