#include "ui/automation/script_runner.h"

#include "app/key_translation.h"
#include "app/script_words.h"
#include "platform/file_io.h"
#include "ui/dialogs/japanese/ime_composition.h"
#include "ui/views/card_view.h"
#include "ui/views/deck_models.h"
#include "ui/views/item_list_view.h"
#include "ui/views/list_view.h"
#include "ui/widgets/ui_services.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QDoubleSpinBox>
#include <QLocale>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

namespace {

// A label as scripts name it: without "&" and a trailing colon.
QString CleanLabel(QString text) {
  text = text.left(text.indexOf(u'\t'));
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) {
      out += text[++i];
      continue;
    }
    out += text[i];
  }
  out = out.trimmed();
  while (out.endsWith(u':') || out.endsWith(u'：')) out.chop(1);
  return out;
}

bool IsInnerPart(const QWidget* w) {
  // The edit of a combo box or spin box belongs to it.
  const QWidget* p = w->parentWidget();
  if (p && (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p))) return true;
  // The headings of a list are part of it.
  if (qobject_cast<const QHeaderView*>(w)) return true;
  // The day grid and buttons of a calendar; its dialog shows the date in a field of its own.
  for (; p; p = p->parentWidget())
    if (qobject_cast<const QCalendarWidget*>(p)) return true;
  return false;
}

QString Kind(const QWidget* w) {
  if (qobject_cast<const QCheckBox*>(w)) return QStringLiteral("check");
  if (qobject_cast<const QRadioButton*>(w)) return QStringLiteral("radio");
  if (qobject_cast<const QAbstractButton*>(w)) return QStringLiteral("button");
  if (qobject_cast<const QComboBox*>(w)) return QStringLiteral("combo");
  if (qobject_cast<const QAbstractSpinBox*>(w)) return QStringLiteral("spin");
  if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w))
    return QStringLiteral("edit");
  if (qobject_cast<const QAbstractItemView*>(w)) return QStringLiteral("list");
  if (qobject_cast<const QLabel*>(w)) return QStringLiteral("label");
  return {};
}

QString LabelOf(const QWidget* w, const QList<QLabel*>& labels) {
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return CleanLabel(b->text());
  if (auto* l = qobject_cast<const QLabel*>(w)) return CleanLabel(l->text());
  for (const QLabel* l : labels)
    if (l->buddy() == w) return CleanLabel(l->text());
  for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    if (auto* g = qobject_cast<const QGroupBox*>(p)) return CleanLabel(g->title());
  return {};
}

QString IdOf(const QWidget* w) {
  const QVariant id = w->property("controlId");
  if (id.isValid()) return id.toString();
  const QString name = w->objectName();
  return name.startsWith(QStringLiteral("qt_")) ? QString() : name;
}

QString PageOf(const QWidget* w) {
  for (const QWidget* p = w; p; p = p->parentWidget()) {
    const QWidget* stack = p->parentWidget();
    if (!stack) break;
    if (auto* tabs = qobject_cast<const QTabWidget*>(stack->parentWidget())) {
      const int index = tabs->indexOf(const_cast<QWidget*>(p));
      if (index >= 0) return CleanLabel(tabs->tabText(index));
    }
  }
  return {};
}

QJsonValue ValueOf(const QWidget* w, QJsonArray* items) {
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->isCheckable() ? QJsonValue(b->isChecked()) : QJsonValue();
  if (auto* c = qobject_cast<const QComboBox*>(w)) {
    for (int i = 0; i < c->count(); ++i) items->append(c->itemText(i));
    return c->currentText();
  }
  if (auto* s = qobject_cast<const QSpinBox*>(w)) return s->value();
  if (auto* s = qobject_cast<const QDoubleSpinBox*>(w)) return s->value();
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
  if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return e->toPlainText();
  if (auto* e = qobject_cast<const QTextEdit*>(w)) return e->toPlainText();
  if (auto* v = qobject_cast<const QAbstractItemView*>(w)) {
    const QAbstractItemModel* m = v->model();
    const int rows = m ? std::min(m->rowCount(v->rootIndex()), 200) : 0;
    for (int r = 0; r < rows; ++r) items->append(m->index(r, 0, v->rootIndex()).data().toString());
    return v->currentIndex().isValid() ? QJsonValue(v->currentIndex().data().toString()) : QJsonValue();
  }
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  return {};
}

