#pragma once

// Follows the spectrum files of one folder while other programs write them, and reports each
// complete version once. On a local disk the kernel tells of every write, close, rename and
// deletion in the folder (inotify), and a file is read once its writer closed it or renamed it
// into place. On a network share, where changes made by other machines are never told, the
// files' sizes and modification times are compared every poll interval instead.

#include "follow/CompleteSpectrum.h"
#include "platform/LocaleFormats.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QSocketNotifier;

namespace trv {

enum class ChangeDetection {
    Automatic, // told by the kernel; polling on a network share
    Polling,   // always polling
};

struct FollowTiming {
    // From a writer's close (or a rename into place) to the read.
    std::chrono::milliseconds settle{0};
    // From the last write of a writer that keeps the file open to the read; also how long an
    // odd-shaped file must stay unchanged to be taken as it is.
    std::chrono::milliseconds quiet{2000};
    // Polling: how often sizes and modification times are compared.
    std::chrono::milliseconds pollInterval{1500};
    // The least time between two reports, so that files arriving together come together.
    std::chrono::milliseconds reportGap{0};
};

// One file: as soon as its writer is done.
inline constexpr FollowTiming kFileFollowTiming{};
// A folder to convert: once a file has been left alone for a moment.
inline constexpr FollowTiming kFolderWatchTiming{
    std::chrono::milliseconds(400), std::chrono::milliseconds(2000),
    std::chrono::milliseconds(1500), std::chrono::milliseconds(100)};

// Whether folder lies on a file system whose changes are not told (NFS, SMB/CIFS, FUSE such as
// sshfs, 9p).
bool IsOnNetworkShare(const std::string& folder);

// A complete new version of a file, or a file that cannot be a spectrum.
struct SettledFile {
    std::string name; // within the folder
    std::string path; // the folder as given, '/', name
    FileVersion version;
    std::string bytes;    // the file as read and found complete (error empty)
    SpmSpectrum spectrum; // parsed from bytes (error empty)
    std::string error;    // when not empty: what reading it as a spectrum says, for the user
};

class FolderFollower : public QObject {
    Q_OBJECT
  public:
    explicit FolderFollower(LocaleFormats locale, FollowTiming timing = kFileFollowTiming,
                            QObject* parent = nullptr);
    ~FolderFollower() override;

    // Follows the *.spm files (any case) of folder, or only the one named onlyName. The files
    // there now are looked at soon, except those whose version done names (reported by an
    // earlier run). Throws AppError when the folder cannot be read, or is none.
    void Follow(const std::string& folder, const std::string& onlyName = {},
                ChangeDetection detection = ChangeDetection::Automatic,
                const std::map<std::string, FileVersion>& done = {});
    void Stop();

    bool IsFollowing() const { return following_; }
    // True while changes are looked for every poll interval: on a network share, or while the
    // folder itself is gone.
    bool IsPolling() const { return following_ && notifier_ == nullptr; }

  Q_SIGNALS:
    // Files complete in a version not reported before (or refused), in name order. A receiver
    // must not destroy the follower directly (deleteLater does).
    void FilesSettled(const std::vector<trv::SettledFile>& files);
    // A writer is at work on the file, or it went away: a complete version is awaited.
    void FileUnsettled(const std::string& name);
    // After FileUnsettled: the file is complete again, in the version reported before.
    void FileUnchanged(const std::string& name);
    void PollingChanged(bool polling);

  private:
    using Clock = std::chrono::steady_clock;

    struct Entry {
        unsigned generation = 0; // changes heard of: a read counts only if none came during it
        bool present = false;
        bool writerOpen = false;              // written to and not closed since
        bool unsettled = false;               // FileUnsettled sent since the last report
        std::optional<Clock::time_point> due; // when to read it
        std::optional<FileVersion> polled;    // polling: the version of the last look
        std::optional<FileVersion> odd;       // an odd-shaped version, unchanged since oddSince
        Clock::time_point oddSince{};
        std::optional<std::int64_t> completeSize;
        std::optional<FileVersion> reported;     // the version last reported
        std::optional<std::size_t> reportedHash; // of its bytes (unknown for an earlier run's)
        std::string reportedError;
    };

    bool Listen();
    void StopListening();
    // The slots: signals go out at their end only, when the state is whole again.
    void OnEventsReady();
    void OnDueTimer();
    void OnPollTimer();
    void SendPending();
    void ReadEvents();
    void OnEvent(const std::string& name, unsigned mask);
    void LoseFolder();
    void Poll();
    void Scan(const std::map<std::string, FileVersion>& done);
    std::vector<std::string> Names() const;
    bool Wanted(const std::string& name) const;
    void Due(Entry& entry, Clock::time_point when);
    void Unsettle(const std::string& name, Entry& entry);
    std::string PathOf(const std::string& name) const;
    void Arm();
    std::optional<SettledFile> Check(const std::string& name);

    LocaleFormats locale_;
    FollowTiming timing_;
    std::string folder_;
    std::string onlyName_;
    bool following_ = false;
    bool networkShare_ = false; // polling for good; otherwise only while the folder is gone
    int inotify_ = -1;
    QSocketNotifier* notifier_ = nullptr; // a child: deleted later, it may be what called
    std::vector<std::pair<std::string, bool>> pendingNames_; // (name, unsettled or unchanged)
    bool pendingPolling_ = false;
    QTimer dueTimer_;
    QTimer pollTimer_;
    std::optional<Clock::time_point> armedFor_;
    Clock::time_point lastReport_{};
    std::map<std::string, Entry> entries_;
};

} // namespace trv
