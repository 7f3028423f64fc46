#include "formula/function_catalog.h"

#include <QChar>

#include <array>
#include <atomic>

namespace {

struct CCatalogRow {
  const char16_t* name;
  const char16_t* category;
  std::int32_t argumentCount;
  const char16_t* argumentHint;
  const char16_t* description;
};

// Every row in catalog order; the texts are shown to the user as they stand.
constexpr std::array<CCatalogRow, 63> kRows = {{
    {u"ABS", u"数学", 1, u"値", u"絶対値を求める"},
    {u"EXP", u"数学", 1, u"値", u"指数を求める"},
    {u"INT", u"数学", 1, u"値", u"整数を返す"},
    {u"LOG", u"数学", 1, u"値", u"10の対数を求める"},
    {u"LN", u"数学", 1, u"値", u"自然対数を求める"},
    {u"MAX", u"数学", 2, u"値,値", u"大きい方の値を返す"},
    {u"MIN", u"数学", 2, u"値,値", u"小さい方の値を返す"},
    {u"ROUND", u"数学", 2, u"値,桁数", u"四捨五入する。桁数は正の場合、小数点以下、負の場合、整数部分。"},
    {u"ROUNDDOWN", u"数学", 2, u"値,桁数", u"切り捨てする。桁数は正の場合、小数点以下、負の場合、整数部分。"},
    {u"ROUNDUP", u"数学", 2, u"値,桁数", u"切り上げする。桁数は正の場合、小数点以下、負の場合、整数部分。"},
    {u"SQR", u"数学", 1, u"値", u"平方根を求める"},
    {u"SIN", u"三角関数", 1, u"値", u"サインを求める"},
    {u"COS", u"三角関数", 1, u"値", u"コサインを求める"},
    {u"TAN", u"三角関数", 1, u"値", u"タンジェントを求める"},
    {u"ASIN", u"三角関数", 1, u"値", u"アークサインを求める"},
    {u"ACOS", u"三角関数", 1, u"値", u"アークコサインを求める"},
    {u"ATAN", u"三角関数", 1, u"値", u"アークタンジェントを求める"},
    {u"SINH", u"三角関数", 1, u"値", u"ハイパーボリック サインを求める"},
    {u"COSH", u"三角関数", 1, u"値", u"ハイパーボリック コサインを求める"},
    {u"TANH", u"三角関数", 1, u"値", u"ハイパーボリック タンジェントを求める"},
    {u"DATESERIAL", u"日付", 3, u"年,月,日", u"指定日付のシリアル値を求める"},
    {u"NOW", u"日付", 0, u"", u"現在日付のシリアル値を求める"},
    {u"NOWDAY", u"日付", 0, u"", u"現在の日を返す"},
    {u"NOWMONTH", u"日付", 0, u"", u"現在の月を返す"},
    {u"NOWYEAR", u"日付", 0, u"", u"現在の年を返す"},
    {u"YEAR", u"日付", 1, u"", u"シリアル値から年を返す"},
    {u"MONTH", u"日付", 1, u"", u"シリアル値から月を返す"},
    {u"DAY", u"日付", 1, u"", u"シリアル値から日を返す"},
    {u"TIMESERIAL", u"時間", 3, u"時,分,秒", u"時間シリアル値を求める"},
    {u"HOUR", u"時間", 1, u"時間シリアル値", u"時間シリアル値から時を求める"},
    {u"MINUTE", u"時間", 1, u"時間シリアル値", u"時間シリアル値から分を求める"},
    {u"SECOND", u"時間", 1, u"時間シリアル値", u"時間シリアル値から秒を求める"},
    {u"IF", u"参照", 3, u"条件,項目1,項目2", u"条件が正しいときには項目１を、そうでないときには項目２を返す"},
    {u"YEARS", u"日付", 1, u"日付文字列", u"日付文字列から現在までの年数を返す。引数を二つにすると両日付間の年数を返す"},
    {u"DAYS", u"日付", 1, u"日付文字列", u"日付文字列からシリアル値を返す"},
    {u"DATEADD", u"日付", 3, u"単位,間隔,日付文字列", u"日付文字列に間隔を加える。単位 年：\"yyyy\",月：\"m\",日：\"d\""},
    {u"DATEDIFF", u"日付", 3, u"単位,日付1,日付2", u"日付1から日付2を引いて単位の値を返す。単位 年：\"yyyy\",月：\"m\",日：\"d\""},
    {u"DATESTR", u"日付", 1, u"日付シリアル値", u"日付シリアル値から日付文字列を返す。"},
    {u"YOUBI", u"日付", 1, u"日付文字列", u"日付文字列から曜日を漢字１文字で返す。"},
    {u"NETWORKDAYS", u"日付", 3, u"日付1,日付2,休日日付,,", u"土日祭日及び休日を除いて日付1と日付2の差分日数を返す。"},
    {u"WORKDAY", u"日付", 3, u"日付文字列,日数,休日日付,,", u"日付文字列に土日祭日及び指定した休日を除いた日数を足した日付文字列を返す。"},
    {u"TIME", u"時間", 1, u"時間文字列", u"時間文字列から時間シリアル値を返す。"},
    {u"TIMESTR", u"時間", 1, u"時間シリアル値", u"時間シリアル値から時間文字列を返す。"},
    {u"SUMTIME", u"時間", 1, u"項目", u"時間の合計を文字列で返す。"},
    {u"AVERAGE", u"統計", 1, u"項目", u"指定項目の平均を返す"},
    {u"MAXITEM", u"統計", 1, u"項目", u"指定項目の最大値を返す"},
    {u"MINITEM", u"統計", 1, u"項目", u"指定項目の最小値を返す"},
    {u"SUM", u"統計", 1, u"項目", u"指定項目の合計を返す"},
    {u"VARP", u"統計", 1, u"項目", u"指定項目の分散を返す"},
    {u"AFTER", u"参照", 1, u"項目", u"指定項目の後のカードの値を返す"},
    {u"BEFORE", u"参照", 1, u"項目", u"指定項目の前のカードの値を返す"},
    {u"NUM", u"参照", 1, u"項目", u"指定項目を数値にする。カンマ付き数字の数値化に使用。"},
    {u"CALC", u"参照", 1, u"文字列", u"括弧内を計算する。文字列関数内での計算などに使用。"},
    {u"INDEX", u"参照", 0, u"", u"カード番号を返す。"},
    {u"STRADD", u"文字列", 2, u"文字列...", u"文字列の連結。引数は2つ以上、いくつでも。括弧内に無駄な空白は書けない。"},
    {u"IFS", u"文字列", 3, u"条件式,文字列1,文字列2", u"条件が正しいときには項目１を、そうでないときには項目２を返す。条件には文字列項目が使える。文字列定数は\"\"で囲まない。無駄な空白は条件式には書けない。"},
    {u"LEN", u"文字列", 1, u"文字列", u"文字列の長さを返します"},
    {u"LEFT", u"文字列", 2, u"文字列,文字数", u"文字列のうち、左から指定した文字数文の文字列を返します"},
    {u"RIGHT", u"文字列", 2, u"文字列,文字数", u"文字列のうち、右から指定した文字数文の文字列を返します"},
    {u"MID", u"文字列", 3, u"文字列,開始位置,文字数", u"文字列の開始位置から指定した文字数文の文字列を返します。"},
    {u"REPLACE", u"文字列", 3, u"文字列,置換前,置換語", u"文字列中の置換前を置換語に置き換えます。"},
    {u"PAD", u"文字列", 3, u"数値,桁数,埋める文字", u"数字を桁に合わせます。足りない桁の前に「埋める文字」を必要数置きます。"},
    {u"WAREKI", u"日付", 2, u"日付文字列,形式", u"日付文字列を和暦で返す。形式 0：昭和50年4月12日、1：S50.4.12、2：昭和50年、3：昭和五十年四月十二日。10を足すと最初の年を元年と書く。"},
}};

// Rows 1-33 are added at first use, the rest by the start-up step.
constexpr int kFirstUseRows = 33;
constexpr int kAllRows = static_cast<int>(kRows.size());

// The rows live in a constant table; building the catalog is making a prefix
// of it visible. The count only grows, so a reader that saw a count may read
// that many rows.
std::atomic<int> g_visibleRows{0};

int VisibleRows() {
  int rows = g_visibleRows.load(std::memory_order_acquire);
  if (rows == 0) {
    // First use: add rows 1-33 unless another caller got there first.
    g_visibleRows.compare_exchange_strong(rows, kFirstUseRows, std::memory_order_acq_rel);
    rows = g_visibleRows.load(std::memory_order_acquire);
  }
  return rows;
}

CFunctionEntry ToEntry(const CCatalogRow& row) {
  return {QString::fromUtf16(row.name), QString::fromUtf16(row.category), row.argumentCount,
          QString::fromUtf16(row.argumentHint), QString::fromUtf16(row.description)};
}

}  // namespace

