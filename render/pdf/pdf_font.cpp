#include "render/pdf/pdf_font.h"

#include "render/pdf/font_program.h"
#include "render/pdf/pdf_file.h"
#include "render/raw_font_face.h"

#include <QCryptographicHash>
#include <QFontDatabase>
#include <QFontMetricsF>

#include <hb-ot.h>
#include <hb.h>

#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace {

bool HasTable(hb_face_t* face, hb_tag_t tag) {
  hb_blob_t* blob = hb_face_reference_table(face, tag);
  const bool has = hb_blob_get_length(blob) > 0;
  hb_blob_destroy(blob);
  return has;
}

// Scripts whose text HarfBuzz shapes with its default shaper: glyph by glyph
// where the face's default features do not act.
constexpr hb_script_t kPlainScripts[] = {HB_SCRIPT_INVALID, HB_SCRIPT_COMMON, HB_SCRIPT_LATIN,
                                         HB_SCRIPT_GREEK,   HB_SCRIPT_CYRILLIC, HB_SCRIPT_HAN,
                                         HB_SCRIPT_HIRAGANA, HB_SCRIPT_KATAKANA, HB_SCRIPT_BOPOMOFO};

bool PlainCharacter(char16_t c) {
  hb_unicode_funcs_t* u = hb_unicode_funcs_get_default();
  switch (hb_unicode_general_category(u, c)) {
    case HB_UNICODE_GENERAL_CATEGORY_CONTROL:
    case HB_UNICODE_GENERAL_CATEGORY_FORMAT:
    case HB_UNICODE_GENERAL_CATEGORY_UNASSIGNED:
    case HB_UNICODE_GENERAL_CATEGORY_SURROGATE:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
      return false;
    default:
      break;
  }
  const hb_script_t script = hb_unicode_script(u, c);
  for (hb_script_t s : kPlainScripts)
    if (s == script && s != HB_SCRIPT_INVALID) return true;
  return false;
}

constexpr char kHex[] = "0123456789ABCDEF";

QByteArray PdfName(const QByteArray& name) {
  QByteArray out;
  for (char c : name)
    if (c > ' ' && c < 127 && !QByteArray("()<>[]{}/%#").contains(c)) out += c;
  return out.isEmpty() ? QByteArray("Font") : out;
}

}  // namespace

std::unique_ptr<CPdfFont> CPdfFont::Create(const QRawFont& raw) {
  std::unique_ptr<CPdfFont> font(new CPdfFont);
  if (!font->Init(raw)) return nullptr;
  return font;
}

CPdfFont::~CPdfFont() {
  if (m_buffer) hb_buffer_destroy(m_buffer);
  if (m_font) hb_font_destroy(m_font);
}

bool CPdfFont::Init(const QRawFont& raw) {
  m_raw = raw;
  m_sfnt = EmbeddableTables(m_raw);
  if (m_sfnt.isEmpty()) return false;
  hb_face_t* face = CreateFaceOf(m_raw);
  m_upem = hb_face_get_upem(face);
  const unsigned glyphs = hb_face_get_glyph_count(face);
  if (m_upem <= 0 || glyphs == 0 || glyphs > 0x10000) {
    hb_face_destroy(face);
    return false;
  }
  char name[256];
  unsigned size = sizeof name;
  if (hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, name) > 0)
    m_name = PdfName(QByteArray(name));
  else
    m_name = PdfName(m_raw.familyName().toLatin1());
  m_font = hb_font_create(face);
  hb_ot_font_set_funcs(m_font);
  hb_font_set_scale(m_font, int(m_upem), int(m_upem));
  m_buffer = hb_buffer_create();

  const QByteArrayView cff = SfntTable(m_sfnt, "CFF ");
  if (!cff.isEmpty()) {
    CCffCharset charset = ReadCffCharset(cff);
    if (charset.codeOfGlyph.empty()) {
      hb_face_destroy(face);
      return false;
    }
    m_codeOf = std::move(charset.codeOfGlyph);
  }
  if (m_codeOf.size() < glyphs) {
    const std::size_t from = m_codeOf.size();
    m_codeOf.resize(glyphs);
    for (std::size_t g = from; g < glyphs; ++g) m_codeOf[g] = std::uint16_t(g);
  }
  m_advance.assign(m_codeOf.size(), INT32_MIN);
  m_text.resize(m_codeOf.size());
  m_used.assign(m_codeOf.size(), false);
  m_plain.assign(0x10000, 0);
  m_glyphOf.assign(0x10000, 0);
  // Tables that HarfBuzz shapes by other than GSUB and GPOS: every line is
  // shaped whole.
  m_fastPath = !HasTable(face, HB_TAG('m', 'o', 'r', 'x')) && !HasTable(face, HB_TAG('m', 'o', 'r', 't')) &&
               !HasTable(face, HB_TAG('k', 'e', 'r', 'x')) &&
               !(HasTable(face, HB_TAG('k', 'e', 'r', 'n')) && !HasTable(face, HB_TAG('G', 'P', 'O', 'S')));
  if (m_fastPath) {
    m_touched.assign(m_codeOf.size(), false);
    FindPlainCharacters();
  }
  hb_face_destroy(face);
  return true;
}

