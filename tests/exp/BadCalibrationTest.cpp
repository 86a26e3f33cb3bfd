// Bad and borderline calibration files through "Load header": odd line ends, the end-of-file
// byte, lines without "=", very long lines, binary junk, files too large or unreadable. Each
// loads by the line rules or is refused with a message, and a refused file changes nothing.
#include "../platform/BadCorpus.h"
#include "../platform/FaultFolders.h"

#include "exp/Calibration.h"
#include "exp/ExpHeader.h"
#include "exp/MaskedField.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace trv {
namespace {

namespace fs = std::filesystem;
using faults::ErrorOf;

bool IsPosition(char c)
{
    return c == '0' || c == '9' || c == 'L';
}

// A masked field after an assignment: its mask's full width, every literal at its place.
void ExpectFitted(const MaskedField& field)
{
    const std::string& mask = field.Mask().Text();
    ASSERT_EQ(field.Text().size(), mask.size()) << "'" << field.Text() << "' under " << mask;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (!IsPosition(mask[i])) {
            EXPECT_EQ(field.Text()[i], mask[i]) << field.Text();
        }
    }
}

// Everything a calibration file must not touch.
void ExpectOnlyCalibrationFieldsChanged(const ExpHeader& h)
{
    const ExpHeader fresh;
    EXPECT_EQ(h.Serial.Text(), fresh.Serial.Text());
    EXPECT_EQ(h.Description, fresh.Description);
    EXPECT_EQ(h.BField.Text(), fresh.BField.Text());
    EXPECT_EQ(h.Temperature.Text(), fresh.Temperature.Text());
    EXPECT_EQ(h.IgnoreLeft, fresh.IgnoreLeft);
    EXPECT_EQ(h.IgnoreRight, fresh.IgnoreRight);
    EXPECT_EQ(h.CountsMillions, fresh.CountsMillions);
    EXPECT_EQ(h.Columns, fresh.Columns);
    EXPECT_EQ(h.Extra1.Text(), fresh.Extra1.Text());
    EXPECT_EQ(h.Extra4.Text(), fresh.Extra4.Text());
}

void ExpectUnchanged(const ExpHeader& h)
{
    const ExpHeader fresh;
    ExpectOnlyCalibrationFieldsChanged(h);
    EXPECT_EQ(h.Channels, fresh.Channels);
    EXPECT_EQ(h.CalibrationConstant.Text(), fresh.CalibrationConstant.Text());
    EXPECT_EQ(h.FoldingChannel.Text(), fresh.FoldingChannel.Text());
    EXPECT_EQ(h.ZeroSpeedChannel.Text(), fresh.ZeroSpeedChannel.Text());
}

TEST(BadCalibrationCorpus, EveryFileLoadsItsFourValuesByTheLineRules)
{
    const auto rows = corpus::Manifest("cal");
    ASSERT_GT(rows.size(), 250u) << "run tools/make-bad-corpus.py";
    std::set<std::string> listed;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        listed.insert(row.file);
        ASSERT_EQ(row.expect.size(), 4u);
        const std::string path = corpus::Root() + "/" + row.file;

        const CalibrationValues values =
            ParseCalibration(corpus::ExactBytes(faults::ReadAll(path)).View());
        EXPECT_EQ(values.channels, corpus::Unescape(row.expect[0]));
        EXPECT_EQ(values.calibrationConstant, corpus::Unescape(row.expect[1]));
        EXPECT_EQ(values.foldingChannel, corpus::Unescape(row.expect[2]));
        EXPECT_EQ(values.zeroSpeedChannel, corpus::Unescape(row.expect[3]));

        for (const bool wide : {false, true}) {
            ExpHeader header;
            if (wide) ApplySaveAsModeChange(header, kSave1024);
            const ExpHeader before = header;
            ASSERT_EQ(ErrorOf([&] { LoadCalibrationFile(path, header); }), "(no error)");
            EXPECT_EQ(header.Channels, values.channels);
            ExpectFitted(header.CalibrationConstant);
            ExpectFitted(header.FoldingChannel);
            ExpectFitted(header.ZeroSpeedChannel);
            EXPECT_EQ(header.FoldingChannel.Mask().Text(), before.FoldingChannel.Mask().Text());
            EXPECT_EQ(header.CalibrationConstant.Text(),
                      FitToMask(header.CalibrationConstant.Mask(), values.calibrationConstant));
            EXPECT_EQ(header.IgnoreRight, before.IgnoreRight);
            if (!wide) {
                ExpectOnlyCalibrationFieldsChanged(header);
            }
        }
    }
    for (const auto& entry : fs::directory_iterator(corpus::Root() + "/cal"))
        EXPECT_TRUE(listed.count("cal/" + entry.path().filename().string()))
            << entry.path() << " is not in the manifest";
}

