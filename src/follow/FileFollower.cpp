#include "follow/FileFollower.h"

#include "platform/AppError.h"

namespace trv {

FileFollower::FileFollower(LocaleFormats locale, FollowTiming timing, QObject* parent)
    : QObject(parent), folder_(std::move(locale), timing)
{
    connect(&folder_, &FolderFollower::FilesSettled, this,
            [this](const std::vector<SettledFile>& files) {
                for (const SettledFile& file : files) {
                    awaiting_ = false;
                    if (!file.error.empty()) {
                        lastBytes_.reset();
                        Q_EMIT Failed(file.error);
                    }
                    else if (file.bytes == lastBytes_) {
                        Q_EMIT CompleteAgain(); // saved again as it was
                    }
                    else {
                        lastBytes_ = file.bytes;
                        Q_EMIT NewVersion(file.spectrum);
                    }
                }
            });
    connect(&folder_, &FolderFollower::FileUnsettled, this, [this](const std::string&) {
        if (awaiting_) return;
        awaiting_ = true;
        Q_EMIT AwaitingCompleteVersion();
    });
    connect(&folder_, &FolderFollower::FileUnchanged, this, [this](const std::string&) {
        awaiting_ = false;
        Q_EMIT CompleteAgain();
    });
    connect(&folder_, &FolderFollower::PollingChanged, this, &FileFollower::PollingChanged);
}

void FileFollower::Follow(const std::string& path, ChangeDetection detection)
{
    Stop();
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) throw IoError(kIoInvalidFilename);
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    folder_.Follow(folder, name, detection);
    path_ = path;
}

void FileFollower::Stop()
{
    folder_.Stop();
    path_.clear();
    lastBytes_.reset();
    awaiting_ = false;
}

} // namespace trv
