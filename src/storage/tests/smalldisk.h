#pragma once

// A small disk that tests can fill for real: the test program runs itself again inside a
// private mount namespace (unshare -m) with a tmpfs of its own mounted on a temporary folder,
// so the machine's disks never fill and nothing stays mounted afterwards. It needs root and
// unshare(1); without them the tests that need it skip and say why.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace moravel::testing {

inline constexpr char smallDiskVariable[] = "MORAVEL_SMALL_DISK";
inline constexpr char noSmallDiskVariable[] = "MORAVEL_NO_SMALL_DISK";

// Runs a program and waits for it; its exit status, or -1 when it could not run.
inline int runAndWait(std::vector<const char*> arguments) {
    arguments.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(arguments.front(), const_cast<char* const*>(arguments.data()));
        ::_exit(127);
    }
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (child < 0) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Call first in main(). Returns -1 when the tests are to run in this process, or else the exit
// status of their run on the small disk.
inline int runOnSmallDisk(char** argv) {
    if (qEnvironmentVariableIsSet(smallDiskVariable) ||
        qEnvironmentVariableIsSet(noSmallDiskVariable)) {
        return -1;
    }
    const auto without = [](const char* reason) {
        qputenv(noSmallDiskVariable, reason);
        return -1;
    };
    if (::geteuid() != 0) {
        return without("mounting a small tmpfs needs root");
    }
    const QByteArray unshare =
        QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("unshare")));
    if (unshare.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("mount")).isEmpty()) {
        return without("unshare(1) or mount(8) is missing");
    }
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        return without("cannot find the test program itself");
    }
    QByteArray folder = QFile::encodeName(QDir::tempPath()) + "/moravel-small-disk-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        return without("no temporary folder for the mount point");
    }

    // The mount goes first and alone, so that a refusal (no CAP_SYS_ADMIN in a container) is
    // told apart from a failing test.
    const QByteArray mount = "mount -t tmpfs -o size=2m,mode=0755 moravel-small-disk \"$0\"";
    const std::vector<const char*> namespaceAndShell = {
        unshare.constData(), "-m", "--propagation", "private", "/bin/sh", "-c"};
    auto probe = namespaceAndShell;
    probe.push_back(mount.constData());
    probe.push_back(folder.constData());
    if (runAndWait(probe) != 0) {
        ::rmdir(folder.constData());
        return without("could not mount a tmpfs in a private mount namespace");
    }

    qputenv(smallDiskVariable, folder);
    const QByteArray script = mount + " && exec \"$@\"";
    auto run = namespaceAndShell;
    run.push_back(script.constData());
    run.push_back(folder.constData());
    run.push_back(self);
    for (char** argument = argv + 1; *argument; ++argument) {
        run.push_back(*argument);
    }
    const int status = runAndWait(run);
    ::rmdir(folder.constData());
    return status < 0 ? 1 : status;
}

// The folder of the small disk, or empty with the reason in `why`.
inline QString smallDiskFolder(QString& why) {
    if (!qEnvironmentVariableIsSet(smallDiskVariable)) {
        why = qEnvironmentVariable(noSmallDiskVariable, QStringLiteral("not run on a small disk"));
        return {};
    }
    return qEnvironmentVariable(smallDiskVariable);
}

inline QString ballastPath(const QString& folder) {
    return folder + QStringLiteral("/ballast");
}

// Fills the disk of `folder` with a ballast file until only about `freeBytes` remain free.
inline bool leaveFree(const QString& folder, qint64 freeBytes) {
    struct statvfs disk {};
    if (::statvfs(QFile::encodeName(folder).constData(), &disk) != 0) {
        return false;
    }
    const qint64 available =
        static_cast<qint64>(disk.f_bavail) * static_cast<qint64>(disk.f_frsize);
    const qint64 ballast = available - freeBytes;
    if (ballast <= 0) {
        return true;
    }
    const int fd = ::open(QFile::encodeName(ballastPath(folder)).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool filled = ::posix_fallocate(fd, 0, ballast) == 0;
    ::close(fd);
    return filled;
}

inline void removeBallast(const QString& folder) {
    QFile::remove(ballastPath(folder));
}

} // namespace moravel::testing
