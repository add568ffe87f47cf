#include "pages/help/Contents.h"

#include <QRegularExpression>

#include <optional>

namespace help {
namespace {

// Attribute values of a tag, with the few character references that names
// and file names use decoded.
QString attribute(const QString& tag, const QString& name) {
    const QRegularExpression re(
        QStringLiteral("\\b%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(tag);
    if (!m.hasMatch())
        return {};
    QString value = m.captured(1) + m.captured(2) + m.captured(3);
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

std::vector<Topic> parseContents(const QByteArray& sitemap) {
    std::vector<Topic> root;
    // The lists being filled, innermost last. Only the innermost one grows,
    // so the pointers to the outer ones stay valid.
    std::vector<std::vector<Topic>*> lists;
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
                if (!lists.empty())
                    lists.pop_back();
            } else if (lists.empty()) {
                lists.push_back(&root);
            } else if (!lists.back()->empty()) {
                lists.push_back(&lists.back()->back().children);
            } else {
                lists.push_back(lists.back()); // a list without a heading: flatten it
            }
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inSitemap = attribute(attrs, QStringLiteral("type"))
                                .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                if (inSitemap)
                    pending.emplace();
            } else if (inSitemap && pending) {
                if (!pending->name.isEmpty() || !pending->local.isEmpty())
                    (lists.empty() ? root : *lists.back()).push_back(std::move(*pending));
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
    return root;
}

QString firstPage(const std::vector<Topic>& topics) {
    for (const Topic& topic : topics) {
        if (!topic.local.isEmpty())
            return topic.local;
        if (QString page = firstPage(topic.children); !page.isEmpty())
            return page;
    }
    return {};
}

} // namespace help
