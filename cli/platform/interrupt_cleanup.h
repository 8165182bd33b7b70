// SPDX-License-Identifier: GPL-2.0-or-later
// A run ended by a signal (Ctrl-C, a kill, a closed terminal or pipe, a CPU or file-size
// limit) leaves no half-written file behind: every file being written under its temporary
// name is removed, and every child program (ffmpeg) is ended, before the program ends by the
// signal. A run ended by SIGKILL cannot clean up: files written whole (whole_file.h) have no
// name until complete there, and its children end by their parent-death signal
// (child_process.h).
#pragma once

#include <string>

// Installs the handlers for SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE and the other signals
// that end a program by default; once, at start. SIGPIPE raised by our own write to a pipe
// whose reader has gone is let through: the write fails instead, and says so.
void InstallInterruptCleanup();

// For threads other than the main one: the signals are handled by the main thread.
void BlockEndingSignals();

// Around a call that starts threads of a library (a decoder's, a converter's): they start with
// the ending signals blocked, as ours do, and the caller's mask is back after.
class EndingSignalsBlocked {
 public:
  EndingSignalsBlocked();
  ~EndingSignalsBlocked();
  EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
  EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

 private:
  unsigned char saved_[128];  // the caller's signal mask
};

// Around creating a temporary file until it is watched: false when the program is ending
// and the file must not be made (EndCreatingFile is then not called).
bool BeginCreatingFile();
void EndCreatingFile();

// `path` is being written; an interrupt removes it until ForgetTemporaryFile(handle). Safe to
// call from several threads at once. The handle is negative when no slot was free or the name
// is too long to keep; ForgetTemporaryFile takes that too.
int WatchTemporaryFile(const std::string& path);
void ForgetTemporaryFile(int handle);

// A child process (by its process id, on Linux) that an interrupt ends.
void WatchChildProcess(long processId);
void ForgetChildProcess(long processId);
