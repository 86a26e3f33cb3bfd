// Saving an ASCII table, built whole first and then written in one go, through failing folders.
#include "support/SaveFaults.h"

#include "asciitable/AsciiExport.h"

#include <vector>

namespace trv::faults {
namespace {

void SaveTable(const std::string& path)
{
    std::vector<uint32_t> counts(1024);
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = 4294967295u - static_cast<uint32_t>(i);
    WriteFileAtomic(path,
                    BuildASCIITable(counts, 1024, 1, kXAxisVelocity, "128.00", "0.09135", '.'));
}

INSTANTIATE_TEST_SUITE_P(AsciiTable, SaveFaults, ::testing::Values(Saver{"Velocity", SaveTable}),
                         SaverName);

} // namespace
} // namespace trv::faults
