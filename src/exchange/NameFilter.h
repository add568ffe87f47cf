#pragma once

#include <QByteArrayView>

#include <memory>

namespace exchange {

// Which names a phone book may hold, in a fixed 4 MB however many names go
// in: "no" is certain, "maybe" means looking in the book. Names match as the
// Name index matches them: UTF-8 bytes, ASCII letters without regard to case.
class NameFilter {
public:
    NameFilter();
    void add(QByteArrayView utf8);
    bool mayHold(QByteArrayView utf8) const;
    // Starts fetching the name's place from memory, to be asked soon.
    void prefetch(QByteArrayView utf8) const;

private:
    std::unique_ptr<quint64[]> words_;
};

} // namespace exchange
