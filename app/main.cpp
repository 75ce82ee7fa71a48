#include "Startup.h"

int main(int argc, char **argv) { return tarnwick::runTarnwick(argc, argv); }
