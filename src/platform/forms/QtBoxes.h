#pragma once

#include "platform/forms/MsgBox.h"

namespace forms {

// The production answerer: real, modal Qt dialogs.
class QtBoxes final : public Answerer {
public:
    int messageBox(const QString& prompt, int flags, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    void closeBox(const QString& prompt) override;
};

} // namespace forms
