// The window's benchmarks run the shown terminal window with a fake engine side: the application
// in the station's look, the window, and the engine side that raises its events.
#pragma once

#include "AppStyle.h"
#include "FakeEngineSide.h"
#include "RTTYMain.h"
#include "TXMMR.h"

#include <QApplication>
#include <cstdlib>

struct BenchWindow {
    BenchWindow(int &argc, char **argv) : application(argc, argv), look(application)
    {
        QCoreApplication::processEvents();
    }

    // The count given as the first argument, or `fallback`.
    static int count(int argc, char **argv, int fallback)
    {
        return argc > 1 ? std::atoi(argv[1]) : fallback;
    }

    QApplication application;
    struct Look {
        explicit Look(QApplication &app) { applyStationLook(app); }
    } look;
    TForm1 form;
    FakeEngineSide &engine = attachFakeEngineSide(*form.XMMR);
};
