#pragma once

#include <QString>

namespace tarnwick {

// Keeps the regional formats (dates and times, numbers) of the environment the program was
// started in when LANG is then changed for the translation service: every locale category that
// followed LANG is pinned to LANG's old value. Returns the name of the time locale.
QString pinRegionalFormats();

// The program from start to end: language, single instance, windows, event loop, shutdown.
int runTarnwick(int argc, char **argv);

} // namespace tarnwick
