#include "cli/OutputClaims.h"

#include <algorithm>

namespace trv {

bool OutputClaims::ReplacesInput(const std::string& target) const
{
    std::set<FileId> replaced;
    AddIdentities(target, replaced);
    return std::any_of(replaced.begin(), replaced.end(),
                       [this](FileId id) { return inputs_.contains(id); });
}

std::optional<std::string> OutputClaims::Claim(const std::string& folder, const std::string& target,
                                               bool replacesInput)
{
    if (replacesInput) return "not converted: " + target + " is an input of this run";
    const std::optional<FileId> folderId = FolderId(folder);
    // A folder that cannot be found fails the write anyway; its spelling stands in.
    const std::string name = target.substr(folder.size());
    if (!claimed_.insert({folderId.value_or(FileId{}), folderId ? "" : folder, name}).second)
        return "not converted: " + target + " was already written for an earlier file of this run";
    if (folderId) folders_.emplace(*folderId, folder);
    return std::nullopt;
}

std::optional<FileId> OutputClaims::FolderId(const std::string& folder)
{
    const auto known = folderIds_.find(folder);
    if (known != folderIds_.end()) return known->second;
    std::optional<FileId> id;
    FileId found;
    if (FolderIdentity(folder, found)) id = found;
    folderIds_.emplace(folder, id);
    return id;
}

} // namespace trv
