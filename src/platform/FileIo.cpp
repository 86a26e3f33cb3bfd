#include "platform/FileIo.h"

#include "platform/AppError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trv {

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release()
    {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

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

std::string FileKindText(mode_t mode)
{
    if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

} // namespace

std::string ReadWholeFile(const std::string& path, std::size_t maxSize)
{
    if (path.empty()) throw IoError(kIoFileNotFound);
    // O_NONBLOCK: opening a FIFO or a device must not wait for a writer or for the device;
    // only a regular file is read after that.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) throw ErrnoError(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw ErrnoError(errno);
    if (S_ISDIR(st.st_mode)) throw IoError(kIoAccessDenied);
    if (!S_ISREG(st.st_mode)) {
        throw AppError("Cannot open " + EscapeControlBytes(LastPathComponent(path)) + ": it is " +
                       FileKindText(st.st_mode) + ", not a regular file");
    }
    if (static_cast<unsigned long long>(st.st_size) > maxSize) {
        throw AppError("Cannot open " + EscapeControlBytes(LastPathComponent(path)) +
                       ": the file is " + std::to_string(st.st_size) + " bytes long; files over " +
                       std::to_string(maxSize) + " bytes are not read");
    }
    // One read for a file that is as long as fstat said: a read that returns less than it
    // asked for, having brought all of it, has reached the end. (Kernel files that say they
    // are empty are read until a read returns nothing.)
    const auto expected = static_cast<std::size_t>(st.st_size);
    std::string data;
    std::size_t used = 0;
    data.resize(expected + 1);
    for (;;) {
        const std::size_t wanted = data.size() - used;
        const ssize_t n = ::read(fd.get(), data.data() + used, wanted);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ErrnoError(errno);
        }
        used += static_cast<std::size_t>(n);
        if (used > maxSize) {
            throw AppError("Cannot open " + EscapeControlBytes(LastPathComponent(path)) +
                           ": the file is longer than " + std::to_string(maxSize) +
                           " bytes; such files are not read");
        }
        if (n == 0 || (static_cast<std::size_t>(n) < wanted && expected > 0 && used >= expected))
            break;
        if (used < data.size()) continue;
        // Longer than fstat said (grown since, or a kernel file): read on in larger steps.
        data.resize(std::min(data.size() * 2, maxSize + 1));
    }
    data.resize(used);
    return data;
}

