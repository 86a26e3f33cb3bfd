// The plain atomic write, the last step of every save, through the failing folders. A megabyte
// is more than the full file system's last page, so a partial write cannot fit either.
#include "SaveFaults.h"

namespace trv::faults {
namespace {

INSTANTIATE_TEST_SUITE_P(AtomicWrite, SaveFaults,
                         ::testing::Values(Saver{"Megabyte",
                                                 [](const std::string& path) {
                                                     WriteFileAtomic(path,
                                                                     std::string(1 << 20, 'x'));
                                                 }}),
                         SaverName);

} // namespace
} // namespace trv::faults
