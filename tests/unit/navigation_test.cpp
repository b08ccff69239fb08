#include <gtest/gtest.h>

#include "app/main_form.h"
#include "build_config.h"
#include "fakes/fake_form_view.h"
#include "fakes/fake_services.h"
#include "fakes/fake_shell.h"

namespace tw {
namespace {

class Navigation : public ::testing::Test {
 protected:
  test::FakeFormView view;
  test::FakeShell shell;
  test::FakeServices fakes;
  TFrmTempowave form{view, WithShell(fakes.Bag(), shell)};

  static Services WithShell(Services services, test::FakeShell& shell) {
    services.shell = &shell;
    return services;
  }
};

TEST_F(Navigation, ConfigAndHomeSwitchPagesWithOnePressedButton) {
  form.BtnHomeClick(u"BtnConfig");
  EXPECT_EQ(view.page, 1);
  EXPECT_TRUE(view.at(Ctl::BtnConfig).down);
  EXPECT_FALSE(view.at(Ctl::BtnHome).down);

  form.BtnHomeClick(u"BtnConfig");  // the pressed button stays pressed
  EXPECT_EQ(view.page, 1);
  EXPECT_TRUE(view.at(Ctl::BtnConfig).down);

  form.BtnHomeClick(u"BtnHome");
  EXPECT_EQ(view.page, 0);
  EXPECT_TRUE(view.at(Ctl::BtnHome).down);
  EXPECT_FALSE(view.at(Ctl::BtnConfig).down);
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(Navigation, LinksOpenInTheBrowserWithoutChangingThePage) {
  struct Case {
    std::u16string sender;
    std::u16string url;
  };
  const std::u16string host = config::kLinkHost;
  const Case cases[] = {
      {u"ImgLogo", host + u"/tempowave"},
      {u"imglogo", host + u"/tempowave"},  // letter case does not matter
      {u"BtnDonate", host + u"/donate?tempowave"},
  };
  for (const auto& c : cases) {
    shell.opened.clear();
    form.BtnHomeClick(c.sender);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], c.url);
    EXPECT_EQ(view.page, 0);
    EXPECT_TRUE(view.at(Ctl::BtnHome).down);
    EXPECT_FALSE(view.at(Ctl::BtnDonate).down);
  }
}

TEST_F(Navigation, UnknownSenderDoesNothing) {
  form.BtnHomeClick(u"BtnStart");
  form.BtnHomeClick(u"");
  EXPECT_TRUE(view.journal.empty());
  EXPECT_TRUE(shell.opened.empty());
}

}  // namespace
}  // namespace tw
