#pragma once

#include <QString>

class QObject;
class QWebEngineUrlSchemeHandler;

namespace web {

// Makes a scheme known to the page engine whose pages come from a folder on
// this computer ("name://site/page.html"). Unlike file: addresses, such
// pages may lead on to the network, and the network's pages cannot reach
// the folder through them. Must run before the engine makes its first page.
void registerFolderScheme(const QString& name);

// Serves the files of one folder, and nothing outside it.
QWebEngineUrlSchemeHandler* makeFolderScheme(const QString& folder, QObject* parent);

} // namespace web
