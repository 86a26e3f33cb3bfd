#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv {

// The key under which the program keeps its settings (the last folder, the calibration
// window's line table).
inline constexpr const char* kProgramSettingsKey = "\\SoftWare\\Brolleck\\";

// The program's persistent key/value store: one small human-readable file of keys and
// values, laid out like a registry export:
//
//     [\SoftWare\Brolleck\]
//     "InitialDir"="/home/user/spectra"
//
// Key names are absolute paths of '\'-separated parts and compare without regard to case.
// String values are quoted with '\' and '"' escaped and line ends written as \n and \r; a
// value that is not quoted has another type. It lives in the user's configuration folder,
// since a normal user cannot write a machine-wide place here.
class SettingsStore {
  public:
    explicit SettingsStore(std::string filePath);

    // $XDG_CONFIG_HOME/trevandel/settings.reg, falling back to ~/.config.
    static std::string DefaultPath();

    const std::string& FilePath() const { return path_; }

    // Opens a key for reading: false when the file or the key is missing or unreadable.
    bool OpenKeyReadOnly(std::string_view key);
    // Opens a key for writing; a missing key is created with its first value when canCreate.
    bool OpenKey(std::string_view key, bool canCreate);
    void CloseKey();
    bool HasOpenKey() const { return currentKey_.has_value(); }

    // A string value of the open key; an absent value reads as "". A value of another type
    // throws AppError("Invalid data type for '<name>'").
    std::string ReadString(std::string_view name) const;
    // Writes the file anew; any failure throws AppError("Failed to set data for '<name>'").
    void WriteString(std::string_view name, std::string_view value);

    struct Value {
        std::string name;
        std::string data; // unescaped string, or the raw text after '=' for other types
        bool isString = true;
    };
    struct Key {
        std::string name; // as first written, e.g. "\SoftWare\Brolleck\"
        std::vector<Value> values;
    };
    // The file's content; nothing when it is missing or unreadable. Exposed for tests.
    static std::optional<std::vector<Key>> Parse(std::string_view text);
    static std::string Serialize(const std::vector<Key>& keys);

  private:
    std::optional<std::vector<Key>> Load() const;

    std::string path_;
    std::optional<std::string> currentKey_;
    bool readOnly_ = true;
};

} // namespace trv
