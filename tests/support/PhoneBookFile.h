#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace testing {

// A contact as the seven fields in table order (book::Field).
using Contact = QStringList;

Contact contact(const QString& name, const QString& phone = {}, const QString& mobile = {});

// Phone book files of the current version, for tests only.
namespace phonebook {
// The delivered phone book with its sample contacts.
void createSample(const QString& path);
// A book holding exactly these contacts, stored in this order.
void create(const QString& path, const QList<Contact>& contacts);
// A book as any SQLite tool makes it: the seven fields and the Name index,
// no version, holding these contacts.
void createVersion0(const QString& path, const QList<Contact>& contacts);
// Every contact in rowid order.
QList<Contact> read(const QString& path);
// Runs SQL on the file (setting up odd cases: NULL names, dropped tables).
void exec(const QString& path, const QString& sql);
// The first column of the first row of a query, as text.
QString query(const QString& path, const QString& sql);
} // namespace phonebook

} // namespace testing
