#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <signal.h>

namespace trv {

// No real spectrum comes near this; larger files are refused before they are read.
inline constexpr std::size_t kMaxSpmFileSize = 64u * 1024u * 1024u;

// Reads a whole regular file. Throws AppError with the runtime's I/O text ("File not found",
// "File access denied", ...). A file larger than maxSize is refused with a message that
// names the file and its size. A FIFO, device or socket is refused without waiting on it.
std::string ReadWholeFile(const std::string& path, std::size_t maxSize = kMaxSpmFileSize);

// The signals that end a run from the terminal or a session manager.
inline constexpr std::array kEndSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Writes bytes to path atomically: a temporary file in the target's folder is written,
// flushed and renamed over the target. On failure the temporary file is removed, an
// existing target is left untouched, and AppError carries the runtime's I/O text.
// The temporary file has no name while it is written (where the file system allows it),
// then takes the target's name at once when there is no file to replace, else a short
// one only for the rename; the end signals (kEndSignals) wait while it
// has a name, so a process ended by them leaves no temporary file behind.
// With flush = false the data is not forced to the disk before the rename; a batch that
// writes many files does that once for all with SyncFolders.
void WriteFileAtomic(const std::string& path, std::string_view bytes, bool flush = true);

// Forces what was written into these folders to the disk (one syncfs per file system).
void SyncFolders(const std::vector<std::string>& folders);

// Test seam: the function WriteFileAtomic renames with (nullptr restores ::rename), so tests
// can make the last step fail. Returns the function in force before.
using RenameFunction = int (*)(const char* from, const char* to);
RenameFunction SetRenameFunctionForTesting(RenameFunction rename);

// Test seam: false makes WriteFileAtomic use a named temporary file throughout, as it does
// where the file system has no unnamed ones. Returns the setting in force before.
bool SetUnnamedTemporaryFilesForTesting(bool use);

// Last component of a path: the text after the last folder separator ('/' or '\') or a drive
// colon ("C:name.spm"). A colon elsewhere is part of a name, as it may be on this system.
std::string LastPathComponent(std::string_view path);

// Replaces the extension of name (which may hold a folder) by ext (".exp", ".txt", ...):
// if the part after the last '/', '\' or ':' holds a '.', everything from its last '.' on is
// replaced; otherwise ext is appended.
std::string ChangeFileExt(std::string_view name, std::string_view ext);

} // namespace trv
