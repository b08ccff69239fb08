#include <gtest/gtest.h>

#include <stdexcept>

#include "crash/crash_report.h"
#include "platform/error.h"

namespace tw {
namespace {

TEST(DescribeException, NamesWhatEscaped) {
  EXPECT_EQ(DescribeException(std::make_exception_ptr(Error(u"Invalid data type for 'status'"))),
            u"Invalid data type for 'status'");
  EXPECT_EQ(DescribeException(std::make_exception_ptr(std::runtime_error("caf\xc3\xa9"))), u"caf\u00e9");
  EXPECT_EQ(DescribeException(std::make_exception_ptr(42)), u"An unexpected error occurred.");
  EXPECT_EQ(DescribeException(nullptr), u"");
}

}  // namespace
}  // namespace tw
