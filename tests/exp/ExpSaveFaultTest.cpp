// Saving an EXP file into a folder that fails: read-only, full, or the rename refused.
#include "../platform/SaveFaults.h"

#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trv::faults {
namespace {

void SaveExp(const std::string& path, int channelCount, int saveAsMode)
{
    std::vector<uint32_t> counts(static_cast<std::size_t>(channelCount));
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = static_cast<uint32_t>(i * 2654435761u);
    ExpHeader header;
    header.Description = "fault injection";
    WriteExpFile(path, header, counts, channelCount, saveAsMode);
}

INSTANTIATE_TEST_SUITE_P(
    ExpFile, SaveFaults,
    ::testing::Values(
        Saver{"Channels512", [](const std::string& path) { SaveExp(path, 512, kSave512Add); }},
        Saver{"Channels1024", [](const std::string& path) { SaveExp(path, 1024, kSave1024); }}),
    SaverName);

} // namespace
} // namespace trv::faults
