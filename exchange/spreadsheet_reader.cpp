#include "exchange/spreadsheet_reader.h"

#include "exchange/sheet_mending.h"

#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <cmath>
#include <stdexcept>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

namespace ss = orcus::spreadsheet;
namespace iface = orcus::spreadsheet::iface;

namespace {

// The code of a built-in number format that names none of its own, in the
// form FormatSheetNumber reads (dates in the program's own order).
QString BuiltinFormatCode(int id) {
  switch (id) {
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: case 37: case 38: return QStringLiteral("#,##0");
    case 4: case 39: case 40: return QStringLiteral("#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 11: return QStringLiteral("0.00E+00");
    case 18: case 20: return QStringLiteral("h:mm");
    case 19: case 21: return QStringLiteral("h:mm:ss");
    case 22: return QStringLiteral("yyyy/mm/dd h:mm");
    case 45: case 47: return QStringLiteral("mm:ss");
    case 46: return QStringLiteral("[h]:mm:ss");
    case 49: return QStringLiteral("@");
    default:
      if ((id >= 14 && id <= 17) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58)) return QStringLiteral("yyyy/mm/dd");
      return QStringLiteral("General");
  }
}

// The letters of a format code outside quotes, brackets and escapes, lower case.
QString CodeLetters(const QString& code) {
  QString out;
  bool quoted = false, bracket = false;
  for (qsizetype i = 0; i < code.size(); ++i) {
    const QChar c = code[i];
    if (quoted) {
      if (c == u'"') quoted = false;
      continue;
    }
    if (bracket) {
      if (c == u']') bracket = false;
      // [h], [mm] and [ss] are elapsed times.
      else if (c == u'h' || c == u'H' || c == u'm' || c == u'M' || c == u's' || c == u'S') out += c.toLower();
      continue;
    }
    if (c == u'"') quoted = true;
    else if (c == u'[') bracket = true;
    else if (c == u'\\' || c == u'_' || c == u'*') ++i;
    else out += c.toLower();
  }
  return out;
}

QString FirstSection(const QString& code) {
  bool quoted = false;
  for (qsizetype i = 0; i < code.size(); ++i) {
    if (code[i] == u'"') quoted = !quoted;
    if (code[i] == u';' && !quoted) return code.left(i);
  }
  return code;
}

class CSharedStrings final : public iface::import_shared_strings {
 public:
  std::size_t append(std::string_view s) override {
    m_strings.emplace_back(s);
    return m_strings.size() - 1;
  }
  std::size_t add(std::string_view s) override {
    const auto it = m_index.find(std::string(s));
    if (it != m_index.end()) return it->second;
    const std::size_t i = append(s);
    m_index.emplace(m_strings.back(), i);
    return i;
  }
  void set_segment_font(std::size_t) override {}
  void set_segment_bold(bool) override {}
  void set_segment_italic(bool) override {}
  void set_segment_font_name(std::string_view) override {}
  void set_segment_font_size(double) override {}
  void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
  void append_segment(std::string_view s) override { m_segments.append(s); }
  std::size_t commit_segments() override {
    const std::size_t i = append(m_segments);
    m_segments.clear();
    return i;
  }
  const std::string& At(std::size_t i) const {
    static const std::string kEmpty;
    return i < m_strings.size() ? m_strings[i] : kEmpty;
  }

