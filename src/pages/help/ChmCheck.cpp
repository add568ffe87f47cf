#include "pages/help/ChmCheck.h"

#include <QThread>

#include <chm_lib.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace help {
namespace {

struct Reading {
    std::vector<unsigned char> buffer;
    bool whole = true;
};

int readObject(chmFile* file, chmUnitInfo* unit, void* context) {
    auto* reading = static_cast<Reading*>(context);
    if (unit->length == 0)
        return CHM_ENUMERATOR_CONTINUE;
    if (unit->length > LargestObject) {
        reading->whole = false;
        return CHM_ENUMERATOR_FAILURE;
    }
    reading->buffer.resize(unit->length);
    const auto length = static_cast<LONGINT64>(unit->length);
    if (chm_retrieve_object(file, unit, reading->buffer.data(), 0, length) != length) {
        reading->whole = false;
        return CHM_ENUMERATOR_FAILURE;
    }
    return CHM_ENUMERATOR_CONTINUE;
}

[[noreturn]] void readEverythingAndExit(const char* path) {
    chmFile* file = chm_open(path);
    if (!file)
        _exit(1);
    Reading reading;
    chm_enumerate(file, CHM_ENUMERATE_ALL, readObject, &reading);
    chm_close(file);
    _exit(reading.whole ? 0 : 2);
}
} // namespace

bool readsCleanly(const QByteArray& nativePath, std::chrono::milliseconds patience) {
    const pid_t child = fork();
    if (child < 0)
        return true; // no room to check: read it as it is
    if (child == 0)
        readEverythingAndExit(nativePath.constData());

    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    pid_t done = 0;
    while ((done = waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        QThread::msleep(5);
    if (done == 0) { // stuck in a loop on a damaged file
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return false;
    }
    return done == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace help
