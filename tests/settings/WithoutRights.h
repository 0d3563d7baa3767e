#pragma once

#include <QFile>
#include <QString>

#include <functional>
#include <optional>
#include <string>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a child process without root's rights: as "nobody" when the tests run as root,
// as the current user otherwise (who has no rights beyond the permissions anyway). The child's
// answer comes back through a pipe: empty for success, else what went wrong. Nothing when the
// rights could not be dropped (the caller then skips).
inline std::optional<std::string> RunWithoutRights(const std::function<std::string()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::string("no pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string answer = "\x01"; // could not drop the rights
        if (::geteuid() != 0 ||
            (::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
             ::setresuid(65534, 65534, 65534) == 0))
            answer = body();
        (void)!::write(fds[1], answer.data(), answer.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string answer;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, std::size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (answer == "\x01")
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child process failed: status " + std::to_string(status);
    return answer;
}

// r-xr-xr-x or rwxrwxrwx: a folder everyone may enter, and write to when `writable`.
inline void OpenFolder(const QString& path, bool writable)
{
    QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                    QFileDevice::ReadOther | QFileDevice::ExeOther;
    if (writable)
        mode |= QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QFile::setPermissions(path, mode);
}

// r--r--r-- or rw-rw-rw-.
inline void OpenFile(const QString& path, bool writable)
{
    QFileDevice::Permissions mode =
        QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (writable)
        mode |= QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QFile::setPermissions(path, mode);
}
