#include "support/FaultFolders.h"

#include "platform/AppError.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <unistd.h>

namespace trv::faults {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    if (!(std::ofstream(path, std::ios::binary) << bytes << std::flush))
        throw std::runtime_error("cannot write " + path);
}

std::string ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    }
    catch (const AppError& e) {
        return e.what();
    }
    return "(no error)";
}

std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? ReadAll(entry.path().string()) : "(not a file)";
    return files;
}

FaultyFolder::FaultyFolder(Fault fault) : fault_(fault)
{
    std::string pattern = (fs::temp_directory_path() / "trv-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (fault_ == Fault::None || (fault_ == Fault::ReadOnly && ::geteuid() != 0)) return;
    static const bool canMount = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
                                 ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    const char* size = fault_ == Fault::DiskFull ? "size=64k,mode=0700" : "mode=0700";
    mounted_ = canMount && ::mount("tmpfs", path_.c_str(), "tmpfs", 0, size) == 0;
    if (!mounted_) unavailable_ = "needs root and a private mount namespace";
}

FaultyFolder::~FaultyFolder()
{
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void FaultyFolder::Arm()
{
    if (fault_ == Fault::ReadOnly && !mounted_)
        fs::permissions(path_, fs::perms::owner_write, fs::perm_options::remove);
    else if (fault_ == Fault::ReadOnly &&
             ::mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        throw std::runtime_error("remount read-only failed");
    if (fault_ != Fault::DiskFull) return;
    // Big blocks first, then single bytes up to the last page.
    const int fd = ::open(File(".filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::string block(4096, 'f');
    for (std::size_t n : {block.size(), std::size_t{1}})
        while (::write(fd, block.data(), n) > 0) {
        }
    const int err = errno;
    ::close(fd);
    if (err != ENOSPC) throw std::runtime_error("filling the tmpfs failed");
}

int FailingRename::Fail(const char*, const char*)
{
    return errno = err_, -1;
}

} // namespace trv::faults
