#include "cli/Passwords.h"

#include <QFile>
#include <QSaveFile>
#include <QTimer>

#include <memory>
#include <qt6keychain/keychain.h>
#include <utility>

namespace cli {
namespace {
const QString Service = QStringLiteral("Quorvel Book Dialer sync");
constexpr qint64 MaxPasswordBytes = 4096;

QString keyOf(const SyncSettings& s) {
    return QStringLiteral("%1@%2").arg(s.user, s.addressBook.toString(QUrl::FullyEncoded));
}

// A store that waits on a prompt nobody sees (or a hung daemon) must not hold the command: one that
// answers at all does so within a second or two.
constexpr int StoreSeconds = 5;
const QString StoreSilent =
    QStringLiteral("the desktop's secret store did not answer within %1 seconds").arg(StoreSeconds);
// Group or others may read or change it: the password is no longer the user's alone.
constexpr QFile::Permissions Shared =
    QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;

// Starts a job; `answered` or, when it never finishes, `silent` runs, once.
void whenAnswered(QKeychain::Job* job, const std::function<void(QKeychain::Job*)>& answered,
                  const std::function<void()>& silent) {
    auto once = std::make_shared<bool>(false);
    QObject::connect(job, &QKeychain::Job::finished, job, [=](QKeychain::Job* done) {
        if (!std::exchange(*once, true))
            answered(done);
    });
    QTimer::singleShot(StoreSeconds * 1000, job, [=] {
        if (!std::exchange(*once, true))
            silent();
    });
    job->start();
}

void writePasswordFile(const QString& path, const QString& password) {
    QSaveFile save(path);
    // Owner-only before the first byte of the password is written.
    if (!save.open(QIODevice::WriteOnly) || !save.setPermissions(QFile::ReadOwner | QFile::WriteOwner) ||
        save.write(password.toUtf8()) < 0 || !save.commit())
        throw platform::Error(platform::err::FileAccess,
                              QStringLiteral("%1: cannot write it (%2)").arg(path, save.errorString()));
}
} // namespace

void storePassword(const QString& book, const SyncSettings& settings, const QString& password,
                   const std::function<void(PasswordPlace, QString)>& stored,
                   const std::function<void(const platform::Error&)>& failed) {
    auto* job = new QKeychain::WritePasswordJob(Service); // deletes itself when finished
    job->setKey(keyOf(settings));
    job->setTextData(password);
    auto toFile = [=](const QString& why) {
        try {
            writePasswordFile(passwordFile(book), password);
        } catch (const platform::Error& e) {
            failed(e);
            return;
        }
        stored(PasswordPlace::File, why);
    };
    whenAnswered(
        job,
        [=](QKeychain::Job* done) {
            if (done->error() != QKeychain::NoError) {
                toFile(done->errorString());
                return;
            }
            QFile::remove(passwordFile(book)); // an older copy outside the store goes
            stored(PasswordPlace::SecretStore, {});
        },
        [=] { toFile(StoreSilent); });
}

void loadPassword(const QString& book, const SyncSettings& settings,
                  const std::function<void(QString)>& loaded,
                  const std::function<void(const platform::Error&)>& failed) {
    if (settings.password == PasswordPlace::File) {
        // Answered from the event loop like the secret store, so callers see one order of events.
        QTimer::singleShot(0, [=] {
            QFile file(passwordFile(book));
            if (file.exists() && (file.permissions() & Shared)) {
                // As with a private key: a secret others can read is not used, and the mending command is
                // said.
                failed(platform::Error(
                    platform::err::FileAccess,
                    QStringLiteral(
                        "%1 can be read by other users, so the sync password in it is not used; make "
                        "it yours alone with \"chmod 600 %1\" (and change the password if others may "
                        "have seen it)")
                        .arg(file.fileName())));
                return;
            }
            if (!file.open(QIODevice::ReadOnly) || file.size() > MaxPasswordBytes) {
                failed(platform::Error(
                    platform::err::FileAccess,
                    QStringLiteral("cannot read the sync password from %1 (%2); set up sync again")
                        .arg(file.fileName(), file.errorString())));
                return;
            }
            loaded(QString::fromUtf8(file.readAll()));
        });
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(Service); // deletes itself when finished
    job->setKey(keyOf(settings));
    auto cannotRead = [=](const QString& why) {
        failed(platform::Error(platform::err::FileAccess,
                               QStringLiteral("cannot read the sync password from the desktop's secret store "
                                              "(%1); unlock it, or set up sync again")
                                   .arg(why)));
    };
    whenAnswered(
        job,
        [=](QKeychain::Job* done) {
            if (done->error() != QKeychain::NoError) {
                cannotRead(done->errorString());
                return;
            }
            loaded(static_cast<QKeychain::ReadPasswordJob*>(done)->textData());
        },
        [=] { cannotRead(StoreSilent); });
}

} // namespace cli
