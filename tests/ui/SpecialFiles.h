#pragma once

// Folders with files that must never be opened or read: a FIFO nobody writes to blocks its
// reader for ever, and some files of /proc block on read. These helpers see whether the code
// under test touched them.

#include <QString>
#include <QStringList>

namespace trv::test {

// Makes a FIFO; false when the file system can't hold one.
bool MakeFifo(const QString& path);

// Records the names of a folder's entries that are opened or read from now on (the folder
// itself and its subfolders are not counted).
class OpenWatch {
  public:
    explicit OpenWatch(const QString& folder);
    ~OpenWatch();
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    bool Valid() const { return fd_ >= 0; }
    // The names touched since the last call.
    QStringList Touched();

  private:
    int fd_ = -1;
};

} // namespace trv::test
