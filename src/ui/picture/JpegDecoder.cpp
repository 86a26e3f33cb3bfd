#include "ui/picture/JpegDecoder.h"

#include "platform/AppError.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first
#include <string>

#include <jpeglib.h>

namespace trv {
namespace {

// libjpeg's default error handler ends the process; ours jumps back to the decoder.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Plain data only: a longjmp out of libjpeg must not skip any destructor, and the objects
// libjpeg changes live outside the frame that calls setjmp so their values stay defined.
struct DecodeJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    const unsigned char* data;
    unsigned long size;
    JDIMENSION width;
    JDIMENSION height;
    bool progressive;
    bool damaged;          // libjpeg warned: it made up data for what it could not read
    unsigned char* pixels; // null: read the header only
    std::size_t bytesPerLine;
};

// An upper bound that keeps a damaged header from asking for gigabytes.
constexpr unsigned long long kMaxPixels = 64ull * 1024 * 1024;

extern "C" void ThrowToDecoder(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings go nowhere (the default prints to stderr); they are counted in num_warnings.
extern "C" void IgnoreMessage(j_common_ptr) {}

// Returns false with job->err.message set when libjpeg failed.
bool RunLibjpeg(DecodeJob* job)
{
    jpeg_decompress_struct* cinfo = &job->cinfo;
    cinfo->err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = ThrowToDecoder;
    job->err.pub.output_message = IgnoreMessage;
    job->err.message[0] = '\0';
    if (setjmp(job->err.jump)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, job->data, job->size);
    jpeg_read_header(cinfo, TRUE);
    job->width = cinfo->image_width;
    job->height = cinfo->image_height;
    job->progressive = cinfo->progressive_mode != 0;
    if (job->pixels != nullptr) {
        cinfo->out_color_space = JCS_RGB;
        jpeg_start_decompress(cinfo);
        if (cinfo->output_width != job->width || cinfo->output_height != job->height ||
            cinfo->output_components != 3) {
            jpeg_destroy_decompress(cinfo);
            return false;
        }
        while (cinfo->output_scanline < cinfo->output_height) {
            JSAMPROW row = job->pixels + cinfo->output_scanline * job->bytesPerLine;
            jpeg_read_scanlines(cinfo, &row, 1);
        }
        jpeg_finish_decompress(cinfo);
    }
    job->damaged = job->err.pub.num_warnings != 0;
    jpeg_destroy_decompress(cinfo);
    return true;
}

[[noreturn]] void ThrowDamaged(const DecodeJob& job)
{
    std::string text = "Damaged JPEG picture";
    if (job.err.message[0] != '\0') text += std::string(": ") + job.err.message;
    throw AppError(text);
}

} // namespace

QImage DecodeJpeg(const unsigned char* data, std::size_t size, bool* progressive)
{
    DecodeJob job{};
    job.data = data;
    job.size = static_cast<unsigned long>(size);
    if (!RunLibjpeg(&job) || job.damaged) ThrowDamaged(job);
    if (job.width == 0 || job.height == 0 ||
        static_cast<unsigned long long>(job.width) * job.height > kMaxPixels)
        throw AppError("JPEG picture too large");

    QImage image(static_cast<int>(job.width), static_cast<int>(job.height), QImage::Format_RGB888);
    if (image.isNull()) throw AppError("JPEG picture too large");
    job = DecodeJob{};
    job.data = data;
    job.size = static_cast<unsigned long>(size);
    job.pixels = image.bits();
    job.bytesPerLine = static_cast<std::size_t>(image.bytesPerLine());
    if (!RunLibjpeg(&job) || job.damaged) ThrowDamaged(job);

    if (progressive != nullptr) *progressive = job.progressive;
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace trv
