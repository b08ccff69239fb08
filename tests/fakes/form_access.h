// Reaches the main window's private state operations from tests.
#pragma once

#include <string>

#include "app/main_form.h"

namespace tw {

class TFrmTempowaveTestAccess {
 public:
  static void ApplyStatus(TFrmTempowave& form, TStatus status, const std::u16string& message = {}) {
    form.ApplyStatus(status, message);
  }
  static void LoadAdapterAndOptions(TFrmTempowave& form) { form.LoadAdapterAndOptions(); }
};

}  // namespace tw
