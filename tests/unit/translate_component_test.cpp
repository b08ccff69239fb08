#include <gtest/gtest.h>

#include <memory>

#include "app/form_components.h"
#include "fakes/fake_form_view.h"
#include "fakes/fake_locale.h"
#include "i18n/component.h"
#include "i18n/embedded_table.h"
#include "i18n/translate.h"
#include "platform/text.h"

namespace tw {
namespace {

using Journal = std::vector<std::string>;

class FakeItem : public IMenuItem {
 public:
  FakeItem(Journal& journal, std::u16string caption) : journal_(journal), caption_(std::move(caption)) {}
  FakeItem* Add(std::u16string caption) {
    items_.push_back(std::make_unique<FakeItem>(journal_, std::move(caption)));
    return items_.back().get();
  }
  std::u16string Caption() const override { return caption_; }
  void SetCaption(const std::u16string& text) override {
    journal_.push_back(EncodeUtf8(caption_) + ">" + EncodeUtf8(text));
    caption_ = text;
  }
  size_t Count() const override { return items_.size(); }
  IMenuItem* Item(size_t index) override { return items_.at(index).get(); }

 private:
  Journal& journal_;
  std::u16string caption_;
  std::vector<std::unique_ptr<FakeItem>> items_;
};

class FakeComponent : public IComponent {
 public:
  FakeComponent(Journal& journal, std::optional<std::u16string> caption)
      : journal_(journal), caption_(std::move(caption)) {}
  bool IsForm() const override { return form; }
  bool IsPopupMenu() const override { return root != nullptr; }
  IMenuItem* RootMenuItem() override { return root; }
  bool HasCaption() const override { return caption_.has_value(); }
  std::u16string Caption() const override { return caption_.value_or(u"(none)"); }
  void SetCaption(const std::u16string& text) override {
    journal_.push_back(EncodeUtf8(*caption_) + ">" + EncodeUtf8(text));
    caption_ = text;
  }
  size_t ComponentCount() const override { return owned.size(); }
  IComponent* Component(size_t index) override { return owned.at(index); }

  bool form = false;
  FakeItem* root = nullptr;
  std::vector<IComponent*> owned;

