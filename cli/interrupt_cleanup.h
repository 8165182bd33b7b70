// An interrupted run (Ctrl-C, a kill) leaves no half-written file behind: the file being
// written under its temporary name is removed before the program ends by the signal.
#pragma once

#include <string>

// Installs the handlers for SIGINT and SIGTERM; once, at start.
void InstallInterruptCleanup();

// `path` is being written; an interrupt until ForgetTemporaryFile removes it.
void WatchTemporaryFile(const std::string& path);
void ForgetTemporaryFile();
