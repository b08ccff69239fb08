#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "theme/button_styles.h"
#include "theme/vantorel_button_styles.h"

namespace tw {
namespace {

using BS = TButtonDrawStyle;
using BD = TBorderDrawStyle;

constexpr TColor kAccent{0x3D, 0x84, 0xDD};
constexpr TColor kLight{0x50, 0x90, 0xE0};
constexpr TColor kWhite{0xFF, 0xFF, 0xFF};
constexpr TColor kBlack{0, 0, 0};
constexpr TColor kSilver{0xC0, 0xC0, 0xC0};

enum State { Normal, Pressed, Selected, Hot, Disabled };

std::string ToString(const TColor& c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.r, c.g, c.b);
  return buf;
}

// The family's sets as the design tables give them; every set is a round rect with border width 0 and
// regular text.
struct Row {
  const char* look;
  State state;
  BS fill;
  BD border;
  TColor button, border_color, font;
};
const Row kRows[] = {
    {"Normal", Normal, BS::btnSolid, BD::brdSolid, kAccent, kAccent, kWhite},
    {"Normal", Pressed, BS::btnSolid, BD::brdSolid, kAccent, kAccent, kWhite},
    {"Normal", Selected, BS::btnSolid, BD::brdSolid, kAccent, kAccent, kWhite},
    {"Normal", Hot, BS::btnSolid, BD::brdSolid, kLight, kAccent, kWhite},
    {"Normal", Disabled, BS::btnSolid, BD::brdSolid, kWhite, kSilver, kSilver},
    {"Header", Normal, BS::btnClear, BD::brdSolid, kWhite, kBlack, kBlack},
    {"Header", Pressed, BS::btnSolid, BD::brdClear, kAccent, kAccent, kWhite},
    {"Header", Selected, BS::btnSolid, BD::brdClear, kLight, kAccent, kWhite},
    {"Header", Hot, BS::btnSolid, BD::brdClear, kAccent, kAccent, kWhite},
    {"Header", Disabled, BS::btnClear, BD::brdSolid, kWhite, {0xBC, 0xBC, 0xBC}, {0x80, 0x80, 0x80}},
    {"Outline", Normal, BS::btnClear, BD::brdSolid, kAccent, kAccent, kBlack},
    {"Outline", Pressed, BS::btnSolid, BD::brdSolid, kAccent, kAccent, kWhite},
    {"Outline", Selected, BS::btnSolid, BD::brdSolid, kLight, kAccent, kWhite},
    {"Outline", Hot, BS::btnSolid, BD::brdSolid, kLight, kAccent, kWhite},
    {"Outline", Disabled, BS::btnClear, BD::brdSolid, kAccent, {0xD7, 0xD7, 0xD7}, {0xB3, 0xB3, 0xB3}},
};

const TStyledButtonAttributes& Pick(const ButtonStyleSet& s, State state) {
  const TStyledButtonAttributes* all[] = {&s.Normal, &s.Pressed, &s.Selected, &s.Hot, &s.Disabled};
  return *all[state];
}

ButtonStyleSet Fill(const std::u16string& cls, const std::u16string& appearance) {
  ButtonStyleSet s;
  // Attributes the family does not own must come through untouched.
  for (auto* a : {&s.Normal, &s.Pressed, &s.Selected, &s.Hot, &s.Disabled}) {
    a->Radius = 9;
    a->RoundedCorners = false;
    a->BorderWidth = 7;
    a->FontStyle = fsBold | fsItalic;
    a->DrawType = TButtonDrawType::btEllipse;
  }
  TVantorelButtonStyles().FillStateAttributes(u"Vantorel", cls, appearance, s.Normal, s.Pressed, s.Selected,
                                              s.Hot, s.Disabled);
  return s;
}

TEST(VantorelButtonStyles, FillsEveryStateOfEveryAppearanceAsTheTablesSay) {
  struct Name {
    std::u16string given;
    const char* look;
  };
  const Name names[] = {{u"Normal", "Normal"},   {u"Header", "Header"},  {u"Outline", "Outline"},
                        {u"outline", "Outline"}, {u"hEADER", "Header"},  {u"Flat", "Normal"},
                        {u"", "Normal"},         {u"Outlines", "Normal"}};
  for (const auto& name : names) {
    for (const std::u16string cls : {u"Primary", u"Secondary", u""}) {
      const ButtonStyleSet s = Fill(cls, name.given);
      for (const Row& row : kRows) {
        if (std::string(row.look) != name.look) continue;
        const TStyledButtonAttributes& a = Pick(s, row.state);
        SCOPED_TRACE(std::string(name.look) + " state " + std::to_string(row.state) + " given \"" +
                     std::string(name.given.begin(), name.given.end()) + "\"");
        EXPECT_EQ(a.DrawType, TButtonDrawType::btRoundRect);
        EXPECT_EQ(a.ButtonDrawStyle, row.fill);
        EXPECT_EQ(a.BorderDrawStyle, row.border);
        EXPECT_EQ(ToString(a.ButtonColor), ToString(row.button));
        EXPECT_EQ(ToString(a.BorderColor), ToString(row.border_color));
        EXPECT_EQ(ToString(a.FontColor), ToString(row.font));
        EXPECT_EQ(a.BorderWidth, 0);
        EXPECT_EQ(a.FontStyle, fsNone);
        EXPECT_EQ(a.Radius, 9);
        EXPECT_FALSE(a.RoundedCorners);
      }
    }
  }
}

TEST(VantorelButtonStyles, ComputesTheTableColours) {
  struct Case {
    const char* what;
    TColor got, want;
  };
  const Case cases[] = {
      {"light accent", Lighten(kAccentColor, 10), {0x50, 0x90, 0xE0}},
      {"grey 50 border", Grey(Lighten(kAccentColor, 50)), {0xBC, 0xBC, 0xBC}},
      {"grey 50 text", Grey(Lighten(kBlack, 50)), {0x80, 0x80, 0x80}},
      {"grey 70 border", Grey(Lighten(kAccentColor, 70)), {0xD7, 0xD7, 0xD7}},
      {"grey 70 text", Grey(Lighten(kBlack, 70)), {0xB3, 0xB3, 0xB3}},
      // Lightening rounds halves up: 0 + 255 / 2 = 127.5 and 1 + 254 * 0.25 = 64.5.
      {"half up", Lighten({0, 1, 255}, 50), {128, 128, 255}},
      {"half up quarter", Lighten({1, 255, 0}, 25), {65, 255, 64}},
      {"no change", Lighten({12, 34, 56}, 0), {12, 34, 56}},
      {"full", Lighten({12, 34, 56}, 100), {255, 255, 255}},
      // Greying rounds halves to even: 32.5 -> 32, 65.5 -> 66.
      {"half to even down", Grey({70, 10, 50}), {32, 32, 32}},
      {"half to even up", Grey({200, 0, 50}), {66, 66, 66}},
      {"grey of white", Grey({255, 255, 255}), {255, 255, 255}},
  };
  for (const auto& c : cases) EXPECT_EQ(ToString(c.got), ToString(c.want)) << c.what;
  EXPECT_EQ(kAccentColor, kAccent);
}

TEST(VantorelButtonStyles, NamesItsFamilyClassesAndDefaults) {
  const TVantorelButtonStyles family;
  EXPECT_EQ(family.FamilyName(), u"Vantorel");
  EXPECT_EQ(family.StyleClasses(), TButtonClasses{u"Primary"});
  EXPECT_EQ(family.StyleAppearances(), (TButtonAppearances{u"Normal", u"Header", u"Outline"}));
  for (int result : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, -1, 1000}) {
    std::u16string cls = u"x", appearance = u"y";
    family.StyleForDialogResult(result, cls, appearance);
    EXPECT_EQ(cls, u"Primary") << result;
    EXPECT_EQ(appearance, u"Normal") << result;
  }
}

