#include "app/help_page.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

QString HelpPagePath(const QString& applicationDir) {
  QStringList candidates;
  if (!applicationDir.isEmpty())
    candidates << QDir(applicationDir).filePath(QStringLiteral("../share/velum/docs/velum.html"));
#ifdef VELUM_SOURCE_DIR
  candidates << QStringLiteral(VELUM_SOURCE_DIR "/docs/velum.html");
#endif
  for (const QString& c : candidates) {
    const QFileInfo info(c);
    if (info.isFile()) return QDir::cleanPath(info.absoluteFilePath());
  }
  return {};
}

QString HelpAnchorForDialog(QStringView title) {
  // Longer titles first where one begins with another (印刷の設定, 印刷).
  static const std::pair<const char16_t*, const char16_t*> kSections[] = {
      {u"新しいリスト", u"newlist"},        {u"項目名の入力", u"newlist"},
      {u"カードの検索", u"findfilter"},      {u"インクリメンタルサーチ", u"search"},
      {u"絞り込み", u"filter"},             {u"複数キーソート", u"sort"},
      {u"ソート", u"sort"},                 {u"合計と平均", u"totals"},
      {u"集計結果", u"totals"},             {u"項目のプロパティ", u"properties"},
      {u"計算式エディタ", u"formulas"},     {u"関数", u"formulas"},
      {u"項目の編集", u"cards"},            {u"編集履歴の参照", u"cards"},
      {u"項目内容の統一", u"cards"},        {u"キーカスタマイズ", u"keys"},
      {u"設定", u"settings"},               {u"印刷の設定", u"printing"},
      {u"印刷", u"printing"},               {u"ラベルの設定", u"labels"},
      {u"はがき", u"labels"},               {u"ファイルのプロパティ", u"files"},
      {u"名前を付けて保存", u"files"},      {u"開く", u"files"},
      {u"ブラウザ表示設定", u"html"},
  };
  for (const auto& [start, anchor] : kSections)
    if (title.startsWith(QStringView(start))) return QString::fromUtf16(anchor);
  return kHelpContentsAnchor.toString();
}
