// Bad and borderline SPM files, read as the open action reads them: the whole file, then the
// parser. Nothing may crash or read outside the data, and every refusal has a message.
#include "support/BadCorpus.h"
#include "support/FaultFolders.h"

#include "spectrum/Spm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace trv {
namespace {

using faults::ErrorOf;
namespace fs = std::filesystem;

const LocaleFormats kLocale = LocaleFormats::Fixed();

SpmSpectrum OpenSpm(const std::string& path)
{
    return ParseSpmImage(corpus::ExactBytes(ReadWholeFile(path)).View(), path, kLocale);
}

// What a successful parse must satisfy whatever the file held.
void ExpectSound(const SpmSpectrum& s, const std::string& bytes)
{
    const auto& info = s.info;
    EXPECT_EQ(info.ChannelCount, bytes.size() <= 3000 ? 512 : 1024);
    ASSERT_EQ(s.counts.size(), static_cast<std::size_t>(info.ChannelCount));
    ASSERT_GE(info.HeaderLength, 0);
    ASSERT_LE(static_cast<std::size_t>(info.HeaderLength) + 4 * s.counts.size(), bytes.size());
    for (std::size_t i = 0; i < s.counts.size(); i += 97) {
        uint32_t expected = 0;
        std::memcpy(&expected, bytes.data() + info.HeaderLength + 4 * i, 4); // little endian host
        EXPECT_EQ(s.counts[i], expected) << "channel " << i;
    }
    EXPECT_TRUE(info.Mode == SpmMode::PCA2 ||
                !(info.FirstStamp.Decoded || info.SecondStamp.Decoded));
    EXPECT_EQ(SpmInfoCaptions(info, kLocale)[2], std::to_string(info.ChannelCount) + " channels");
}

TEST(BadSpmCorpus, EveryFileGivesItsExpectedResult)
{
    const auto rows = corpus::Manifest("spm");
    ASSERT_GT(rows.size(), 500u) << "run tools/make-bad-corpus.py";
    std::set<std::string> listed;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        listed.insert(row.file);
        const std::string path = corpus::Root() + "/" + row.file;
        if (row.expect.at(0) == "error") {
            EXPECT_EQ(ErrorOf([&] { OpenSpm(path); }), row.expect.at(1));
            continue;
        }
        SpmSpectrum s;
        ASSERT_EQ(ErrorOf([&] { s = OpenSpm(path); }), "(no error)");
        ExpectSound(s, faults::ReadAll(path));
        EXPECT_EQ(s.info.FileName, fs::path(row.file).filename().string());
        const std::vector<std::string> got = {"ok",
                                              s.info.Mode == SpmMode::PCA3 ? "PCA3" : "PCA2",
                                              std::to_string(s.info.ChannelCount),
                                              std::to_string(s.info.HeaderLength),
                                              s.info.FirstStamp.Decoded ? "1" : "0",
                                              s.info.SecondStamp.Decoded ? "1" : "0"};
        EXPECT_EQ(got, row.expect);
    }
    for (const auto& entry : fs::directory_iterator(corpus::Root() + "/spm"))
        EXPECT_TRUE(listed.count("spm/" + entry.path().filename().string()))
            << entry.path() << " is not in the manifest";
}

} // namespace
} // namespace trv
