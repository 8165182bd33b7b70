// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/platform/file_system.h"

#include <cerrno>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cli/platform/cli_error.h"
#include "cli/platform/interrupt_cleanup.h"

namespace fs = std::filesystem;

namespace {

// The longest name of one file, in bytes, on the usual file systems.
constexpr size_t kLongestName = 255;

#if defined(_WIN32)
const char* const kSeparators = "/\\";
#else
const char* const kSeparators = "/";
#endif

long ProcessNumber() {
#if defined(_WIN32)
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

// "dir/" names dir itself; "/" stays the root.
fs::path WithoutTrailingSeparators(const std::string& path) {
  std::string text = path;
  while (text.size() > 1 && fs::path(std::string(1, text.back())).has_root_directory()) {
    text.pop_back();
  }
  return fs::path(text);
}

}  // namespace

bool PathExists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error);
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return fs::is_directory(fs::path(path), error);
}

FileKind KindOfFile(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(fs::path(path), error);
  if (!fs::exists(status)) return FileKind::kMissing;
  if (fs::is_directory(status)) return FileKind::kDirectory;
  if (fs::is_regular_file(status)) return FileKind::kRegular;
  return FileKind::kStream;
}

std::FILE* OpenForReading(const std::string& path) {
#if !defined(_WIN32)
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)) {
    // Opened without waiting for a writer, then waited on for data with a bound.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw CliError("cannot read " + path + ": " + std::strerror(errno));
    pollfd wanted = {fd, POLLIN, 0};
    int ready;
    while ((ready = ::poll(&wanted, 1, kPipeWaitSeconds * 1000)) < 0 && errno == EINTR) {
    }
    if (ready <= 0) {
      ::close(fd);
      throw CliError("cannot read " + path + ": nothing came through the pipe in " +
                     std::to_string(kPipeWaitSeconds) + " seconds");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
      const int error = errno;
      ::close(fd);
      throw CliError("cannot read " + path + ": " + std::strerror(error));
    }
    return file;
  }
#endif
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) throw CliError("cannot read " + path + ": " + std::strerror(errno));
  return file;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (fs::path(std::string(1, dir.back())).has_root_directory()) return dir + name;
  return dir + "/" + name;
}

std::string ParentDirectory(const std::string& path) {
  fs::path trimmed = WithoutTrailingSeparators(path);
  if (!trimmed.has_parent_path() || trimmed.parent_path() == trimmed) {
    return trimmed.has_root_directory() ? trimmed.root_path().string() : ".";
  }
  return trimmed.parent_path().string();
}

std::string LowercaseExtension(const std::string& path) {
  std::string extension = fs::path(path).extension().string();
  if (extension.empty()) return "";
  extension.erase(0, 1);  // the dot
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

void MakeDirectories(const std::string& dir, std::vector<std::string>* created) {
  if (IsDirectory(dir)) return;
  if (PathExists(dir)) throw CliError("cannot write to " + dir + ": it is not a directory");
  std::string parent = ParentDirectory(dir);
  if (parent != dir && !IsDirectory(parent)) MakeDirectories(parent, created);
  std::error_code error;
  if (!fs::create_directory(fs::path(dir), error) && !IsDirectory(dir)) {
    throw CliError("cannot create directory " + dir + ": " + error.message());
  }
  created->push_back(dir);
}

void RemoveDirectories(const std::vector<std::string>& created) {
  for (size_t i = created.size(); i-- > 0;) {
    std::error_code error;
    fs::remove(fs::path(created[i]), error);  // only an empty directory goes
  }
}

void CheckDirectoryWritable(const std::string& dir) {
  if (!IsDirectory(dir)) throw CliError("cannot write to " + dir + ": no such directory");
  std::string probe = JoinPath(dir, ".fyrel-probe-" + std::to_string(ProcessNumber()));
  if (!BeginCreatingFile()) throw CliError("cannot write to " + dir + ": the run is ending");
  const int watch = WatchTemporaryFile(probe);
  std::FILE* file = std::fopen(probe.c_str(), "wb");
  const int error = errno;
  EndCreatingFile();
  if (file) {
    std::fclose(file);
    std::remove(probe.c_str());
  }
  ForgetTemporaryFile(watch);
  if (!file) throw CliError("cannot write to " + dir + ": " + std::strerror(error));
}

bool RenameOver(const std::string& from, const std::string& to, std::string* error) {
#if defined(_WIN32)
  // Replacing an existing file is spelled out: not every runtime's rename does it.
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  *error = std::system_category().message(static_cast<int>(GetLastError()));
  return false;
#endif
  std::error_code failure;
  fs::rename(fs::path(from), fs::path(to), failure);
  if (!failure) return true;
  *error = failure.message();
  return false;
}

void RemoveFileQuietly(const std::string& path) {
  std::error_code error;
  fs::remove(fs::path(path), error);
}

std::string TemporaryNameFor(const std::string& path) {
  const std::string suffix = "." + std::to_string(ProcessNumber()) + ".part";
  const size_t slash = path.find_last_of(kSeparators);
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (path.size() - nameStart + suffix.size() <= kLongestName) return path + suffix;
  // Too long with the suffix: the name's start, cut at a character boundary, and a digest of
  // the whole name, which keeps two long names that start alike apart.
  uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a
  for (char c : path) hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001b3ull;
  char digest[20];
  std::snprintf(digest, sizeof digest, "~%016llx", static_cast<unsigned long long>(hash));
  size_t keep = kLongestName - suffix.size() - std::strlen(digest);
  while (keep > 0 && (static_cast<uint8_t>(path[nameStart + keep]) & 0xC0) == 0x80) --keep;
  return path.substr(0, nameStart + keep) + digest + suffix;
}

std::string FfmpegFileName(const std::string& path) { return "file:" + path; }

bool StderrIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}
