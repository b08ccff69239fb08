// Arbitrary answers from the service: the handling may raise only the project's error, nothing but a web
// address is ever handed to the shell, and a shown text is always bounded and clean.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fakes/fake_services.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_update_prompts.h"
#include "platform/error.h"
#include "platform/text.h"
#include "update/answer_text.h"
#include "update/update.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool yes = data[0] & 1;
  const int dpi = 48 + (data[0] >> 1) * 4;  // 48 to 556
  const std::u16string answer =
      tw::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

  tw::test::FakeShell shell;
  tw::test::FakeUpdatePrompts prompts;
  prompts.answer_yes = yes;
  tw::test::FakeServices fakes;
  tw::Services services = fakes.Bag();
  services.shell = &shell;
  services.prompts = &prompts;
  int calls = 0;
  try {
    tw::ProcessResponse(services, answer, [&](bool accepted, const std::u16string& whole) {
      ++calls;
      Check(whole == answer);
      Check(!accepted || yes);
    });
    Check(calls == 1);
  } catch (const tw::Error&) {
    Check(calls == 0);
  }
  for (const auto& target : shell.opened) Check(tw::IsWebUrl(target));
  for (const auto& target : prompts.notices) Check(tw::IsWebUrl(target));

  try {
    const tw::NoticeInfo notice = tw::ReadNotice(answer);
    // The text is shown: bounded and free of control and format characters, whatever the answer held.
    Check(tw::IsCleanText(notice.text, tw::kShownTextMax));
    const tw::NoticeLayout layout = tw::LayoutNotice(notice, 200, dpi, 10);
    Check(layout.extra_space == !notice.style.empty());
    if (layout.control != tw::NoticeLayout::kNone) Check(layout.control_top > layout.separator_top);
  } catch (const tw::Error&) {
  }
  return 0;
}
