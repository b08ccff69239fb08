#include "crash/crash_report.h"

#include "platform/error.h"
#include "platform/text.h"

namespace tw {

std::u16string DescribeException(const std::exception_ptr& error) {
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (const Error& e) {
    return e.message();
  } catch (const std::exception& e) {
    return DecodeUtf8(e.what());
  } catch (...) {
    return u"An unexpected error occurred.";
  }
}

}  // namespace tw
