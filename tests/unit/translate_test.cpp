#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "fakes/fake_locale.h"
#include "i18n/embedded_table.h"
#include "i18n/texts.h"
#include "i18n/translate.h"
#include "platform/text.h"

namespace tw {
namespace {

using Lines = std::vector<std::u16string>;

std::string Utf8(const std::u16string& s) {
  return EncodeUtf8(s);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Every test starts from the real table with a known language and leaves the module stopped.
class Translation : public ::testing::Test {
 protected:
  void SetUp() override { Start(EmbeddedTranslateTable()); }
  void TearDown() override { TranslateModuleStop(); }
  void Start(std::optional<std::string_view> bytes, const std::u16string& language = u"ko") {
    TranslateModuleStop();
    test::FakeLocale locale(language);
    TranslateModuleStart(bytes, locale);
  }
};

// The sixteen stored blocks come first, as they were; phrases the program added later follow them in whole
// blocks of the same seven rows.
TEST_F(Translation, EmbeddedTableHasSixteenBlocksOfSevenLanguages) {
  const Lines& table = TranslationTable();
  ASSERT_GE(table.size(), 127u);
  ASSERT_EQ((table.size() - 127) % 8, 0u) << "a separator and seven rows per added block";
  const size_t blocks = 16 + (table.size() - 127) / 8;
  const char16_t* order[] = {u"ko", u"en", u"ja", u"zh", u"ru", u"it", u"fr"};
  std::map<std::u16string, size_t> block_of;  // a phrase found in two blocks would hide the later one
  for (size_t block = 0; block < blocks; ++block) {
    for (size_t row = 0; row < 7; ++row) {
      const std::u16string& line = table[block * 8 + row];
      EXPECT_EQ(line.substr(0, 3), std::u16string(order[row]) + u"=") << block << " " << row;
      const auto [at, fresh] = block_of.emplace(AsciiLowerCase(line.substr(3)), block);
      EXPECT_TRUE(fresh || at->second == block) << Utf8(line) << " also in block " << at->second;
    }
    if (block < blocks - 1) {
      EXPECT_TRUE(table[block * 8 + 7].empty()) << block;
    }
  }
  EXPECT_EQ(table[0], u"ko=템포웨이브");  // the byte-order mark is not part of the first line
  EXPECT_EQ(table[5 * 8 + 6], u"fr=Exécuter");
  EXPECT_EQ(table[126], u"fr=Indice de limitation réseau");
  // The stored file keeps its one LF-only line: the Italian row of block 5.
  const std::string_view bytes = EmbeddedTranslateTable();
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(bytes.find("\r\nit=Dona\nfr=Donner\r\n"), std::string_view::npos);
  size_t lone_lf = 0;
  for (size_t i = 0; i < bytes.size(); ++i) lone_lf += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
  EXPECT_EQ(lone_lf, 1u);
  // New phrases only ever follow the first sixteen blocks, whose bytes stay exactly as they were.
  ASSERT_GT(bytes.size(), 3433u);
  std::uint64_t hash = 0xCBF29CE484222325u;  // FNV-1a
  for (unsigned char b : bytes.substr(0, 3433)) hash = (hash ^ b) * 0x100000001B3u;
  EXPECT_EQ(hash, 0x26A1C40FB08CD50Fu);
  EXPECT_EQ(bytes.substr(3431, 4), "\r\n\r\n");
}

TEST_F(Translation, Lookups) {
  const struct {
    std::u16string text, language, current, expected;
  } cases[] = {
      {u"", u"", u"ja", u""},
      {u"", u"en", u"ja", u""},
      {u"실행하기", u"", u"ja", u"実行する"},
      {u"실행하기", u"", u"ko", u"실행하기"},
      {u"version", u"", u"ko", u"버전"},  // ASCII letters match without regard to case
      {u"VERSION", u"", u"ru", u"Версия"},
      {u"EXÉCUTER", u"", u"en", u"EXÉCUTER"},   // "É" and "é" differ
      {u"exécuter", u"", u"en", u"Run"},        // only the ASCII "E" is folded
      {u"Running", u"fr", u"ko", u"En cours"},  // found through its English phrase
      {u"実行中", u"", u"de", u"Running"},      // no "de" row: English
      {u"実行中", u"", u"pt", u"Running"},
      {u"Run", u"EN", u"ja", u"Run"},  // "EN" is no row name; the "en" fallback answers
      {u"실행하기", u"EN", u"ja", u"Run"},
      {u"실행하기", u"JA", u"ko", u"Run"},
      {u"Tempowave", u"", u"ja", u"テンポウェーブ"},
      {u"Tempowave", u"", u"ko", u"템포웨이브"},
      {u"Tempowave", u"", u"zh", u"Tempowave"},
      {u"設定", u"fr", u"ko", u"Config"},
      {u"Config", u"", u"ja", u"設定"},
      {u"<b>게임 반응 속도</b>를 손쉽게 향상 시킵니다.", u"", u"en",
       u"Easily improve <B>game responsiveness</B>."},
      {u"Run ", u"", u"ja", u"Run "},  // lengths must be equal
      {u"Ru", u"", u"ja", u"Ru"},
      {u"TcpNoDelay", u"", u"ja", u"TcpNoDelay"},
      {u"Loadiing...", u"", u"ja", u"Loadiing..."},
      {u"two\\nlines", u"", u"ja", u"two\rlines"},  // unknown text: "\n" still becomes one CR
      {u"a\\n\\nb\\", u"", u"ja", u"a\r\rb\\"},
      {u"-", u"", u"ja", u"-"},
      {u"Unknown", u"it", u"ja", u"Sconosciuto"},
      {u"Il n'y a pas de réseaux actifs.", u"", u"ru", u"Нет активных сетей."},
  };
  for (const auto& c : cases) {
    SetCurrentLanguage(c.current);
    EXPECT_EQ(Translate(c.text, c.language), c.expected)
        << Utf8(c.text) << " [" << Utf8(c.language) << "] current " << Utf8(c.current);
  }
}

// What the program shows when it cannot open a link at the user's level.
TEST_F(Translation, AddressToCopyPhrasesInEveryLanguage) {
  const std::u16string keys[] = {u"브라우저를 열 수 없습니다. 아래 주소를 복사하여 브라우저에서 여십시오.",
                                 u"복사", u"닫기"};
  const struct {
    std::u16string language;
    std::u16string expected[3];
  } cases[] = {
      {u"ko", {keys[0], keys[1], keys[2]}},
      {u"en",
       {u"The browser could not be opened. Copy the address below into your browser.", u"Copy", u"Close"}},
      {u"ja",
       {u"ブラウザーを開けませんでした。下のアドレスをコピーしてブラウザーで開いてください。", u"コピー",
        u"閉じる"}},
      {u"zh", {u"无法打开浏览器。请复制下面的地址并在浏览器中打开。", u"复制", u"关闭"}},
      {u"ru",
       {u"Не удалось открыть браузер. Скопируйте адрес ниже и откройте его в браузере.", u"Копировать",
        u"Закрыть"}},
      {u"it",
       {u"Impossibile aprire il browser. Copia l'indirizzo qui sotto nel tuo browser.", u"Copia", u"Chiudi"}},
      {u"fr",
       {u"Impossible d'ouvrir le navigateur. Copiez l'adresse ci-dessous dans votre navigateur.", u"Copier",
        u"Fermer"}},
      {u"de",
       {u"The browser could not be opened. Copy the address below into your browser.", u"Copy", u"Close"}},
  };
  for (const auto& c : cases) {
    SetCurrentLanguage(c.language);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(Translate(keys[i]), c.expected[i]) << Utf8(c.language) << " " << i;
      // Each phrase finds its own block from any language, never another block's.
      EXPECT_EQ(Translate(c.expected[i], u"ko"), keys[i]) << Utf8(c.language) << " " << i;
    }
  }
}

// Every named interface text has its block in the embedded table: the Korean row is the name's text byte for
// byte, every one of the seven languages has a row with a text, and that row is what Translate answers. And
// the other way round: every block is a named text, except the stored Stop caption that no window shows.
TEST_F(Translation, EveryNamedTextHasABlockOfSevenLanguages) {
  const struct {
    const char* name;
    const char16_t* key;
  } texts[] = {
      {"kTextTempowave", kTextTempowave},
      {"kTextHome", kTextHome},
      {"kTextConfig", kTextConfig},
      {"kTextDonate", kTextDonate},
      {"kTextRun", kTextRun},
      {"kTextRunning", kTextRunning},
      {"kTextSloganResponsiveness", kTextSloganResponsiveness},
      {"kTextSloganLatency", kTextSloganLatency},
      {"kTextSloganStability", kTextSloganStability},
      {"kTextNoActiveNetwork", kTextNoActiveNetwork},
      {"kTextVersion", kTextVersion},
      {"kTextUnknown", kTextUnknown},
      {"kTextAdapterGroup", kTextAdapterGroup},
      {"kTextNagleGroup", kTextNagleGroup},
      {"kTextThrottlingGroup", kTextThrottlingGroup},
      {"kTextBrowserNotOpened", kTextBrowserNotOpened},
      {"kTextCopy", kTextCopy},
      {"kTextClose", kTextClose},
      {"kTextUndone", kTextUndone},
      {"kTextNotYet", kTextNotYet},
      {"kTextStayedOff", kTextStayedOff},
      {"kTextKeptBack", kTextKeptBack},
      {"kTextRecordDamagedKept", kTextRecordDamagedKept},
      {"kTextNotChanged", kTextNotChanged},
      {"kTextOtherCopy", kTextOtherCopy},
      {"kTextNotAdministrator", kTextNotAdministrator},
      {"kTextRecordDamagedRun", kTextRecordDamagedRun},
      {"kTextRecordNotStored", kTextRecordNotStored},
      {"kTextGivenBackElsewhere", kTextGivenBackElsewhere},
      {"kTextShutdownReason", kTextShutdownReason},
  };
  const char16_t* languages[] = {u"ko", u"en", u"ja", u"zh", u"ru", u"it", u"fr"};
  const Lines& table = TranslationTable();
  std::set<std::u16string> named;
  for (const auto& t : texts) {
    SCOPED_TRACE(t.name);
    const std::u16string key = t.key;
    EXPECT_TRUE(named.insert(key).second) << "the same key under two names";
    const auto first = std::find(table.begin(), table.end(), u"ko=" + key);
    ASSERT_NE(first, table.end()) << "no Korean row";
    const size_t start = static_cast<size_t>(first - table.begin());
    ASSERT_LE(start + 7, table.size());
    for (size_t row = 0; row < 7; ++row) {
      const std::u16string prefix = std::u16string(languages[row]) + u"=";
      const std::u16string& line = table[start + row];
      ASSERT_EQ(line.substr(0, 3), prefix) << "row " << row;
      EXPECT_GT(line.size(), 3u) << Utf8(prefix);
      EXPECT_EQ(Translate(key, languages[row]), line.substr(3)) << Utf8(prefix);
    }
  }
  for (const auto& line : table) {
    if (line.substr(0, 3) != u"ko=") continue;
    const std::u16string key = line.substr(3);
    EXPECT_TRUE(named.count(key) == 1 || key == u"\uC911\uC9C0\uD558\uAE30") << Utf8(key) << " has no name";
  }
}

TEST_F(Translation, TranslatingAResultAgainIsStable) {
  for (const char16_t* language : {u"ko", u"en", u"ja", u"zh", u"ru", u"it", u"fr", u"de"}) {
    SetCurrentLanguage(language);
    for (const auto& line : TranslationTable()) {
      if (line.empty()) continue;
      const std::u16string value = line.substr(line.find(u'=') + 1);
      const std::u16string once = Translate(value);
      EXPECT_EQ(Translate(once), once) << Utf8(value) << " " << Utf8(language);
    }
  }
}

// Small tables that show how the lookup reads lines and blocks.
TEST_F(Translation, TableRules) {
  const struct {
    const char* what;
    std::string table;
    std::u16string text, language, expected;
  } cases[] = {
      {"value keeps further '='", "ko=a=b\r\nen=x\r\n", u"a=b", u"en", u"x"},
      {"value with '=' returned whole", "ko=a=b\r\nen=x\r\n", u"X", u"ko", u"a=b"},
      {"line without '=' matches nothing", "junk\r\nen=x\r\n", u"junk", u"en", u"junk"},
      {"no row for the language nor English", "ko=a\r\nja=b\r\n", u"a", u"fr", u"a"},
      {"first hit in table order wins", "ko=a\r\nen=A1\r\n\r\nja=a\r\nen=A2\r\n", u"a", u"en", u"A1"},
      {"walk back stops at the separator", "ko=a\r\nen=A\r\n\r\nko=b\r\nja=B\r\n", u"b", u"en", u"b"},
      {"walk forward stops at the separator", "ko=a\r\n\r\nen=A\r\n", u"a", u"en", u"a"},
      {"a line of spaces is no separator", "ko=a\r\n \r\nen=A\r\n", u"a", u"en", u"A"},
      {"first row of the language wins", "ko=a\r\nen=A\r\nen=B\r\n", u"a", u"en", u"A"},
      {"row names are case-sensitive", "ko=a\r\nEN=B\r\nen=A\r\n", u"a", u"EN", u"B"},
      {"escapes resolved in the answer", "ko=줄\\n바꿈\r\nen=Line\\nbreak\r\n", u"Line\\nbreak", u"ko",
       u"줄\r바꿈"},
      {"search uses the text before resolution", "ko=줄\\n바꿈\r\nen=Line\\nbreak\r\n", u"Line\\nbreak",
       u"en", u"Line\rbreak"},
      {"a resolved text is not found", "ko=줄\\n바꿈\r\nen=Line\\nbreak\r\n", u"Line\rbreak", u"ko",
       u"Line\rbreak"},
      {"no byte-order mark", "ko=a\nen=A", u"a", u"en", u"A"},
      {"empty value is never a hit", "ko=\r\nen=A\r\n", u"", u"en", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Start(c.table);
    EXPECT_EQ(Translate(c.text, c.language), c.expected);
  }
}

TEST(SplitLines, LineEndings) {
  const struct {
    std::u16string text;
    Lines lines;
  } cases[] = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\r\n", {u"a"}},
      {u"a\n", {u"a"}},
      {u"a\r", {u"a"}},
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\r\n\r\nb\r\n", {u"a", u"", u"b"}},
      {u"a\n\nb", {u"a", u"", u"b"}},
      {u"a\r\rb", {u"a", u"", u"b"}},
      {u"a\n\r b", {u"a", u"", u" b"}},  // LF then CR are two breaks
      {u"a\r\n\r\n", {u"a", u""}},
      {u"\r\n", {u""}},
      {u" \r\n", {u" "}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << Utf8(c.text);
}

TEST(TableBytes, LineEndingVariantsGiveTheSameTable) {
  const std::string stored(EmbeddedTranslateTable());
  const Lines reference = ParseTranslationTable(stored);
  ASSERT_GE(reference.size(), 127u);
  const std::string lf = Replace(stored, "\r\n", "\n");
  const struct {
    const char* what;
    std::string bytes;
  } variants[] = {
      {"LF only", lf},
      {"CR only", Replace(lf, "\n", "\r")},
      {"CR LF throughout", Replace(lf, "\n", "\r\n")},
      {"mixed", Replace(Replace(lf, "\nen=", "\r\nen="), "\nja=", "\rja=")},
      {"no byte-order mark", lf.substr(3)},
      {"no break after the last line", lf.substr(0, lf.size() - 1)},
  };
  for (const auto& v : variants) EXPECT_EQ(ParseTranslationTable(v.bytes), reference) << v.what;
}

TEST(TableBytes, UndecodableTableIsEmpty) {
  const std::string cases[] = {
      "\xEF\xBB\xBFko=\xC3\x28\r\nen=A\r\n",  // broken sequence
      "ko=\xED\xA0\x80\r\n",                  // an encoded surrogate
      "ko=\xC0\xAF\r\n",                      // overlong
      "\xEF\xBB",                             // a cut-off mark
  };
  for (const auto& bytes : cases) EXPECT_TRUE(ParseTranslationTable(bytes).empty());
  EXPECT_TRUE(ParseTranslationTable("").empty());
  EXPECT_TRUE(ParseTranslationTable("\xEF\xBB\xBF").empty());
}

TEST_F(Translation, WithoutATableEveryTextComesBack) {
  for (const std::optional<std::string_view> resource :
       {std::optional<std::string_view>(), std::optional<std::string_view>("\xEF\xBB\xBFko=\xFF\r\n")}) {
    Start(resource, u"ja");
    EXPECT_TRUE(TranslationTable().empty());
    EXPECT_EQ(CurrentLanguage(), u"ja");
    EXPECT_EQ(Translate(u"실행하기"), u"실행하기");
    EXPECT_EQ(Translate(u"Run", u"ko"), u"Run");
    EXPECT_EQ(Translate(u"a\\nb"), u"a\rb");
  }
}

TEST_F(Translation, ModuleStopReleasesTableAndLanguage) {
  EXPECT_EQ(CurrentLanguage(), u"ko");
  EXPECT_FALSE(TranslationTable().empty());
  TranslateModuleStop();
  EXPECT_TRUE(TranslationTable().empty());
  EXPECT_EQ(CurrentLanguage(), u"");
  EXPECT_EQ(Translate(u"Run", u"ja"), u"Run");
}

TEST(SystemLanguage, FromTheLocaleOrEnglish) {
  const struct {
    const char* what;
    std::u16string name;
    std::optional<int> size_result, fill_result;
    std::u16string language, current;
  } cases[] = {
      {"Korean", u"ko", {}, {}, u"ko", u"ko"},
      {"Japanese", u"ja", {}, {}, u"ja", u"ja"},
      {"three letters", u"fil", {}, {}, u"fil", u"fi"},
      {"size query fails", u"ko", 0, {}, u"en", u"en"},
      {"size query negative", u"ko", -1, {}, u"en", u"en"},
      {"second call fails", u"ko", {}, 0, u"en", u"en"},
      {"empty name", u"", {}, {}, u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakeLocale locale(c.name);
    locale.lcid = 0x0412;
    locale.size_result = c.size_result;
    locale.fill_result = c.fill_result;
    EXPECT_EQ(SystemLanguage(locale), c.language);
    ASSERT_FALSE(locale.calls.empty());
    EXPECT_EQ(locale.calls[0].lcid, 0x0412u);
    EXPECT_EQ(locale.calls[0].type, 0x59u);
    EXPECT_FALSE(locale.calls[0].with_buffer);
    EXPECT_EQ(locale.calls[0].size, 0);
    if (locale.calls.size() > 1) {
      EXPECT_TRUE(locale.calls[1].with_buffer);
      EXPECT_EQ(locale.calls[1].size, static_cast<int>(c.name.size()) + 1);
    }

    locale.calls.clear();
    TranslateModuleStart(EmbeddedTranslateTable(), locale);
    EXPECT_EQ(CurrentLanguage(), c.current);
    TranslateModuleStop();
  }
}

}  // namespace
}  // namespace tw
