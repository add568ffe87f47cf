#include "platform/core/Error.h"

namespace platform {

Error::Error(int number, QString description, int cause)
    : number_(number), cause_(cause ? cause : number), description_(std::move(description)),
      utf8_(description_.toStdString()) {}

} // namespace platform
