#pragma once

#include "identity/Identity.h"
#include "platform/forms/FormRules.h"
#include "platform/forms/MsgBox.h"

#include <QApplication>
#include <QTest>

// A QTest main that sets up the application as the real one does: the form
// rules of every window, and the title that boxes carry.
#define QUORVEL_TEST_MAIN(TestObject)                                                                        \
    int main(int argc, char** argv) {                                                                        \
        QApplication app(argc, argv);                                                                        \
        forms::installFormRules();                                                                           \
        forms::setApplicationTitle(identity::ApplicationTitle);                                              \
        TestObject tc;                                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
