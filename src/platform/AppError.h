#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace trv {

// The one error type of the program. Its message is exactly the text the user sees.
class AppError : public std::runtime_error {
  public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
};

// Runtime I/O error codes as the user knows them from the messages.
enum IoCode : int {
    kIoFileNotFound = 2,
    kIoInvalidFilename = 3,
    kIoTooManyOpenFiles = 4,
    kIoAccessDenied = 5,
    kIoReadBeyondEof = 100,
    kIoDiskFull = 101,
    kIoInvalidNumericInput = 106,
};

// "File not found", "Disk full", ..., or "I/O error %d" for any other code.
std::string IoErrorText(int code);
AppError IoError(int code);

// Maps an errno value from the operating system to the runtime's I/O code.
int IoCodeFromErrno(int err);
AppError ErrnoError(int err);

inline constexpr const char* kDivisionByZeroText = "Floating point division by zero";
inline constexpr const char* kInvalidFloatOpText = "Invalid floating point operation";

// Control bytes (0x00-0x1F and 0x7F) written as \xHH, so text taken from a file or a file
// name can go into a message or onto a terminal without breaking lines or steering it.
// Every other byte is kept as it is.
std::string EscapeControlBytes(std::string_view text);

// "'%s' is not a valid floating point value", control bytes of the text escaped
std::string NotAFloatText(std::string_view text);
// "Failed to set data for '%s'"
std::string SettingsSetFailedText(std::string_view name);
// "Invalid data type for '%s'"
std::string SettingsInvalidTypeText(std::string_view name);

} // namespace trv
