// The look of the terminal wherever it runs: one Qt style, and the window's font families mapped
// to the metric-compatible fonts of the system.
#pragma once

class QApplication;

void applyStationLook(QApplication &application);