 private:
  std::vector<std::string> m_strings;
  std::unordered_map<std::string, std::size_t> m_index;
  std::string m_segments;
};

// Only what tells how numbers show: the number formats and which of them each
// cell format uses.
class CStyles final : public iface::import_styles {
 public:
  void set_font_count(std::size_t) override {}
  void set_font_bold(bool) override {}
  void set_font_italic(bool) override {}
  void set_font_name(std::string_view) override {}
  void set_font_size(double) override {}
  void set_font_underline(ss::underline_t) override {}
  void set_font_underline_width(ss::underline_width_t) override {}
  void set_font_underline_mode(ss::underline_mode_t) override {}
  void set_font_underline_type(ss::underline_type_t) override {}
  void set_font_underline_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
  void set_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
  void set_strikethrough_style(ss::strikethrough_style_t) override {}
  void set_strikethrough_type(ss::strikethrough_type_t) override {}
  void set_strikethrough_width(ss::strikethrough_width_t) override {}
  void set_strikethrough_text(ss::strikethrough_text_t) override {}
  std::size_t commit_font() override { return m_fonts++; }
  void set_fill_count(std::size_t) override {}
  void set_fill_pattern_type(ss::fill_pattern_t) override {}
  void set_fill_fg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
  void set_fill_bg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
  std::size_t commit_fill() override { return m_fills++; }
  void set_border_count(std::size_t) override {}
  void set_border_style(ss::border_direction_t, ss::border_style_t) override {}
  void set_border_color(ss::border_direction_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                        ss::color_elem_t) override {}
  void set_border_width(ss::border_direction_t, double, orcus::length_unit_t) override {}
  std::size_t commit_border() override { return m_borders++; }
  void set_cell_hidden(bool) override {}
  void set_cell_locked(bool) override {}
  void set_cell_print_content(bool) override {}
  void set_cell_formula_hidden(bool) override {}
  std::size_t commit_cell_protection() override { return m_protections++; }
  void set_number_format_count(std::size_t) override {}
  void set_number_format_identifier(std::size_t id) override { m_formatId = int(id); }
  void set_number_format_code(std::string_view s) override { m_formatCode = QString::fromUtf8(s.data(), qsizetype(s.size())); }
  std::size_t commit_number_format() override {
    // Formats are kept both by their identifier (xlsx cell formats name it)
    // and by the order they came in (the other readers count them).
    const std::size_t index = m_formatsInOrder.size();
    m_formatsInOrder.push_back({m_formatId, m_formatCode});
    if (m_formatId >= 0) m_formatsById[m_formatId] = m_formatCode;
    m_formatId = -1;
    m_formatCode.clear();
    return index;
  }
  void set_cell_xf_count(std::size_t) override {}
  void set_cell_style_xf_count(std::size_t) override {}
  void set_dxf_count(std::size_t) override {}
  void set_xf_font(std::size_t) override {}
  void set_xf_fill(std::size_t) override {}
  void set_xf_border(std::size_t) override {}
  void set_xf_protection(std::size_t) override {}
  void set_xf_number_format(std::size_t index) override { m_xfFormat = int(index); }
  void set_xf_style_xf(std::size_t) override {}
  void set_xf_apply_alignment(bool) override {}
  void set_xf_horizontal_alignment(ss::hor_alignment_t) override {}
  void set_xf_vertical_alignment(ss::ver_alignment_t) override {}
  std::size_t commit_cell_xf() override {
    m_cellXf.push_back(m_xfFormat);
    m_xfFormat = 0;
    return m_cellXf.size() - 1;
  }
  std::size_t commit_cell_style_xf() override {
    m_xfFormat = 0;
    return m_styleXfs++;
  }
  std::size_t commit_dxf() override {
    m_xfFormat = 0;
    return m_dxfs++;
  }
  void set_cell_style_count(std::size_t) override {}
  void set_cell_style_name(std::string_view) override {}
  void set_cell_style_xf(std::size_t) override {}
  void set_cell_style_builtin(std::size_t) override {}
  void set_cell_style_parent_name(std::string_view) override {}
  std::size_t commit_cell_style() override { return m_cellStyles++; }

  // The format code of cell format xf, and its identifier (-1 when it has none).
  std::pair<int, QString> FormatOf(std::size_t xf, bool byId) const {
    if (xf >= m_cellXf.size()) return {0, QStringLiteral("General")};
    const int ref = m_cellXf[xf];
    if (byId) {
      const auto it = m_formatsById.find(ref);
      return {ref, it != m_formatsById.end() ? it->second : BuiltinFormatCode(ref)};
    }
    if (ref >= 0 && std::size_t(ref) < m_formatsInOrder.size()) return m_formatsInOrder[ref];
    return {0, QStringLiteral("General")};
  }

 private:
  std::size_t m_fonts = 0, m_fills = 0, m_borders = 0, m_protections = 0, m_styleXfs = 0, m_dxfs = 0,
              m_cellStyles = 0;
  int m_formatId = -1;
  QString m_formatCode;
  std::vector<std::pair<int, QString>> m_formatsInOrder;
  std::map<int, QString> m_formatsById;
  int m_xfFormat = 0;
  std::vector<int> m_cellXf;
};

// Thrown from inside the library's parse to stop it when the budget is spent.
struct CSheetTooLarge {
  int row;
};

// One cell as the library gave it; texts are made once the formats are known.
struct CCell {
  enum Kind : std::uint8_t { kString, kNumber, kText, kBool };
  ss::row_t row;
  ss::col_t col;
  Kind kind;
  double number = 0;  // kNumber, kBool
  std::size_t ref = 0;  // kString: shared string; kText: index into texts
};

class CSheet;

class CFormula final : public iface::import_formula {
 public:
  explicit CFormula(CSheet& sheet) : m_sheet(sheet) {}
  void set_position(ss::row_t row, ss::col_t col) override {
    m_row = row;
    m_col = col;
    m_kind = kNone;
  }
  void set_formula(ss::formula_grammar_t, std::string_view) override {}
  void set_shared_formula_index(std::size_t) override {}
  void set_result_string(std::string_view value) override {
    m_kind = kString;
    m_text.assign(value);
  }
  void set_result_value(double value) override {
    m_kind = kNumber;
    m_number = value;
  }
  void set_result_bool(bool value) override {
    m_kind = kBool;
    m_number = value ? 1 : 0;
  }
  void set_result_empty() override { m_kind = kNone; }
  void commit() override;