void CPdfFont::FindPlainCharacters() {
  // A glyph no lookup of the default features takes as input is shown as
  // the character maps to it, at its own advance, whatever stands around it.
  hb_face_t* face = hb_font_get_face(m_font);
  hb_set_t* lookups = hb_set_create();
  hb_set_t* input = hb_set_create();
  for (hb_tag_t table : {HB_OT_TAG_GSUB, HB_OT_TAG_GPOS}) {
    hb_set_clear(lookups);
    for (hb_script_t script : kPlainScripts) {
      hb_segment_properties_t props = HB_SEGMENT_PROPERTIES_DEFAULT;
      props.direction = HB_DIRECTION_LTR;
      props.script = script;
      props.language = hb_language_get_default();
      hb_shape_plan_t* plan = hb_shape_plan_create_cached(face, &props, nullptr, 0, nullptr);
      hb_ot_shape_plan_collect_lookups(plan, table, lookups);
      hb_shape_plan_destroy(plan);
    }
    for (hb_codepoint_t lookup = HB_SET_VALUE_INVALID; hb_set_next(lookups, &lookup);)
      hb_ot_layout_lookup_collect_glyphs(face, table, lookup, nullptr, input, nullptr, nullptr);
  }
  for (hb_codepoint_t g = HB_SET_VALUE_INVALID; hb_set_next(input, &g);)
    if (g < m_touched.size()) m_touched[g] = true;
  hb_set_destroy(input);
  hb_set_destroy(lookups);
}

bool CPdfFont::Plain(char16_t c) {
  std::uint8_t& state = m_plain[c];
  if (state == 0) {
    hb_codepoint_t g = 0;
    const bool plain = PlainCharacter(c) && hb_font_get_nominal_glyph(m_font, c, &g) && g != 0 &&
                       g < m_touched.size() && !m_touched[g];
    state = plain ? 1 : 2;
    if (plain) m_glyphOf[c] = std::uint16_t(g);
  }
  return state == 1;
}

void CPdfFont::AppendCode(QByteArray& out, std::uint32_t glyph) const {
  const std::uint32_t code = glyph < m_codeOf.size() ? m_codeOf[glyph] : glyph;
  const char hex[4] = {kHex[code >> 12 & 15], kHex[code >> 8 & 15], kHex[code >> 4 & 15], kHex[code & 15]};
  out.append(hex, 4);
}

void CPdfFont::Note(std::uint32_t glyph, QStringView text) {
  if (glyph >= m_used.size()) return;
  m_used[glyph] = true;
  if (m_text[glyph].isEmpty() && !text.isEmpty()) m_text[glyph] = text.toString();
}

