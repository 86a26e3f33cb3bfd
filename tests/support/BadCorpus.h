#pragma once

// The corpus of bad and borderline input files, written into the build tree by
// tools/make-bad-corpus.py, and its manifest tests/data/bad/manifest.tsv: one row per file with
// what reading it must give.

#include <string>
#include <string_view>
#include <vector>

namespace trv::corpus {

// The folder that holds the corpus's spm/ and cal/ folders.
std::string Root();

struct Row {
    std::string file;                // relative to Root()
    std::vector<std::string> expect; // the fields after the kind
};

// The manifest's rows of one kind ("spm" or "cal").
std::vector<Row> Manifest(std::string_view kind);

// The first row of each distinct expectation of one kind: one file per refusal text and per
// kind of acceptance, for the levels above the parser, which check the wiring, not the rules.
std::vector<Row> OnePerExpectation(std::string_view kind);

// Undoes the manifest's escapes: \\ \t \r \n \xHH.
std::string Unescape(std::string_view text);

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
