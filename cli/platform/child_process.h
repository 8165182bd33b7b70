// SPDX-License-Identifier: GPL-2.0-or-later
// A child program (ffmpeg, ffprobe) with a pipe to its standard input or from its standard
// output. On Linux it runs in a process group of its own, which an interrupt of ours ends
// (interrupt_cleanup.h), with SIGKILL as its parent-death signal, so that it ends when we do
// however we end; the destructor ends a child still running. Start children from the main
// thread: the parent-death signal follows the thread that started the child.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

class ChildProcess {
 public:
  enum class Pipe { kToInput, kFromOutput };
  // The child's standard error: where ours goes, nowhere, or kept aside for LastErrorLine (a
  // file, so that a child with much to say never waits for us to read it).
  enum class Errors { kShown, kHidden, kKept };

  // Starts args[0], found on PATH, with `pipe` connected. Throws a CliError when it cannot be
  // started.
  ChildProcess(const std::vector<std::string>& args, Pipe pipe, Errors errors);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Writes all of `size` bytes; false when the child no longer reads.
  bool Write(const void* data, size_t size);
  // Reads until `size` bytes or the end of the child's output; the count read.
  size_t Read(void* data, size_t size);

  // Closes the pipe and waits for the child: its exit status, -1 when it ended otherwise.
  int Wait();
  // Ends the child at once and waits for it.
  void Kill();
  // Ends the child at once and returns: another thread's Write to it then fails. Kill or Wait
  // follows, once that thread is done with it. (Nothing on Windows, where the child is ended
  // by closing its pipe.)
  void SendKill();

  // The line of the child's kept standard error that says most: the last one from one of
  // ffmpeg's parts ("[h264 @ 0x...] ", which is left out), else the last one; empty when there
  // is none (or the errors were not kept, or the build cannot keep them).
  std::string LastErrorLine() const;

 private:
  void ClosePipe();
#if defined(_WIN32)
  void* stream_ = nullptr;  // the runtime's FILE* of _popen
#else
  int fd_ = -1;
  long pid_ = 0;
#endif
  bool running_ = false;
  std::FILE* errors_ = nullptr;  // the kept standard error
};
