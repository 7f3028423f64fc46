#include "render/pdf/font_program.h"

#include <QRawFont>

#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// An OpenType file: a 12-byte header (version, table count and three search
// fields), a 16-byte record per table sorted by tag (tag, checksum, offset,
// length), then the tables, each padded to 4 bytes.
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kRecordSize = 16;

// The tables kept for a PDF's embedded font, in tag order.
constexpr std::array<const char*, 9> kKeptTables = {"CFF ", "OS/2", "glyf", "head", "hhea",
                                                      "hmtx", "loca", "maxp", "post"};

void PutU16(QByteArray& out, std::uint32_t v) {
  out.append(char(v >> 8));
  out.append(char(v));
}

void PutU32(QByteArray& out, std::uint32_t v) {
  PutU16(out, v >> 16);
  PutU16(out, v & 0xFFFF);
}

std::uint32_t U16(QByteArrayView d, qsizetype at) {
  return at + 2 <= d.size() ? std::uint32_t(std::uint8_t(d[at])) << 8 | std::uint8_t(d[at + 1]) : 0;
}

std::uint32_t U32(QByteArrayView d, qsizetype at) { return U16(d, at) << 16 | U16(d, at + 2); }

std::uint32_t Checksum(QByteArrayView table) {
  std::uint32_t sum = 0;
  qsizetype i = 0;
  for (; i + 4 <= table.size(); i += 4) sum += U32(table, i);
  std::uint32_t last = 0;
  for (int k = 0; i + k < table.size(); ++k) last |= std::uint32_t(std::uint8_t(table[i + k])) << (24 - 8 * k);
  return sum + last;
}

// A CFF INDEX (count, offset size, count + 1 offsets from 1, the data): where
// each item lies, and where the INDEX ends. False when it runs past the data.
struct CCffIndex {
  std::vector<std::pair<qsizetype, qsizetype>> items;  // begin, end
  qsizetype end = 0;
};

bool ReadIndex(QByteArrayView d, qsizetype at, CCffIndex* index) {
  const std::uint32_t count = U16(d, at);
  if (at + 2 > d.size()) return false;
  if (count == 0) {
    index->end = at + 2;
    return true;
  }
  if (at + 3 > d.size()) return false;
  const int offSize = std::uint8_t(d[at + 2]);
  if (offSize < 1 || offSize > 4) return false;
  const qsizetype offsets = at + 3;
  const qsizetype base = offsets + qsizetype(count + 1) * offSize - 1;
  if (base >= d.size()) return false;
  auto offset = [&](std::uint32_t k) {
    std::uint32_t v = 0;
    for (int b = 0; b < offSize; ++b) v = v << 8 | std::uint8_t(d[offsets + qsizetype(k) * offSize + b]);
    return base + qsizetype(v);
  };
  index->items.reserve(count);
  qsizetype begin = offset(0);
  for (std::uint32_t k = 1; k <= count; ++k) {
    const qsizetype end = offset(k);
    if (end < begin || end > d.size()) return false;
    index->items.emplace_back(begin, end);
    begin = end;
  }
  index->end = begin;
  return true;
}

// The operators of a Top DICT the charset needs: the charset's offset (15),
// the CharStrings' (17) and whether it names a CID font (12 30, ROS).
struct CTopDict {
  qsizetype charset = 0;
  qsizetype charStrings = -1;
  bool ros = false;
};

