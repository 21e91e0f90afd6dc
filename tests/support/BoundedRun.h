// Runs a piece of work in a child process whose address space may grow by at most a given
// budget, so that a reader that allocates without bound fails the test instead of the machine.
// The limit is taken over what the process already maps (under AddressSanitizer that includes
// its shadow memory), so it works with and without the sanitizers.
#pragma once

#include <QString>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bounded {

// The address space the process maps now, in bytes.
inline std::int64_t MappedBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0)
            return std::stoll(line.substr(7)) * 1024;
    return 0;
}

// What `work` returned in the child, or "died: signal N" / "exit N" when it could not finish
// (an allocation past the budget aborts the child).
inline QString Run(std::int64_t budgetBytes, const std::function<QString()>& work) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        const rlim_t limit = rlim_t(MappedBytes() + budgetBytes);
        const rlimit bound{limit, limit};
        setrlimit(RLIMIT_AS, &bound);
        const QByteArray result = work().toUtf8();
        (void)!write(pipeFds[1], result.constData(), size_t(result.size()));
        _exit(0); // no leak check, no exit handlers of the parent's objects
    }
    close(pipeFds[1]);
    QByteArray result;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, got);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return QStringLiteral("died: signal %1").arg(WTERMSIG(status));
    if (WEXITSTATUS(status) != 0)
        return QStringLiteral("exit %1").arg(WEXITSTATUS(status));
    return QString::fromUtf8(result);
}

} // namespace bounded
