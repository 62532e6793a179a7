// Renders the window as an operator sees it, headless, to a PNG: the pictures in docs/.
// Usage: docshot SCENE FILE.png, where SCENE is one of: main-window.
#include "AppStyle.h"
#include "RTTYMain.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    applyStationLook(application);
    if (argc != 3) {
        std::fprintf(stderr, "usage: docshot main-window FILE.png\n");
        return 2;
    }
    const QString scene = QString::fromLocal8Bit(argv[1]);
    TForm1 window;
    if (scene != QLatin1String("main-window")) {
        std::fprintf(stderr, "docshot: unknown scene %s\n", argv[1]);
        return 2;
    }
    application.processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "docshot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
