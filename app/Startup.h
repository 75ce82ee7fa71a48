#pragma once

namespace tarnwick {

// The program from start to end: language, single instance, windows, event loop, shutdown.
int runTarnwick(int argc, char **argv);

} // namespace tarnwick
