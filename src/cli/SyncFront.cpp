#include "cli/SyncFront.h"

namespace cli {

void SyncFront::start() {
    openAccount(bookPath_, run_, account_, [this] {
        sync_.emplace(bookPath_, *account_.client, account_.settings.addressBook, *this);
        sync_->start();
    });
}

void SyncFront::failed(const platform::Error& e) {
    run_.fail(QStringLiteral("%1: %2").arg(bookPath_, e.description()));
}

QString counts(const engine::Counts& n) {
    return QStringLiteral("%1 new, %2 changed, %3 deleted").arg(n.added).arg(n.changed).arg(n.deleted);
}

} // namespace cli
