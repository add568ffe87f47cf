#include "platform/core/Error.h"

namespace platform {

Error::Error(int number, QString description)
    : number_(number), description_(std::move(description)), utf8_(description_.toStdString()) {}

} // namespace platform
