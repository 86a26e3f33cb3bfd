#include "support/BadCorpus.h"

#include <fstream>
#include <set>
#include <stdexcept>

namespace trv::corpus {

std::string Root()
{
    return TRV_BAD_CORPUS_DIR;
}

std::vector<Row> Manifest(std::string_view kind)
{
    const std::string path = TRV_BAD_CORPUS_MANIFEST;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("missing " + path);
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

std::vector<Row> OnePerExpectation(std::string_view kind)
{
    std::vector<Row> picked;
    std::set<std::vector<std::string>> seen;
    for (Row& row : Manifest(kind))
        if (seen.insert(row.expect).second) picked.push_back(std::move(row));
    return picked;
}

std::string Unescape(std::string_view text)
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

} // namespace trv::corpus
