// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/platform/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(__linux__)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "cli/platform/interrupt_cleanup.h"

namespace {

// Ends the life of the watched temporary `temporary`: renamed over `path` when `complete`,
// removed otherwise. False with the reason in `error` when `path` did not get it.
bool FinishTemporary(const std::string& temporary, const std::string& path, int watch,
                     bool complete, std::string* error) {
  const bool renamed = complete && RenameOver(temporary, path, error);
  if (!renamed) RemoveFileQuietly(temporary);
  ForgetTemporaryFile(watch);
  return renamed;
}

void WriteThroughTemporary(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string temporary = TemporaryNameFor(path);
  if (!BeginCreatingFile()) throw CliError("cannot write " + path + ": the run is ending");
  const int watch = WatchTemporaryFile(temporary);
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  const int openError = errno;
  EndCreatingFile();
  if (!file) {
    ForgetTemporaryFile(watch);
    throw CliError("cannot write " + path + ": " + std::strerror(openError));
  }
  // The reason is the first failure's: a full disk (ENOSPC), a quota (EDQUOT), an I/O error
  // (EIO), whether the write itself or the flush at closing met it.
  errno = 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int writeError = written ? 0 : errno;
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) writeError = errno;
  std::string error = writeError != 0 ? std::strerror(writeError) : "the data was not all written";
  if (!FinishTemporary(temporary, path, watch, written && closed, &error)) throw CliError("cannot write " + path + ": " + error);
}

#if defined(__linux__)

// Gives the nameless file `fd` the name `name`; false with errno set when it cannot.
bool LinkNameless(int fd, const std::string& name) {
  // Linking by descriptor needs a capability most users lack; the descriptor's entry under
  // /proc does the same for anyone.
  if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
  if (errno == EEXIST) return false;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// A file that already exists is replaced by a rename, so the old one stays whole until then;
// an interrupt between the link and the rename removes the temporary name.
bool LinkNamelessOver(int fd, const std::string& path, std::string* error) {
  const std::string temporary = TemporaryNameFor(path);
  if (!BeginCreatingFile()) {
    *error = "the run is ending";
    return false;
  }
  const int watch = WatchTemporaryFile(temporary);
  const bool linked = LinkNameless(fd, temporary);
  if (!linked) *error = std::strerror(errno);
  EndCreatingFile();
  return FinishTemporary(temporary, path, watch, linked, error);
}

enum class Nameless { kWritten, kUnsupported };

// Writes `bytes` to a nameless file in `path`'s directory and then names it `path`.
// kUnsupported, with nothing left behind, when the file system or /proc cannot do that.
Nameless WriteNameless(const std::string& path, const std::vector<uint8_t>& bytes) {
  const int fd = ::open(ParentDirectory(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return Nameless::kUnsupported;
  std::string error;
  size_t done = 0;
  while (done < bytes.size() && error.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote > 0) {
      done += static_cast<size_t>(wrote);
    } else if (wrote == 0 || errno != EINTR) {
      // A full disk (ENOSPC), a quota (EDQUOT), an I/O error (EIO).
      error = wrote < 0 ? std::strerror(errno) : "the data was not all written";
    }
  }
  bool named = false;
  bool unsupported = false;
  if (error.empty()) {
    named = LinkNameless(fd, path);
    if (!named && errno == EEXIST) {
      named = LinkNamelessOver(fd, path, &error);
    } else if (!named) {
      unsupported = true;  // no /proc, or a link the file system refuses
    }
  }
  ::close(fd);
  if (unsupported) return Nameless::kUnsupported;
  if (!named) throw CliError("cannot write " + path + ": " + error);
  return Nameless::kWritten;
}

#endif

}  // namespace

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
#if defined(__linux__)
  if (WriteNameless(path, bytes) == Nameless::kWritten) return;
#endif
  WriteThroughTemporary(path, bytes);
}
