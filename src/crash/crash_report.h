// The last-resort handling of errors that escape an event handler.
#pragma once

#include <exception>
#include <string>

namespace tw {

// The text shown to the user for an escaped error: the project error's message, a standard exception's
// what() (UTF-8), or a generic text for anything else.
std::u16string DescribeException(const std::exception_ptr& error);

}  // namespace tw
