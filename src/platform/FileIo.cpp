#include "platform/FileIo.h"

#include "platform/AppError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace trv {

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { if (fd_ >= 0) ::close(fd_); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { int fd = fd_; fd_ = -1; return fd; }
private:
    int fd_;
};

int SystemRename(const char* from, const char* to)
{
    return ::rename(from, to);
}

RenameFunction gRename = &SystemRename;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

std::string ReadWholeFile(const std::string& path, std::size_t maxSize)
{
    if (path.empty()) throw IoError(kIoFileNotFound);
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw ErrnoError(errno);
    struct stat st{};
    if (::fstat(fd.get(), &st) != 0) throw ErrnoError(errno);
    if (S_ISDIR(st.st_mode)) throw IoError(kIoAccessDenied);
    if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > maxSize) {
        throw AppError("Cannot open " + FileNameOf(path) + ": the file is "
                       + std::to_string(st.st_size) + " bytes long; files over "
                       + std::to_string(maxSize) + " bytes are not read");
    }
    std::string data;
    if (S_ISREG(st.st_mode)) data.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ErrnoError(errno);
        }
        if (n == 0) break;
        data.append(buf, static_cast<std::size_t>(n));
        if (data.size() > maxSize) {
            throw AppError("Cannot open " + FileNameOf(path) + ": the file is longer than "
                           + std::to_string(maxSize) + " bytes; such files are not read");
        }
    }
    return data;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes, bool flush)
{
    if (path.empty()) throw IoError(kIoFileNotFound);
    if (path.back() == '/') throw IoError(kIoInvalidFilename);
    const std::string folder = FolderOf(path);
    std::string tmp;
    int fdRaw = -1;
    // One generator per thread, seeded once: a batch writes thousands of files, and a
    // random_device per file is slow to set up on virtual machines.
    thread_local std::mt19937 names{std::random_device{}() ^ static_cast<unsigned>(::getpid())};
    for (int attempt = 0; attempt < 16 && fdRaw < 0; ++attempt) {
        tmp = folder + "/." + FileNameOf(path) + ".tmp" + std::to_string(names() % 1000000u);
        fdRaw = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdRaw < 0 && errno != EEXIST) throw ErrnoError(errno);
    }
    if (fdRaw < 0) throw ErrnoError(EEXIST);
    Fd fd(fdRaw);
    auto fail = [&](int err) {
        ::close(fd.release());
        ::unlink(tmp.c_str());
        throw ErrnoError(err);
    };
    // A read-only target stays protected, and the replacement keeps the target's permissions.
    struct stat old{};
    if (::stat(path.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) fail(EISDIR);
        if (::access(path.c_str(), W_OK) != 0) fail(errno);
        if (S_ISREG(old.st_mode)) ::fchmod(fd.get(), old.st_mode & 07777);
    }
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd.get(), p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (flush && ::fsync(fd.get()) != 0 && errno != EINVAL) fail(errno);
    if (::close(fd.release()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw ErrnoError(err);
    }
    if (gRename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw ErrnoError(err);
    }
}

RenameFunction SetRenameFunctionForTesting(RenameFunction rename)
{
    const RenameFunction previous = gRename;
    gRename = rename != nullptr ? rename : &SystemRename;
    return previous;
}

void SyncFolders(const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders) {
        Fd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() >= 0) ::syncfs(fd.get());
    }
}

std::string FileNameOf(std::string_view path)
{
    const auto cut = path.find_last_of("/\\:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string ChangeFileExt(std::string_view name, std::string_view ext)
{
    const auto cut = name.find_last_of(".\\/:");
    if (cut != std::string_view::npos && name[cut] == '.') {
        return std::string(name.substr(0, cut)) + std::string(ext);
    }
    return std::string(name) + std::string(ext);
}

}  // namespace trv
