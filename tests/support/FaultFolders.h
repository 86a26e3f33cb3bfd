#pragma once

// Scratch folders that can make writes fail on purpose (read-only, full), a rename that fails,
// and small file helpers.

#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace trv::faults {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);

// The AppError text a call ends with, or "(no error)".
std::string ErrorOf(const std::function<void()>& call);

// Every file of a folder (hidden ones included) with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder);

enum class Fault { None, ReadOnly, DiskFull };

// A scratch folder that makes writes fail once Arm() is called: ReadOnly is mode 0555, or for
// root (who ignores permissions) a tmpfs remounted read-only; DiskFull is a 64 KiB tmpfs filled
// to the last byte, root only. Mounts live in the test process's own mount namespace, so they
// vanish with it and the rest of the machine never sees them.
class FaultyFolder {
  public:
    explicit FaultyFolder(Fault fault = Fault::None);
    ~FaultyFolder();
    FaultyFolder(const FaultyFolder&) = delete;
    FaultyFolder& operator=(const FaultyFolder&) = delete;

    // Empty when the fault can be produced here; otherwise the reason to skip.
    const std::string& Unavailable() const { return unavailable_; }
    const fs::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

    void Arm();

  private:
    Fault fault_;
    fs::path path_;
    std::string unavailable_;
    bool mounted_ = false;
};

// Makes the rename step of the atomic write fail with the given errno while the object lives.
class FailingRename {
  public:
    explicit FailingRename(int err) : previous_(SetRenameFunctionForTesting(&Fail)) { err_ = err; }
    ~FailingRename() { SetRenameFunctionForTesting(previous_); }

  private:
    static int Fail(const char*, const char*);
    inline static int err_ = 0;
    RenameFunction previous_;
};

} // namespace trv::faults
