#pragma once

#include "cli/FileIdentity.h"

#include <map>
#include <optional>
#include <set>
#include <string>

namespace trv {

// The outputs of one converter run. An output is refused when it would replace a file this run
// reads (a second run over "*" names the first run's EXP files too), or an output claimed
// earlier in this run (two inputs of the same name from different folders into one
// --output-dir, or one file named twice). Both compare files, not spellings of paths.
class OutputClaims {
  public:
    explicit OutputClaims(std::set<FileId> inputs) : inputs_(std::move(inputs)) {}

    // Whether writing target would replace an input. Safe from any thread while no claim is
    // made: the outputs written meanwhile cannot change the answer, since none replaces an
    // input and none is an input itself.
    bool ReplacesInput(const std::string& target) const;

    // Claims target, a file in folder (its spelling ends in '/', or is empty); the refusal's
    // text when it may not be written.
    std::optional<std::string> Claim(const std::string& folder, const std::string& target,
                                     bool replacesInput);

    // The folders claimed into, one spelling each, for the final flush to disk.
    const std::map<FileId, std::string>& Folders() const { return folders_; }

  private:
    std::optional<FileId> FolderId(const std::string& folder);

    struct Output {
        FileId folder;
        std::string folderText; // only when the folder could not be found
        std::string name;
        auto operator<=>(const Output&) const = default;
    };

    const std::set<FileId> inputs_;
    std::set<Output> claimed_;
    std::map<std::string, std::optional<FileId>> folderIds_;
    std::map<FileId, std::string> folders_;
};

} // namespace trv