 private:
  enum { kNone, kString, kNumber, kBool } m_kind = kNone;
  CSheet& m_sheet;
  ss::row_t m_row = 0;
  ss::col_t m_col = 0;
  double m_number = 0;
  std::string m_text;
};

class CSheet final : public iface::import_sheet {
 public:
  CSheet(bool keep, qint64 budget) : m_keep(keep), m_budget(budget), m_formula(*this) {}

  iface::import_formula* get_formula() override { return &m_formula; }
  void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override { Text(row, col, s); }
  void set_string(ss::row_t row, ss::col_t col, ss::string_id_t sindex) override {
    Add({row, col, CCell::kString, 0, sindex}, 16);
  }
  void set_value(ss::row_t row, ss::col_t col, double value) override { Add({row, col, CCell::kNumber, value}, 16); }
  void set_bool(ss::row_t row, ss::col_t col, bool value) override {
    Add({row, col, CCell::kBool, value ? 1.0 : 0.0}, 16);
  }
  void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute,
                     double second) override {
    QString text = QDate(year, month, day).toString(QStringLiteral("yyyy/MM/dd"));
    if (hour || minute || second >= 0.5)
      text += QStringLiteral(" %1:%2:%3")
                  .arg(hour, 2, 10, QChar(u'0'))
                  .arg(minute, 2, 10, QChar(u'0'))
                  .arg(int(std::lround(second)), 2, 10, QChar(u'0'));
    TextQ(row, col, text);
  }
  void set_format(ss::row_t row, ss::col_t col, std::size_t xf) override {
    if (m_keep && xf != 0) m_formats[Key(row, col)] = xf;
  }
  void set_format(ss::row_t rowStart, ss::col_t colStart, ss::row_t rowEnd, ss::col_t colEnd,
                  std::size_t xf) override {
    // Formats of whole ranges (of empty cells as often as not) are not kept
    // cell by cell; a range of a few cells is.
    if (!m_keep || xf == 0) return;
    if (qint64(rowEnd - rowStart + 1) * (colEnd - colStart + 1) > 4096) return;
    for (ss::row_t r = rowStart; r <= rowEnd; ++r)
      for (ss::col_t c = colStart; c <= colEnd; ++c) m_formats[Key(r, c)] = xf;
  }
  void fill_down_cells(ss::row_t srcRow, ss::col_t srcCol, ss::row_t rangeSize) override {
    if (!m_keep || m_cells.empty()) return;
    // ODS repeats a row's cells: the same cell below, rangeSize times.
    for (std::size_t i = m_cells.size(); i-- > 0;) {
      if (m_cells[i].row == srcRow && m_cells[i].col == srcCol) {
        const CCell source = m_cells[i];
        for (ss::row_t k = 1; k <= rangeSize; ++k) {
          CCell copy = source;
          copy.row = srcRow + k;
          Add(copy, 16);
        }
        break;
      }
    }
  }
  ss::range_size_t get_sheet_size() const override { return {1048576, 16384}; }

  void Text(ss::row_t row, ss::col_t col, std::string_view s) {
    if (!m_keep) return;
    TextQ(row, col, QString::fromUtf8(s.data(), qsizetype(s.size())));
  }
  void TextQ(ss::row_t row, ss::col_t col, const QString& text) {
    if (!m_keep) return;
    m_texts.push_back(text);
    Add({row, col, CCell::kText, 0, m_texts.size() - 1}, 16 + text.size() * 2);
  }
  void Add(const CCell& cell, qint64 cost) {
    if (!m_keep) return;
    m_used += qint64(sizeof(CCell)) + cost;
    if (m_used > m_budget) throw CSheetTooLarge{cell.row};
    m_cells.push_back(cell);
  }

