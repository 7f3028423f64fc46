#include "print/postcard/postcard_address.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

int Find(const QStringList& names, const QString& chosen, std::initializer_list<const char16_t*> usual) {
  if (!chosen.isEmpty()) {
    const int i = int(names.indexOf(chosen));
    if (i >= 0) return i;
  }
  for (const char16_t* name : usual) {
    const int i = int(names.indexOf(QString::fromUtf16(name)));
    if (i >= 0) return i;
  }
  return -1;
}

bool IsBlank(QChar c) { return c == u' ' || c == u'\u3000' || c == u'\t'; }

QString Simplified(const QString& text) {
  QString out = text;
  out.replace(u'\n', u' ').replace(u'\r', u' ');
  qsizetype begin = 0, end = out.size();
  while (begin < end && IsBlank(out[begin])) ++begin;
  while (end > begin && IsBlank(out[end - 1])) --end;
  return out.sliced(begin, end - begin);
}

}  // namespace

bool EndsWithHonorific(const QString& name) {
  static const QStringList kHonorifics{u"様"_s, u"殿"_s, u"御中"_s, u"先生"_s, u"さま"_s,
                                       u"さん"_s, u"君"_s,  u"くん"_s, u"ちゃん"_s};
  for (const QString& h : kHonorifics)
    if (name.endsWith(h)) return true;
  return false;
}

CPostcardItems ResolvePostcardItems(const QStringList& names, const CPostcardSettings& s) {
  CPostcardItems items;
  items.code = Find(names, s.codeItem, {u"郵便番号", u"〒"});
  items.address1 = Find(names, s.address1Item, {u"住所", u"住所1"});
  items.address2 = Find(names, s.address2Item, {u"住所2"});
  if (items.address2 == items.address1) items.address2 = -1;
  items.name = Find(names, s.nameItem, {u"氏名", u"名前"});
  items.family = Find(names, s.familyItem, {u"姓"});
  items.given = Find(names, s.givenItem, {u"名"});
  items.joint = Find(names, s.jointItem, {u"連名"});
  items.joints = {Find(names, {}, {u"連名1"}), Find(names, {}, {u"連名2"}), Find(names, {}, {u"連名3"})};
  items.honorific = Find(names, s.honorificItem, {u"敬称"});
  items.company = Find(names, s.companyItem, {u"会社名", u"会社"});
  items.department = Find(names, s.departmentItem, {u"部署", u"部署名"});
  return items;
}

CPostcardAddress ReadPostcardAddress(const std::function<QString(int item)>& value, const CPostcardItems& items,
                                     const CPostcardSettings& s) {
  const auto get = [&](int item) { return item >= 0 ? Simplified(value(item)) : QString(); };
  CPostcardAddress a;
  a.code = get(items.code);
  a.address1 = get(items.address1);
  a.address2 = get(items.address2);
  a.company = get(items.company);
  a.department = get(items.department);

  const QString whole = get(items.name);
  if (!whole.isEmpty()) {
    qsizetype blank = 0;
    while (blank < whole.size() && !IsBlank(whole[blank])) ++blank;
    a.name.family = whole.first(blank);
    a.name.given = Simplified(whole.sliced(blank));
  } else {
    a.name.family = get(items.family);
    a.name.given = get(items.given);
    if (a.name.family.isEmpty()) std::swap(a.name.family, a.name.given);
  }
  const bool person = !a.name.family.isEmpty();

  QStringList joint;
  static const QRegularExpression kSeparators(u"[、，,・\\s\u3000]+"_s);
  for (const QString& part : get(items.joint).split(kSeparators, Qt::SkipEmptyParts)) joint << part;
  for (int item : items.joints)
    if (const QString j = get(item); !j.isEmpty()) joint << j;

  QString honorific = s.honorific.trimmed();
  const QString own = get(items.honorific);
  if (s.useHonorificItem && !own.isEmpty()) {
    honorific = own;
  } else if (!person && s.companyOnchu && !a.company.isEmpty()) {
    honorific = u"御中"_s;
  }
  const QString last = person ? (a.name.given.isEmpty() ? a.name.family : a.name.given)
                              : (a.department.isEmpty() ? a.company : a.department);
  if (!EndsWithHonorific(last)) a.name.honorific = honorific;
  if (person) {
    for (int i = 0; i < joint.size(); ++i) {
      if (i >= 3) {
        a.droppedJoint << joint[i];
        continue;
      }
      CPostcardName j;
      j.given = joint[i];
      if (!EndsWithHonorific(j.given)) j.honorific = honorific;
      a.joint.push_back(j);
    }
  }
  return a;
}
