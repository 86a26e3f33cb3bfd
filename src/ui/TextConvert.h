#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace trv {

// Paths travel through the core as the file system's bytes.
std::string PathBytes(const QString& path);
QString PathText(std::string_view bytes);

// The core's other texts are 8-bit (Latin-1).
QString Latin1(std::string_view text);
std::string Latin1Bytes(const QString& text);

// An error text for a message box. It may carry a file name in the file system's encoding; the
// rest is 8-bit text. Control bytes from a name or a file's contents are shown escaped, so a
// line feed or an ESC can't reshape the message.
QString ErrorText(std::string_view what);

} // namespace trv