  std::vector<CCell>& Cells() { return m_cells; }
  const std::vector<QString>& Texts() const { return m_texts; }
  std::size_t FormatAt(ss::row_t row, ss::col_t col) const {
    const auto it = m_formats.find(Key(row, col));
    return it == m_formats.end() ? 0 : it->second;
  }

 private:
  static quint64 Key(ss::row_t row, ss::col_t col) { return (quint64(quint32(row)) << 32) | quint32(col); }
  bool m_keep;
  qint64 m_budget;
  qint64 m_used = 0;
  CFormula m_formula;
  std::vector<CCell> m_cells;
  std::vector<QString> m_texts;
  std::unordered_map<quint64, std::size_t> m_formats;
};

void CFormula::commit() {
  switch (m_kind) {
    case kString: m_sheet.Text(m_row, m_col, m_text); break;
    case kNumber: m_sheet.set_value(m_row, m_col, m_number); break;
    case kBool: m_sheet.set_bool(m_row, m_col, m_number != 0); break;
    case kNone: break;
  }
}

class CGlobalSettings final : public iface::import_global_settings {
 public:
  void set_origin_date(int year, int, int) override { m_base1904 = year == 1904; }
  void set_default_formula_grammar(ss::formula_grammar_t g) override { m_grammar = g; }
  ss::formula_grammar_t get_default_formula_grammar() const override { return m_grammar; }
  void set_character_set(orcus::character_set_t) override {}
  bool Base1904() const { return m_base1904; }

 private:
  bool m_base1904 = false;
  ss::formula_grammar_t m_grammar = ss::formula_grammar_t::unknown;
};

// Cell references as the xlsx reader asks for them: A1, $B$2, Sheet!C3 and
// ranges A1:B2.
class CReferenceResolver final : public iface::import_reference_resolver {
 public:
  ss::src_address_t resolve_address(std::string_view address) override {
    std::string_view a = address;
    if (const std::size_t bang = a.rfind('!'); bang != std::string_view::npos) a = a.substr(bang + 1);
    ss::col_t col = 0;
    ss::row_t row = 0;
    std::size_t i = 0;
    bool letters = false, digits = false;
    if (i < a.size() && a[i] == '$') ++i;
    for (; i < a.size() && std::isalpha(static_cast<unsigned char>(a[i])); ++i) {
      col = col * 26 + (std::toupper(static_cast<unsigned char>(a[i])) - 'A' + 1);
      letters = true;
      if (col > 16384) throw std::invalid_argument("column out of range");
    }
    if (i < a.size() && a[i] == '$') ++i;
    for (; i < a.size() && std::isdigit(static_cast<unsigned char>(a[i])); ++i) {
      row = row * 10 + (a[i] - '0');
      digits = true;
      if (row > 1048576) throw std::invalid_argument("row out of range");
    }
    if (!letters || !digits || i != a.size() || row == 0) throw std::invalid_argument("not a cell reference");
    return {0, row - 1, col - 1};
  }
  ss::src_range_t resolve_range(std::string_view range) override {
    const std::size_t colon = range.find(':');
    if (colon == std::string_view::npos) {
      const ss::src_address_t a = resolve_address(range);
      return {a, a};
    }
    return {resolve_address(range.substr(0, colon)), resolve_address(range.substr(colon + 1))};
  }
};

class CFactory final : public iface::import_factory {
 public:
  CFactory(const QString& wanted, qint64 budget) : m_wanted(wanted), m_budget(budget) {}
  iface::import_global_settings* get_global_settings() override { return &m_global; }
  iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
  iface::import_styles* get_styles() override { return &m_styles; }
  iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t) override { return &m_resolver; }
  iface::import_sheet* append_sheet(ss::sheet_t, std::string_view name) override {
    const QString q = QString::fromUtf8(name.data(), qsizetype(name.size()));
    m_names << q;
    const bool keep = m_kept < 0 && (m_wanted.isEmpty() || q == m_wanted);
    if (keep) m_kept = int(m_sheets.size());
    m_sheets.push_back(std::make_unique<CSheet>(keep, m_budget));
    return m_sheets.back().get();
  }
  iface::import_sheet* get_sheet(std::string_view name) override {
    const qsizetype i = m_names.indexOf(QString::fromUtf8(name.data(), qsizetype(name.size())));
    return i < 0 ? nullptr : m_sheets[i].get();
  }
  iface::import_sheet* get_sheet(ss::sheet_t index) override {
    return index >= 0 && std::size_t(index) < m_sheets.size() ? m_sheets[index].get() : nullptr;
  }
  void finalize() override {}

  const QStringList& Names() const { return m_names; }
  CSheet* Kept() { return m_kept < 0 ? nullptr : m_sheets[m_kept].get(); }
  const CSharedStrings& Strings() const { return m_strings; }
  const CStyles& Styles() const { return m_styles; }
  bool Base1904() const { return m_global.Base1904(); }

 private:
  QString m_wanted;
  qint64 m_budget;
  CGlobalSettings m_global;
  CSharedStrings m_strings;
  CStyles m_styles;
  CReferenceResolver m_resolver;
  QStringList m_names;
  std::vector<std::unique_ptr<CSheet>> m_sheets;
  int m_kept = -1;
};

