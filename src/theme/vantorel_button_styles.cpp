#include "theme/vantorel_button_styles.h"

#include <memory>

#include "platform/text.h"

namespace tw {
namespace {

constexpr TColor kWhite{255, 255, 255};
constexpr TColor kBlack{0, 0, 0};
constexpr TColor kSilver{192, 192, 192};

std::uint8_t LightenChannel(std::uint8_t v, int percent) {
  const int scaled = (255 - v) * percent;  // hundredths of a step
  return static_cast<std::uint8_t>(v + (scaled + 50) / 100);
}

enum class Look { Normal, Header, Outline };

Look LookOf(const std::u16string& appearance) {
  if (AsciiEqualsIgnoreCase(appearance, u"Header")) return Look::Header;
  if (AsciiEqualsIgnoreCase(appearance, u"Outline")) return Look::Outline;
  return Look::Normal;
}

void FillNormal(Look look, TStyledButtonAttributes& a) {
  a.DrawType = TButtonDrawType::btRoundRect;
  a.ButtonDrawStyle = look == Look::Normal ? TButtonDrawStyle::btnSolid : TButtonDrawStyle::btnClear;
  a.BorderDrawStyle = TBorderDrawStyle::brdSolid;
  a.ButtonColor = look == Look::Header ? kWhite : kAccentColor;
  a.BorderColor = look == Look::Header ? kBlack : kAccentColor;
  a.BorderWidth = 0;
  a.FontColor = look == Look::Normal ? kWhite : kBlack;
  a.FontStyle = fsNone;
}

// The pressed, selected and hot looks of the clear appearances: filled with `fill`, white text.
void FillSolid(TStyledButtonAttributes& a, TColor fill) {
  a.ButtonDrawStyle = TButtonDrawStyle::btnSolid;
  a.ButtonColor = fill;
  a.FontColor = kWhite;
}

}  // namespace

TColor Lighten(TColor c, int percent) {
  return {LightenChannel(c.r, percent), LightenChannel(c.g, percent), LightenChannel(c.b, percent)};
}

TColor Grey(TColor c) {
  const int thousandths = 299 * c.r + 587 * c.g + 114 * c.b;
  int v = thousandths / 1000;
  const int rest = thousandths % 1000;
  if (rest > 500 || (rest == 500 && v % 2 == 1)) ++v;
  const auto g = static_cast<std::uint8_t>(v);
  return {g, g, g};
}

TVantorelButtonStyles::TVantorelButtonStyles()
    : classes_{u"Primary"}, appearances_{u"Normal", u"Header", u"Outline"} {}

void TVantorelButtonStyles::FillStateAttributes(
    const std::u16string&, const std::u16string&, const std::u16string& appearance,
    TStyledButtonAttributes& normal, TStyledButtonAttributes& pressed, TStyledButtonAttributes& selected,
    TStyledButtonAttributes& hot, TStyledButtonAttributes& disabled) {
  const Look look = LookOf(appearance);
  const TColor light_accent = Lighten(kAccentColor, 10);
  FillNormal(look, normal);
  pressed = normal;
  selected = normal;
  hot = normal;
  disabled = normal;
  switch (look) {
    case Look::Normal:
      hot.ButtonColor = light_accent;
      disabled.ButtonColor = kWhite;
      disabled.BorderColor = kSilver;
      disabled.FontColor = kSilver;
      disabled.BorderWidth = 0;
      break;
    case Look::Header:
      for (auto* s : {&pressed, &selected, &hot}) {
        FillSolid(*s, s == &selected ? light_accent : kAccentColor);
        s->BorderDrawStyle = TBorderDrawStyle::brdClear;
        s->BorderColor = kAccentColor;
      }
      disabled.BorderColor = Grey(Lighten(kAccentColor, 50));
      disabled.FontColor = Grey(Lighten(kBlack, 50));
      break;
    case Look::Outline:
      pressed.ButtonDrawStyle = TButtonDrawStyle::btnSolid;
      pressed.FontColor = kWhite;
      FillSolid(selected, light_accent);
      FillSolid(hot, light_accent);
      disabled.BorderColor = Grey(Lighten(kAccentColor, 70));
      disabled.FontColor = Grey(Lighten(kBlack, 70));
      break;
  }
}

std::u16string TVantorelButtonStyles::FamilyName() const {
  return u"Vantorel";
}

TButtonClasses TVantorelButtonStyles::StyleClasses() const {
  return classes_;
}

TButtonAppearances TVantorelButtonStyles::StyleAppearances() const {
  return appearances_;
}

void TVantorelButtonStyles::StyleForDialogResult(int, std::u16string& cls, std::u16string& appearance) const {
  cls = u"Primary";
  appearance = u"Normal";
}

void StartVantorelButtonStyles() {
  if (FindButtonFamily(u"Vantorel")) return;
  RegisterButtonFamily(std::make_shared<TVantorelButtonStyles>());
}

}  // namespace tw
