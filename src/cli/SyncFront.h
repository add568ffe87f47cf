#pragma once

#include "cli/Account.h"
#include "sync/engine/Sync.h"

#include <optional>

namespace cli {

// What the sync commands share: the book's account opened, its sync started, and a failure told with the
// book's name. Each command says the rest its own way.
class SyncFront : public engine::Front {
public:
    void start();

protected:
    SyncFront(const QString& book, CommandRun& run) : bookPath_(book), run_(run) {}

    bool ended() const override { return run_.ended(); }
    void failed(const platform::Error& e) override;

    const QString bookPath_;
    CommandRun& run_;
    Account account_;
    std::optional<engine::Sync> sync_;
};

// "2 new, 1 changed, 0 deleted"
QString counts(const engine::Counts& n);

} // namespace cli