QList<QWidget*> Controls(QWidget* dialog) {
  QList<QWidget*> out;
  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    if (Kind(w).isEmpty() || IsInnerPart(w)) continue;
    // Hidden widgets of a tab page that is not shown still count: every page is listed.
    if (!w->isVisibleTo(dialog) && PageOf(w).isEmpty()) continue;
    out << w;
  }
  return out;
}

QWidget* FindControl(QWidget* dialog, const QString& name) {
  const QList<QWidget*> controls = Controls(dialog);
  const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
  for (QWidget* w : controls) {
    if (name.startsWith(u'#') ? IdOf(w) == name.mid(1) : LabelOf(w, labels) == name) {
      if (qobject_cast<QLabel*>(w) && !name.startsWith(u'#')) continue;
      return w;
    }
  }
  return nullptr;
}

QWidget* OpenDialog() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && qobject_cast<QDialog*>(w)) return w;
  return nullptr;
}

}  // namespace

CScriptRunner::CScriptRunner(CVelumApp& app, CMainWindow& window, QTextStream& in, QTextStream& out,
                             QTextStream& err)
    : m_app(app), m_window(window), m_in(in), m_out(out), m_err(err) {}

void CScriptRunner::Start() { Schedule(0); }

void CScriptRunner::Schedule(int ms) { QTimer::singleShot(ms, this, &CScriptRunner::Step); }

void CScriptRunner::Finish(int code) {
  if (m_done) return;
  m_done = true;
  m_exitCode = code;
  m_out.flush();
  m_err.flush();
  QCoreApplication::exit(code);
}

int CScriptRunner::Fail(int code, const QString& reason) {
  m_out.flush();
  m_err << "velum: line " << m_lineNumber << ": " << reason << '\n';
  m_err.flush();
  return code;
}

void CScriptRunner::Print(const QJsonObject& json) {
  m_out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)) << '\n';
  m_out.flush();
}

void CScriptRunner::Print(const QJsonArray& json) {
  m_out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)) << '\n';
  m_out.flush();
}

void CScriptRunner::Step() {
  if (m_done) return;
  QString line;
  QStringList words;
  while (true) {
    if (!m_in.readLineInto(&line, kMaxLine + 1)) {
      Finish(0);
      return;
    }
    ++m_lineNumber;
    // A line without an end (a device or a damaged file) is never held whole.
    if (line.size() > kMaxLine) {
      Finish(Fail(2, QStringLiteral("line longer than %1 characters").arg(kMaxLine)));
      return;
    }
    if (!SplitWords(line, &words)) {
      Finish(Fail(2, QStringLiteral("unclosed quote")));
      return;
    }
    if (!words.isEmpty() && !words[0].startsWith(u'#')) break;
  }
  const QString word = words.takeFirst();
  // The next line runs once the event loop is free again, also inside a
  // dialog's own loop that this line may open.
  m_delay = 0;
  if (word == u"wait") {
    bool ok = false;
    const int ms = words.value(0).toInt(&ok);
    if (!ok || words.size() != 1 || ms < 0) {
      Finish(Fail(2, QStringLiteral("usage: wait MS")));
      return;
    }
    Schedule(ms);
    return;
  }
  Schedule(0);
  const int code = Run(word, words);
  if (code != 0) Finish(code);
}

