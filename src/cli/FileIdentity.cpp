#include "cli/FileIdentity.h"

#include <sys/stat.h>

namespace trv {

namespace {

FileId IdOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino};
}

} // namespace

bool AddIdentities(const std::string& path, std::set<FileId>& ids)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    ids.insert(IdOf(st));
    if (!S_ISLNK(st.st_mode)) return S_ISREG(st.st_mode);
    if (::stat(path.c_str(), &st) == 0) ids.insert(IdOf(st));
    return false;
}

bool FolderIdentity(const std::string& folder, FileId& id)
{
    struct stat st {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return false;
    id = IdOf(st);
    return true;
}

} // namespace trv