void CompleteFunctionCatalog() {
  VisibleRows();
  g_visibleRows.store(kAllRows, std::memory_order_release);
}

int GetArgumentCount(QStringView name) {
  const int rows = VisibleRows();
  for (int r = 0; r < rows; ++r) {
    const QStringView entry(kRows[r].name);
    if (entry.size() != name.size()) continue;
    qsizetype i = 0;
    while (i < name.size() && QChar::toUpper(name[i].unicode()) == entry[i].unicode()) ++i;
    if (i == name.size()) return kRows[r].argumentCount;
  }
  return -1;
}

CFunctionEntry GetEntry(QStringView name) {
  const int rows = VisibleRows();
  for (int r = 0; r < rows; ++r)
    if (QStringView(kRows[r].name) == name) return ToEntry(kRows[r]);
  return {};
}

std::vector<CFunctionEntry> FunctionCatalog() {
  const int rows = VisibleRows();
  std::vector<CFunctionEntry> entries;
  entries.reserve(rows);
  for (int r = 0; r < rows; ++r) entries.push_back(ToEntry(kRows[r]));
  return entries;
}

QStringList FunctionCategoryList() {
  const int rows = VisibleRows();
  QStringList lines{QString::fromUtf16(kAllFunctionsCategory)};
  for (int r = 0; r < rows; ++r) {
    const QString category = QString::fromUtf16(kRows[r].category);
    if (!lines.contains(category)) lines.append(category);
  }
  return lines;
}

QStringList FunctionNameList(QStringView category) {
  const int rows = VisibleRows();
  const bool all = category == QStringView(kAllFunctionsCategory);
  QStringList names;
  for (int r = 0; r < rows; ++r)
    if (all || QStringView(kRows[r].category) == category) names.append(QString::fromUtf16(kRows[r].name));
  return names;
}

QString FunctionCallText(const CFunctionEntry& entry) {
  return entry.name + u'(' + entry.argumentHint + u')';
}
