#include "platform/SettingsStore.h"

#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace trv {

namespace {

// "\SoftWare\Brolleck\" and "SOFTWARE\brolleck" name the same key.
std::string NormalKey(std::string_view key)
{
    std::string out;
    bool pendingSep = false;
    for (char c : key) {
        if (c == '\\') {
            pendingSep = !out.empty();
            continue;
        }
        if (pendingSep) out += '\\';
        pendingSep = false;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// Line ends are written as \n and \r, so a value (a path may hold any byte but NUL) stays
// on its line. Earlier files escape only '\\' and '"', and read the same.
std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '\r') {
            out += "\\r";
            continue;
        }
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

// Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> Unquote(std::string_view line, std::size_t& pos)
{
    if (pos >= line.size() || line[pos] != '"') return std::nullopt;
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            const char escaped = line[++pos];
            out += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
        }
        else if (c == '"') {
            ++pos;
            return out;
        }
        else {
            out += c;
        }
    }
    return std::nullopt;
}

SettingsStore::Key* FindKey(std::vector<SettingsStore::Key>& keys, std::string_view name)
{
    const std::string wanted = NormalKey(name);
    for (auto& k : keys)
        if (NormalKey(k.name) == wanted) return &k;
    return nullptr;
}

} // namespace

SettingsStore::SettingsStore(std::string filePath) : path_(std::move(filePath)) {}

std::string SettingsStore::DefaultPath()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    }
    else if (const char* home = std::getenv("HOME"); home && home[0]) {
        base = std::string(home) + "/.config";
    }
    else {
        base = ".config";
    }
    return base + "/trevandel/settings.reg";
}

std::optional<std::vector<SettingsStore::Key>> SettingsStore::Parse(std::string_view text)
{
    std::vector<Key> keys;
    Key* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            const std::string_view name = line.substr(1, line.size() - 2);
            current = FindKey(keys, name);
            if (!current) {
                keys.push_back(Key{std::string(name), {}});
                current = &keys.back();
            }
            continue;
        }
        if (!current) continue;
        std::size_t pos = 0;
        auto name = Unquote(line, pos);
        if (!name || pos >= line.size() || line[pos] != '=') continue; // not a value line
        ++pos;
        Value value;
        value.name = *name;
        if (pos < line.size() && line[pos] == '"') {
            auto data = Unquote(line, pos);
            if (!data) continue;
            value.data = *data;
        }
        else {
            value.data = std::string(line.substr(pos));
            value.isString = false;
        }
        auto same = std::find_if(current->values.begin(), current->values.end(),
                                 [&](const Value& v) { return SameName(v.name, value.name); });
        if (same != current->values.end())
            *same = value;
        else
            current->values.push_back(value);
    }
    return keys;
}

std::string SettingsStore::Serialize(const std::vector<Key>& keys)
{
    std::string out = "; Trevandel settings\n";
    for (const Key& k : keys) {
        out += "\n[" + k.name + "]\n";
        for (const Value& v : k.values)
            out += Quote(v.name) + "=" + (v.isString ? Quote(v.data) : v.data) + "\n";
    }
    return out;
}

std::optional<std::vector<SettingsStore::Key>> SettingsStore::Load() const
{
    try {
        return Parse(ReadWholeFile(path_, 1024 * 1024));
    }
    catch (const AppError&) {
        return std::nullopt;
    }
}

bool SettingsStore::OpenKeyReadOnly(std::string_view key)
{
    CloseKey();
    auto keys = Load();
    if (!keys || !FindKey(*keys, key)) return false;
    currentKey_ = std::string(key);
    readOnly_ = true;
    return true;
}

bool SettingsStore::OpenKey(std::string_view key, bool canCreate)
{
    CloseKey();
    if (!canCreate) {
        auto keys = Load();
        if (!keys || !FindKey(*keys, key)) return false;
    }
    currentKey_ = std::string(key);
    readOnly_ = false;
    return true;
}

void SettingsStore::CloseKey()
{
    currentKey_.reset();
}

std::string SettingsStore::ReadString(std::string_view name) const
{
    if (!currentKey_) return {};
    auto keys = Load();
    if (!keys) return {};
    const Key* key = FindKey(*keys, *currentKey_);
    if (!key) return {};
    for (const Value& v : key->values) {
        if (!SameName(v.name, name)) continue;
        if (!v.isString) throw AppError(SettingsInvalidTypeText(name));
        return v.data;
    }
    return {};
}

void SettingsStore::WriteString(std::string_view name, std::string_view value)
{
    if (!currentKey_ || readOnly_) throw AppError(SettingsSetFailedText(name));
    auto loaded = Load();
    // A store that is there but cannot be read is not replaced: what else it holds would be lost.
    std::error_code ec;
    if (!loaded &&
        std::filesystem::symlink_status(path_, ec).type() != std::filesystem::file_type::not_found)
        throw AppError(SettingsSetFailedText(name));
    std::vector<Key> keys = std::move(loaded).value_or(std::vector<Key>{});
    Key* key = FindKey(keys, *currentKey_);
    if (!key) {
        keys.push_back(Key{*currentKey_, {}});
        key = &keys.back();
    }
    auto same = std::find_if(key->values.begin(), key->values.end(),
                             [&](const Value& v) { return SameName(v.name, name); });
    if (same != key->values.end())
        *same = Value{same->name, std::string(value), true};
    else
        key->values.push_back(Value{std::string(name), std::string(value), true});
    try {
        const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
        if (!folder.empty()) {
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
        }
        WriteFileAtomic(path_, Serialize(keys));
    }
    catch (const std::exception&) {
        throw AppError(SettingsSetFailedText(name));
    }
}

} // namespace trv
