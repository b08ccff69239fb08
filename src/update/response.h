// The answer handling on the UI thread: the update offer, the notice strip, the web targets they open and the
// offer's notice area.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/prompts.h"
#include "platform/services.h"

namespace tw {

class IShell;

// Called on the UI thread once the answer has been handled: accepted = the user took the update offer.
using UpdateProc = std::function<void(bool accepted, const std::u16string& answer)>;

// The answer handling on the UI thread: the offer, the strip, then `proc`. A malformed \u escape in a value
// raises tw::Error and skips the rest.
void ProcessResponse(const Services& services, const std::u16string& answer, const UpdateProc& proc);

// Targets from the service's answer are opened only when they are plain web addresses: the process runs
// elevated, and a server must never be able to start a program or open a file. An address longer than
// kAddressMax or holding control or format characters is refused.
bool IsWebUrl(std::u16string_view target);
// IsWebUrl, and https: the only scheme an update target may have.
bool IsSecureWebUrl(std::u16string_view target);
void OpenWebTarget(IShell* shell, const std::u16string& target);

// The notice object of an answer, its values unescaped (raises tw::Error like JsonUnescape); the text, which
// is shown, cleaned and bounded by ShownText.
struct NoticeInfo {
  std::u16string style, text, flag, url;
};
NoticeInfo ReadNotice(const std::u16string& answer);

// The offer's notice area. Sizes are in pixels of the dialog's current scale; tops are measured in the
// dialog's client coordinates from its outer height, as the layout was designed.
struct NoticeLayout {
  enum Control { kNone, kHoldBox, kNoteLink };
  bool extra_space = false;  // style non-empty: grow and show the separator
  bool stay_on_top = false;
  Control control = kNone;
  int grow = 0;
  int separator_top = 0;
  int control_top = 0;
  int left = 0;
};
// `outer_height` is the dialog's outer height before growing.
NoticeLayout LayoutNotice(const NoticeInfo& notice, int outer_height, int dpi, int dialog_offset);

}  // namespace tw
