// An interrupted run (Ctrl-C, a kill, a closed terminal) leaves no half-written file behind:
// every file being written under its temporary name is removed, and every child program
// (ffmpeg) is ended, before the program ends by the signal.
#pragma once

#include <string>

// Installs the handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT, and ignores SIGPIPE so that
// a child that went away shows as a failed write; once, at start.
void InstallInterruptCleanup();

// `path` is being written; an interrupt removes it until ForgetTemporaryFile(handle). Safe to
// call from several threads at once. The handle is negative when no slot was free or the name
// is too long to keep; ForgetTemporaryFile takes that too.
int WatchTemporaryFile(const std::string& path);
void ForgetTemporaryFile(int handle);

// A child process (by its process id, on Linux) that an interrupt ends; 0 forgets it.
void WatchChildProcess(long processId);
void ForgetChildProcess(long processId);
