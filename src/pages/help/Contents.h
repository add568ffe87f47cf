#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace help {

// One entry of a help file's contents: a heading, a page, or both.
struct Topic {
    QString name;
    QString local; // the page inside the help file; empty for a bare heading
    std::vector<Topic> children;
};

// Reads a contents file (an HTML list of sitemap objects, nested by <UL>).
// Whatever it cannot understand it leaves out rather than failing.
std::vector<Topic> parseContents(const QByteArray& sitemap);

// The first page in reading order, empty when there is none.
QString firstPage(const std::vector<Topic>& topics);

} // namespace help
