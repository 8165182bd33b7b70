#include "cli/file_system.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <direct.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli/cli_error.h"

namespace {

bool IsSeparator(char c) {
#if defined(_WIN32)
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

int MakeOneDirectory(const std::string& dir) {
#if defined(_WIN32)
  return _mkdir(dir.c_str());
#else
  return mkdir(dir.c_str(), 0777);
#endif
}

long ProcessNumber() {
#if defined(_WIN32)
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (IsSeparator(dir.back())) return dir + name;
  return dir + "/" + name;
}

std::string ParentDirectory(const std::string& path) {
  size_t end = path.size();
  while (end > 1 && IsSeparator(path[end - 1])) --end;  // "dir/" names dir itself
  size_t cut = std::string::npos;
  for (size_t i = end; i-- > 0;) {
    if (IsSeparator(path[i])) {
      cut = i;
      break;
    }
  }
  if (cut == std::string::npos) return ".";
  if (cut == 0) return path.substr(0, 1);
  return path.substr(0, cut);
}

std::string LowercaseExtension(const std::string& path) {
  size_t nameStart = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i])) nameStart = i + 1;
  }
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return "";
  std::string extension;
  for (size_t i = dot + 1; i < path.size(); ++i) {
    extension += static_cast<char>(std::tolower(static_cast<unsigned char>(path[i])));
  }
  return extension;
}

void MakeDirectories(const std::string& dir, std::vector<std::string>* created) {
  if (IsDirectory(dir)) return;
  if (PathExists(dir)) throw CliError("cannot write to " + dir + ": it is not a directory");
  std::string parent = ParentDirectory(dir);
  if (parent != dir && !IsDirectory(parent)) MakeDirectories(parent, created);
  if (MakeOneDirectory(dir) != 0 && !IsDirectory(dir)) {
    throw CliError("cannot create directory " + dir + ": " + std::strerror(errno));
  }
  created->push_back(dir);
}

void RemoveDirectories(const std::vector<std::string>& created) {
  for (size_t i = created.size(); i-- > 0;) {
#if defined(_WIN32)
    _rmdir(created[i].c_str());
#else
    rmdir(created[i].c_str());
#endif
  }
}

void CheckDirectoryWritable(const std::string& dir) {
  if (!IsDirectory(dir)) throw CliError("cannot write to " + dir + ": no such directory");
  std::string probe = JoinPath(dir, ".fyrel-probe-" + std::to_string(ProcessNumber()));
  std::FILE* file = std::fopen(probe.c_str(), "wb");
  if (!file) throw CliError("cannot write to " + dir + ": " + std::strerror(errno));
  std::fclose(file);
  std::remove(probe.c_str());
}

bool RenameOver(const std::string& from, const std::string& to, std::string* error) {
#if defined(_WIN32)
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  *error = "Windows error " + std::to_string(static_cast<unsigned long>(GetLastError()));
  return false;
#else
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  *error = std::strerror(errno);
  return false;
#endif
}

void RemoveFileQuietly(const std::string& path) { std::remove(path.c_str()); }

std::string TemporaryNameFor(const std::string& path) {
  return path + "." + std::to_string(ProcessNumber()) + ".part";
}

bool StderrIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}
