#include "ui/desktop.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QFontInfo>

#include <windows.h>

#include <vector>

namespace ui::desktop {

namespace {

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The family of the face GDI picked for the font selected into `dc`.
QString PickedFamily(HDC dc) {
  const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
  if (size == 0) return {};
  std::vector<char> buffer(size);
  auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
  if (GetOutlineTextMetricsW(dc, size, metrics) == 0) return {};
  return QString::fromWCharArray(
      reinterpret_cast<const wchar_t*>(buffer.data() + reinterpret_cast<quintptr>(metrics->otmpFamilyName)));
}

}  // namespace

// Under Wine, Qt's own FreeType draws the text from the faces' outlines, smoothed. Its GDI
// engine gets the small sizes of Wine's Tahoma from the face's bitmaps, in two colours,
// cuts their tops ("f" read as "t") and loses word gaps. Windows itself keeps Qt's choice
// (ClearType).
QByteArray Platform() { return UnderWine() ? QByteArrayLiteral("windows:fontengine=freetype") : QByteArray(); }

// A dialog font's name ("MS Shell Dlg") stands for a face of the system's; where that face
// is missing (a Wine prefix without Tahoma), GDI draws it in the machine's stand-in, as
// every Windows program gets it, where Qt would take its first face. A face found only in
// the prefix's Fonts folder (the registry does not list what was copied there) is read
// through GDI, regular and bold, and given to Qt.
QString FaceOf(const QString& family) {
  if (!UnderWine()) return family;
  QString face;
  bool unknown = false;
  HDC dc = CreateCompatibleDC(nullptr);
  for (const LONG weight : {FW_NORMAL, FW_BOLD}) {
    LOGFONTW request{};
    request.lfHeight = -11;
    request.lfWeight = weight;
    request.lfCharSet = DEFAULT_CHARSET;
    family.left(LF_FACESIZE - 1).toWCharArray(request.lfFaceName);
    HFONT font = CreateFontIndirectW(&request);
    HGDIOBJ previous = SelectObject(dc, font);
    if (weight == FW_NORMAL) {
      face = PickedFamily(dc);
      unknown = !face.isEmpty() && QFontInfo(QFont(face)).family() != face;
    }
    const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
    if (unknown && PickedFamily(dc) == face && size != GDI_ERROR) {
      QByteArray data(qsizetype(size), Qt::Uninitialized);
      if (GetFontData(dc, 0, 0, data.data(), size) == size) QFontDatabase::addApplicationFontFromData(data);
    }
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  DeleteDC(dc);
  return face.isEmpty() ? family : face;
}

}  // namespace ui::desktop
