// The styled-button model of the widget set: per-state attribute sets filled by named style families.
// A control names a family, a class and an appearance; ResolveButtonStyle turns that into the five sets the
// button draws from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tw {

struct TColor {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const TColor&, const TColor&) = default;
};

enum class TButtonDrawType { btRoundRect, btRounded, btRect, btEllipse };
enum class TButtonDrawStyle { btnClear, btnSolid };
enum class TBorderDrawStyle { brdClear, brdSolid };
enum TFontStyle : unsigned { fsNone = 0, fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TStyledButtonAttributes {
  TButtonDrawType DrawType = TButtonDrawType::btRoundRect;
  TButtonDrawStyle ButtonDrawStyle = TButtonDrawStyle::btnSolid;
  TBorderDrawStyle BorderDrawStyle = TBorderDrawStyle::brdSolid;
  TColor ButtonColor{240, 240, 240};
  TColor BorderColor{173, 173, 173};
  int BorderWidth = 1;
  TColor FontColor{0, 0, 0};
  unsigned FontStyle = fsNone;
  int Radius = 6;              // left as the library made it
  bool RoundedCorners = true;  // left as the library made it
  friend bool operator==(const TStyledButtonAttributes&, const TStyledButtonAttributes&) = default;
};

// The five sets a button draws from, by state.
struct ButtonStyleSet {
  TStyledButtonAttributes Normal, Pressed, Selected, Hot, Disabled;
};

using TButtonClasses = std::vector<std::u16string>;
using TButtonAppearances = std::vector<std::u16string>;

class IStyledButtonAttributes {
 public:
  virtual ~IStyledButtonAttributes() = default;
  virtual void FillStateAttributes(const std::u16string& family, const std::u16string& cls,
                                   const std::u16string& appearance, TStyledButtonAttributes& normal,
                                   TStyledButtonAttributes& pressed, TStyledButtonAttributes& selected,
                                   TStyledButtonAttributes& hot, TStyledButtonAttributes& disabled) = 0;
  virtual std::u16string FamilyName() const = 0;
  virtual TButtonClasses StyleClasses() const = 0;
  virtual TButtonAppearances StyleAppearances() const = 0;
  // `result` is a dialog result (0 for none).
  virtual void StyleForDialogResult(int result, std::u16string& cls, std::u16string& appearance) const = 0;
};

// The library's family registry. Families are found by name without regard to ASCII case; registering a
// family under a name already taken replaces the earlier one.
void RegisterButtonFamily(std::shared_ptr<IStyledButtonAttributes> family);
IStyledButtonAttributes* FindButtonFamily(const std::u16string& name);
void ClearButtonFamilies();

// The five sets for a control that names `family`, `cls` and `appearance`. A class or appearance the family
// does not list falls back to the family's defaults; an unknown family gives the library's default sets.
ButtonStyleSet ResolveButtonStyle(const std::u16string& family, const std::u16string& cls,
                                  const std::u16string& appearance);

}  // namespace tw