double CPdfFont::ShowText(QStringView text, QByteArray& out) {
  if (m_fastPath) {
    bool plain = true;
    for (QChar c : text)
      if (!Plain(c.unicode())) {
        plain = false;
        break;
      }
    if (plain) {
      double advance = 0;
      out.append('<');
      for (qsizetype i = 0; i < text.size(); ++i) {
        const std::uint16_t g = m_glyphOf[text[i].unicode()];
        AppendCode(out, g);
        if (!m_used[g] || m_text[g].isEmpty()) Note(g, text.sliced(i, 1));
        std::int32_t& a = m_advance[g];
        if (a == INT32_MIN) a = hb_font_get_glyph_h_advance(m_font, g);
        advance += a;
      }
      out.append(">Tj", 3);
      return advance / m_upem;
    }
  }
  const auto it = m_shaped.constFind(text.toString());
  if (it != m_shaped.constEnd()) {
    out.append(it->first);
    return it->second;
  }
  QByteArray shown;
  const double advance = ShowShapedText(text, shown);
  if (advance < 0) return advance;
  if (m_shaped.size() > 20000) m_shaped.clear();
  m_shaped.insert(text.toString(), {shown, advance});
  out.append(shown);
  return advance;
}

bool CPdfFont::ShowGlyph(std::uint32_t glyph, QStringView text, QByteArray& out) {
  if (glyph == 0 || glyph >= m_codeOf.size()) return false;
  out.append('<');
  AppendCode(out, glyph);
  out.append(">Tj", 3);
  Note(glyph, text);
  return true;
}

double CPdfFont::ShowShapedText(QStringView text, QByteArray& out) {
  hb_buffer_clear_contents(m_buffer);
  hb_buffer_add_utf16(m_buffer, reinterpret_cast<const uint16_t*>(text.utf16()), int(text.size()), 0,
                      int(text.size()));
  hb_buffer_set_direction(m_buffer, HB_DIRECTION_LTR);
  hb_buffer_set_language(m_buffer, hb_language_get_default());
  hb_buffer_guess_segment_properties(m_buffer);
  hb_shape(m_font, m_buffer, nullptr, 0);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(m_buffer, &count);
  const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(m_buffer, &count);
  for (unsigned i = 0; i < count; ++i)
    if (info[i].codepoint == 0 || info[i].codepoint >= m_codeOf.size()) return -1;

  // A TJ array: glyph codes in hex strings, and between them how far (in
  // thousandths of an em, to the left) the pen moves besides the advances;
  // a glyph raised or lowered stands in a piece of its own after a Ts.
  QByteArray shown;
  bool adjusted = false, inString = false;
  int pieces = 0;
  std::int32_t rise = 0;
  double advance = 0;
  auto adjust = [&](double units) {
    if (units == 0) return;
    if (inString) shown.append('>');
    inString = false;
    shown.append(' ');
    AppendPdfNumber(shown, -units * 1000 / m_upem, 3);
    shown.append(' ');
    adjusted = true;
  };
  auto close = [&] {
    if (inString) shown.append('>');
    inString = false;
    if (shown.isEmpty()) return;
    out.append('[').append(shown).append("]TJ", 3);
    shown.clear();
    ++pieces;
  };
  for (unsigned i = 0; i < count; ++i) {
    const std::uint32_t g = info[i].codepoint;
    if (pos[i].y_offset != rise) {
      close();
      rise = pos[i].y_offset;
      AppendPdfNumber(out, rise / m_upem, 4);
      out.append(" Ts", 3);
    }
    std::int32_t& own = m_advance[g];
    if (own == INT32_MIN) own = hb_font_get_glyph_h_advance(m_font, g);
    adjust(pos[i].x_offset);
    if (!inString) shown.append('<');
    inString = true;
    AppendCode(shown, g);
    adjust(pos[i].x_advance - own - pos[i].x_offset);
    advance += pos[i].x_advance;
    // What a glyph stands for: as many glyphs as characters in its cluster
    // (a kana and its sound mark) one each, else all on the first glyph.
    const std::uint32_t from = info[i].cluster;
    unsigned first = i, last = i;
    while (first > 0 && info[first - 1].cluster == from) --first;
    while (last + 1 < count && info[last + 1].cluster == from) ++last;
    std::uint32_t to = std::uint32_t(text.size());
    for (unsigned k = last + 1; k < count; ++k)
      if (info[k].cluster > from) {
        to = std::min(to, info[k].cluster);
        break;
      }
    const QStringView cluster = text.sliced(from, std::max(from, std::min<std::uint32_t>(to, text.size())) - from);
    const QList<uint> chars = cluster.toUcs4();
    if (qsizetype(last - first + 1) == chars.size() && chars.size() > 1)
      Note(g, QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[i - first]), 1));
    else
      Note(g, i == first ? cluster : QStringView());
  }
  if (!adjusted && pieces == 0 && rise == 0) {
    if (inString) shown.append('>');
    out.append(shown).append("Tj", 2);
  } else {
    close();
    if (rise != 0) out.append("0 Ts", 4);
  }
  return advance / m_upem;
}

