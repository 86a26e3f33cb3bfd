#include "cli/Batch.h"

#include "cli/EndSignals.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace trv {

namespace {

// How far the workers may prepare beyond the first item not yet finished: enough to keep
// them busy, few enough that the prepared outputs stay small.
constexpr std::size_t kAheadPerJob = 64;
// A worker takes up to this many items at once: handing over each item alone costs about as
// much as writing it.
constexpr std::size_t kChunk = 16;
constexpr std::size_t kHeldBytesBudget = 256u << 20;

void RunInline(std::size_t count, const BatchStages& stages)
{
    for (std::size_t item = 0; item < count; ++item) {
        stages.prepare(item);
        if (stages.commit(item)) stages.execute(item);
        stages.finish(item);
    }
}

class ParallelBatch {
  public:
    ParallelBatch(std::size_t count, unsigned jobs, const BatchStages& stages)
        : count_(count), jobs_(jobs), stages_(stages), state_(count, State::Waiting),
          held_(count, 0), window_(kAheadPerJob * jobs),
          chunk_(std::clamp<std::size_t>(count / (8 * std::size_t{jobs}), 1, kChunk))
    {
        independent_.reserve(count);
        for (std::size_t item = 0; item < count; ++item)
            independent_.push_back(stages.independent(item));
    }

    // False when no worker could be started; nothing was run then.
    bool Run()
    {
        // Every thread of the batch inherits these blocked: the watcher thread alone takes
        // the end signals, and ends the process once no execute is running. A SIGPIPE stays
        // with the thread that wrote (this one) and is looked for after each finish.
        sigset_t blocked;
        sigemptyset(&blocked);
        sigemptyset(&watched_);
        for (const int sig : kEndSignals) {
            sigaddset(&blocked, sig);
            if (EndsTheProcess(sig)) sigaddset(&watched_, sig);
        }
        watchPipe_ = EndsTheProcess(SIGPIPE);
        if (watchPipe_) sigaddset(&blocked, SIGPIPE);
        sigset_t previous;
        ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);

        std::vector<std::thread> workers;
        std::thread watcher;
        try {
            if (!sigisemptyset(&watched_)) watcher = std::thread([this] { WatchSignals(); });
            for (unsigned i = 0; i < jobs_; ++i)
                workers.emplace_back([this] { Work(); });
        }
        catch (const std::system_error&) {
            // Too few threads to be had: run with those there are, or on this thread.
        }
        if (!workers.empty()) Drive();

        {
            std::lock_guard lock(mutex_);
            over_ = true;
        }
        workCv_.notify_all();
        for (std::thread& worker : workers)
            worker.join();
        if (watcher.joinable()) {
            watcherDone_ = true;
            for (int sig = 1; sig < NSIG; ++sig) {
                if (sigismember(&watched_, sig) == 1) {
                    ::pthread_kill(watcher.native_handle(), sig);
                    break;
                }
            }
            watcher.join();
        }
        // An end signal that came after the last execute takes effect here.
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return !workers.empty();
    }

  private:
    enum class State : unsigned char { Waiting, Preparing, Prepared, Queued, Executed };

    // The calling thread: commits and finishes in item order.
    void Drive()
    {
        std::unique_lock lock(mutex_);
        while (finishNext_ < count_) {
            bool progressed = false;
            while (commitNext_ < count_) {
                const std::size_t item = commitNext_;
                if (!independent_[item]) {
                    // Its prepare must see every earlier execute.
                    if (unexecuted_ > 0) break;
                    lock.unlock();
                    const std::size_t bytes = stages_.prepare(item);
                    lock.lock();
                    held_[item] = bytes;
                    heldBytes_ += bytes;
                }
                else if (state_[item] != State::Prepared) {
                    break;
                }
                else {
                    --preparedAhead_;
                }
                lock.unlock();
                const bool work = stages_.commit(item);
                lock.lock();
                if (work) {
                    state_[item] = State::Queued;
                    queue_.push_back(item);
                    ++unexecuted_;
                }
                else {
                    MarkExecuted(item);
                }
                ++commitNext_;
                progressed = true;
            }
            if (progressed && !queue_.empty()) {
                if (queue_.size() > 1)
                    workCv_.notify_all();
                else
                    workCv_.notify_one();
            }
            bool finished = false;
            while (finishNext_ < commitNext_ && state_[finishNext_] == State::Executed) {
                const std::size_t item = finishNext_++;
                lock.unlock();
                stages_.finish(item);
                lock.lock();
                finished = true;
            }
            if (finished) {
                // The window moved on: workers may prepare again.
                workCv_.notify_all();
                if (watchPipe_) {
                    lock.unlock();
                    EndIfPipeBroken();
                    lock.lock();
                }
            }
            if (!progressed && !finished) mainCv_.wait(lock);
        }
    }

