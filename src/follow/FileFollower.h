#pragma once

// Follows one spectrum file while the measurement that writes it runs: each complete version
// the writer saves (in place, or renamed over the file) is reported once; while it is being
// written, or has gone, a complete version is awaited without a word to the user.

#include "follow/FolderFollower.h"

#include <QObject>

#include <optional>
#include <string>

namespace trv {

class FileFollower : public QObject {
    Q_OBJECT
  public:
    explicit FileFollower(LocaleFormats locale, FollowTiming timing = kFileFollowTiming,
                          QObject* parent = nullptr);

    // Follows path instead of any file followed before. Its version now is reported soon,
    // when complete. Throws AppError when its folder cannot be read.
    void Follow(const std::string& path, ChangeDetection detection = ChangeDetection::Automatic);
    void Stop();

    bool IsFollowing() const { return folder_.IsFollowing(); }
    const std::string& Path() const { return path_; }
    // True while the file's size and modification time are compared every poll interval (on
    // a network share, or while its folder is gone) instead of hearing of changes.
    bool IsPolling() const { return folder_.IsPolling(); }
    bool IsAwaiting() const { return awaiting_; }

  Q_SIGNALS:
    void NewVersion(const trv::SpmSpectrum& spectrum);
    // The file is being written or is gone; sent once until it is complete again.
    void AwaitingCompleteVersion();
    // Complete again, as it was when last reported.
    void CompleteAgain();
    // It cannot be read as a spectrum (permission, not a regular file, not an SPM file); the
    // message is the user's text. Sent once per version.
    void Failed(const std::string& message);
    void PollingChanged(bool polling);

  private:
    FolderFollower folder_;
    std::string path_;
    std::optional<std::string> lastBytes_; // of the version reported last
    bool awaiting_ = false;
};

} // namespace trv
