#include "update/update_text.h"

#include <array>

#include "i18n/translate.h"

namespace tw {

namespace {

struct Column {
  std::u16string_view language;
  std::array<std::u16string_view, 4> texts;  // utPrompt, utStatus, utYes, utNo
};

// The update module's own fixed texts, apart from the translation table (which has no German column): none of
// them is a translation key, so none is in i18n/texts.h. Searched in this order; the first equal code wins,
// English for every other.
constexpr Column kColumns[] = {
    {u"ko",
     {u"업데이트 정보가 있습니다.\r\r안정적으로 사용하기 위해 업데이트를 하시길 권장합니다.\r\r다운로드 "
      u"받으시겠습니까?",
      u"업데이트 가능", u"예", u"아니오"}},
    {u"ja",
     {u"このプログラムがアップデートされました。\r\r安定的に使用するために新しくダウンロード\u00b7"
      u"実行することをお勧めします。\r\rダウンロードしますか。",
      u"アップデート可", u"はい", u"いいえ"}},
    {u"zh", {u"该程序已更新。\r\r建议下载并执行新程序以稳定使用。\r\r您要下载吗？", u"可更新", u"是", u"否"}},
    {u"de",
     {u"Dieses Programm ist aktualisiert worden.\r\rEs wird empfohlen, es herunterzuladen und neu "
      u"auszuführen, "
      u"um es stabil zu verwenden.\r\rMöchten Sie es herunterladen?",
      u"Update möglich", u"Ja", u"Nein"}},
    {u"ru",
     {u"Данная программа была обновлена.\r\rРекомендуется скачать и выполнить новое для стабильного "
      u"использования.\r\rВы хотите загрузить ее?",
      u"Обновление", u"Да", u"Нет"}},
    {u"it",
     {u"È disponibile una nuova versione del programma.\r\rTi suggeriamo di scaricare ed aggiornare il "
      u"programma.\r\rVuoi scaricare la nuova versione del programma?",
      u"Aggiornabile", u"Sì", u"No"}},
    {u"fr",
     {u"Ce programme a été mis à jour.\r\rIl est recommandé de télécharger et d'exécuter la nouvelle version "
      u"pour une utilisation stable.\r\rVoulez-vous le télécharger?",
      u"Maj dispo", u"Oui", u"Non"}},
};

constexpr Column kEnglish = {
    u"en",
    {u"This program has been updated.\r\rIt is recommended to download and execute new for stable use.\r\rDo "
     u"you want to download it?",
     u"Update available", u"Yes", u"No"}};

}  // namespace

std::u16string UpdateText(int kind, std::u16string_view language) {
  if (kind < utPrompt || kind > utNo) return {};
  const Column* column = &kEnglish;
  for (const Column& c : kColumns) {
    if (c.language == language) {
      column = &c;
      break;
    }
  }
  return std::u16string(column->texts[static_cast<size_t>(kind)]);
}

std::u16string UpdateText(int kind) {
  return UpdateText(kind, CurrentLanguage());
}

}  // namespace tw
