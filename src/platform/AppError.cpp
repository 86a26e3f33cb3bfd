#include "platform/AppError.h"

#include <cerrno>

namespace trv {

std::string IoErrorText(int code)
{
    switch (code) {
    case kIoFileNotFound:
        return "File not found";
    case kIoInvalidFilename:
        return "Invalid filename";
    case kIoTooManyOpenFiles:
        return "Too many open files";
    case kIoAccessDenied:
        return "File access denied";
    case kIoReadBeyondEof:
        return "Read beyond end of file";
    case kIoDiskFull:
        return "Disk full";
    case kIoInvalidNumericInput:
        return "Invalid numeric input";
    default:
        return "I/O error " + std::to_string(code);
    }
}

AppError IoError(int code)
{
    return AppError(IoErrorText(code));
}

int IoCodeFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return kIoFileNotFound;
    case ENAMETOOLONG:
    case EINVAL:
    case EISDIR:
    case ELOOP:
        return kIoInvalidFilename;
    case EMFILE:
    case ENFILE:
        return kIoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        return kIoAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kIoDiskFull;
    case EIO:
        return 29; // device read/write fault
    case EBADF:
        return 6; // invalid handle
    case EXDEV:
        return 17; // not the same device
    case EEXIST:
        return 80; // file exists
    // Everything else is reported by its operating-system number, kept clear of the
    // runtime's own codes.
    default:
        return 1000 + err;
    }
}

AppError ErrnoError(int err)
{
    return IoError(IoCodeFromErrno(err));
}

std::string EscapeControlBytes(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
        else {
            out += c;
        }
    }
    return out;
}

std::string NotAFloatText(std::string_view text)
{
    // The text comes from a field or a file; a NUL would cut the message short.
    return "'" + EscapeControlBytes(text) + "' is not a valid floating point value";
}

std::string SettingsSetFailedText(std::string_view name)
{
    return "Failed to set data for '" + std::string(name) + "'";
}

std::string SettingsInvalidTypeText(std::string_view name)
{
    return "Invalid data type for '" + std::string(name) + "'";
}

} // namespace trv
