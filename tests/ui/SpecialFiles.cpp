#include "SpecialFiles.h"

#include <QFile>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trv::test {

bool MakeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

OpenWatch::OpenWatch(const QString& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (fd_ >= 0 &&
        ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS) < 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

OpenWatch::~OpenWatch()
{
    if (fd_ >= 0) ::close(fd_);
}

QStringList OpenWatch::Touched()
{
    QStringList names;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && !(event->mask & IN_ISDIR)) {
                const QString name = QFile::decodeName(event->name);
                if (!names.contains(name)) names << name;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return names;
}

} // namespace trv::test
