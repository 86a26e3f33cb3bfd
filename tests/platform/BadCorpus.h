#pragma once

// The corpus of bad and borderline input files in tests/data/bad (written by
// tools/make-bad-corpus.py) and its manifest: one row per file with what reading it must give.

#include <fstream>
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
    std::vector<std::string> expect; // the fields after the kind
};

inline std::vector<Row> Manifest(std::string_view kind)
{
    std::ifstream in(Root() + "/manifest.tsv");
    if (!in) throw std::runtime_error("missing " + Root() + "/manifest.tsv");
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        for (std::size_t start = 0, tab = 0; tab != std::string::npos; start = tab + 1) {
            tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
        }
        if (fields.size() > 2 && fields[1] == kind)
            rows.push_back({fields[0], {fields.begin() + 2, fields.end()}});
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
        if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        }
        else
            out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

// The bytes in a heap block of exactly their size, so that AddressSanitizer reports a read
// even one byte past the end (a std::string's spare capacity would hide it).
class ExactBytes {
  public:
    explicit ExactBytes(std::string_view bytes) : data_(bytes.begin(), bytes.end()) {}
    std::string_view View() const { return {data_.data(), data_.size()}; }

  private:
    std::vector<char> data_;
};

} // namespace trv::corpus
