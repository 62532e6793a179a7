// One terminal per user. The first start listens on a local socket in the user's runtime
// folder; a second start finds it, asks it to bring its window forward, and ends without
// starting anything (no second engine on the same sound card and PTT, no second claim on the
// TCP port or the DDE name).
#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

class SingleInstance {
public:
    // The socket's path: $XDG_RUNTIME_DIR/tolmfsk-terminal.
    static QString socketPath();
    // True when another terminal answers there: it has been asked to come forward.
    static bool handOver();

    // Listens for later starts and calls comeForward() for each.
    explicit SingleInstance(std::function<void()> comeForward);

private:
    QLocalServer server_;
    std::function<void()> comeForward_;
};
