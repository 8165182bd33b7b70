// Running another program (ffmpeg) with an argument list, no shell in between, and waiting
// for it. The same call on Linux (posix_spawnp) and Windows (_spawnvp).
#pragma once

#include <string>
#include <vector>

// Runs args[0], found on PATH, with the arguments args[1..]. Returns its exit status, or -1
// when it could not be started. With silenceOutput its standard output goes nowhere.
int RunProgram(const std::vector<std::string>& args, bool silenceOutput);
