#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The command line and the standard streams as the tool needs them on every system: the
// arguments as the system's own file names (bytes on Linux, UTF-8 on Windows), the text written
// byte for byte (CR LF stays CR LF), and messages in UTF-8. One implementation per system.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
void PrepareStandardStreams();

