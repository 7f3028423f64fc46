#include "ui/widgets/dialog_fit.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

// What the window manager's frame adds to a window: the owner's frame where
// the dialog has none yet (it gets one only once shown).
QSize FrameExtra(const QWidget& w) {
  QSize extra = w.frameGeometry().size() - w.geometry().size();
  if (extra.isEmpty() && w.parentWidget()) {
    const QWidget* owner = w.parentWidget()->window();
    extra = extra.expandedTo(owner->frameGeometry().size() - owner->geometry().size());
  }
  return extra.expandedTo(QSize(0, 0));
}

// Once shown, a dialog with its frame lies inside the screen's available
// area: smaller where it must be, moved where it stands out.
class CKeepOnScreen final : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      auto* w = static_cast<QWidget*>(watched);
      // The window manager puts its frame around a window a moment after it
      // is shown: placed at once, and again once the frame is there.
      QTimer::singleShot(0, w, [w] { PlaceInside(*w); });
      QTimer::singleShot(300, w, [w] { PlaceInside(*w); });
    }
    return false;
  }

 private:
  static void PlaceInside(QWidget& w) {
    const QScreen* s = w.screen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    const QSize extra = FrameExtra(w);
    const QSize room = (area.size() - extra).expandedTo(QSize(1, 1));
    if (w.width() > room.width() || w.height() > room.height()) w.resize(w.size().boundedTo(room));
    const QSize outer = w.size() + extra;
    const QPoint at = w.frameGeometry().topLeft();
    const int x = std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
    const int y = std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    if (QPoint(x, y) != at) w.move(x, y);
  }
};

}  // namespace

void KeepInsideScreen(QWidget& window) {
  // Found by name: the filter has no meta-object of its own to be found by.
  const QString name = QStringLiteral("keepInsideScreen");
  if (window.findChild<QObject*>(name, Qt::FindDirectChildrenOnly)) return;
  auto* keeper = new CKeepOnScreen(&window);
  keeper->setObjectName(name);
  window.installEventFilter(keeper);
}

int TitleWidth(const QWidget& dialog) {
  constexpr int kTitleBarButtons = 100;
  return QFontMetrics(dialog.font()).horizontalAdvance(dialog.windowTitle()) + kTitleBarButtons;
}

void FitToScreen(QWidget& dialog, QSize screen, QSize preferred) {
  if (!screen.isValid()) {
    const QScreen* s = QGuiApplication::primaryScreen();
    screen = s ? s->availableGeometry().size() : QSize(800, 600);
  }
  // The frame the window manager puts around the dialog takes room too.
  screen = (screen - FrameExtra(dialog)).expandedTo(QSize(1, 1));
  KeepInsideScreen(dialog);
  QLayout* layout = dialog.layout();
  if (layout) layout->activate();
  dialog.setMaximumSize(screen);
  const QSize hint = dialog.sizeHint();
  QSize wanted(preferred.width() > 0 ? preferred.width() : hint.width(),
               preferred.height() > 0 ? preferred.height() : hint.height());
  // Wide enough for the title bar to show the whole title beside its buttons.
  wanted.setWidth(std::max(wanted.width(), TitleWidth(dialog)));
  wanted = wanted.expandedTo(dialog.minimumSizeHint()).boundedTo(screen);
  if (preferred.height() <= 0 && layout && layout->hasHeightForWidth())
    wanted.setHeight(std::min(std::max(layout->totalHeightForWidth(wanted.width()), 1), screen.height()));
  dialog.resize(wanted);
}

QSize PreferredDialogSize(const QWidget& dialog, const QWidget& page) {
  const QSize rest = dialog.sizeHint() - dialog.findChild<QScrollArea*>()->sizeHint();
  const int bar = dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return page.sizeHint() + QSize(bar, 0) + QSize(std::max(rest.width(), 0), std::max(rest.height(), 0));
}
