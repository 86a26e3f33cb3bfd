#include "follow/FolderFollower.h"

#include "platform/AppError.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <functional>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace trv {

namespace {

// Writes, closes after writing, renames in and out, creations and deletions of the folder's
// files, and the folder itself going away.
constexpr std::uint32_t kEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                                  IN_CREATE | IN_DELETE | IN_ATTRIB | IN_DELETE_SELF |
                                  IN_MOVE_SELF | IN_ONLYDIR;

// A read that found the file changing is tried again after this, at the least.
constexpr std::chrono::milliseconds kRetry{50};

bool IsSpmName(std::string_view name)
{
    if (name.size() <= 4) return false;
    std::string tail(name.substr(name.size() - 4));
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".spm";
}

std::chrono::milliseconds Until(std::chrono::steady_clock::time_point when)
{
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(when - std::chrono::steady_clock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

} // namespace

bool IsOnNetworkShare(const std::string& folder)
{
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul) {
    case 0x6969ul:     // NFS
    case 0x517Bul:     // SMB
    case 0xFF534D42ul: // CIFS
    case 0xFE534D42ul: // SMB2
    case 0x65735546ul: // FUSE (sshfs and the like)
    case 0x01021997ul: // 9p (folders shared with virtual machines)
        return true;
    default:
        return false;
    }
}

FolderFollower::FolderFollower(LocaleFormats locale, FollowTiming timing, QObject* parent)
    : QObject(parent), locale_(std::move(locale)), timing_(timing)
{
    dueTimer_.setSingleShot(true);
    connect(&dueTimer_, &QTimer::timeout, this, &FolderFollower::OnDueTimer);
    connect(&pollTimer_, &QTimer::timeout, this, &FolderFollower::OnPollTimer);
}

FolderFollower::~FolderFollower()
{
    Stop();
}

void FolderFollower::Follow(const std::string& folder, const std::string& onlyName,
                            ChangeDetection detection,
                            const std::map<std::string, FileVersion>& done)
{
    Stop();
    const std::string path = folder.empty() ? "." : folder;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw ErrnoError(errno);
    if (!S_ISDIR(st.st_mode)) throw AppError("not a folder");
    folder_ = path;
    onlyName_ = onlyName;
    following_ = true;
    networkShare_ = detection == ChangeDetection::Polling || IsOnNetworkShare(folder_);
    // Listening first: nothing that happens while the folder is scanned goes unheard.
    if (networkShare_ || !Listen()) pollTimer_.start(timing_.pollInterval);
    Scan(done);
    SendPending();
}

void FolderFollower::Stop()
{
    following_ = false;
    StopListening();
    dueTimer_.stop();
    pollTimer_.stop();
    armedFor_.reset();
    entries_.clear();
    pendingNames_.clear();
    pendingPolling_ = false;
}

bool FolderFollower::Listen()
{
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0) return false;
    if (::inotify_add_watch(inotify_, folder_.c_str(), kEvents) < 0) {
        ::close(inotify_);
        inotify_ = -1;
        return false;
    }
    notifier_ = new QSocketNotifier(inotify_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &FolderFollower::OnEventsReady);
    return true;
}

void FolderFollower::StopListening()
{
    if (notifier_ != nullptr) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (inotify_ >= 0) ::close(inotify_);
    inotify_ = -1;
}

void FolderFollower::OnEventsReady()
{
    ReadEvents();
    SendPending();
}

void FolderFollower::OnPollTimer()
{
    Poll();
    SendPending();
}

void FolderFollower::SendPending()
{
    if (pendingPolling_) {
        pendingPolling_ = false;
        Q_EMIT PollingChanged(IsPolling());
    }
    const auto names = std::move(pendingNames_);
    pendingNames_.clear();
    for (const auto& [name, unsettled] : names) {
        if (!following_) return;
        if (unsettled)
            Q_EMIT FileUnsettled(name);
        else
            Q_EMIT FileUnchanged(name);
    }
}

void FolderFollower::ReadEvents()
{
    if (inotify_ < 0) return;
    alignas(inotify_event) char buffer[16384];
    bool overflow = false;
    bool gone = false;
    for (;;) {
        const ssize_t n = ::read(inotify_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (const char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            p += sizeof(inotify_event) + event->len;
            if (event->mask & IN_Q_OVERFLOW)
                overflow = true;
            else if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT))
                gone = true;
            else if (event->len > 0 && !(event->mask & IN_ISDIR))
                OnEvent(event->name, event->mask);
        }
    }
    if (gone)
        LoseFolder();
    else if (overflow)
        Scan({}); // events were lost: look at every file again
}

