#pragma once

// The corpus of bad and borderline input files in tests/data/bad (written by
// tools/make-bad-corpus.py) and its manifest: one row per file with what reading it must give.

#include <cstddef>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace trv::corpus {

inline std::string Root()
{
    return std::string(TRV_SOURCE_DIR) + "/tests/data/bad";
}

struct Row {
    std::string file;                // relative to Root()
    std::string kind;                // "spm" or "cal"
    std::vector<std::string> expect; // the remaining fields
};

inline std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

inline std::vector<Row> Manifest(std::string_view kind)
{
    std::ifstream in(Root() + "/manifest.tsv");
    if (!in) throw std::runtime_error("missing " + Root() + "/manifest.tsv");
    std::vector<Row> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        auto fields = SplitTabs(line);
        if (fields.size() < 2) throw std::runtime_error("bad manifest line: " + line);
        if (fields[1] != kind) continue;
        Row row{fields[0], fields[1], {fields.begin() + 2, fields.end()}};
        rows.push_back(std::move(row));
    }
    return rows;
}

// Undoes the manifest's escapes: \\ \t \r \n \xHH.
inline std::string Unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 't')
            out += '\t';
        else if (c == 'r')
            out += '\r';
        else if (c == 'n')
            out += '\n';
        else if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        }
        else
            out += c;
    }
    return out;
}

// The bytes in a heap block of exactly their size, so that AddressSanitizer reports a read
// even one byte past the end (a std::string's spare capacity would hide it).
class ExactBytes {
  public:
    explicit ExactBytes(std::string_view bytes)
        : size_(bytes.size()), data_(new char[bytes.size() == 0 ? 1 : bytes.size()])
    {
        if (size_ > 0) std::memcpy(data_.get(), bytes.data(), size_);
    }
    std::string_view View() const { return {size_ == 0 ? nullptr : data_.get(), size_}; }

  private:
    std::size_t size_;
    std::unique_ptr<char[]> data_;
};

} // namespace trv::corpus