QString NumberText(double value) {
  if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::floor(value))
    return QString::number(qint64(value));
  return QString::number(value, 'g', 15);
}

}  // namespace

bool IsDateFormat(int identifier, const QString& code) {
  if ((identifier >= 14 && identifier <= 22) || (identifier >= 27 && identifier <= 36) ||
      (identifier >= 45 && identifier <= 47) || (identifier >= 50 && identifier <= 58))
    return true;
  const QString letters = CodeLetters(FirstSection(code));
  if (letters.contains(QStringLiteral("general"))) return false;
  for (QChar c : letters)
    if (c == u'y' || c == u'd' || c == u'h' || c == u's' || c == u'g') return true;
  // "e" is a year of an era only where no digit places are (0.00E+00 is a number).
  const bool digits = letters.contains(u'0') || letters.contains(u'#');
  return (letters.contains(u'm') || letters.contains(u'e')) && !digits;
}

QString FormatSheetNumber(double value, const QString& formatCode, bool base1904) {
  const QString section = FirstSection(formatCode);
  const QString letters = CodeLetters(section);
  if (!std::isfinite(value)) return NumberText(value);
  if (IsDateFormat(-1, formatCode)) {
    const bool hasDate = letters.contains(u'y') || letters.contains(u'd') || letters.contains(u'e') ||
                         (letters.contains(u'm') && !letters.contains(u'h') && !letters.contains(u's'));
    const bool hasTime = letters.contains(u'h') || letters.contains(u's');
    const QDate base = base1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double days = std::floor(value);
    qint64 seconds = std::llround((value - days) * 86400.0);
    qint64 whole = qint64(days);
    if (seconds >= 86400) {
      seconds -= 86400;
      ++whole;
    }
    QString text;
    if (hasDate) text = base.addDays(whole).toString(QStringLiteral("yyyy/MM/dd"));
    if (hasTime || (hasDate && seconds != 0)) {
      const qint64 hours = hasDate ? seconds / 3600 : (whole * 86400 + seconds) / 3600;
      QString time = QStringLiteral("%1:%2").arg(hours).arg((seconds / 60) % 60, 2, 10, QChar(u'0'));
      if (letters.contains(u's') || (!hasTime && seconds % 60 != 0))
        time += QStringLiteral(":%1").arg(seconds % 60, 2, 10, QChar(u'0'));
      text = text.isEmpty() ? time : text + u' ' + time;
    }
    return text;
  }
  if (letters.contains(u'@') || letters.isEmpty() || letters.contains(QStringLiteral("general")) ||
      letters.contains(u'e'))
    return NumberText(value);
  // Digits: the decimals after the point, grouping by thousands, percent.
  const bool percent = letters.contains(u'%');
  const bool grouping = letters.contains(u',') && letters.indexOf(u',') < std::max(letters.indexOf(u'.'), letters.size());
  int decimals = 0;
  if (const qsizetype dot = letters.indexOf(u'.'); dot >= 0)
    for (qsizetype i = dot + 1; i < letters.size() && (letters[i] == u'0' || letters[i] == u'#'); ++i) ++decimals;
  if (!letters.contains(u'0') && !letters.contains(u'#')) return NumberText(value);
  double shown = percent ? value * 100 : value;
  QString text = QString::number(std::fabs(shown), 'f', decimals);
  if (grouping) {
    qsizetype end = text.indexOf(u'.');
    if (end < 0) end = text.size();
    for (qsizetype at = end - 3; at > 0; at -= 3) text.insert(at, u',');
  }
  bool zero = true;
  for (QChar c : text)
    if (c.isDigit() && c != u'0') zero = false;
  if (shown < 0 && !zero) text.prepend(u'-');
  if (percent) text += u'%';
  return text;
}

