#pragma once

// An ordered batch that may use several cores: each item is prepared, committed, executed and
// finished; commit and finish see the items in their order, whatever the number of threads.

#include <cstddef>
#include <functional>

namespace trv {

struct BatchStages {
    // Work that depends on the item alone. May run on a worker thread, beside other items'
    // prepare and execute. Returns the bytes the item holds from now until it is executed,
    // which bounds how far the workers run ahead.
    std::function<std::size_t(std::size_t item)> prepare;
    // Decisions that depend on the items before it; on the calling thread, in item order.
    // True when the item has work for execute.
    std::function<bool(std::size_t item)> commit;
    // May run on a worker thread, beside other items' prepare and execute.
    std::function<void(std::size_t item)> execute;
    // On the calling thread, in item order, once the item was executed.
    std::function<void(std::size_t item)> finish;
    // False for an item whose prepare must see what the earlier items' executes did: it is
    // prepared on the calling thread once every earlier item was executed.
    std::function<bool(std::size_t item)> independent;
};

// Runs count items through the stages. With jobs == 1 each item goes through all of them
// before the next one starts, on the calling thread. With more, up to jobs worker threads
// prepare and execute. SIGINT, SIGTERM, SIGHUP and SIGQUIT (where they would end the process)
// and a SIGPIPE from finish then end the process only while no execute is running, so an
// execute is never cut short by them.
void RunBatch(std::size_t count, unsigned jobs, const BatchStages& stages);

// The processors this process may run on (at least 1).
unsigned AvailableProcessors();

} // namespace trv
