#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "app/form_components.h"
#include "fakes/fake_form_view.h"
#include "i18n/embedded_table.h"
#include "i18n/translate.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/resources_win32.h"

namespace tw {
namespace {

// The program next to the test folder (build/Tempowave.exe, build/tests/win_tests.exe).
std::wstring ProgramPath() {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  path.resize(path.find_last_of(L'\\'));
  path.resize(path.find_last_of(L'\\') + 1);
  return path + L"Tempowave.exe";
}

TEST(ProgramResources, TranslateTableIsEmbeddedAsRcData) {
  HMODULE program = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr) << "build the program first";
  for (const wchar_t* name : {L"translate", L"TRANSLATE", L"Translate"}) {
    const auto bytes = win::RcData(program, name);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, EmbeddedTranslateTable());
  }
  EXPECT_FALSE(win::RcData(program, L"translation").has_value());
  EXPECT_EQ(ParseTranslationTable(*win::RcData(program, L"translate")),
            ParseTranslationTable(EmbeddedTranslateTable()));
  EXPECT_GE(ParseTranslationTable(*win::RcData(program, L"translate")).size(), 127u);
  FreeLibrary(program);
}

TEST(ProgramResources, MissingResourceLeavesTheTableEmpty) {
  // The test executable itself carries no table.
  const auto bytes = win::RcData(nullptr, L"translate");
  EXPECT_FALSE(bytes.has_value());
  win::WinLocale locale;
  TranslateModuleStart(bytes, locale);
  EXPECT_TRUE(TranslationTable().empty());
  EXPECT_EQ(Translate(u"실행하기"), u"실행하기");
  TranslateModuleStop();
}

// The language chosen from the process's locale. The test runner starts Wine with C.UTF-8 ("en"); the
// locale entries of the test list run this test again under LC_ALL=xx_XX.UTF-8 with TW_EXPECT_LANGUAGE=xx.
TEST(UserLocale, LanguageFollowsTheProcessLocale) {
  // NOLINTNEXTLINE(concurrency-mt-unsafe): no other thread changes the environment meanwhile
  const char* env = std::getenv("TW_EXPECT_LANGUAGE");
  const std::string expected = env ? env : "en";
  const std::map<std::string, std::u16string> run = {
      {"ko", u"실행하기"},  {"en", u"Run"},   {"ja", u"実行する"}, {"zh", u"运行"},
      {"ru", u"Запустить"}, {"it", u"Avvia"}, {"fr", u"Exécuter"}, {"de", u"Run"},
  };
  ASSERT_TRUE(run.count(expected)) << expected;

  win::WinLocale locale;
  EXPECT_GE(locale.LocaleInfo(locale.UserDefaultLcid(), loc::kSIso639LangName, nullptr, 0), 3);
  const std::u16string language(expected.begin(), expected.end());
  EXPECT_EQ(SystemLanguage(locale), language);

  TranslateModuleStart(EmbeddedTranslateTable(), locale);
  EXPECT_EQ(CurrentLanguage(), language);
  EXPECT_EQ(Translate(u"실행하기"), run.at(expected));

  test::FakeFormView view;
  view.caption = u"템포웨이브";
  view.at(Ctl::ChkTcpNoDelay).caption = u"TcpNoDelay";
  TranslateForm(view);
  EXPECT_EQ(view.caption, expected == "ko" ? u"템포웨이브" : u"Tempowave");
  EXPECT_EQ(view.at(Ctl::BtnStart).caption, run.at(expected));
  EXPECT_EQ(view.at(Ctl::ChkTcpNoDelay).caption, u"TcpNoDelay");
  TranslateModuleStop();
}

}  // namespace
}  // namespace tw
