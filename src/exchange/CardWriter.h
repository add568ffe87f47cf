#pragma once

#include "exchange/Card.h"

#include <QByteArray>

#include <memory>

class QIODevice;

namespace exchange {

// Writes contacts to a file, buffered; every failed write throws
// platform::Error.
class CardWriter {
public:
    explicit CardWriter(QIODevice& out) : out_(out) {}
    virtual ~CardWriter() = default;
    virtual void write(const Card& card) = 0;
    void flush();

protected:
    void put(QByteArrayView bytes) { buffer_.append(bytes.data(), bytes.size()); }
    void endRecord();

private:
    QIODevice& out_;
    QByteArray buffer_;
};

// vCard (each card in its own version; 4.0 for one made here), or CSV with
// our header row.
std::unique_ptr<CardWriter> makeVCardWriter(QIODevice& out);
std::unique_ptr<CardWriter> makeCsvWriter(QIODevice& out);

} // namespace exchange
