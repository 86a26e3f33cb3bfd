// Saving an EXP file through failing folders.
#include "support/SaveFaults.h"

#include "exp/ExpFile.h"

#include <vector>

namespace trv::faults {
namespace {

void SaveExp(const std::string& path)
{
    std::vector<uint32_t> counts(1024);
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = static_cast<uint32_t>(i * 2654435761u);
    WriteExpFile(path, ExpHeader{}, counts, 1024, kSave1024);
}

INSTANTIATE_TEST_SUITE_P(ExpFile, SaveFaults, ::testing::Values(Saver{"Channels1024", SaveExp}),
                         SaverName);

} // namespace
} // namespace trv::faults
