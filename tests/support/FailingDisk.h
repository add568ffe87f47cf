#pragma once

// Ways to make writing fail for real, also when the tests run as root.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testing {

// Makes the folder read-only while it lives. Root passes by permission
// bits, so as root this thread's file checks are made as an ordinary user
// meanwhile (setfsuid drops the file capabilities with it).
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder) : path_(QFile::encodeName(folder)) {
        ::chmod(path_.constData(), 0555);
        if (::geteuid() == 0)
            ::setfsuid(65534);
    }
    ~ReadOnlyFolder() {
        if (::geteuid() == 0)
            ::setfsuid(0);
        ::chmod(path_.constData(), 0755);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    QByteArray path_;
};

// Files may grow no larger than two bytes while it lives: a full disk.
class FullDisk {
public:
    FullDisk() {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = before_;
        tiny.rlim_cur = 2;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit before_{};
    void (*previous_)(int) = nullptr;
};

} // namespace testing
