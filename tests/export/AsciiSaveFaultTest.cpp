// Saving an ASCII table into a folder that fails: read-only, full, or the rename refused.
#include "../platform/SaveFaults.h"

#include "export/AsciiExport.h"
#include "platform/FileIo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trv::faults {
namespace {

// As the export does it: the whole table is built first, then written in one go.
void SaveTable(const std::string& path, int xAxis)
{
    std::vector<uint32_t> counts(1024);
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = 4294967295u - static_cast<uint32_t>(i);
    WriteFileAtomic(path, BuildASCIITable(counts, 1024, 1, xAxis, "128.00", "0.09135", '.'));
}

INSTANTIATE_TEST_SUITE_P(
    AsciiTable, SaveFaults,
    ::testing::Values(
        Saver{"Velocity", [](const std::string& path) { SaveTable(path, kXAxisVelocity); }},
        Saver{"ChannelNumber", [](const std::string& path) { SaveTable(path, kXAxisChannel); }}),
    SaverName);

} // namespace
} // namespace trv::faults
