#include "pages/help/Contents.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace help {
namespace {

// Attribute values of a tag, with the few character references that names
// and file names use decoded.
QString attribute(const QString& tag, const QString& name) {
    // Compiled once: an index may hold many thousands of entries.
    static const QRegularExpression re(
        QStringLiteral("\\b([A-Za-z]+)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"));
    QString value;
    bool found = false;
    for (auto it = re.globalMatch(tag); it.hasNext() && !found;) {
        const auto m = it.next();
        if (m.captured(1).compare(name, Qt::CaseInsensitive) == 0) {
            value = m.captured(2) + m.captured(3) + m.captured(4);
            found = true;
        }
    }
    if (!found)
        return {};
    static const QRegularExpression numeric(QStringLiteral("&#(\\d+);"));
    for (auto it = numeric.globalMatch(value); it.hasNext();) {
        const auto n = it.next();
        value.replace(n.captured(0), QChar(n.captured(1).toInt()));
    }
    return value.replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

} // namespace

Sitemap parseContents(const QByteArray& sitemap) {
    Sitemap map;
    // Per open list: whether it opened a level (a list right after an entry
    // holds that entry's children; one without a heading adds no level).
    std::vector<bool> opened;
    // Per level: how many entries it holds so far.
    std::vector<int> filled;
    std::optional<Topic> pending;
    bool inSitemap = false;

    static const QRegularExpression tags(QStringLiteral("<\\s*(/?)\\s*([A-Za-z]+)([^>]*)>"));
    const QString text = QString::fromUtf8(sitemap);
    for (auto it = tags.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        const QString attrs = m.captured(3);
        if (name == QLatin1String("ul")) {
            if (closing) {
                if (!opened.empty()) {
                    if (opened.back())
                        filled.pop_back();
                    opened.pop_back();
                }
            } else {
                const bool level = filled.empty() || filled.back() > 0;
                opened.push_back(level);
                if (level)
                    filled.push_back(0);
            }
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inSitemap = attribute(attrs, QStringLiteral("type"))
                                .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                if (inSitemap)
                    pending.emplace();
            } else if (inSitemap && pending) {
                if (!pending->name.isEmpty() || !pending->local.isEmpty()) {
                    if (static_cast<int>(map.topics.size()) >= MostTopics) {
                        map.tooMany = true;
                        break;
                    }
                    const int depth = filled.empty() ? 0 : static_cast<int>(filled.size()) - 1;
                    pending->level = std::min(depth, DeepestLevel);
                    map.tooDeep = map.tooDeep || depth > DeepestLevel;
                    map.topics.push_back(std::move(*pending));
                    if (!filled.empty())
                        ++filled.back();
                }
                pending.reset();
                inSitemap = false;
            }
        } else if (name == QLatin1String("param") && pending) {
            const QString key = attribute(attrs, QStringLiteral("name")).toLower();
            if (key == QLatin1String("name") && pending->name.isEmpty())
                pending->name = attribute(attrs, QStringLiteral("value"));
            else if (key == QLatin1String("local") && pending->local.isEmpty())
                pending->local = attribute(attrs, QStringLiteral("value"));
        }
    }
    return map;
}

QString firstPage(const std::vector<Topic>& topics) {
    for (const Topic& topic : topics)
        if (!topic.local.isEmpty())
            return topic.local;
    return {};
}

} // namespace help
