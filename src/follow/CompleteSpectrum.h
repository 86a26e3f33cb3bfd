#pragma once

// Whether a spectrum file that another program may be writing holds a complete spectrum now.

#include "platform/LocaleFormats.h"
#include "spectrum/Spm.h"

#include <cstdint>
#include <optional>
#include <string>

namespace trv {

// A file's identity and the state its writer left it in, as stat sees it.
struct FileVersion {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0; // last modification, in ns since the epoch
    bool operator==(const FileVersion&) const = default;
};

// The version path names now (a symbolic link followed); nothing when it names nothing.
std::optional<FileVersion> StatFileVersion(const std::string& path);

enum class SpectrumReadState {
    Complete, // a whole spectrum
    Changing, // changed while it was read: read again once its writer is quiet
    OddShape, // read whole and unchanged, but not as long as a finished file: complete only if
              // it stays so (the caller's ReadHints::settledOddShape)
    Missing,  // no file there (between a deletion and a rename, say)
    Failed,   // an error for the user: not a regular file, no permission, too large, or an
              // odd file that stayed so and is no spectrum
};

struct SpectrumRead {
    SpectrumReadState state = SpectrumReadState::Missing;
    FileVersion version;  // the version read (all but Missing)
    std::string bytes;    // Complete: the file, exactly the bytes parsed
    SpmSpectrum spectrum; // Complete
    std::string error;    // Failed: the text the user sees
};

struct ReadHints {
    // The size of this file's last complete version. A measurement keeps its channel count, so
    // another size is odd until it settles: a 1024-channel PCA2 file written up to 2560 bytes
    // has the size of a whole 512-channel one.
    std::optional<std::int64_t> completeSize;
    // A version found odd-shaped that has not changed for long enough: it is taken as it is,
    // as a batch conversion would take it (a spectrum, or the parser's refusal).
    std::optional<FileVersion> settledOddShape;
};

// Reads path once and tells whether it is a complete spectrum (see the rule in the .cpp).
SpectrumRead ReadCompleteSpectrum(const std::string& path, const LocaleFormats& locale,
                                  const ReadHints& hints = {});

// Whether a parsed image is as long as a finished file of its variant and channel count.
bool HasCompleteShape(const SpmInfo& info);

} // namespace trv
