#pragma once

#include "platform/binding/DataControl.h"

#include <QLineEdit>

namespace contacts {

// New, Edit and Delete: they reach the table only through Data1's record
// set; typed values are stored by the data control after the save prompt.
class RecordCommands {
public:
    RecordCommands(binding::DataControl& Data1, QLineEdit& txtName);

    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();

private:
    binding::DataControl& Data1;
    QLineEdit& txtName;
};

} // namespace contacts