int CScriptRunner::Run(const QString& word, const QStringList& a) {
  CMainWindow& window = m_window;
  static const QStringList kBare = {QStringLiteral("state"), QStringLiteral("menu"), QStringLiteral("toolbar"),
                                    QStringLiteral("layout"), QStringLiteral("dialog"), QStringLiteral("close")};
  if (kBare.contains(word) && !a.isEmpty()) return Fail(2, QStringLiteral("usage: %1 (no arguments)").arg(word));
  if (word == u"cmd") {
    bool ok = false;
    const unsigned id = a.value(0).toUInt(&ok);
    if (!ok || a.size() != 1) return Fail(2, QStringLiteral("usage: cmd ID"));
    if (!window.Dispatch(id)) return Fail(1, QStringLiteral("command %1 is not available").arg(id));
    return 0;
  }
  if (word == u"key") {
    if (a.size() != 1) return Fail(2, QStringLiteral("usage: key LABEL"));
    return SendKey(a[0]);
  }
  if (word == u"type") {
    if (a.size() != 1) return Fail(2, QStringLiteral("usage: type TEXT"));
    return TypeText(a[0]);
  }
  if (word == u"ime") {
    if (a.size() != 2) return Fail(2, QStringLiteral("usage: ime PREEDIT COMMIT"));
    QWidget* target = QApplication::focusWidget();
    // After a dialog the main window may not be active yet: its own focus widget takes the text.
    if (!target && !OpenDialog()) target = m_window.focusWidget();
    if (!target) return Fail(1, QStringLiteral("nothing has the focus"));
    SendComposition(target, a[0], a[1]);
    return 0;
  }
  if (word == u"focus") return Focus(a);
  if (word == u"answer") {
    IPrompt::Choice choice;
    // "check" ticks the check box of the question (次回から確認しない).
    const bool check = a.size() == 2 && a[1] == u"check";
    if ((a.size() != 1 && !check) || !ParseAnswerWord(a[0], &choice))
      return Fail(2, QStringLiteral("usage: answer ok|cancel|yes|no [check]"));
    if (CTranscriptPrompt* p = m_app.ScriptPrompt()) {
      p->QueueChoice(choice);
      if (check) p->QueueCheck();
    }
    return 0;
  }
  if (word == u"state") {
    Print(State());
    return 0;
  }
  if (word == u"menu") {
    Print(MenuJson());
    return 0;
  }
  if (word == u"toolbar") {
    QJsonArray out;
    if (QToolBar* bar = window.ToolBar())
      for (QAction* act : bar->actions()) {
        if (act->isSeparator() || !act->data().isValid()) continue;
        out.append(QJsonObject{{QStringLiteral("id"), qint64(act->data().toUInt())},
                               {QStringLiteral("tip"), act->toolTip()},
                               {QStringLiteral("enabled"), act->isEnabled()}});
      }
    Print(out);
    return 0;
  }
  if (word == u"layout") {
    Print(window.CardView().LayoutJson());
    return 0;
  }
  if (word == u"list") {
    bool ok = true;
    const int rows = a.isEmpty() ? 20 : a[0].toInt(&ok);
    if (!ok || a.size() > 1 || rows < 0) return Fail(2, QStringLiteral("usage: list [N]"));
    Print(ListJson(rows));
    return 0;
  }
  if (word == u"header") {
    bool ok = false;
    const int column = a.size() == 1 ? a[0].toInt(&ok) : -1;
    if (!ok) return Fail(2, QStringLiteral("usage: header N"));
    if (!window.ListView() || !window.ListActive()) return Fail(1, QStringLiteral("the list is not shown"));
    if (column < 0 || column >= window.ListView()->Model().columnCount())
      return Fail(1, QStringLiteral("no column %1").arg(column));
    window.ListView()->SortByHeading(column);
    return 0;
  }
  if (word == u"screenshot") {
    if (a.size() != 1) return Fail(2, QStringLiteral("usage: screenshot PATH"));
    QWidget* target = OpenDialog();
    if (!target) target = &window;
    // Written like every other file: a full disk or a refused path never
    // replaces a good picture with part of one.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!target->grab().save(&buffer, "PNG")) return Fail(1, QStringLiteral("cannot encode %1").arg(a[0]));
    if (const QString error = WriteFileSafely(a[0], png); !error.isEmpty()) return Fail(1, error);
    return 0;
  }
  // The words that act on the open dialog.
  const bool dialogWord = word == u"dialog" || word == u"set" || word == u"check" || word == u"choose" ||
                          word == u"press" || word == u"close";
  if (!dialogWord) return Fail(2, QStringLiteral("unknown word: %1").arg(word));
  QWidget* dialog = OpenDialog();
  if (!dialog) return Fail(1, QStringLiteral("no dialog is open"));
  if (word == u"dialog") {
    Print(DialogJson(dialog));
    return 0;
  }
  if (word == u"close") {
    if (auto* d = qobject_cast<QDialog*>(dialog))
      d->reject();
    else
      dialog->close();
    return 0;
  }
  const int need = word == u"press" ? 1 : 2;
  if (a.size() != need) return Fail(2, QStringLiteral("usage: %1 LABEL%2").arg(word, need == 2 ? u" VALUE" : u""));
  QWidget* control = FindControl(dialog, a[0]);
  if (!control) return Fail(1, QStringLiteral("no control %1").arg(a[0]));
  if (!control->isEnabled()) return Fail(1, QStringLiteral("%1 is disabled").arg(a[0]));
  if (word == u"press") {
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (!button) return Fail(1, QStringLiteral("%1 is no button").arg(a[0]));
    button->click();
    return 0;
  }
  if (word == u"check") {
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (!button || !button->isCheckable() || (a[1] != u"on" && a[1] != u"off"))
      return Fail(1, QStringLiteral("cannot check %1").arg(a[0]));
    if (button->isChecked() != (a[1] == u"on")) button->click();
    return 0;
  }
  if (word == u"choose") {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
      const int index = combo->findText(a[1]);
      if (index < 0) return Fail(1, QStringLiteral("%1 has no entry %2").arg(a[0], a[1]));
      combo->setCurrentIndex(index);
      Q_EMIT combo->activated(index);
      return 0;
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
      const QAbstractItemModel* m = view->model();
      for (int r = 0; m && r < m->rowCount(view->rootIndex()); ++r) {
        const QModelIndex index = m->index(r, 0, view->rootIndex());
        if (index.data().toString() == a[1]) {
          view->setCurrentIndex(index);
          return 0;
        }
      }
      return Fail(1, QStringLiteral("%1 has no entry %2").arg(a[0], a[1]));
    }
    if (auto* button = qobject_cast<QRadioButton*>(control)) {
      button->click();
      return 0;
    }
    return Fail(1, QStringLiteral("%1 has no entries").arg(a[0]));
  }
  // set
  if (auto* e = qobject_cast<QLineEdit*>(control)) {
    e->setText(a[1]);
    Q_EMIT e->textEdited(a[1]);
  } else if (auto* e = qobject_cast<QPlainTextEdit*>(control)) {
    e->setPlainText(a[1]);
  } else if (auto* e = qobject_cast<QTextEdit*>(control)) {
    e->setPlainText(a[1]);
  } else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->isEditable()) {
    combo->setEditText(a[1]);
  } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
    bool ok = false;
    const int v = a[1].toInt(&ok);
    if (!ok) return Fail(1, QStringLiteral("%1 takes a number").arg(a[0]));
    spin->setValue(v);
  } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(control)) {
    bool ok = false;
    const double v = QLocale::c().toDouble(a[1], &ok);
    if (!ok) return Fail(1, QStringLiteral("%1 takes a number").arg(a[0]));
    spin->setValue(v);
  } else {
    return Fail(1, QStringLiteral("cannot set %1").arg(a[0]));
  }
  return 0;
}

