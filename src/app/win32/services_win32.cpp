#include "app/win32/services_win32.h"

#include "platform/win32/dispatcher_win32.h"
#include "platform/win32/shell_win32.h"

namespace tw::win {

Services MakeServices() {
  static Shell shell;
  Services s;
  s.shell = &shell;
  s.dispatcher = &UiDispatcher::Instance();
  return s;
}

}  // namespace tw::win
