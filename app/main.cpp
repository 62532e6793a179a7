// The terminal's entry: builds the main window, whose create handler shows it, and runs the
// event loop until the window closes.
#include "AppStyle.h"
#include "RTTYMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tolmfsk"));
    applyStationLook(application);
    TForm1 window;
    return application.exec();
}
