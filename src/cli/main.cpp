// quorvel-book: the command-line companion that brings contacts in and out.
#include "cli/Cli.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return cli::runCommand(app.arguments().mid(1), out, err);
}
