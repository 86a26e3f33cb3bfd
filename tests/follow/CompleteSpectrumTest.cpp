// When a file another program may be writing counts as a complete spectrum.
#include "support/FaultFolders.h"
#include "support/SpmImages.h"

#include "follow/CompleteSpectrum.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace trv {
namespace {

using State = SpectrumReadState;

const std::string kPca2Full = test::Pca2Image(test::SomeCounts(1024, 1));
const std::string kPca3Odd = test::Pca3Image(test::SomeCounts(512, 2)) + std::string(102, '\xEE');

struct RuleCase {
    const char* name;
    std::string bytes;
    std::optional<std::int64_t> completeSize;
    State fresh;       // read for the first time
    State settled;     // the same version once it has stayed so (settledOddShape)
    const char* error; // the text of a Failed state
};

// Sizes of finished files of both variants are complete at once; prefixes of a file being
// written, however they parse, and files of other sizes only once they have stayed unchanged,
// when they are taken as a batch would take them.
TEST(CompleteSpectrum, OnlyFinishedSizesAreCompleteAtOnceOtherFilesOnceSettled)
{
    const std::string pca2_512 = test::Pca2Image(test::SomeCounts(512, 3));
    const std::string pca3_512 = test::Pca3Image(test::SomeCounts(512, 4));
    const std::string pca3_1024 = test::Pca3Image(test::SomeCounts(1024, 5));
    const State C = State::Complete, O = State::OddShape, F = State::Failed;
    // clang-format off
    const RuleCase cases[] = {
        {"pca2 1024", kPca2Full, {}, C, C, ""}, {"pca2 512", pca2_512, {}, C, C, ""},
        {"pca3 512", pca3_512, {}, C, C, ""}, {"pca3 1024", pca3_1024, 4546, C, C, ""},
        // PCA2 prefixes parse with the header shortened: 1024 or 512 channels.
        {"pca2 1024 less 8 bytes", kPca2Full.substr(0, 4600), {}, O, C, ""},
        // As long as a whole 512-channel file, but the measurement has 1024 channels.
        {"pca2 1024 written up to 2560", kPca2Full.substr(0, 2560), 4608, O, C, ""},
        {"pca3 with bytes after its counts", kPca3Odd, {}, O, C, ""},
        {"too short to parse", kPca2Full.substr(0, 1000), {}, O, F, kSpmTooShortText},
    };
    // clang-format on
    faults::FaultyFolder folder;
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File("s.spm");
        faults::WriteAll(path, c.bytes);
        const ReadHints hints{c.completeSize, {}};
        const SpectrumRead fresh = ReadCompleteSpectrum(path, LocaleFormats::Fixed(), hints);
        EXPECT_EQ(fresh.state, c.fresh);
        EXPECT_EQ(fresh.version, StatFileVersion(path));
        const SpectrumRead settled =
            ReadCompleteSpectrum(path, LocaleFormats::Fixed(), {c.completeSize, fresh.version});
        EXPECT_EQ(settled.state, c.settled);
        EXPECT_EQ(settled.error, c.error);
        if (settled.state == State::Complete) {
            EXPECT_EQ(settled.bytes, c.bytes);
            EXPECT_EQ(settled.spectrum.counts.size(),
                      static_cast<std::size_t>(settled.spectrum.info.ChannelCount));
        }
        // Settled for another version: still odd.
        FileVersion other = fresh.version;
        other.mtimeNs += 1;
        if (c.fresh == State::OddShape) {
            EXPECT_EQ(
                ReadCompleteSpectrum(path, LocaleFormats::Fixed(), {c.completeSize, other}).state,
                State::OddShape);
        }
    }
}

TEST(CompleteSpectrum, WhatCannotBeASpectrumFailsAtOnceAndNothingThereIsMissing)
{
    faults::FaultyFolder folder;
    const std::string fifo = folder.File("pipe.spm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const SpectrumRead read = ReadCompleteSpectrum(fifo, LocaleFormats::Fixed());
    EXPECT_EQ(read.state, State::Failed);
    EXPECT_EQ(read.error, "Cannot open pipe.spm: it is a named pipe (FIFO), not a regular file");
    EXPECT_EQ(ReadCompleteSpectrum(folder.File("none.spm"), LocaleFormats::Fixed()).state,
              State::Missing);
}

} // namespace
} // namespace trv
