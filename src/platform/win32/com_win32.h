// COM through ole32: a single-threaded apartment on the calling thread.
#pragma once

#include "platform/com.h"

namespace tw::win {

class Win32Com final : public ICom {
 public:
  bool Enter() override;
  void Leave() override;
};

}  // namespace tw::win
