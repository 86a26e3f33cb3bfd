// Saving the preview as a bitmap, encoded first and then written in one go, through failing
// folders. A preview-sized picture is far more than the full file system's last page.
#include "support/SaveFaults.h"

#include "plot/Bmp.h"
#include "plot/PlotSurface.h"

namespace trv::faults {
namespace {

void SaveBitmap(const std::string& path)
{
    PlotSurface surface(640, 480);
    surface.DrawLine(0, 0, 640, 480, kPlotRed);
    WriteFileAtomic(path, EncodeBmp(surface.Image()));
}

INSTANTIATE_TEST_SUITE_P(Bitmap, SaveFaults, ::testing::Values(Saver{"PreviewSized", SaveBitmap}),
                         SaverName);

} // namespace
} // namespace trv::faults
