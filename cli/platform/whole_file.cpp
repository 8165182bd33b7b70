#include "cli/platform/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "cli/platform/interrupt_cleanup.h"

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
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
  const bool renamed = written && closed && RenameOver(temporary, path, &error);
  if (!renamed) RemoveFileQuietly(temporary);
  ForgetTemporaryFile(watch);
  if (!renamed) throw CliError("cannot write " + path + ": " + error);
}
