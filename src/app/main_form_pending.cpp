// Handlers whose behaviour arrives with later work; each is removed from here when it is built.
#include "app/main_form.h"

namespace tw {

void TFrmTempowave::FormCreate() {}
void TFrmTempowave::BtnStartClick() {}
void TFrmTempowave::ChkTCPAckFrequencyClick() {}
void TFrmTempowave::ChkTcpNoDelayClick() {}
void TFrmTempowave::ChkTcpDelAckTickClick() {}
void TFrmTempowave::ChkNetworkThrottlingIndexClick() {}
void TFrmTempowave::ChkSystemResponsivenessClick() {}

}  // namespace tw