bool CPdfFont::Embed(CPdfFile& file, int id) const {
  std::set<std::uint32_t> glyphs;
  for (std::size_t g = 1; g < m_used.size(); ++g)
    if (m_used[g]) glyphs.insert(std::uint32_t(g));
  CFontSubset subset;
  if (!SubsetFont(m_sfnt, glyphs, &subset)) return false;

  // A subset's name starts with six capitals of its own.
  QCryptographicHash hash(QCryptographicHash::Sha1);
  for (std::uint32_t g : glyphs) hash.addData(QByteArrayView(reinterpret_cast<const char*>(&g), sizeof g));
  const QByteArray digest = hash.result();
  QByteArray name;
  for (int k = 0; k < 6; ++k) name += char('A' + std::uint8_t(digest[k]) % 26);
  name += '+' + m_name;

  const int cidFont = file.NewObject(), descriptor = file.NewObject(), program = file.NewObject(),
            toUnicode = file.NewObject();
  file.Object(id, "<</Type/Font/Subtype/Type0/BaseFont/" + name + "/Encoding/Identity-H/DescendantFonts[" +
                      QByteArray::number(cidFont) + " 0 R]/ToUnicode " + QByteArray::number(toUnicode) + " 0 R>>");

  std::map<std::uint16_t, std::int32_t> widths;
  std::map<std::uint16_t, QString> texts;
  for (std::uint32_t g : glyphs) {
    std::int32_t a = m_advance[g];
    if (a == INT32_MIN) a = hb_font_get_glyph_h_advance(m_font, g);
    widths[m_codeOf[g]] = a;
    if (!m_text[g].isEmpty()) texts.emplace(m_codeOf[g], m_text[g]);
  }
  QByteArray w = "[";
  for (auto it = widths.begin(); it != widths.end();) {
    w += QByteArray::number(it->first) + '[';
    std::uint16_t next = it->first;
    for (; it != widths.end() && it->first == next; ++it, ++next) {
      AppendPdfNumber(w, it->second * 1000.0 / m_upem, 2);
      w += ' ';
    }
    w += ']';
  }
  w += ']';
  file.Object(cidFont, QByteArray("<</Type/Font/Subtype/") + (subset.cff ? "CIDFontType0" : "CIDFontType2") +
                           "/BaseFont/" + name +
                           "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor " +
                           QByteArray::number(descriptor) + " 0 R/DW 1000/W" + w +
                           (subset.cff ? "" : "/CIDToGIDMap/Identity") + ">>");

  const QByteArray head = m_raw.fontTable("head");
  auto i16 = [&](int at) {
    return head.size() >= at + 2 ? std::int16_t(std::uint16_t(std::uint8_t(head[at])) << 8 | std::uint8_t(head[at + 1]))
                                  : 0;
  };
  auto em = [&](double units) { return QByteArray::number(qRound(units * 1000 / m_upem)); };
  hb_position_t ascent = 0, descent = 0, capHeight = 0;
  hb_ot_metrics_get_position(m_font, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &ascent);
  hb_ot_metrics_get_position(m_font, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &descent);
  if (!hb_ot_metrics_get_position(m_font, HB_OT_METRICS_TAG_CAP_HEIGHT, &capHeight)) capHeight = ascent;
  file.Object(descriptor, "<</Type/FontDescriptor/FontName/" + name + "/Flags 4/FontBBox[" + em(i16(36)) + ' ' +
                              em(i16(38)) + ' ' + em(i16(40)) + ' ' + em(i16(42)) + "]/ItalicAngle 0/Ascent " +
                              em(ascent) + "/Descent " + em(descent) + "/CapHeight " + em(capHeight) +
                              "/StemV 80" + (subset.cff ? "/FontFile3 " : "/FontFile2 ") +
                              QByteArray::number(program) + " 0 R>>");
  file.Stream(program,
              subset.cff ? QByteArray("/Subtype/CIDFontType0C")
                         : "/Length1 " + QByteArray::number(subset.program.size()),
              subset.program, CPdfFile::kSmallest);

  QByteArray map =
      "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
      "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000><FFFF>\nendcodespacerange\n";
  auto hex4 = [](QByteArray& out, char16_t v) {
    const char h[4] = {kHex[v >> 12 & 15], kHex[v >> 8 & 15], kHex[v >> 4 & 15], kHex[v & 15]};
    out.append(h, 4);
  };
  for (auto it = texts.begin(); it != texts.end();) {
    int block = 0;
    QByteArray entries;
    for (; it != texts.end() && block < 100; ++it, ++block) {
      entries += '<';
      hex4(entries, it->first);
      entries += "><";
      for (QChar c : it->second) hex4(entries, c.unicode());
      entries += ">\n";
    }
    map += QByteArray::number(block) + " beginbfchar\n" + entries + "endbfchar\n";
  }
  map += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
  file.Stream(toUnicode, {}, map, CPdfFile::kSmallest);
  return true;
}

