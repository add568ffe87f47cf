#include "pages/web/LocalFiles.h"

namespace web {

void LocalFiles::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!info.requestUrl().isLocalFile())
        return;
    // An address typed, a history step or a reload comes from no page.
    const QUrl from = info.initiator();
    const bool byUser =
        from.isEmpty() || info.navigationType() == QWebEngineUrlRequestInfo::NavigationTypeTyped;
    if (!byUser && !from.isLocalFile())
        info.block(true);
}

} // namespace web
