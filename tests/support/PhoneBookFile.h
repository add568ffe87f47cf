#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace testing {

// A contact as the seven fields in table order:
// Name, Company, Phone, Address, Mobile, Email, WebPage.
using Contact = QStringList;

Contact contact(const QString& name, const QString& phone = {}, const QString& mobile = {});

// Phone book files made from the delivered schema, for tests only.
namespace phonebook {
// The delivered phone book with its sample contacts.
void createSample(const QString& path);
// The delivered schema holding exactly these contacts, stored in this order.
void create(const QString& path, const QList<Contact>& contacts);
// Every contact in rowid order.
QList<Contact> read(const QString& path);
// Runs SQL on the file (setting up odd cases: NULL names, dropped tables).
void exec(const QString& path, const QString& sql);
} // namespace phonebook

} // namespace testing
