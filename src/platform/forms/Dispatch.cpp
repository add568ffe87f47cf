#include "platform/forms/Dispatch.h"

#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"

namespace forms {

void dispatch(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const platform::Error& error) {
        if (error.cause() != platform::err::Declined) // the user's own answer ended it
            MsgBox(error.description(), vbCritical);
    } catch (const std::exception& error) {
        // Anything else is a fault of ours; say so rather than end the program.
        MsgBox(QString::fromUtf8(error.what()), vbCritical);
    }
}

} // namespace forms
