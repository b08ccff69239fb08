#include "update/response.h"

#include "platform/dpi.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "update/answer_text.h"
#include "update/strings.h"

namespace tw {
namespace {

std::u16string Value(std::u16string_view source, std::u16string_view start_marker) {
  return JsonUnescape(ExtractBetween(source, start_marker, u"\""));
}

}  // namespace

bool IsWebUrl(std::u16string_view target) {
  size_t rest = 0;
  if (AsciiEqualsIgnoreCase(target.substr(0, 7), u"http://")) {
    rest = 7;
  } else if (AsciiEqualsIgnoreCase(target.substr(0, 8), u"https://")) {
    rest = 8;
  } else {
    return false;
  }
  if (target.size() == rest) return false;
  // The shell hands the target to the browser inside a quoted command line: a quote, a space or a control
  // character could add arguments of its own. Format characters would make the address shown differ from
  // the one opened.
  for (char16_t c : target) {
    if (c <= u' ' || c == u'"' || c == 0x7F) return false;
  }
  return IsCleanText(target, kAddressMax);
}

void OpenWebTarget(IShell* shell, const std::u16string& target) {
  if (shell && IsWebUrl(target)) shell->Open(target);
}

bool IsSecureWebUrl(std::u16string_view target) {
  return IsWebUrl(target) && AsciiEqualsIgnoreCase(target.substr(0, 8), u"https://");
}

void ProcessResponse(const Services& services, const std::u16string& answer, const UpdateProc& proc) {
  const std::u16string update = Value(answer, u"\"update\":\"");
  bool accepted = false;
  // A new version is only offered from an https address: over plain http anyone on the way could swap it.
  if (IsSecureWebUrl(update) && services.prompts && services.prompts->UpdateDialog(answer)) {
    OpenWebTarget(services.shell, update);
    accepted = true;
  }
  const std::u16string notify = Value(answer, u"\"notify\":\"");
  if (IsWebUrl(notify) && services.prompts) services.prompts->ShowUpdateStatus(notify);
  if (proc) proc(accepted, answer);
}

NoticeInfo ReadNotice(const std::u16string& answer) {
  const std::u16string info = ExtractBetween(answer, u"\"info\":{", u"}");
  NoticeInfo notice;
  notice.style = Value(info, u"\"style\":\"");
  notice.text = ShownText(Value(info, u"\"text\":\""));
  notice.flag = Value(info, u"\"flag\":\"");
  notice.url = Value(info, u"\"url\":\"");
  return notice;
}

NoticeLayout LayoutNotice(const NoticeInfo& notice, int outer_height, int dpi, int dialog_offset) {
  NoticeLayout layout;
  layout.stay_on_top = notice.flag.find(u"stayontop") != std::u16string::npos;
  if (notice.style.empty()) return layout;
  layout.extra_space = true;
  layout.grow = Scale(40 - dialog_offset, dpi);
  const int height = outer_height + layout.grow;
  layout.separator_top = height - Scale(76 - dialog_offset, dpi);
  layout.left = Scale(10, dpi);
  if (notice.style == u"hold") {
    layout.control = NoticeLayout::kHoldBox;
  } else if (notice.style == u"note") {
    layout.control = NoticeLayout::kNoteLink;
  }
  if (layout.control != NoticeLayout::kNone) layout.control_top = height - Scale(66 - dialog_offset, dpi);
  return layout;
}

}  // namespace tw
