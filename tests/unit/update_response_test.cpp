#include <gtest/gtest.h>

#include "fakes/fake_services.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_update_prompts.h"
#include "platform/error.h"
#include "update/answer_text.h"
#include "update/update_text.h"
#include "update/update.h"

namespace tw {
namespace {

TEST(ProcessResponse, OfferStripAndCallback) {
  struct Case {
    const char* name;
    std::u16string answer;
    bool yes;
    std::vector<std::u16string> journal;  // what the prompts were asked, in order
    std::vector<std::u16string> opened;
    std::vector<std::u16string> notices;
    bool accepted;
  };
  const Case cases[] = {
      {"no markers", u"<html>busy</html>", true, {}, {}, {}, false},
      {"notice only",
       u"{\"update\":\"\",\"notify\":\"https://n/1\"}",
       true,
       {u"status"},
       {},
       {u"https://n/1"},
       false},
      {"offer accepted, strip still added",
       u"{\"notify\":\"http://n/\",\"update\":\"https://u/x?a=1\"}",
       true,
       {u"dialog", u"status"},
       {u"https://u/x?a=1"},
       {u"http://n/"},
       true},
      {"offer declined", u"{\"update\":\"https://u/\"}", false, {u"dialog"}, {}, {}, false},
      // An update target must be https: a plain http one is not offered, in any letter case.
      {"plain http update target", u"{\"update\":\"http://u/setup.exe\"}", true, {}, {}, {}, false},
      {"plain http update target in capitals", u"{\"update\":\"HTTP://u/\"}", true, {}, {}, {}, false},
      {"https in capitals", u"{\"update\":\"HTTPS://u/\"}", true, {u"dialog"}, {u"HTTPS://u/"}, {}, true},
      {"keys in upper case", u"{\"UPDATE\":\"https://u/\"}", true, {u"dialog"}, {u"https://u/"}, {}, true},
      {"escaped slashes",
       u"{\"update\":\"https:\\/\\/u\\/d\"}",
       true,
       {u"dialog"},
       {u"https://u/d"},
       {},
       true},
      {"space after the colon is not a marker", u"{\"update\": \"https://u/\"}", true, {}, {}, {}, false},
      {"first occurrence counts",
       u"{\"notify\":\"http://a/\",\"notify\":\"http://b/\"}",
       true,
       {u"status"},
       {},
       {u"http://a/"},
       false},
      // Targets other than web addresses are never opened, and change nothing else.
      {"program as update target",
       u"{\"update\":\"C:\\\\Windows\\\\System32\\\\calc.exe\"}",
       true,
       {},
       {},
       {},
       false},
      {"UNC path as notice", u"{\"notify\":\"\\\\\\\\srv\\\\share\\\\x.exe\"}", true, {}, {}, {}, false},
      {"other scheme",
       u"{\"update\":\"file:///C:/x.exe\",\"notify\":\"ms-settings:\"}",
       true,
       {},
       {},
       {},
       false},
      {"web notice beside a hostile offer",
       u"{\"update\":\"cmd.exe\",\"notify\":\"https://n/\"}",
       true,
       {u"status"},
       {},
       {u"https://n/"},
       false},
  };
  for (const auto& c : cases) {
    test::FakeShell shell;
    test::FakeUpdatePrompts prompts;
    prompts.answer_yes = c.yes;
    test::FakeServices fakes;
    Services services = fakes.Bag();
    services.shell = &shell;
    services.prompts = &prompts;
    std::vector<std::pair<bool, std::u16string>> calls;
    ProcessResponse(services, c.answer, [&](bool a, const std::u16string& s) { calls.push_back({a, s}); });
    EXPECT_EQ(prompts.journal, c.journal) << c.name;
    for (const auto& d : prompts.dialogs)
      EXPECT_EQ(d, c.answer) << c.name;  // the dialog reads the whole answer
    EXPECT_EQ(shell.opened, c.opened) << c.name;
    EXPECT_EQ(prompts.notices, c.notices) << c.name;
    ASSERT_EQ(calls.size(), 1u) << c.name;
    EXPECT_EQ(calls[0], std::make_pair(c.accepted, c.answer)) << c.name;
  }
}

TEST(ProcessResponse, MalformedEscapeRaisesAndSkipsTheCallback) {
  test::FakeServices fakes;
  const Services services = fakes.Bag();
  bool called = false;
  EXPECT_THROW(ProcessResponse(services, u"{\"update\":\"\\u00G0\"}",
                               [&](bool, const std::u16string&) { called = true; }),
               Error);
  EXPECT_FALSE(called);
}

TEST(IsWebUrl, OnlyPlainWebAddresses) {
  struct Case {
    std::u16string target;
    bool web;
  };
  const Case cases[] = {
      {u"http://a", true},
      {u"https://www.vantorel.com/download?v=1.2&x=%20", true},
      {u"HTTPS://A/", true},
      {u"hTtP://a", true},
      {u"", false},
      {u"http://", false},
      {u"http:/a", false},
      {u"https:a", false},
      {u"ftp://a/", false},
      {u"file:///C:/Windows/notepad.exe", false},
      {u"C:\\Windows\\notepad.exe", false},
      {u"\\\\server\\share\\x.exe", false},
      {u"notepad", false},
      {u"javascript:alert(1)", false},
      {u" https://a/", false},
      {u"https://a/ --flag", false},              // a space would let the browser see a second argument
      {u"https://a/\" --new-window \"x", false},  // so would a quote
      {u"https://a/\r\nb", false},
      {u"https://a/\u00e9", true},
      {u"https://a/\U0001F600", true},
      // Reordering or invisible characters would make the address shown differ from the one opened.
      {u"https://a/\u202Eexe.txt", false},
      {u"https://a/\u2066x\u2069", false},
      {u"https://a\u200B.b/", false},
      {u"https://a/\uFEFF", false},
      {u"https://a/\u0085", false},
      {u"https://a/\xD800x", false},  // an unpaired surrogate
      {u"https://a/" + std::u16string(kAddressMax - 10, u'x'), true},
      {u"https://a/" + std::u16string(kAddressMax - 9, u'x'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWebUrl(c.target), c.web) << "case index " << (&c - cases);
}

TEST(UpdateText, ColumnsByExactLanguageCode) {
  struct Case {
    std::u16string language;
    std::u16string status, yes, no;
    std::u16string prompt_start;
  };
  const Case cases[] = {
      {u"ko", u"업데이트 가능", u"예", u"아니오", u"업데이트 정보가 있습니다.\r\r"},
      {u"ja", u"アップデート可", u"はい", u"いいえ", u"このプログラムがアップデートされました。\r\r"},
      {u"zh", u"可更新", u"是", u"否", u"该程序已更新。\r\r"},
      {u"de", u"Update möglich", u"Ja", u"Nein", u"Dieses Programm ist aktualisiert worden.\r\r"},
      {u"ru", u"Обновление", u"Да", u"Нет", u"Данная программа была обновлена.\r\r"},
      {u"it", u"Aggiornabile", u"Sì", u"No", u"È disponibile una nuova versione del programma.\r\r"},
      {u"fr", u"Maj dispo", u"Oui", u"Non", u"Ce programme a été mis à jour.\r\r"},
      {u"en", u"Update available", u"Yes", u"No", u"This program has been updated.\r\r"},
      {u"es", u"Update available", u"Yes", u"No", u"This program has been updated.\r\r"},
      {u"", u"Update available", u"Yes", u"No", u"This program has been updated.\r\r"},
      {u"KO", u"Update available", u"Yes", u"No", u"This program has been updated.\r\r"},
      {u"fr-FR", u"Update available", u"Yes", u"No", u"This program has been updated.\r\r"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UpdateText(utStatus, c.language), c.status);
    EXPECT_EQ(UpdateText(utYes, c.language), c.yes);
    EXPECT_EQ(UpdateText(utNo, c.language), c.no);
    EXPECT_EQ(UpdateText(utPrompt, c.language).rfind(c.prompt_start, 0), 0u);
  }
  EXPECT_EQ(UpdateText(4, u"ko"), u"");
  EXPECT_EQ(UpdateText(-1, u"en"), u"");
}

TEST(UpdateText, PromptsAreThreeParagraphsSeparatedByTwoCarriageReturns) {
  EXPECT_EQ(UpdateText(utPrompt, u"en"),
            u"This program has been updated.\r\rIt is recommended to download and execute new for stable "
            u"use.\r\rDo you want to download it?");
  EXPECT_EQ(
      UpdateText(utPrompt, u"ja"),
      u"このプログラムがアップデートされました。\r\r安定的に使用するために新しくダウンロード\u00b7実行す"
      u"ることをお勧めします。\r\rダウンロードしますか。");
  for (const char16_t* lang : {u"ko", u"ja", u"zh", u"de", u"ru", u"it", u"fr", u"en"}) {
    const std::u16string p = UpdateText(utPrompt, lang);
    EXPECT_EQ(p.find(u'\n'), std::u16string::npos);
    size_t breaks = 0;
    for (size_t i = p.find(u"\r\r"); i != std::u16string::npos; i = p.find(u"\r\r", i + 2)) ++breaks;
    EXPECT_EQ(breaks, 2u);
  }
}

TEST(ReadNotice, ValuesOfTheNoticeObject) {
  struct Case {
    std::u16string answer;
    NoticeInfo expected;
  };
  const Case cases[] = {
      {u"{\"update\":\"u\",\"info\":{\"style\":\"hold\",\"text\":\"Don\\u0027t "
       u"ask\",\"flag\":\"stayontop\"}}",
       {u"hold", u"Don't ask", u"stayontop", u""}},
      {u"{\"info\":{\"url\":\"https:\\/\\/n\\/\",\"style\":\"note\",\"text\":\"More\"}}",
       {u"note", u"More", u"", u"https://n/"}},
      // The object ends at its first "}", even inside a value: what follows reads as empty.
      {u"{\"info\":{\"style\":\"note\",\"text\":\"a}b\",\"url\":\"https://n/\"}}", {u"note", u"", u"", u""}},
      // Values are looked for only inside the object.
      {u"{\"style\":\"hold\",\"info\":{}}", {u"", u"", u"", u""}},
      {u"{}", {u"", u"", u"", u""}},
      // The text is shown: escaped line breaks become spaces, bidirectional overrides go.
      {u"{\"info\":{\"style\":\"hold\",\"text\":\"a\\nb\\u202Ec\\u202C\"}}", {u"hold", u"a bc", u"", u""}},
  };
  for (const auto& c : cases) {
    const NoticeInfo n = ReadNotice(c.answer);
    EXPECT_EQ(n.style, c.expected.style) << "case index " << (&c - cases);
    EXPECT_EQ(n.text, c.expected.text) << "case index " << (&c - cases);
    EXPECT_EQ(n.flag, c.expected.flag) << "case index " << (&c - cases);
    EXPECT_EQ(n.url, c.expected.url) << "case index " << (&c - cases);
  }
  EXPECT_THROW(ReadNotice(u"{\"info\":{\"text\":\"\\uXYZW\"}}"), Error);
}

TEST(ReadNotice, LongTextIsCutToTheShownBound) {
  const std::u16string answer =
      u"{\"info\":{\"style\":\"note\",\"text\":\"" + std::u16string(1 << 20, u'\uD55C') + u"\"}}";
  EXPECT_EQ(ReadNotice(answer).text, std::u16string(kShownTextMax, u'\uD55C'));
}

TEST(LayoutNotice, GrowthSeparatorAndControlPlaces) {
  struct Case {
    std::u16string style, flag;
    int dpi, offset;
    NoticeLayout expected;
  };
  const int h = 200;  // outer height before growing
  const Case cases[] = {
      {u"hold", u"", 96, 10, {true, false, NoticeLayout::kHoldBox, 30, 230 - 66, 230 - 56, 10}},
      {u"note", u"stayontop", 144, 10, {true, true, NoticeLayout::kNoteLink, 45, 245 - 99, 245 - 84, 15}},
      {u"Hold", u"", 96, 10, {true, false, NoticeLayout::kNone, 30, 230 - 66, 0, 10}},  // case matters
      {u"notes", u"", 96, 10, {true, false, NoticeLayout::kNone, 30, 230 - 66, 0, 10}},
      {u"", u"nostayontopplease", 96, 10, {false, true, NoticeLayout::kNone, 0, 0, 0, 0}},
      {u"", u"StayOnTop", 96, 10, {false, false, NoticeLayout::kNone, 0, 0, 0, 0}},
      {u"hold", u"", 96, 0, {true, false, NoticeLayout::kHoldBox, 40, 240 - 76, 240 - 66, 10}},
  };
  for (const auto& c : cases) {
    const NoticeLayout l = LayoutNotice({c.style, u"t", c.flag, u""}, h, c.dpi, c.offset);
    const auto idx = &c - cases;
    EXPECT_EQ(l.extra_space, c.expected.extra_space) << idx;
    EXPECT_EQ(l.stay_on_top, c.expected.stay_on_top) << idx;
    EXPECT_EQ(l.control, c.expected.control) << idx;
    EXPECT_EQ(l.grow, c.expected.grow) << idx;
    EXPECT_EQ(l.separator_top, c.expected.separator_top) << idx;
    EXPECT_EQ(l.control_top, c.expected.control_top) << idx;
    EXPECT_EQ(l.left, c.expected.left) << idx;
  }
}

}  // namespace
}  // namespace tw