// Lines of a megabyte each are made at run time, never committed.
TEST(BadCalibrationCorpus, MegabyteLinesLoadWithTheMaskedFieldsCutToTheirWidth)
{
    faults::FaultyFolder folder(faults::Fault::None);
    const std::string mega(1 << 20, '7');
    struct Case {
        const char* name;
        std::string bytes;
        std::string channels;
        std::string constant; // as the field reads afterwards
    };
    const Case cases[] = {
        {"long lines 1 to 5",
         std::string(mega + "\r\n") + mega + "\r\n" + mega + "\r\n" + mega + "\r\n" + mega +
             "\r\nc=512\r\nk=0.09135\r\nf=512.0000\r\nz=128.00\r\n",
         "512", "0.09135"},
        {"long values",
         "1\r\n2\r\n3\r\n4\r\n5\r\nc=" + mega + "\r\nk=" + mega + "." + mega + "\r\nf=" + mega +
             "\r\nz=" + mega + "\r\n",
         mega, "7.77777"},
        {"one line of a megabyte, no CR", "a\nb\nc\nd\ne\nchannels=512\n" + mega, "", " .     "},
        {"megabyte of CRs", std::string(1 << 20, '\r'), "", " .     "},
        {"megabyte of equals signs", "1\r\n2\r\n3\r\n4\r\n5\r\n" + std::string(1 << 20, '='),
         std::string((1 << 20) - 1, '='), " .     "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File("long.cal");
        faults::WriteAll(path, c.bytes);
        ExpHeader header;
        ASSERT_EQ(ErrorOf([&] { LoadCalibrationFile(path, header); }), "(no error)");
        EXPECT_EQ(header.Channels.size(), c.channels.size());
        EXPECT_TRUE(header.Channels == c.channels);
        EXPECT_EQ(header.CalibrationConstant.Text(), c.constant);
        ExpectFitted(header.FoldingChannel);
        ExpectFitted(header.ZeroSpeedChannel);
        ExpectOnlyCalibrationFieldsChanged(header);
    }
}

TEST(BadCalibrationCorpus, UnreadableFilesAreRefusedWithTheRuntimeTextAndChangeNothing)
{
    faults::FaultyFolder folder(faults::Fault::None);
    fs::create_directory(folder.Path() / "folder.cal");
    const std::string big = folder.File("big.cal");
    faults::WriteAll(big, "");
    fs::resize_file(big, (16u << 20) + 1); // sparse: one byte over the limit
    const std::string loop = folder.File("loop.cal");
    fs::create_symlink(loop, loop);

    const std::pair<std::string, std::string> cases[] = {
        {folder.File("missing.cal"), "File not found"},
        {folder.File("missing/x.cal"), "File not found"},
        {"", "File not found"},
        {folder.File("folder.cal"), "File access denied"},
        {loop, "Invalid filename"},
        {big, "Cannot open big.cal: the file is 16777217 bytes long; files over 16777216 bytes "
              "are not read"},
    };
    for (const auto& [path, text] : cases) {
        SCOPED_TRACE(path);
        ExpHeader header;
        EXPECT_EQ(ErrorOf([&] { LoadCalibrationFile(path, header); }), text);
        ExpectUnchanged(header);
    }
}

} // namespace
} // namespace trv
