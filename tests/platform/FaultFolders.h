#pragma once

// Folders that make writes fail on purpose (read-only, full), a rename that fails, and small
// file helpers for the tests that use them.

#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sched.h>
#include <stdexcept>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace trv::faults {

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

// The AppError text a call ends with, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    }
    catch (const AppError& e) {
        return e.what();
    }
    return "(no error)";
}

// Every file of a folder (hidden ones included) with its bytes.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? ReadAll(entry.path().string()) : std::string("(not a file)");
    return files;
}

// Mounts made by a test live in a mount namespace of their own, so they vanish with the test
// process whatever happens and are never seen by the rest of the machine. Returns an empty
// text when mounting is possible, otherwise why not.
inline const std::string& MountUnavailableReason()
{
    static const std::string reason = [] {
        if (::geteuid() != 0) return std::string("mounting needs root");
        if (::unshare(CLONE_NEWNS) != 0)
            return "no private mount namespace (" + std::string(std::strerror(errno)) + ")";
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return "cannot make mounts private (" + std::string(std::strerror(errno)) + ")";
        return std::string();
    }();
    return reason;
}

enum class Fault { None, ReadOnly, DiskFull };

// A scratch folder that makes writes fail in one way once Arm() is called. Files placed with
// Seed() before that are there when the fault sets in.
//   None: an ordinary folder.
//   ReadOnly: as root (who ignores permissions) a tmpfs remounted read-only; otherwise mode 0555.
//   DiskFull: as root a 64 KiB tmpfs filled to the last byte; otherwise unavailable.
class FaultyFolder {
  public:
    explicit FaultyFolder(Fault fault) : fault_(fault)
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "trv-fault-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;

        const bool root = ::geteuid() == 0;
        if (fault_ == Fault::None) return;
        if (!root && fault_ == Fault::ReadOnly) return; // permissions do the job
        if (!root) {
            unavailable_ = "a full file system needs a small tmpfs, and mounting needs root";
            return;
        }
        if (!MountUnavailableReason().empty()) {
            unavailable_ = "cannot mount a tmpfs: " + MountUnavailableReason();
            return;
        }
        const char* options =
            fault_ == Fault::DiskFull ? "size=64k,mode=0700" : "size=8m,mode=0700";
        if (::mount("tmpfs", path_.c_str(), "tmpfs", 0, options) != 0) {
            unavailable_ = "mount -t tmpfs failed: " + std::string(std::strerror(errno));
            return;
        }
        mounted_ = true;
    }

    ~FaultyFolder()
    {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }

    FaultyFolder(const FaultyFolder&) = delete;
    FaultyFolder& operator=(const FaultyFolder&) = delete;

    // Empty when the fault can be produced here; otherwise the reason to skip.
    const std::string& Unavailable() const { return unavailable_; }
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

    void Seed(const std::string& name, const std::string& bytes) { WriteAll(File(name), bytes); }

    void Arm()
    {
        if (fault_ == Fault::None) return;
        if (fault_ == Fault::ReadOnly) {
            if (mounted_) {
                if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) != 0)
                    throw std::runtime_error("remount read-only failed: " +
                                             std::string(std::strerror(errno)));
            }
            else {
                std::filesystem::permissions(
                    path_,
                    std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                        std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                        std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
            }
            return;
        }
        // Fill the small file system: big blocks first, then single bytes up to the last page.
        const std::string filler = File(".filler");
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) throw std::runtime_error("cannot create the filler file");
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
        const int err = errno;
        ::close(fd);
        if (err != ENOSPC)
            throw std::runtime_error("filling the tmpfs ended with " +
                                     std::string(std::strerror(err)));
    }

  private:
    Fault fault_;
    std::filesystem::path path_;
    std::string unavailable_;
    bool mounted_ = false;
};

// Makes the rename step of the atomic write fail with an errno of the test's choice, for as
// long as the object lives.
class FailingRename {
  public:
    explicit FailingRename(int err)
    {
        Errno() = err;
        previous_ = SetRenameFunctionForTesting(&Fail);
    }
    ~FailingRename() { SetRenameFunctionForTesting(previous_); }
    FailingRename(const FailingRename&) = delete;
    FailingRename& operator=(const FailingRename&) = delete;

  private:
    static int& Errno()
    {
        static int err = 0;
        return err;
    }
    static int Fail(const char*, const char*)
    {
        errno = Errno();
        return -1;
    }
    RenameFunction previous_ = nullptr;
};

} // namespace trv::faults