bool ReadTopDict(QByteArrayView d, qsizetype at, qsizetype end, CTopDict* top) {
  std::vector<double> operands;
  while (at < end) {
    const int b0 = std::uint8_t(d[at]);
    if (b0 <= 21) {
      int op = b0;
      if (b0 == 12) {
        if (at + 1 >= end) return false;
        op = 1200 + std::uint8_t(d[at + 1]);
        ++at;
      }
      ++at;
      if (op == 15 && !operands.empty()) top->charset = qsizetype(operands.back());
      if (op == 17 && !operands.empty()) top->charStrings = qsizetype(operands.back());
      if (op == 1230) top->ros = true;
      operands.clear();
    } else if (b0 == 28) {
      if (at + 3 > end) return false;
      operands.push_back(double(std::int16_t(U16(d, at + 1))));
      at += 3;
    } else if (b0 == 29) {
      if (at + 5 > end) return false;
      operands.push_back(double(std::int32_t(U32(d, at + 1))));
      at += 5;
    } else if (b0 == 30) {
      // A real number: nibbles up to an 0xF one. Its value is never needed.
      ++at;
      while (at < end && (std::uint8_t(d[at]) & 0x0F) != 0x0F && (std::uint8_t(d[at]) >> 4) != 0x0F) ++at;
      if (at++ >= end) return false;
      operands.push_back(0);
    } else if (b0 >= 32 && b0 <= 246) {
      operands.push_back(b0 - 139);
      ++at;
    } else if (b0 >= 247 && b0 <= 254) {
      if (at + 2 > end) return false;
      const int b1 = std::uint8_t(d[at + 1]);
      operands.push_back(b0 <= 250 ? (b0 - 247) * 256 + b1 + 108 : -(b0 - 251) * 256 - b1 - 108);
      at += 2;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

QByteArrayView SfntTable(QByteArrayView sfnt, const char tag[4]) {
  const std::uint32_t count = U16(sfnt, 4);
  const std::uint32_t wanted = U32(QByteArrayView(tag, 4), 0);
  for (std::uint32_t k = 0; k < count; ++k) {
    const qsizetype record = qsizetype(kHeaderSize + k * kRecordSize);
    if (record + qsizetype(kRecordSize) > sfnt.size()) break;
    if (U32(sfnt, record) != wanted) continue;
    const qsizetype offset = U32(sfnt, record + 8), length = U32(sfnt, record + 12);
    if (offset + length > sfnt.size()) return {};
    return sfnt.sliced(offset, length);
  }
  return {};
}

QByteArray EmbeddableTables(const QRawFont& raw) {
  std::vector<std::pair<const char*, QByteArray>> tables;
  for (const char* tag : kKeptTables) {
    QByteArray data = raw.fontTable(tag);
    if (!data.isEmpty()) tables.emplace_back(tag, std::move(data));
  }
  auto has = [&](const char* tag) {
    return std::any_of(tables.begin(), tables.end(), [&](const auto& t) { return !std::strcmp(t.first, tag); });
  };
  const bool cff = has("CFF ");
  if (!(cff || (has("glyf") && has("loca"))) || !has("head") || !has("hhea") || !has("hmtx") || !has("maxp"))
    return {};
  QByteArray out;
  PutU32(out, cff ? 0x4F54544F : 0x00010000);  // 'OTTO' or TrueType
  const std::uint32_t n = std::uint32_t(tables.size());
  std::uint32_t power = 1, log = 0;
  while (power * 2 <= n) power *= 2, ++log;
  PutU16(out, n);
  PutU16(out, power * 16);
  PutU16(out, log);
  PutU16(out, n * 16 - power * 16);
  std::uint32_t offset = std::uint32_t(kHeaderSize + n * kRecordSize);
  for (const auto& [tag, data] : tables) {
    out.append(tag, 4);
    PutU32(out, Checksum(data));
    PutU32(out, offset);
    PutU32(out, std::uint32_t(data.size()));
    offset += (std::uint32_t(data.size()) + 3) & ~3u;
  }
  for (const auto& [tag, data] : tables) {
    out.append(data);
    out.append(QByteArray((4 - data.size() % 4) % 4, '\0'));
  }
  return out;
}

CCffCharset ReadCffCharset(QByteArrayView d) {
  CCffCharset result;
  if (d.size() < 4) return result;
  CCffIndex names, tops;
  if (!ReadIndex(d, std::uint8_t(d[2]), &names) || !ReadIndex(d, names.end, &tops) || tops.items.empty())
    return result;
  CTopDict top;
  if (!ReadTopDict(d, tops.items[0].first, tops.items[0].second, &top) || top.charStrings <= 0) return result;
  CCffIndex glyphs;
  if (!ReadIndex(d, top.charStrings, &glyphs) || glyphs.items.empty()) return result;
  const std::size_t count = glyphs.items.size();
  std::vector<std::uint16_t> codes(count, 0);
  result.cidKeyed = top.ros;
  if (!top.ros) {
    // Keyed by name: a PDF takes CIDs as glyph indices.
    for (std::size_t g = 0; g < count; ++g) codes[g] = std::uint16_t(g);
    result.codeOfGlyph = std::move(codes);
    return result;
  }
  qsizetype at = top.charset;
  if (at <= 2 || at >= d.size()) return result;
  const int format = std::uint8_t(d[at++]);
  std::size_t g = 1;
  if (format == 0) {
    for (; g < count; ++g, at += 2) {
      if (at + 2 > d.size()) return result;
      codes[g] = std::uint16_t(U16(d, at));
    }
  } else if (format == 1 || format == 2) {
    const int leftSize = format == 1 ? 1 : 2;
    while (g < count) {
      if (at + 2 + leftSize > d.size()) return result;
      const std::uint32_t first = U16(d, at);
      const std::uint32_t left = leftSize == 1 ? std::uint8_t(d[at + 2]) : U16(d, at + 2);
      at += 2 + leftSize;
      for (std::uint32_t k = 0; k <= left && g < count; ++k) codes[g++] = std::uint16_t(first + k);
    }
  } else {
    return result;
  }
  result.codeOfGlyph = std::move(codes);
  return result;
}

bool SubsetFont(const QByteArray& sfnt, const std::set<std::uint32_t>& glyphs, CFontSubset* subset) {
  const QByteArrayView cffTable = SfntTable(sfnt, "CFF ");
  const bool cff = !cffTable.isEmpty();
  const CCffCharset whole = cff ? ReadCffCharset(cffTable) : CCffCharset{};
  if (cff && whole.codeOfGlyph.empty()) return false;
  hb_blob_t* blob = hb_blob_create(sfnt.constData(), unsigned(sfnt.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
  hb_face_t* face = hb_face_create(blob, 0);
  hb_blob_destroy(blob);
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (!input) {
    hb_face_destroy(face);
    return false;
  }
  hb_set_t* keep = hb_subset_input_glyph_set(input);
  hb_set_add(keep, 0);
  for (std::uint32_t g : glyphs) hb_set_add(keep, g);
  // Glyphs keep their indices, so that pages written before the subset was
  // made name them right; only glyphs keyed by CID are renumbered, as the
  // CIDs that name them stay.
  unsigned flags = HB_SUBSET_FLAGS_NO_HINTING | HB_SUBSET_FLAGS_NOTDEF_OUTLINE;
  if (!whole.cidKeyed) flags |= HB_SUBSET_FLAGS_RETAIN_GIDS;
  hb_subset_input_set_flags(input, flags);
  hb_face_t* result = hb_subset_or_fail(face, input);
  hb_subset_input_destroy(input);
  hb_face_destroy(face);
  if (!result) return false;
  hb_blob_t* out = hb_face_reference_blob(result);
  unsigned length = 0;
  const char* data = hb_blob_get_data(out, &length);
  const QByteArray file(data, qsizetype(length));
  hb_blob_destroy(out);
  hb_face_destroy(result);

  subset->cff = cff;
  if (!cff) {
    if (SfntTable(file, "glyf").isEmpty()) return false;
    subset->program = file;
    return true;
  }
  const QByteArrayView table = SfntTable(file, "CFF ");
  const CCffCharset cut = ReadCffCharset(table);
  if (cut.codeOfGlyph.empty() || cut.cidKeyed != whole.cidKeyed) return false;
  // Every glyph drawn must be found under the code it was drawn with.
  const std::set<std::uint16_t> present(cut.codeOfGlyph.begin(), cut.codeOfGlyph.end());
  for (std::uint32_t g : glyphs)
    if (g >= whole.codeOfGlyph.size() || !present.count(whole.codeOfGlyph[g])) return false;
  subset->program = table.toByteArray();
  return true;
}