namespace {

// Signals that end a batch from the terminal or from a session manager. They stay blocked
// while a temporary file has a name, so an interrupt never leaves one behind; a signal that
// arrives meanwhile takes effect as soon as the name is gone.
class EndSignalsBlocked {
  public:
    EndSignalsBlocked()
    {
        sigset_t set;
        sigemptyset(&set);
        for (const int sig : kEndSignals)
            sigaddset(&set, sig);
        ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~EndSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndSignalsBlocked(const EndSignalsBlocked&) = delete;
    EndSignalsBlocked& operator=(const EndSignalsBlocked&) = delete;

  private:
    sigset_t previous_;
};

bool gUnnamedTemporaries = true;

// A short name, whatever the target's length: a target name of up to 255 bytes must work.
std::string TemporaryName(const std::string& folder)
{
    // One generator per thread, seeded once: a batch writes thousands of files, and a
    // random_device per file is slow to set up on virtual machines.
    thread_local std::mt19937 names{std::random_device{}() ^ static_cast<unsigned>(::getpid())};
    return folder + "/.trv" + std::to_string(100000u + names() % 900000u) + ".tmp";
}

// The target must not be a folder nor a file the user made read-only; the replacement gets
// the permissions of the file it replaces. False when there is no file to replace.
bool CheckTargetAndTakeItsMode(const std::string& path, int fd)
{
    struct stat old {};
    if (::stat(path.c_str(), &old) != 0) return false;
    if (S_ISDIR(old.st_mode)) throw ErrnoError(EISDIR);
    if (::access(path.c_str(), W_OK) != 0) throw ErrnoError(errno);
    if (S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    return true;
}

void WriteAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ErrnoError(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void WriteAndClose(Fd& fd, std::string_view bytes, bool flush)
{
    WriteAll(fd.get(), bytes);
    if (flush && ::fsync(fd.get()) != 0 && errno != EINVAL) throw ErrnoError(errno);
    if (::close(fd.release()) != 0) throw ErrnoError(errno);
}

// Renames tmp over path; on failure tmp is removed and the error thrown.
void RenameOver(const std::string& tmp, const std::string& path)
{
    if (gRename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw ErrnoError(err);
    }
}

// Gives the open unnamed file the name tmp. 0, or the errno; ENOTSUP when links to
// descriptors are not available here (no /proc, and no right to link by descriptor).
int LinkUnnamedFile(int fd, const std::string& tmp)
{
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != ENOENT) return errno;
    if (::linkat(fd, "", AT_FDCWD, tmp.c_str(), AT_EMPTY_PATH) == 0) return 0;
    return (errno == EPERM || errno == ENOENT || errno == EINVAL) ? ENOTSUP : errno;
}

// The file is written without a name and only linked under a temporary name for the
// rename, with the end signals blocked: an interrupt at any moment leaves either the old
// target or the new one, and nothing else. False when this file system or kernel cannot
// do it; nothing was changed then.
bool WriteThroughUnnamedFile(const std::string& path, const std::string& folder,
                             std::string_view bytes, bool flush)
{
    Fd fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
        throw ErrnoError(errno);
    }
    const bool replacing = CheckTargetAndTakeItsMode(path, fd.get());
    WriteAll(fd.get(), bytes);
    if (flush && ::fsync(fd.get()) != 0 && errno != EINVAL) throw ErrnoError(errno);

    // A new file takes its name at once: a link never replaces a file, so the name appears
    // with the whole content or not at all, and there is no temporary name to guard. This
    // halves the work in the folder, which writers on other threads wait for. (A rename
    // made to fail for tests stands for this step too.)
    if (!replacing && gRename == &SystemRename) {
        const int err = LinkUnnamedFile(fd.get(), path);
        if (err == 0) {
            if (::close(fd.release()) != 0) {
                const int closeErr = errno;
                ::unlink(path.c_str());
                throw ErrnoError(closeErr);
            }
            return true;
        }
        if (err == ENOTSUP) return false;
        if (err != EEXIST) throw ErrnoError(err);
        // Made by someone else meanwhile: replaced below, as any existing file.
    }

    EndSignalsBlocked blocked;
    std::string tmp;
    int err = EEXIST;
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        tmp = TemporaryName(folder);
        err = LinkUnnamedFile(fd.get(), tmp);
    }
    if (err == ENOTSUP) return false;
    if (err != 0) throw ErrnoError(err);
    if (::close(fd.release()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        throw ErrnoError(err);
    }
    RenameOver(tmp, path);
    return true;
}

} // namespace

void WriteFileAtomic(const std::string& path, std::string_view bytes, bool flush)
{
    if (path.empty()) throw IoError(kIoFileNotFound);
    if (path.back() == '/') throw IoError(kIoInvalidFilename);
    const std::string folder = FolderOf(path);
    if (gUnnamedTemporaries && WriteThroughUnnamedFile(path, folder, bytes, flush)) return;

    EndSignalsBlocked blocked; // the whole write: the temporary file has a name throughout
    std::string tmp;
    int fdRaw = -1;
    for (int attempt = 0; attempt < 16 && fdRaw < 0; ++attempt) {
        tmp = TemporaryName(folder);
        fdRaw = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdRaw < 0 && errno != EEXIST) throw ErrnoError(errno);
    }
    if (fdRaw < 0) throw ErrnoError(EEXIST);
    Fd fd(fdRaw);
    try {
        CheckTargetAndTakeItsMode(path, fd.get());
        WriteAndClose(fd, bytes, flush);
    }
    catch (const AppError&) {
        ::close(fd.release());
        ::unlink(tmp.c_str());
        throw;
    }
    RenameOver(tmp, path);
}

bool SetUnnamedTemporaryFilesForTesting(bool use)
{
    const bool previous = gUnnamedTemporaries;
    gUnnamedTemporaries = use;
    return previous;
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

std::string LastPathComponent(std::string_view path)
{
    size_t start = 0;
    const size_t sep = path.find_last_of("/\\");
    if (sep != std::string_view::npos) start = sep + 1;
    if (start == 0 && path.size() >= 2 && path[1] == ':') start = 2;
    return std::string(path.substr(start));
}

std::string ChangeFileExt(std::string_view name, std::string_view ext)
{
    const auto cut = name.find_last_of(".\\/:");
    if (cut != std::string_view::npos && name[cut] == '.') {
        return std::string(name.substr(0, cut)) + std::string(ext);
    }
    return std::string(name) + std::string(ext);
}

} // namespace trv
