#include "MakePhoneBook.h"

#include "book/Upgrade.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

std::string makePhoneBook(const std::string& samplesFile, const std::string& target, bool* created) {
    if (created)
        *created = false;
    if (access(target.c_str(), F_OK) == 0)
        return {};
    std::stringstream sql;
    sql << book::createSql().toStdString();
    if (!samplesFile.empty()) {
        std::ifstream in(samplesFile);
        if (!in)
            return "cannot read " + samplesFile;
        sql << in.rdbuf();
    }

    const std::string temp = target + ".new-" + std::to_string(getpid());
    unlink(temp.c_str());
    std::string failure;
    {
        sqlite3* raw = nullptr;
        const int rc =
            sqlite3_open_v2(temp.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
        if (rc != SQLITE_OK) {
            failure = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        } else {
            char* message = nullptr;
            if (sqlite3_exec(raw, sql.str().c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
                failure = message ? message : "schema failed";
                sqlite3_free(message);
            }
        }
    }
    // link() refuses an existing target, so a file that appeared meanwhile stays.
    if (failure.empty() && link(temp.c_str(), target.c_str()) != 0 && errno != EEXIST)
        failure = std::strerror(errno);
    else if (failure.empty() && created)
        *created = true;
    unlink(temp.c_str());
    return failure;
}
