#pragma once

#include "platform/core/Error.h"
#include "platform/data/DataControl.h"

namespace contacts {

// Find and Sort: both select the Name index, which then orders every later
// move of the record set, until it is closed.
class FindSort {
public:
    explicit FindSort(data::DataControl& Data1);

    void cmdFind_Click();
    void cmdSort_Click();

private:
    QString searchFailedText(const platform::Error& error) const;

    data::DataControl& Data1;
};

} // namespace contacts
