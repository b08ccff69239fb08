// The window's creation sequence: where the parts of the program meet at start.
#include <array>

#include "app/form_components.h"
#include "app/main_form.h"
#include "build_config.h"
#include "i18n/translate.h"
#include "platform/random.h"
#include "update/update.h"

namespace tw {
namespace {

// Each is a lookup key of the translation table.
constexpr std::array<const char16_t*, 3> kSlogans = {
    u"<B>\uAC8C\uC784 \uBC18\uC751 \uC18D\uB3C4</B>\uB97C \uC190\uC27D\uAC8C \uD5A5\uC0C1 "
    u"\uC2DC\uD0B5\uB2C8\uB2E4.",
    u"\uCD5C\uC801\uD654\uB41C \uB124\uD2B8\uC6CC\uD06C\uB85C <B>\uC9C0\uC5F0 \uC2DC\uAC04\uC744 "
    u"\uCD5C\uC18C\uD654</B>\uD569\uB2C8\uB2E4.",
    u"\uAC04\uD3B8\uD55C \uC124\uC815\uC73C\uB85C <B>\uAC8C\uC784 \uC18D\uB3C4\uC640 "
    u"\uC548\uC815\uC131</B>\uC744 "
    u"\uB3D9\uC2DC\uC5D0 \uAC1C\uC120\uD569\uB2C8\uB2E4.",
};
constexpr char16_t kVersionWord[] = u"\uBC84\uC804";  // "Version"
constexpr int kDialogOffset = 10;

}  // namespace

std::u16string SloganMarkup(int index) {
  return u"<C><FC:clGray>" + Translate(kSlogans.at(static_cast<size_t>(index))) + u"</FC></C>";
}

void TFrmTempowave::FormCreate() {
  // An accepted update has already opened its target: the program closes.
  IFormView& view = view_;
  UpdateProc on_update = [&view](bool accepted, const std::u16string&) {
    if (accepted) view.Close();
  };
  view_.AttachThemeHelper();
  TranslateForm(view_);
  // After translation: the title is fitted in the user's language.
  view_.FitLabelFont(Ctl::LblTitle);
  view_.UseIconTitleFont();
  view_.SetVisible(Ctl::Indicator, false);
  view_.SetVisible(Ctl::BtnDonate, false);
  view_.SetActivePage(0);
  view_.SetApplicationTitle(view_.Caption());
  const int slogan = services_.random ? static_cast<int>(services_.random->Next(3)) : 0;
  view_.SetControlCaption(Ctl::LblContent, SloganMarkup(slogan));
  view_.SetControlCaption(Ctl::LblVersion,
                          Translate(kVersionWord) + u": " + VersionText(services_.version, u"%d.%d.%d.%d"));
  LoadAdapterAndOptions();
  CheckUpdate(services_, config::kUpdateUrl, on_update, kDialogOffset);
}

}  // namespace tw
