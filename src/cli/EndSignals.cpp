#include "cli/EndSignals.h"

#include <unistd.h>

namespace trv {

bool EndsTheProcess(int sig)
{
    struct sigaction current {};
    return ::sigaction(sig, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
           current.sa_handler == SIG_DFL;
}

void EndProcessBy(int sig)
{
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(sig, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr); // a pending one ends the process here
    ::raise(sig);
    ::_exit(128 + sig);
}

} // namespace trv