void FolderFollower::OnEvent(const std::string& name, unsigned mask)
{
    if (!Wanted(name)) return;
    Entry& e = entries_[name];
    ++e.generation;
    const auto now = Clock::now();
    if (mask & (IN_DELETE | IN_MOVED_FROM)) {
        e.present = false;
        e.writerOpen = false;
        e.due.reset();
        Unsettle(name, e);
        return;
    }
    e.present = true;
    if (mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) {
        e.writerOpen = false;
        Due(e, now + timing_.settle);
        return;
    }
    if (mask & IN_CREATE) {
        // Opened empty by a writer, or linked in whole (then there is no close to wait for).
        const std::optional<FileVersion> version = StatFileVersion(PathOf(name));
        e.writerOpen = !version || version->size == 0;
    }
    if (mask & IN_MODIFY) e.writerOpen = true;
    if (e.writerOpen) {
        Due(e, now + timing_.quiet);
        Unsettle(name, e);
    }
    else {
        Due(e, now + timing_.settle);
    }
}

void FolderFollower::LoseFolder()
{
    StopListening();
    for (auto& [name, e] : entries_) {
        e.due.reset();
        e.polled.reset();
        if (e.present) Unsettle(name, e);
        e.present = false;
    }
    pendingPolling_ = true;
    pollTimer_.start(timing_.pollInterval);
}

void FolderFollower::Poll()
{
    if (!networkShare_ && notifier_ == nullptr) {
        // Gone, or no notification to be had: hear of changes again as soon as that works.
        if (Listen()) {
            pollTimer_.stop();
            pendingPolling_ = true;
            Scan({});
            return;
        }
    }
    const auto now = Clock::now();
    std::set<std::string> seen;
    for (const std::string& name : Names()) {
        const std::optional<FileVersion> version = StatFileVersion(PathOf(name));
        if (!version) continue;
        seen.insert(name);
        Entry& e = entries_[name];
        e.present = true;
        if (e.polled != version) {
            // Changed since the last look: its writer may be at it still.
            e.polled = version;
            ++e.generation;
            e.due.reset();
            if (e.reported != version) Unsettle(name, e);
        }
        else if (!e.due && e.reported != version && e.odd != version) {
            Due(e, now);
        }
    }
    for (auto& [name, e] : entries_) {
        if (!e.present || seen.contains(name)) continue;
        e.present = false;
        e.polled.reset();
        e.due.reset();
        Unsettle(name, e);
    }
}

void FolderFollower::Scan(const std::map<std::string, FileVersion>& done)
{
    const auto now = Clock::now();
    const auto wallNow = std::chrono::system_clock::now().time_since_epoch();
    // A file left alone for this long is read at once; one changed just now only once the
    // events of a writer still at work had time to come, or after the next poll.
    const Clock::duration wait = IsPolling() ? Clock::duration(timing_.pollInterval)
                                             : std::max<Clock::duration>(timing_.settle, kRetry);
    for (const std::string& name : Names()) {
        const std::optional<FileVersion> version = StatFileVersion(PathOf(name));
        Entry& e = entries_[name];
        if (!version) {
            Unsettle(name, e); // the one file followed is not there (yet)
            continue;
        }
        e.present = true;
        e.polled = version;
        if (const auto it = done.find(name); it != done.end() && it->second == *version) {
            e.reported = version;
            continue;
        }
        const auto age = wallNow - std::chrono::nanoseconds(version->mtimeNs);
        if (age >= wait)
            Due(e, now);
        else if (!IsPolling())
            Due(e, now + std::min<Clock::duration>(wait - age, wait));
    }
}

