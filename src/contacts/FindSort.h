#pragma once

#include "platform/binding/DataControl.h"
#include "platform/core/Error.h"

namespace contacts {

// Find and Sort: both select the Name index, which then orders every later
// move of the record set, until it is closed.
class FindSort {
public:
    explicit FindSort(binding::DataControl& Data1);

    void cmdFind_Click();
    void cmdSort_Click();

private:
    QString searchFailedText(const platform::Error& error) const;

    binding::DataControl& Data1;
};

} // namespace contacts
