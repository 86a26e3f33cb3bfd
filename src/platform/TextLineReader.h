#pragma once

#include <string>
#include <string_view>

namespace trv {

// Reads 8-bit text line by line: CR ends a line (a LF right after it belongs to the line end),
// a LF alone stays in the line, and the byte 0x1A ends the file. Past the end, lines read empty.
class TextLineReader {
  public:
    explicit TextLineReader(std::string_view data);
    bool AtEof() const;
    std::string ReadLine();

  private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

} // namespace trv
