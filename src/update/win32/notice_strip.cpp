// The notice strip's side in the update module: its text and target, and the handlers the spec of the answer
// names. The strip itself belongs to the main window, which makes, places and sizes it.
#include <windows.h>

#include "i18n/translate.h"
#include "platform/win32/application.h"
#include "ui/win32/status_strip.h"
#include "update/update_text.h"
#include "update/win32/update_prompts.h"

namespace tw::win {
namespace {

StatusStrip* StripOf(HWND hwnd) {
  return dynamic_cast<StatusStrip*>(Widget::FromHwnd(hwnd));
}

}  // namespace

HWND FindStatusBar(HWND main_window) {
  HWND strip = main_window ? GetDlgItem(main_window, kStatusBarId) : nullptr;
  return StripOf(strip) ? strip : nullptr;
}

void UpdatePrompts::ShowUpdateStatus(const std::u16string& target) {
  auto* host = dynamic_cast<INoticeHost*>(Widget::FromHwnd(Application::MainWindow()));
  StatusStrip* strip = host ? host->NoticeStrip() : nullptr;
  if (!strip) return;
  strip->on_click = [shell = services_.shell, strip] { OpenWebTarget(shell, strip->Hint()); };
  strip->SetText(UpdateText(utStatus, language_()));
  strip->SetHint(target);
  InvalidateRect(strip->hwnd(), nullptr, TRUE);
  UpdateWindow(strip->hwnd());
}

void TUpdateHelper::DrawUpdateStatus(HWND status_bar, const DRAWITEMSTRUCT& item) {
  if (StatusStrip* strip = StripOf(status_bar)) strip->DrawPanel(item);
}

void TUpdateHelper::StatusClick(HWND sender) {
  if (StatusStrip* strip = StripOf(sender); strip && strip->on_click) strip->on_click();
}

UpdatePrompts::UpdatePrompts(Services services, std::function<std::u16string()> language,
                             std::function<std::u16string()> caption)
    : services_(std::move(services)), language_(std::move(language)), caption_(std::move(caption)) {
  if (!language_) language_ = [] { return CurrentLanguage(); };
  if (!caption_) caption_ = [] { return Translate(Application::Title()); };
}

}  // namespace tw::win