// A family that records what the library asks of it.
class RecordingFamily : public IStyledButtonAttributes {
 public:
  explicit RecordingFamily(std::u16string name, int tag = 1) : name_(std::move(name)), tag_(tag) {}
  void FillStateAttributes(const std::u16string& family, const std::u16string& cls,
                           const std::u16string& appearance, TStyledButtonAttributes& normal,
                           TStyledButtonAttributes&, TStyledButtonAttributes&, TStyledButtonAttributes&,
                           TStyledButtonAttributes& disabled) override {
    got_family = family;
    got_class = cls;
    got_appearance = appearance;
    normal.BorderWidth = tag_;
    disabled.BorderWidth = fresh(disabled) ? -1 : -2;
  }
  std::u16string FamilyName() const override { return name_; }
  TButtonClasses StyleClasses() const override { return {u"Primary", u"Danger"}; }
  TButtonAppearances StyleAppearances() const override { return {u"Normal", u"Outline"}; }
  void StyleForDialogResult(int result, std::u16string& cls, std::u16string& appearance) const override {
    cls = result == 0 ? u"Danger" : u"?";
    appearance = result == 0 ? u"Outline" : u"?";
  }
  static bool fresh(const TStyledButtonAttributes& a) { return a == TStyledButtonAttributes{}; }
  std::u16string got_family, got_class, got_appearance;

