// The project's one exception type. It is raised only where the program reports an error (a wrongly typed
// settings value, a malformed \u escape, a WMI failure after the adapter query) and carries the message text.
#pragma once

#include <exception>
#include <string>

namespace tw {

class Error : public std::exception {
 public:
  explicit Error(std::u16string message);
  const std::u16string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::u16string message_;
  std::string utf8_;
};

}  // namespace tw
