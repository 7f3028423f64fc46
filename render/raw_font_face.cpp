#include "render/raw_font_face.h"

#include <QByteArray>

namespace {

hb_blob_t* ReferenceTable(hb_face_t*, hb_tag_t tag, void* user) {
  const auto* raw = static_cast<const QRawFont*>(user);
  const char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
  auto* data = new QByteArray(raw->fontTable(name));
  if (data->isEmpty()) {
    delete data;
    return nullptr;
  }
  return hb_blob_create(data->constData(), unsigned(data->size()), HB_MEMORY_MODE_READONLY, data,
                        [](void* p) { delete static_cast<QByteArray*>(p); });
}

}  // namespace

hb_face_t* CreateFaceOf(const QRawFont& raw) {
  return hb_face_create_for_tables(ReferenceTable, const_cast<QRawFont*>(&raw), nullptr);
}
