#include "platform/error.h"

#include "platform/text.h"

namespace tw {

Error::Error(std::u16string message) : message_(std::move(message)), utf8_(EncodeUtf8(message_)) {}

}  // namespace tw