int CScriptRunner::SendKey(const QString& label) {
  std::uint32_t code = 0;
  bool alt = false, shift = false, ctrl = false;
  if (!ParseKeyLabel(label, &code, &alt, &shift, &ctrl)) return Fail(2, QStringLiteral("unknown key: %1").arg(label));
  const CQtKey qt = QtKeyFromKeyCode(code);
  Qt::KeyboardModifiers mods = qt.modifiers;
  if (alt) mods |= Qt::AltModifier;
  if (shift) mods |= Qt::ShiftModifier;
  if (ctrl) mods |= Qt::ControlModifier;
  QString text;
  if (!alt && !ctrl) {
    if (qt.key >= Qt::Key_A && qt.key <= Qt::Key_Z)
      text = QChar(shift ? qt.key : qt.key + 32);
    else if (qt.key >= Qt::Key_0 && qt.key <= Qt::Key_9)
      text = QChar(qt.key);
    else if (qt.key == Qt::Key_Return || qt.key == Qt::Key_Enter)
      text = QStringLiteral("\r");
    else if (qt.key == Qt::Key_Space)
      text = QStringLiteral(" ");
  }
  QWidget* target = KeyTarget();
  if (!target) target = OpenDialog();
  if (!target) target = m_window.focusWidget();
  if (!target) target = &m_window;
  QKeyEvent override(QEvent::ShortcutOverride, qt.key, mods, text);
  QCoreApplication::sendEvent(target, &override);
  QKeyEvent press(QEvent::KeyPress, qt.key, mods, text);
  QCoreApplication::sendEvent(target, &press);
  if (QWidget* after = QApplication::focusWidget(); after == target) {
    QKeyEvent release(QEvent::KeyRelease, qt.key, mods, text);
    QCoreApplication::sendEvent(target, &release);
  }
  return 0;
}