    void Work()
    {
        std::vector<std::size_t> taken;
        taken.reserve(chunk_);
        std::unique_lock lock(mutex_);
        for (;;) {
            if (closing_) {
                // An end signal is taking effect; this thread starts nothing more.
                for (;;)
                    workCv_.wait(lock);
            }
            while (nextPrepare_ < count_ && !independent_[nextPrepare_])
                ++nextPrepare_; // prepared by the calling thread in its turn
            const bool canPrepare = nextPrepare_ < count_ && nextPrepare_ < finishNext_ + window_ &&
                                    (heldBytes_ < kHeldBytesBudget || nextPrepare_ == commitNext_);
            const bool preferPrepare =
                canPrepare && (queue_.empty() || preparedAhead_ < std::size_t{jobs_} * chunk_);
            taken.clear();
            if (!queue_.empty() && !preferPrepare) {
                // A fair share of what is queued, so the other workers write beside this one.
                const std::size_t share = std::clamp<std::size_t>(queue_.size() / jobs_, 1, chunk_);
                while (!queue_.empty() && taken.size() < share) {
                    taken.push_back(queue_.front());
                    queue_.pop_front();
                }
                ++running_;
                lock.unlock();
                std::size_t done = 0;
                for (; done < taken.size() && !closing_; ++done)
                    stages_.execute(taken[done]);
                lock.lock();
                --running_;
                if (closing_) {
                    if (running_ == 0) closedCv_.notify_all();
                    continue;
                }
                bool wanted = false;
                for (const std::size_t item : taken) {
                    MarkExecuted(item);
                    wanted = wanted || item == finishNext_;
                }
                unexecuted_ -= taken.size();
                if (wanted || unexecuted_ == 0) mainCv_.notify_one();
                continue;
            }
            if (canPrepare) {
                while (taken.size() < chunk_ && nextPrepare_ < count_ &&
                       nextPrepare_ < finishNext_ + window_ && independent_[nextPrepare_]) {
                    state_[nextPrepare_] = State::Preparing;
                    taken.push_back(nextPrepare_++);
                }
                lock.unlock();
                std::vector<std::size_t> bytes;
                bytes.reserve(taken.size());
                for (const std::size_t item : taken)
                    bytes.push_back(stages_.prepare(item));
                lock.lock();
                bool wanted = false;
                for (std::size_t i = 0; i < taken.size(); ++i) {
                    state_[taken[i]] = State::Prepared;
                    held_[taken[i]] = bytes[i];
                    heldBytes_ += bytes[i];
                    wanted = wanted || taken[i] == commitNext_;
                }
                preparedAhead_ += taken.size();
                if (wanted) mainCv_.notify_one();
                continue;
            }
            if (over_) return;
            workCv_.wait(lock);
        }
    }

    void MarkExecuted(std::size_t item)
    {
        state_[item] = State::Executed;
        heldBytes_ -= held_[item];
        held_[item] = 0;
    }

    void WatchSignals()
    {
        for (;;) {
            siginfo_t info{};
            const int sig = ::sigwaitinfo(&watched_, &info);
            if (sig < 0) continue;
            // Run's wake-up at the end: sent by this process, not by the kernel.
            if (watcherDone_ && info.si_code <= 0 && info.si_pid == ::getpid()) return;
            EndBy(sig);
        }
    }

    void EndIfPipeBroken()
    {
        sigset_t pending;
        if (::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) EndBy(SIGPIPE);
    }

    // Lets the running executes end, starts no other, and ends the process by sig as if it
    // had not been blocked.
    [[noreturn]] void EndBy(int sig)
    {
        {
            std::unique_lock lock(mutex_);
            closing_ = true;
            closedCv_.wait(lock, [this] { return running_ == 0; });
        }
        EndProcessBy(sig);
    }

    const std::size_t count_;
    const unsigned jobs_;
    const BatchStages& stages_;
    std::vector<bool> independent_;

    std::mutex mutex_;
    std::condition_variable workCv_;   // workers: work queued, window moved, over
    std::condition_variable mainCv_;   // calling thread: an item it waits for is ready
    std::condition_variable closedCv_; // the last running execute ended while closing
    std::vector<State> state_;
    std::vector<std::size_t> held_;
    std::deque<std::size_t> queue_; // committed items waiting for execute
    const std::size_t window_;
    const std::size_t chunk_; // items a worker takes at once
    std::size_t nextPrepare_ = 0;
    std::size_t commitNext_ = 0;
    std::size_t finishNext_ = 0;
    std::size_t preparedAhead_ = 0; // prepared by workers, not yet committed
    std::size_t unexecuted_ = 0;    // queued or running executes
    std::size_t heldBytes_ = 0;
    unsigned running_ = 0;
    std::atomic<bool> closing_{false}; // read by workers between two executes
    bool over_ = false;

    sigset_t watched_{};
    bool watchPipe_ = false;
    std::atomic<bool> watcherDone_{false};
};

} // namespace

void RunBatch(std::size_t count, unsigned jobs, const BatchStages& stages)
{
    if (jobs > 1 && count > 1) {
        ParallelBatch batch(count, jobs, stages);
        if (batch.Run()) return;
    }
    RunInline(count, stages);
}

unsigned AvailableProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? hardware : 1;
}

} // namespace trv
