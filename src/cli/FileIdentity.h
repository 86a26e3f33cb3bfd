#pragma once

#include <compare>
#include <set>
#include <string>

#include <sys/types.h>

namespace trv {

// A file as the file system knows it, whatever path spells it.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    auto operator<=>(const FileId&) const = default;
};

// What a path names now: the entry itself and, for a symbolic link, the file it leads to.
// Nothing for a path that names nothing. True when it names a regular file itself.
bool AddIdentities(const std::string& path, std::set<FileId>& ids);

// The folder a path names ("" is the current one); false when it names nothing.
bool FolderIdentity(const std::string& folder, FileId& id);

} // namespace trv