bool IsSpreadsheetPath(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == u"xlsx" || suffix == u"xlsm" || suffix == u"ods";
}

CSpreadsheetRead ReadSpreadsheet(const QString& path, const QString& sheetName, CExchangeReport* report,
                                 qint64 memoryBudget) {
  CSpreadsheetRead result;
  const QString name = QFileInfo(path).fileName();
  const QFileInfo info(path);
  if (!info.exists()) {
    report->Fail(QStringLiteral("%1: ファイルがありません").arg(path));
    return result;
  }
  if (!info.isFile() || !info.isReadable()) {
    report->Fail(QStringLiteral("%1: 読めるファイルではありません").arg(path));
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    report->Fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return result;
  }
  const QByteArray head = file.read(4);
  file.close();
  if (!head.startsWith("PK\x03\x04")) {
    report->Fail(QStringLiteral("%1: 表計算のファイル (zip) ではありません").arg(name));
    return result;
  }
  const bool ods = QFileInfo(path).suffix().toLower() == u"ods";
  CFactory factory(sheetName, memoryBudget);
  try {
    QString error;
    const QByteArray mended = MendedSheetFile(path, ods, &error);
    if (!error.isEmpty()) {
      report->Fail(QStringLiteral("%1: 読めませんでした (%2)").arg(name, error));
      return result;
    }
    std::unique_ptr<orcus::iface::import_filter> reader;
    if (ods) reader = std::make_unique<orcus::orcus_ods>(&factory);
    else reader = std::make_unique<orcus::orcus_xlsx>(&factory);
    if (mended.isEmpty()) reader->read_file(QFile::encodeName(path).toStdString());
    else reader->read_stream(std::string_view(mended.constData(), std::size_t(mended.size())));
  } catch (const CSheetTooLarge& e) {
    report->Fail(QStringLiteral("%1: %2 行目で、読み込める大きさ (%3 MB) を超えました")
                     .arg(name)
                     .arg(e.row + 1)
                     .arg(memoryBudget >> 20));
    return result;
  } catch (const std::exception& e) {
    report->Fail(QStringLiteral("%1: 読めませんでした (%2)").arg(name, QString::fromUtf8(e.what())));
    return result;
  }
  result.sheetNames = factory.Names();
  CSheet* sheet = factory.Kept();
  if (!sheet) {
    if (sheetName.isEmpty()) report->Fail(QStringLiteral("%1: シートがありません").arg(name));
    else
      report->Fail(QStringLiteral("%1: シート「%2」がありません (あるのは %3)")
                       .arg(name, sheetName, result.sheetNames.join(QStringLiteral("、"))));
    return result;
  }
  result.sheet = result.sheetNames.value(factory.Names().indexOf(sheetName.isEmpty() ? result.sheetNames.value(0) : sheetName));
  std::vector<CCell>& cells = sheet->Cells();
  std::stable_sort(cells.begin(), cells.end(),
                   [](const CCell& a, const CCell& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; });
  ss::row_t lastRow = -1;
  for (const CCell& c : cells) lastRow = std::max(lastRow, c.row);
  result.rows.resize(std::size_t(lastRow + 1));
  for (const CCell& c : cells) {
    QString text;
    switch (c.kind) {
      case CCell::kString: {
        const std::string& s = factory.Strings().At(c.ref);
        text = QString::fromUtf8(s.data(), qsizetype(s.size()));
        break;
      }
      case CCell::kText: text = sheet->Texts()[c.ref]; break;
      case CCell::kBool: text = c.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); break;
      case CCell::kNumber: {
        const auto [id, code] = factory.Styles().FormatOf(sheet->FormatAt(c.row, c.col), !ods);
        text = IsDateFormat(id, code) ? FormatSheetNumber(c.number, IsDateFormat(-1, code) ? code : BuiltinFormatCode(id),
                                                           factory.Base1904())
                                      : FormatSheetNumber(c.number, code, factory.Base1904());
        break;
      }
    }
    QStringList& row = result.rows[std::size_t(c.row)];
    while (row.size() < c.col) row << QString();
    if (row.size() == c.col) row << ToCardLineBreaks(text);
    else row[c.col] = ToCardLineBreaks(text);
  }
  // Rows at the end that hold nothing but empty texts are no cards.
  auto empty = [](const QStringList& r) {
    for (const QString& t : r)
      if (!t.isEmpty()) return false;
    return true;
  };
  while (!result.rows.empty() && empty(result.rows.back())) result.rows.pop_back();
  return result;
}
