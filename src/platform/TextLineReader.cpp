#include "platform/TextLineReader.h"

namespace trv {

TextLineReader::TextLineReader(std::string_view data) : data_(data)
{
    // The end-of-file byte ends the text wherever it stands.
    const auto eof = data_.find('\x1A');
    if (eof != std::string_view::npos) data_ = data_.substr(0, eof);
}

bool TextLineReader::AtEof() const
{
    return pos_ >= data_.size();
}

std::string TextLineReader::ReadLine()
{
    if (AtEof()) return {};
    const auto cr = data_.find('\r', pos_);
    if (cr == std::string_view::npos) {
        std::string line(data_.substr(pos_));
        pos_ = data_.size();
        return line;
    }
    std::string line(data_.substr(pos_, cr - pos_));
    pos_ = cr + 1;
    if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
    return line;
}

} // namespace trv
