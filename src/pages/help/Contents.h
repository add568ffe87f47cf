#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace help {

// One entry of a help file's contents or index: a heading, a page, or both,
// at its depth in the tree (0 at the top). The tree is kept as a list in
// reading order, so that no step over it needs to recurse.
struct Topic {
    QString name;
    QString local; // the page inside the help file; empty for a bare heading
    int level = 0;
};

// What a help file may hold that a window can still show at once; a
// crafted file may claim far more.
inline constexpr int DeepestLevel = 32;
inline constexpr int MostTopics = 20000;

struct Sitemap {
    std::vector<Topic> topics;
    bool tooDeep = false; // entries below DeepestLevel are shown at it
    bool tooMany = false; // only the first MostTopics are kept
};

// Reads a contents or index file (an HTML list of sitemap objects, nested
// by <UL>). Whatever it cannot understand it leaves out rather than failing.
Sitemap parseContents(const QByteArray& sitemap);

// The first page in reading order, empty when there is none.
QString firstPage(const std::vector<Topic>& topics);

} // namespace help
