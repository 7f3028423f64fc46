#include "cli/batch_context.h"
#include "cli/command_registry.h"
#include "core/item_property_edit.h"
#include "core/property_file.h"
#include "core/velum_doc.h"
#include "records/velum_property.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

const QString kPropUsage = QStringLiteral(
    "prop ITEM formula|initial|check-text TEXT | type 0-3|標準|選択肢|画像プレビュー|連動項目 | grouping on|off | "
    "align|ime|multiline N | color|background|name-color|name-background RRGGBB | link SOURCE-ITEM TARGET-NAME | "
    "choices WORD... | choices --file PATH KEY-ITEM | choices --unlink");

bool ParseNumber(const QString& word, std::uint32_t max, std::uint32_t* out) {
  bool ok = false;
  const uint v = word.toUInt(&ok);
  if (!ok || v > max) return false;
  *out = v;
  return true;
}

bool ParseType(const QString& word, std::uint32_t* out) {
  static const QStringList names{QStringLiteral("標準"), QStringLiteral("選択肢"), QStringLiteral("画像プレビュー"),
                                 QStringLiteral("連動項目")};
  const qsizetype at = names.indexOf(word);
  if (at >= 0) {
    *out = std::uint32_t(at);
    return true;
  }
  return ParseNumber(word, kItemLinked, out);
}

// "RRGGBB" or "#RRGGBB" as a colour reference (0x00BBGGRR).
bool ParseColor(QString word, ColorRef* out) {
  if (word.startsWith(u'#')) word.remove(0, 1);
  bool ok = false;
  const uint rgb = word.toUInt(&ok, 16);
  if (!ok || word.size() != 6) return false;
  *out = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  return true;
}

// Sets one field of the record; an empty answer is success, else the error.
QString SetField(CBatchContext& b, CItemProperty& p, const QString& field, const QStringList& v) {
  auto one = [&]() { return v.size() == 1; };
  const QString bad = QStringLiteral("bad value for %1").arg(field);
  if (field == u"formula" || field == u"initial" || field == u"check-text") {
    if (!one()) return bad;
    (field == u"formula" ? p.m_formula : field == u"initial" ? p.m_initialValue : p.m_checkText) = v[0];
  } else if (field == u"type") {
    if (!one() || !ParseType(v[0], &p.m_type)) return bad;
  } else if (field == u"grouping") {
    if (!one() || (v[0] != u"on" && v[0] != u"off")) return bad;
    p.m_flags = v[0] == u"on" ? p.m_flags | CItemProperty::kDigitGrouping : p.m_flags & ~CItemProperty::kDigitGrouping;
  } else if (field == u"align" || field == u"ime" || field == u"multiline") {
    std::uint32_t n;
    if (!one() || !ParseNumber(v[0], 2, &n)) return bad;
    (field == u"align" ? p.m_hPos : field == u"ime" ? p.m_imeMode : p.m_multiLine) = n;
  } else if (field == u"color" || field == u"background" || field == u"name-color" || field == u"name-background") {
    ColorRef c;
    if (!one() || !ParseColor(v[0], &c)) return bad;
    (field == u"color"        ? p.m_textColor
     : field == u"background" ? p.m_backColor
     : field == u"name-color" ? p.m_nameTextColor
                              : p.m_nameBackColor) = c;
  } else if (field == u"link") {
    if (v.size() != 2) return bad;
    const int source = ResolveItem(b.Doc().Store(), v[0]);
    if (source < 0) return QStringLiteral("no item %1").arg(v[0]);
    p.m_linkSource = source;
    p.m_linkTargetName = v[1];
  } else if (field == u"choices") {
    if (!v.isEmpty() && v[0] == u"--unlink") {
      if (v.size() != 1) return bad;
      p.m_choices.clear();
    } else if (!v.isEmpty() && v[0] == u"--file") {
      if (v.size() != 3) return bad;
      p.m_choices = QStringList{QStringLiteral("\u0001"), v[1], v[2]};
    } else {
      if (p.HasFileReference()) return kFileReferenceSet;
      p.m_choices = v;
    }
  } else {
    return QStringLiteral("unknown field %1").arg(field);
  }
  return {};
}

// prop ITEM FIELD VALUE...: one field of an item's record, as the item
// property sheet sets it on OK (the record becomes set, the document modified).
int Prop(CBatchContext& b, const QStringList& a) {
  if (a.size() < 2) return b.Usage(kPropUsage);
  int item;
  if (int rc = b.ItemIndex(a[0], &item)) return rc;
  CItemProperty edited = b.Doc().Store().Property(item);
  const QString error = SetField(b, edited, a[1], a.mid(2));
  if (!error.isEmpty()) return b.Error(error.startsWith(u"bad value") ? kExitUsage : kExitFailed, error);
  ApplyItemProperty(b.Doc(), item, edited);
  return kExitOk;
}

// props FILE: the property file beside FILE (or FILE itself when it is one) as JSON.
int RunProps(CCliContext& ctx, const QStringList& args) {
  const CParsedArgs a = ParseArgs(args, {}, {});
  if (a.positional.size() != 1) return ctx.Usage(QStringLiteral("usage: velum-cli props FILE"));
  const QString path = PropertyFileOf(a.positional[0]);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return ctx.Fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
  const QByteArray bytes = file.readAll();
  CVelumProperty record = CVelumProperty::Defaults(ctx.Services().settings);
  qsizetype offset = -1;
  const QString error = ReadPropertyBytes(bytes, &record, &offset);
  QJsonObject json = record.ToJson();
  json.insert(QStringLiteral("path"), QFileInfo(path).absoluteFilePath());
  if (!error.isEmpty())
    json.insert(QStringLiteral("damaged"), QJsonObject{{QStringLiteral("offset"), offset}, {QStringLiteral("reason"), error}});
  ctx.Out() << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented));
  ctx.Out().flush();
  if (!error.isEmpty()) return ctx.Fail(QStringLiteral("%1: damaged at byte %2: %3").arg(path, QString::number(offset + 1), error));
  return kExitOk;
}

const CBatchRegistrar kProp(QStringLiteral("prop"), Prop);
const CCliRegistrar kProps(QStringLiteral("props"), RunProps,
                           QStringLiteral("props FILE                         the property file beside FILE as JSON"));

}  // namespace
