#include "Console.h"

// Linux: arguments are the bytes given, and the streams are bytes already.
std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

void PrepareStandardStreams() {}

