#pragma once

#include <QString>

namespace platform {

// The folder that holds the program. Tests point it at a temporary folder.
QString appPath();
void setAppPath(const QString& folder);

// A file beside the program.
QString appFile(const QString& name);

// What the program ships with it (help, maker pages, the sample phone
// book): beside it, or, installed for the whole machine, in its shared data
// folder. Its private parts (the page windows module, helpers) likewise lie
// beside it or in its private library folder.
QString sharedFile(const QString& name);
QString privateFile(const QString& name);

// Where a user's own files live: beside the program wherever that folder
// may be written (a build, an install into the user's own folder);
// otherwise the user's data folder ($XDG_DATA_HOME/quorvel) for documents
// and the user's configuration folder ($XDG_CONFIG_HOME/quorvel) for
// settings. The folders are not made here: a writer makes them.
bool filesBesideProgram();
QString userDataFile(const QString& name);
QString userConfigFile(const QString& name);

} // namespace platform
