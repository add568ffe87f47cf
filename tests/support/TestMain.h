#pragma once

#include "identity/Identity.h"
#include "platform/forms/MsgBox.h"

#include <QApplication>
#include <QTest>

// A QTest main that names the program as the real one does, so boxes carry
// the application title.
#define QUORVEL_TEST_MAIN(TestObject)                                                                        \
    int main(int argc, char** argv) {                                                                        \
        QApplication app(argc, argv);                                                                        \
        forms::setApplicationTitle(identity::ApplicationTitle);                                              \
        TestObject tc;                                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
