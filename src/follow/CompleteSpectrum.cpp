#include "follow/CompleteSpectrum.h"

#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <sys/stat.h>

namespace trv {

// When is a file complete? ParseSpmImage cannot tell a file still being written: it takes the
// channel count from the size (512 up to 3000 bytes, else 1024) and PCA2's header length as the
// size less the count block, so every PCA2 prefix from 2048 bytes on parses, header bytes read
// as counts. The stamps cannot tell either: they are in the header, written before the counts.
// So a read is complete when
//  - stat before and after it agree on the file (device, inode), its size and its modification
//    time, and it brought that many bytes: no writer changed the file meanwhile;
//  - the file parses and ends with its count block as a finished file does: PCA3 counts start
//    at byte 450 (2498 or 4546 bytes), a PCA2 header is 512 bytes (2560 or 4608 bytes);
//  - it is as long as the last complete version, when there was one (ReadHints::completeSize).
// Any other file is odd: a PCA3 file with bytes after its counts is valid but also what a
// longer file looks like half written. It is taken as it is once it has not changed for a
// while (ReadHints::settledOddShape), so that an odd file is followed and converted as a batch
// would convert it, and a file too short to parse is then refused with the parser's text.

namespace {

constexpr std::int64_t kPca3HeaderLength = 450;
constexpr std::int64_t kPca2HeaderLength = 512;

SpectrumRead Result(SpectrumReadState state, const FileVersion& version = {})
{
    SpectrumRead read;
    read.state = state;
    read.version = version;
    return read;
}

SpectrumRead Failure(const FileVersion& version, std::string error)
{
    SpectrumRead read = Result(SpectrumReadState::Failed, version);
    read.error = std::move(error);
    return read;
}

} // namespace

std::optional<FileVersion> StatFileVersion(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileVersion{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                       static_cast<std::int64_t>(st.st_size),
                       static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                           st.st_mtim.tv_nsec};
}

bool HasCompleteShape(const SpmInfo& info)
{
    const std::int64_t header = info.Mode == SpmMode::PCA3 ? kPca3HeaderLength : kPca2HeaderLength;
    return info.FileSize == header + 4 * static_cast<std::int64_t>(info.ChannelCount);
}

SpectrumRead ReadCompleteSpectrum(const std::string& path, const LocaleFormats& locale,
                                  const ReadHints& hints)
{
    const std::optional<FileVersion> before = StatFileVersion(path);
    if (!before) return Result(SpectrumReadState::Missing);
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    }
    catch (const AppError& e) {
        const std::optional<FileVersion> now = StatFileVersion(path);
        if (!now) return Result(SpectrumReadState::Missing);
        if (*now != *before) return Result(SpectrumReadState::Changing, *now);
        return Failure(*now, e.what());
    }
    const std::optional<FileVersion> after = StatFileVersion(path);
    if (!after) return Result(SpectrumReadState::Missing);
    if (*after != *before || static_cast<std::int64_t>(bytes.size()) != before->size)
        return Result(SpectrumReadState::Changing, *after);

    const bool settled = hints.settledOddShape == *after;
    SpectrumRead read = Result(SpectrumReadState::Complete, *after);
    try {
        read.spectrum = ParseSpmImage(bytes, path, locale);
    }
    catch (const AppError& e) {
        return settled ? Failure(*after, e.what()) : Result(SpectrumReadState::OddShape, *after);
    }
    const bool expectedSize = !hints.completeSize || *hints.completeSize == after->size;
    if (!settled && !(expectedSize && HasCompleteShape(read.spectrum.info)))
        return Result(SpectrumReadState::OddShape, *after);
    read.bytes = std::move(bytes);
    return read;
}

} // namespace trv
