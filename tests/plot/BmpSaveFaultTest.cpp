// Saving the preview as a bitmap into a folder that fails: read-only, full, or the rename
// refused.
#include "../platform/SaveFaults.h"

#include "platform/FileIo.h"
#include "plot/Bmp.h"

#include <QImage>

#include <string>

namespace trv::faults {
namespace {

// As the preview does it: the picture is encoded first, then written in one go.
void SaveBitmap(const std::string& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 0));
    for (int x = 0; x < width; ++x)
        image.setPixel(x, (x * 7) % height, qRgb(255, 0, 0));
    WriteFileAtomic(path, EncodeBmp(image));
}

INSTANTIATE_TEST_SUITE_P(
    Bitmap, SaveFaults,
    ::testing::Values(Saver{"Small", [](const std::string& path) { SaveBitmap(path, 3, 2); }},
                      // A preview-sized picture: far more than the full file system's last page.
                      Saver{"PreviewSized",
                            [](const std::string& path) { SaveBitmap(path, 640, 480); }}),
    SaverName);

} // namespace
} // namespace trv::faults
