// The program's own button style family "Vantorel": one class, three appearances, all in the accent blue.
#pragma once

#include <string>

#include "theme/button_styles.h"

namespace tw {

// The accent shared by the window strip and the button family.
inline constexpr TColor kAccentColor{61, 132, 221};

// Moves every channel `percent` % of the way towards 255, rounding halves up.
TColor Lighten(TColor c, int percent);
// Sets every channel to the luma 0.299 R + 0.587 G + 0.114 B, rounding halves to even.
TColor Grey(TColor c);

class TVantorelButtonStyles : public IStyledButtonAttributes {
 public:
  TVantorelButtonStyles();
  void FillStateAttributes(const std::u16string& family, const std::u16string& cls,
                           const std::u16string& appearance, TStyledButtonAttributes& normal,
                           TStyledButtonAttributes& pressed, TStyledButtonAttributes& selected,
                           TStyledButtonAttributes& hot, TStyledButtonAttributes& disabled) override;
  std::u16string FamilyName() const override;
  TButtonClasses StyleClasses() const override;
  TButtonAppearances StyleAppearances() const override;
  void StyleForDialogResult(int result, std::u16string& cls, std::u16string& appearance) const override;

 private:
  TButtonClasses classes_;
  TButtonAppearances appearances_;
};

// Module start: registers the family with the widget library unless a family of its name is already there.
void StartVantorelButtonStyles();

}  // namespace tw
