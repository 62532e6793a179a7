// The terminal's entry: hands over to a terminal that already runs, starts the DDE instance
// (the program does not start without one), builds the main window, whose create handler shows
// it, and runs the event loop until the window closes; then ends the DDE instance.
#include "AppStyle.h"
#include "RTTYMain.h"
#include "SingleInstance.h"
#include "hostlink/DdeClientConv.h"
#include "hostlink/DdeInstance.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tolmfsk"));
    applyStationLook(application);

    // A terminal already runs: it comes forward, and this start ends here.
    if (SingleInstance::handOver()) {
        std::fprintf(stderr, "tolmfsk: TOLM FSK is already running; its window comes forward.\n");
        return 0;
    }
    SingleInstance instance([] {
        if (Form1) {
            Form1->showNormal();
            Form1->raise();
            Form1->activateWindow();
        }
    });

    // The program's own service name: its file name, cut before the first ".".
    const QString service = QFileInfo(QCoreApplication::applicationFilePath())
                                .fileName()
                                .section(QLatin1Char('.'), 0, 0);
    const UINT error = hostlink::startDdeInstance(service, QStringLiteral("TOLM FSK 1.0"));
    if (error != DMLERR_NO_ERROR) {
        QMessageBox::critical(nullptr, QStringLiteral("TOLM FSK"),
                              hostlink::ddeStartErrorMessage(error));
        return 1;
    }
    int code;
    {
        TForm1 window;
        code = application.exec();
    }
    hostlink::endDdeInstance();
    return code;
}