QWidget* CScriptRunner::KeyTarget() {
  QWidget* target = QApplication::focusWidget();
  // A dialog that has just opened may not be the active window yet: the keys
  // go to its own focus widget, as a person's would once it is up.
  if (QWidget* dialog = OpenDialog(); dialog && dialog->focusWidget() && (!target || !dialog->isAncestorOf(target)))
    target = dialog->focusWidget();
  return target;
}

int CScriptRunner::TypeText(const QString& text) {
  QWidget* target = KeyTarget();
  // After a dialog the main window may not be active yet: its own focus widget takes the text.
  if (!target && !OpenDialog()) target = m_window.focusWidget();
  if (!target) return Fail(1, QStringLiteral("nothing has the focus"));
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(target, &release);
  }
  return 0;
}

int CScriptRunner::Focus(const QStringList& a) {
  CMainWindow& window = m_window;
  if (a.isEmpty()) return Fail(2, QStringLiteral("usage: focus card ITEM | chooser | itemlist | list"));
  if (a[0] == u"card" && a.size() == 2) {
    const CCardStore& store = m_app.Doc().Store();
    int item = -1;
    if (a[1].startsWith(u'#'))
      item = a[1].mid(1).toInt();
    else
      for (int i = 0; i < store.ItemCount(); ++i)
        if (store.Item(i) == a[1]) item = i;
    QWidget* control = window.CardView().ItemControl(item);
    if (!control) return Fail(1, QStringLiteral("no item %1").arg(a[1]));
    window.SetActiveView(&window.CardView());
    window.CardView().FocusItem(item);
    return 0;
  }
  if (a.size() != 1) return Fail(2, QStringLiteral("usage: focus card ITEM | chooser | itemlist | list"));
  if (a[0] == u"chooser" || a[0] == u"itemlist") {
    window.SetActiveView(&window.ItemList());
    a[0] == u"chooser" ? window.ItemList().FocusChooser() : window.ItemList().FocusValueList();
    return 0;
  }
  if (a[0] == u"list") {
    if (!window.ListView() || !window.ListActive()) return Fail(1, QStringLiteral("the list is not shown"));
    window.ListView()->setFocus(Qt::OtherFocusReason);
    return 0;
  }
  return Fail(2, QStringLiteral("usage: focus card ITEM | chooser | itemlist | list"));
}

