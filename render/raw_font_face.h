#pragma once

#include <QRawFont>

#include <hb.h>

// A HarfBuzz face that reads its tables through Qt, so that it shapes exactly
// the face Qt draws, whichever file (or collection member) that is. raw must
// outlive the face; the caller destroys the face (hb_face_destroy).
hb_face_t* CreateFaceOf(const QRawFont& raw);