 private:
  std::u16string name_;
  int tag_;
};

class ButtonStyleRegistry : public ::testing::Test {
 protected:
  void SetUp() override { ClearButtonFamilies(); }
  void TearDown() override { ClearButtonFamilies(); }
};

TEST_F(ButtonStyleRegistry, TakesOverListedNamesInTheFamilysSpellingAndFallsBackToItsDefaults) {
  auto family = std::make_shared<RecordingFamily>(u"Acme");
  RegisterButtonFamily(family);
  struct Case {
    std::u16string family, cls, appearance, want_class, want_appearance;
  };
  const Case cases[] = {
      {u"Acme", u"Primary", u"Normal", u"Primary", u"Normal"},
      {u"aCME", u"danger", u"OUTLINE", u"Danger", u"Outline"},
      {u"Acme", u"Flat", u"Flat", u"Danger", u"Outline"},  // the family's defaults
      {u"Acme", u"", u"normal", u"Danger", u"Normal"},
      {u"ACME", u"primary", u"Header", u"Primary", u"Outline"},
  };
  for (const auto& c : cases) {
    const ButtonStyleSet s = ResolveButtonStyle(c.family, c.cls, c.appearance);
    EXPECT_EQ(family->got_family, u"Acme");
    EXPECT_EQ(family->got_class, c.want_class);
    EXPECT_EQ(family->got_appearance, c.want_appearance);
    EXPECT_EQ(s.Normal.BorderWidth, 1);
    EXPECT_EQ(s.Disabled.BorderWidth, -1);  // the family got fresh sets
  }
}

TEST_F(ButtonStyleRegistry, UnknownFamilyGivesTheLibraryDefaults) {
  RegisterButtonFamily(std::make_shared<RecordingFamily>(u"Acme"));
  const ButtonStyleSet s = ResolveButtonStyle(u"Acm", u"Primary", u"Normal");
  for (const auto* a : {&s.Normal, &s.Pressed, &s.Selected, &s.Hot, &s.Disabled}) {
    EXPECT_EQ(*a, TStyledButtonAttributes{});
  }
  EXPECT_EQ(FindButtonFamily(u"Acm"), nullptr);
  EXPECT_EQ(FindButtonFamily(u""), nullptr);
}

TEST_F(ButtonStyleRegistry, ASecondFamilyOfTheSameNameReplacesTheFirst) {
  RegisterButtonFamily(std::make_shared<RecordingFamily>(u"Acme", 1));
  RegisterButtonFamily(std::make_shared<RecordingFamily>(u"ACME", 2));
  RegisterButtonFamily(nullptr);
  EXPECT_EQ(ResolveButtonStyle(u"acme", u"", u"").Normal.BorderWidth, 2);
  EXPECT_EQ(FindButtonFamily(u"Acme")->FamilyName(), u"ACME");
}

TEST_F(ButtonStyleRegistry, VantorelIsRegisteredOnceAtModuleStart) {
  EXPECT_EQ(FindButtonFamily(u"Vantorel"), nullptr);
  StartVantorelButtonStyles();
  IStyledButtonAttributes* first = FindButtonFamily(u"VANTOREL");
  ASSERT_NE(first, nullptr);
  StartVantorelButtonStyles();
  EXPECT_EQ(FindButtonFamily(u"vantorel"), first);

  // The Run button's and the header's looks through the library's lookup.
  const ButtonStyleSet run = ResolveButtonStyle(u"Vantorel", u"", u"Outline");
  EXPECT_EQ(run.Normal.ButtonDrawStyle, BS::btnClear);
  EXPECT_EQ(run.Disabled.BorderColor, (TColor{0xD7, 0xD7, 0xD7}));
  const ButtonStyleSet head = ResolveButtonStyle(u"vantorel", u"Primary", u"header");
  EXPECT_EQ(head.Pressed.ButtonColor, kAccent);
  EXPECT_EQ(head.Normal.FontColor, kBlack);
  const ButtonStyleSet other = ResolveButtonStyle(u"Vantorel", u"Big", u"Flat");
  EXPECT_EQ(other.Normal.ButtonDrawStyle, BS::btnSolid);
  EXPECT_EQ(other.Hot.ButtonColor, kLight);
}

}  // namespace
}  // namespace tw