 private:
  Journal& journal_;
  std::optional<std::u16string> caption_;
};

class ComponentTranslation : public ::testing::Test {
 protected:
  void SetUp() override {
    test::FakeLocale locale(u"ko");
    TranslateModuleStart(EmbeddedTranslateTable(), locale);
  }
  void TearDown() override { TranslateModuleStop(); }
};

TEST_F(ComponentTranslation, NullComponentOnlySetsTheLanguage) {
  TranslateComponent(nullptr, u"ja");
  EXPECT_EQ(CurrentLanguage(), u"ja");
  TranslateComponent(nullptr);
  EXPECT_EQ(CurrentLanguage(), u"ja");
  TranslateMenuItem(nullptr);
}

// Popup items depth first, each before its sub-items; then the component's caption; then what it owns.
TEST_F(ComponentTranslation, WalkOrder) {
  Journal journal;
  FakeComponent window(journal, u"템포웨이브");
  window.form = true;
  FakeComponent popup(journal, std::nullopt);
  FakeItem root(journal, u"");
  FakeItem* home = root.Add(u"처음화면");
  home->Add(u"실행하기")->Add(u"실행중");
  home->Add(u"-");
  root.Add(u"후원하기");
  popup.root = &root;
  FakeComponent label(journal, u"환경설정");
  FakeComponent spinner(journal, std::nullopt);
  FakeComponent nested(journal, u"버전");
  label.owned = {&nested, nullptr};
  window.owned = {&popup, &label, &spinner};

  SetCurrentLanguage(u"fr");
  TranslateComponent(&window);
  const Journal expected = {
      "템포웨이브>Tempowave", ">",   "처음화면>Accueil", "실행하기>Exécuter",
      "실행중>En cours",      "->-", "후원하기>Donner",  "환경설정>Config",
      "버전>Version",
  };
  EXPECT_EQ(journal, expected);
}

TEST_F(ComponentTranslation, MenuItemOwnedTwiceEndsWithTheSameText) {
  Journal journal;
  FakeComponent window(journal, u"템포웨이브");
  window.form = true;
  FakeComponent popup(journal, std::nullopt);
  FakeItem root(journal, u"");
  FakeItem* item = root.Add(u"중지하기");
  popup.root = &root;
  // The same item reached again through the ownership list.
  struct ItemAsComponent : FakeComponent {
    ItemAsComponent(Journal& j, FakeItem* i) : FakeComponent(j, u""), item(i) {}
    std::u16string Caption() const override { return item->Caption(); }
    void SetCaption(const std::u16string& text) override { item->SetCaption(text); }
    FakeItem* item;
  } owned_item(journal, item);
  window.owned = {&popup, &owned_item};
  TranslateComponent(&window, u"ja");
  EXPECT_EQ(item->Caption(), u"停止する");
  ASSERT_EQ(journal.size(), 4u);
  EXPECT_EQ(journal[3], "停止する>停止する");
}

// Window titles: Korean only for exactly "ko", English otherwise; every other caption in the current
// language.
TEST_F(ComponentTranslation, WindowCaptionRule) {
  const struct {
    std::u16string language, window, label;
  } cases[] = {
      {u"ko", u"템포웨이브", u"실행하기"}, {u"ja", u"Tempowave", u"実行する"},  {u"KO", u"Tempowave", u"Run"},
      {u"de", u"Tempowave", u"Run"},       {u"ru", u"Tempowave", u"Запустить"},
  };
  for (const auto& c : cases) {
    Journal journal;
    FakeComponent window(journal, u"Tempowave");
    window.form = true;
    FakeComponent button(journal, u"Run");
    window.owned = {&button};
    TranslateComponent(&window, c.language);
    EXPECT_EQ(CurrentLanguage(), c.language);
    EXPECT_EQ(window.Caption(), c.window) << EncodeUtf8(c.language);
    EXPECT_EQ(button.Caption(), c.label) << EncodeUtf8(c.language);
  }
}

// The main window through its adapter, with the captions of the stored layout.
class MainWindowTranslation : public ComponentTranslation {
 protected:
  void SetUp() override {
    ComponentTranslation::SetUp();
    const std::pair<Ctl, std::u16string> stored[] = {
        {Ctl::GroupBox1, u"네트워크 아답터 정보"},
        {Ctl::LblTitle, u"템포웨이브"},
        {Ctl::GroupBox2, u"네이글 알고리즘 해제"},
        {Ctl::ChkTcpNoDelay, u"TcpNoDelay"},
        {Ctl::ChkTCPAckFrequency, u"TcpAckFrequency"},
        {Ctl::LblAdapter, u"..."},
        {Ctl::LblIPAddress, u"..."},
        {Ctl::ChkTcpDelAckTick, u"TcpDelAckTick"},
        {Ctl::GroupBox3, u"네트워크 쓰로틀링"},
        {Ctl::ChkNetworkThrottlingIndex, u"NetworkThrottlingIndex"},
        {Ctl::ChkSystemResponsiveness, u"SystemResponsiveness"},
        {Ctl::BtnHome, u"처음화면"},
        {Ctl::BtnConfig, u"환경설정"},
        {Ctl::BtnDonate, u"후원하기"},
        {Ctl::BtnStart, u"실행하기"},
        {Ctl::LblVersion, u"Loadiing..."},
    };
    for (const auto& [control, caption] : stored) view.at(control).caption = caption;
    view.caption = u"템포웨이브";
  }
  std::u16string Caption(Ctl control) { return view.at(control).caption; }
  test::FakeFormView view;
};

TEST_F(MainWindowTranslation, Japanese) {
  SetCurrentLanguage(u"ja");
  TranslateForm(view);
  EXPECT_EQ(view.caption, u"Tempowave");
  EXPECT_EQ(Caption(Ctl::LblTitle), u"テンポウェーブ");
  EXPECT_EQ(Caption(Ctl::BtnHome), u"ホーム");
  EXPECT_EQ(Caption(Ctl::BtnConfig), u"設定");
  EXPECT_EQ(Caption(Ctl::BtnDonate), u"寄付");
  EXPECT_EQ(Caption(Ctl::BtnStart), u"実行する");
  EXPECT_EQ(Caption(Ctl::GroupBox1), u"ネットワークアダプタ");
  EXPECT_EQ(Caption(Ctl::GroupBox2), u"ネイグルアルゴリズムを無効にする");
  EXPECT_EQ(Caption(Ctl::GroupBox3), u"ネットワークスロットリング指数");
  // Technical names and placeholders are in no block.
  EXPECT_EQ(Caption(Ctl::ChkTcpNoDelay), u"TcpNoDelay");
  EXPECT_EQ(Caption(Ctl::ChkSystemResponsiveness), u"SystemResponsiveness");
  EXPECT_EQ(Caption(Ctl::LblVersion), u"Loadiing...");
  EXPECT_EQ(Caption(Ctl::LblAdapter), u"...");
}

TEST_F(MainWindowTranslation, EveryCaptionedControlInStoredOrderAndTwiceIsStable) {
  TranslateForm(view, u"it");
  std::vector<std::string> written;
  for (const auto& entry : view.journal)
    written.push_back(entry.substr(0, entry.find(' ', entry.find(' ') + 1)));
  std::vector<std::string> expected = {"SetCaption Tempowave"};
  for (size_t i = 0; i < static_cast<size_t>(Ctl::Count); ++i) {
    const auto control = static_cast<Ctl>(i);
    if (control != Ctl::Indicator && control != Ctl::ImgLogo) {
      expected.push_back("SetControlCaption " + EncodeUtf8(CtlName(control)));
    }
  }
  EXPECT_EQ(written, expected);
  EXPECT_EQ(Caption(Ctl::BtnStart), u"Avvia");

  const auto first = view.controls;
  const auto title = view.caption;
  TranslateForm(view);
  EXPECT_EQ(view.caption, title);
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(view.controls[i].caption, first[i].caption) << i;
}

TEST_F(MainWindowTranslation, KoreanKeepsKoreanAndUpperCaseKoFallsBackToEnglish) {
  TranslateForm(view, u"ko");
  EXPECT_EQ(view.caption, u"템포웨이브");
  EXPECT_EQ(Caption(Ctl::BtnHome), u"처음화면");

  TranslateForm(view, u"KO");
  EXPECT_EQ(view.caption, u"Tempowave");
  EXPECT_EQ(Caption(Ctl::LblTitle), u"Tempowave");
  EXPECT_EQ(Caption(Ctl::BtnHome), u"Home");
  EXPECT_EQ(Caption(Ctl::GroupBox2), u"Disable Nagle's algorithm");
  EXPECT_EQ(Caption(Ctl::ChkTCPAckFrequency), u"TcpAckFrequency");
}

}  // namespace
}  // namespace tw