std::vector<std::string> FolderFollower::Names() const
{
    std::vector<std::string> names;
    if (!onlyName_.empty()) {
        names.push_back(onlyName_);
        return names;
    }
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type != DT_DIR && IsSpmName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

bool FolderFollower::Wanted(const std::string& name) const
{
    return onlyName_.empty() ? IsSpmName(name) : name == onlyName_;
}

std::string FolderFollower::PathOf(const std::string& name) const
{
    return folder_ + '/' + name;
}

void FolderFollower::Due(Entry& entry, Clock::time_point when)
{
    entry.due = when;
    const Clock::time_point at = std::max(when, lastReport_ + timing_.reportGap);
    if (dueTimer_.isActive() && armedFor_ && *armedFor_ <= at) return;
    armedFor_ = at;
    dueTimer_.start(Until(at));
}

void FolderFollower::Arm()
{
    std::optional<Clock::time_point> first;
    for (auto& [name, e] : entries_) {
        if (e.due && (!first || *e.due < *first)) first = e.due;
    }
    if (!first) return;
    const Clock::time_point at = std::max(*first, lastReport_ + timing_.reportGap);
    armedFor_ = at;
    dueTimer_.start(Until(at));
}

void FolderFollower::Unsettle(const std::string& name, Entry& entry)
{
    if (entry.unsettled) return;
    entry.unsettled = true;
    pendingNames_.emplace_back(name, true);
}

void FolderFollower::OnDueTimer()
{
    armedFor_.reset();
    const auto now = Clock::now();
    std::vector<std::string> names;
    for (auto& [name, e] : entries_) {
        if (e.due && *e.due <= now) {
            e.due.reset();
            names.push_back(name);
        }
    }
    std::vector<SettledFile> settled;
    for (const std::string& name : names) {
        if (std::optional<SettledFile> file = Check(name)) settled.push_back(std::move(*file));
    }
    Arm();
    SendPending();
    if (!settled.empty() && following_) {
        lastReport_ = Clock::now();
        Q_EMIT FilesSettled(settled);
    }
}

std::optional<SettledFile> FolderFollower::Check(const std::string& name)
{
    ReadEvents(); // what happened up to now
    const auto found = entries_.find(name);
    if (found == entries_.end()) return std::nullopt;
    Entry& e = found->second;
    if (e.due) return std::nullopt; // written to meanwhile: looked at later

    const unsigned generation = e.generation;
    const auto now = Clock::now();
    ReadHints hints;
    hints.completeSize = e.completeSize;
    if (e.odd && now - e.oddSince >= timing_.quiet) hints.settledOddShape = e.odd;
    SpectrumRead read = ReadCompleteSpectrum(PathOf(name), locale_, hints);
    ReadEvents();
    // A change heard of during the read makes it worthless, whatever stat said (its time
    // stamps are coarse); the change's event asked for another look.
    if (e.generation != generation) return std::nullopt;
    if (IsPolling() && read.state != SpectrumReadState::Missing && e.polled != read.version)
        read.state = SpectrumReadState::Changing; // not the version two looks agreed on

    switch (read.state) {
    case SpectrumReadState::Missing:
        Unsettle(name, e);
        return std::nullopt;
    case SpectrumReadState::Changing:
        Unsettle(name, e);
        if (notifier_ != nullptr)
            Due(e, now + std::max<Clock::duration>(timing_.settle, kRetry));
        else
            e.polled.reset(); // changed: the next look starts the wait again
        return std::nullopt;
    case SpectrumReadState::OddShape:
        if (e.odd != read.version) {
            e.odd = read.version;
            e.oddSince = now;
        }
        Unsettle(name, e);
        Due(e, e.oddSince + timing_.quiet);
        return std::nullopt;
    case SpectrumReadState::Complete:
    case SpectrumReadState::Failed:
        break;
    }

    e.odd.reset();
    std::optional<std::size_t> hash;
    if (read.state == SpectrumReadState::Complete) {
        e.completeSize = read.version.size;
        hash = std::hash<std::string>{}(read.bytes);
    }
    const bool same = e.reported == read.version && e.reportedError == read.error &&
                      (!e.reportedHash || !hash || *e.reportedHash == *hash);
    e.reported = read.version;
    e.reportedHash = hash;
    e.reportedError = read.error;
    const bool wasUnsettled = e.unsettled;
    e.unsettled = false;
    if (same) {
        if (wasUnsettled) pendingNames_.emplace_back(name, false);
        return std::nullopt;
    }
    return SettledFile{name,
                       PathOf(name),
                       read.version,
                       std::move(read.bytes),
                       std::move(read.spectrum),
                       std::move(read.error)};
}

} // namespace trv
