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
    BenchWindow(int &argc, char **argv)
        : headless(headlessWithoutDisplay()), application(argc, argv), look(application)
    {
        QCoreApplication::processEvents();
    }

    // With no display to show the window on, and no platform asked for, the window is drawn
    // offscreen: the figures are the same, nothing is seen.
    static bool headlessWithoutDisplay()
    {
        if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
            qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
            return false;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }

    // The count given as the first argument, or `fallback`.
    static int count(int argc, char **argv, int fallback)
    {
        return argc > 1 ? std::atoi(argv[1]) : fallback;
    }

    bool headless; // drawn offscreen for want of a display
    QApplication application;
    struct Look {
        explicit Look(QApplication &app) { applyStationLook(app); }
    } look;
    TForm1 form;
    FakeEngineSide &engine = attachFakeEngineSide(*form.XMMR);
};