CPdfFont* CPdfFonts::FaceOf(const QRawFont& raw, int* index) {
  const QString key = raw.familyName() + u'\n' + raw.styleName() + u'\n' + QString::number(raw.weight()) + u'\n' +
                      QString::number(int(raw.style()));
  for (std::size_t k = 0; k < m_faces.size(); ++k)
    if (m_faces[k].first == key) {
      *index = int(k);
      return m_faces[k].second.get();
    }
  *index = int(m_faces.size());
  m_faces.emplace_back(key, CPdfFont::Create(raw));
  return m_faces.back().second.get();
}

const CPdfFonts::CEntry& CPdfFonts::Find(const QFont& font) {
  for (const CEntry& e : m_entries)
    if (e.font == font) return e;
  CEntry entry;
  entry.font = font;
  const QRawFont raw = QRawFont::fromFont(font);
  // Qt's writer slants or thickens a face that lacks the style asked for,
  // and draws decorations other than an underline: it keeps such fonts.
  const QString style = raw.styleName();
  const bool slanted = style.contains(u"Italic"_s, Qt::CaseInsensitive) ||
                       style.contains(u"Oblique"_s, Qt::CaseInsensitive);
  const bool heavy = QFontDatabase::weight(raw.familyName(), style) >= QFont::DemiBold;
  const bool synthesized = (font.style() != QFont::StyleNormal && !slanted) ||
                           (font.weight() >= QFont::DemiBold && !heavy);
  const bool plain = !font.strikeOut() && !font.overline() && font.letterSpacing() == 0 && font.wordSpacing() == 0 &&
                     font.capitalization() == QFont::MixedCase &&
                     (font.stretch() == 0 || font.stretch() == QFont::Unstretched);
  entry.size = font.pixelSize();
  if (raw.isValid() && !synthesized && plain && entry.size > 0) entry.face = FaceOf(raw, &entry.index);
  const QFontMetricsF metrics(font);
  entry.underlinePos = metrics.underlinePos();
  entry.lineWidth = metrics.lineWidth();
  entry.descent = metrics.descent();
  m_entries.push_back(std::move(entry));
  return m_entries.back();
}
