// Handlers whose behaviour arrives with later work; each is removed from here when it is built.
#include "app/main_form.h"

namespace tw {

void TFrmTempowave::FormCreate() {}

}  // namespace tw
