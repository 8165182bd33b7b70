// SPDX-License-Identifier: GPL-2.0-or-later
// The file-system operations the commands need, the same on Linux and Windows: names of
// paths, making directories, checking that one takes files, replacing a file by renaming over
// it. Built on std::filesystem.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);

// What a path names, as far as reading it goes: a pipe, a socket or a device is a stream,
// read once as it comes.
enum class FileKind { kMissing, kRegular, kDirectory, kStream };
FileKind KindOfFile(const std::string& path);

// Opens a file to read. A named pipe is waited on for its first data (or its writer's end)
// for kPipeWaitSeconds at most, so that a pipe nobody writes to is an error, not a hang.
// Throws a CliError naming the path.
constexpr int kPipeWaitSeconds = 10;
std::FILE* OpenForReading(const std::string& path);

// dir + separator + name.
std::string JoinPath(const std::string& dir, const std::string& name);
// The directory part of a path, "." when it has none.
std::string ParentDirectory(const std::string& path);
// The last part of a path's name, lowercased after its final dot ("" when none).
std::string LowercaseExtension(const std::string& path);

// Makes `dir` and any missing parents. Each directory made is appended to `created` (parents
// first). Throws a CliError naming the path when a part is a file or cannot be made.
void MakeDirectories(const std::string& dir, std::vector<std::string>* created);
// Removes the directories of `created` that are empty, deepest first.
void RemoveDirectories(const std::vector<std::string>& created);

// Throws a CliError naming `dir` unless a file can be created in it (tried with a probe file
// that is removed again).
void CheckDirectoryWritable(const std::string& dir);

// Renames `from` to `to`, replacing `to` if it exists. False with the reason in `error`.
bool RenameOver(const std::string& from, const std::string& to, std::string* error);
void RemoveFileQuietly(const std::string& path);

// A name next to `path` for writing before the rename: same directory, ".PID.part" ending,
// and no longer than a file system takes (a long name is cut and given a digest of itself).
std::string TemporaryNameFor(const std::string& path);

// `path` as ffmpeg reads it as a plain file: after "file:", so that no part of the name is
// taken for a protocol or an option. A relative name stays relative (ffmpeg runs in our working
// directory): made absolute, a name that works would fail once the working directory and the
// name together pass the system's longest path.
std::string FfmpegFileName(const std::string& path);

bool StderrIsTerminal();
