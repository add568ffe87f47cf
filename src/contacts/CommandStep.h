#pragma once

#include "platform/core/Error.h"

#include <utility>

namespace contacts {

// One step of a command that skips failing steps, as platform::resumeNext,
// with one exception: a store of typed values that failed ends the command
// and rises to the dispatcher, so the user learns that it was not saved
// (the boxes still hold what was typed).
template <typename Step> void step(Step&& run) {
    try {
        std::forward<Step>(run)();
    } catch (const platform::Error& error) {
        if (error.number() == platform::err::StoreFailed)
            throw;
    }
}

} // namespace contacts