QJsonObject CScriptRunner::State() const {
  CMainWindow& window = m_window;
  QJsonObject state = DocumentState(m_app.Doc());
  state.insert(QStringLiteral("title"), window.ShownTitle());
  state.insert(QStringLiteral("status"), window.StatusText());
  // The status bar's sum, while the current item holds numbers.
  if (const auto* sum = window.findChild<QLabel*>(QStringLiteral("itemTotal")); sum && !sum->text().isEmpty())
    state.insert(QStringLiteral("sum"), sum->text());
  state.insert(QStringLiteral("view"), window.ActiveViewName());
  QString focus;
  if (window.ListActive()) {
    focus = QStringLiteral("list");
  } else if (const int item = window.CardView().FocusedItem(); item >= 0) {
    focus = QStringLiteral("card ") + m_app.Doc().Store().Item(item).toString();
  } else if (window.ItemList().Chooser().hasFocus()) {
    focus = QStringLiteral("chooser");
  } else if (window.ItemList().ValueListHasFocus()) {
    focus = QStringLiteral("itemlist");
  }
  state.insert(QStringLiteral("focus"), focus);
  return state;
}

QJsonArray CScriptRunner::MenuJson() const {
  std::function<QJsonArray(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
    QJsonArray out;
    for (QAction* act : actions) {
      if (act->isSeparator() || !act->isVisible()) continue;
      QJsonObject entry{{QStringLiteral("text"), act->text()},
                        {QStringLiteral("enabled"), act->isEnabled()},
                        {QStringLiteral("checked"), act->isChecked()}};
      if (act->menu()) {
        Q_EMIT act->menu()->aboutToShow();
        entry.insert(QStringLiteral("children"), walk(act->menu()->actions()));
      } else {
        entry.insert(QStringLiteral("id"), qint64(act->data().toUInt()));
      }
      out.append(entry);
    }
    return out;
  };
  m_window.RefreshCommandStates();
  return walk(m_window.menuBar()->actions());
}

QJsonObject CScriptRunner::ListJson(int rows) const {
  CMainWindow& window = m_window;
  QJsonArray columns, out, align;
  if (window.ListActive()) {
    const CCardTableModel& m = window.ListView()->Model();
    for (int c = 0; c < m.columnCount(); ++c) {
      columns.append(m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
      align.append(m.RightAligned(c) ? QStringLiteral("right") : QStringLiteral("left"));
    }
    for (int r = 0; r < std::min(rows, m.rowCount()); ++r) {
      QJsonArray row;
      for (int c = 0; c < m.columnCount(); ++c) row.append(m.index(r, c).data().toString());
      out.append(row);
    }
  } else {
    CItemListView& list = window.ItemList();
    columns.append(list.Chooser().currentText());
    align.append(QStringLiteral("left"));
    const QAbstractItemModel& m = list.Model();
    for (int r = 0; r < std::min(rows, m.rowCount()); ++r) out.append(QJsonArray{m.index(r, 0).data().toString()});
  }
  return QJsonObject{{QStringLiteral("columns"), columns}, {QStringLiteral("rows"), out}, {QStringLiteral("align"), align}};
}

QJsonObject CScriptRunner::DialogJson(QWidget* dialog) {
  QJsonArray controls;
  const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
  for (QWidget* w : Controls(dialog)) {
    QJsonArray items;
    QJsonObject c{{QStringLiteral("kind"), Kind(w)},
                  {QStringLiteral("label"), LabelOf(w, labels)},
                  {QStringLiteral("enabled"), w->isEnabled()}};
    const QString id = IdOf(w);
    if (!id.isEmpty()) c.insert(QStringLiteral("id"), id);
    c.insert(QStringLiteral("value"), ValueOf(w, &items));
    if (!items.isEmpty()) c.insert(QStringLiteral("items"), items);
    const QString page = PageOf(w);
    if (!page.isEmpty()) c.insert(QStringLiteral("page"), page);
    controls.append(c);
  }
  return QJsonObject{{QStringLiteral("title"), dialog->windowTitle()}, {QStringLiteral("controls"), controls}};
}
