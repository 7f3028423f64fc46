#include "ui/widgets/ui_services.h"

#include "app/script_words.h"
#include "ui/widgets/dialog_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QApplication>
#include <QCoreApplication>

#include <climits>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace {

// The boxes carry the program's name, as every box of the window does.
const QString kBoxTitle = QStringLiteral("Velum");

}  // namespace

namespace {

// Qt gives a box's text at most half the screen's width: on a narrow screen
// that wraps a few characters a line. The text takes what the screen has.
void FitBoxToScreen(QMessageBox& box, QWidget* parent) {
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const int width = screen ? screen->availableGeometry().width() : 800;
  if (width < 640) {
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }").arg(std::max(width - 110, 80)));
    // Three buttons with their pictures are wider than such a screen.
    for (QAbstractButton* b : box.buttons()) b->setIcon(QIcon());
  }
  KeepInsideScreen(box);
}

// A message box with Japanese buttons whatever Qt's own language: the texts
// of the standard buttons are set here rather than left to a translation.
QMessageBox::StandardButton AskBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                   QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preset) {
  QMessageBox box(icon, kBoxTitle, text, buttons, parent);
  const std::pair<QMessageBox::StandardButton, QString> names[] = {{QMessageBox::Ok, QStringLiteral("OK")},
                                                                   {QMessageBox::Cancel, QStringLiteral("キャンセル")},
                                                                   {QMessageBox::Yes, QStringLiteral("はい")},
                                                                   {QMessageBox::No, QStringLiteral("いいえ")}};
  for (const auto& [which, name] : names)
    if (QAbstractButton* b = box.button(which)) b->setText(name);
  box.setDefaultButton(preset);
  FitBoxToScreen(box, parent);
  return QMessageBox::StandardButton(box.exec());
}

}  // namespace

void CMessageBoxPrompt::Notice(const QString& text) {
  AskBox(m_parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool CMessageBoxPrompt::Question(const QString& text) {
  return AskBox(m_parent, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
         QMessageBox::Ok;
}

bool CMessageBoxPrompt::QuestionWithCheck(const QString& text, const QString& check, bool* checked) {
  QMessageBox box(QMessageBox::Question, kBoxTitle, text, QMessageBox::Ok | QMessageBox::Cancel, m_parent);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
  box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
  box.setDefaultButton(QMessageBox::Ok);
  auto* tick = new QCheckBox(check, &box);
  box.setCheckBox(tick);
  FitBoxToScreen(box, m_parent);
  const bool ok = box.exec() == QMessageBox::Ok;
  *checked = tick->isChecked();
  return ok;
}

bool CMessageBoxPrompt::YesNo(const QString& text) {
  return AskBox(m_parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

IPrompt::Choice CMessageBoxPrompt::YesNoCancel(const QString& text) {
  // The save question of a changed document: its buttons say what they do.
  QMessageBox box(QMessageBox::Question, kBoxTitle, text, QMessageBox::NoButton, m_parent);
  QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QStringLiteral("保存しない"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  FitBoxToScreen(box, m_parent);
  box.exec();
  return box.clickedButton() == save ? Choice::Yes : box.clickedButton() == discard ? Choice::No : Choice::Cancel;
}

IPrompt::Choice CMessageBoxPrompt::OverwriteOrSaveAs(const QString& text) {
  QMessageBox box(QMessageBox::Question, kBoxTitle, text, QMessageBox::NoButton, m_parent);
  QPushButton* overwrite = box.addButton(QStringLiteral("上書き保存"), QMessageBox::AcceptRole);
  QPushButton* saveAs = box.addButton(QStringLiteral("名前を付けて保存..."), QMessageBox::ActionRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == overwrite ? Choice::Yes : box.clickedButton() == saveAs ? Choice::No : Choice::Cancel;
}

void CMessageBoxPrompt::BeginWait() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
void CMessageBoxPrompt::EndWait() { QGuiApplication::restoreOverrideCursor(); }

void CProgressDialogProgress::Begin(const QString& what, qint64 total) {
  if (m_depth++ > 0) return;
  m_what = what;
  m_total = total;
  m_clock.start();
}

void CProgressDialogProgress::Step(qint64 done) {
  // An inner task's steps keep the dialog alive; only the outer one's are shown as a value.
  if (m_depth < 1) return;
  if (!m_dialog) {
    if (m_clock.elapsed() < 500) return;
    m_dialog = new QProgressDialog(m_what, QString(), 0, int(std::min<qint64>(m_total, INT_MAX)), m_parent);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(0);
    m_dialog->setWindowTitle(QStringLiteral("Velum"));
    m_dialog->show();
  }
  if (m_total > 0 && m_depth == 1) m_dialog->setValue(int(std::min<qint64>(done, INT_MAX)));
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CProgressDialogProgress::End() {
  if (--m_depth > 0) return;
  delete m_dialog;
  m_dialog = nullptr;
}

QString CQtClipboard::Text() const { return QGuiApplication::clipboard()->text(); }
void CQtClipboard::SetText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

void CQtClipboard::SetCards(const QString& cards, const QString& sheetRows) {
  if (sheetRows.isEmpty()) return SetText(cards);
  auto* data = new QMimeData;
  data->setText(sheetRows);
  data->setData(kCardsMime, cards.toUtf8());
  QGuiApplication::clipboard()->setMimeData(data);
}

QString CQtClipboard::Cards() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data && data->hasFormat(kCardsMime)) return QString::fromUtf8(data->data(kCardsMime));
  return Text();
}

bool CDesktopShell::Open(const QString& pathOrUrl) {
  const QUrl url = pathOrUrl.contains(QStringLiteral("://")) || pathOrUrl.startsWith(QStringLiteral("mailto:"))
                       ? QUrl(pathOrUrl)
                       : QUrl::fromLocalFile(pathOrUrl);
  return QDesktopServices::openUrl(url);
}

bool CDesktopShell::Run(const QString& program, const QString& parameters) {
  if (parameters.isEmpty()) return Open(program);
  return QProcess::startDetached(program, QProcess::splitCommand(parameters));
}

void CTranscriptPrompt::OnShown(const Shown& shown) {
  m_out << TranscriptLine(shown) << '\n';
  m_out.flush();
}

bool CTranscriptShell::Open(const QString& pathOrUrl) {
  m_out << "opened: " << pathOrUrl << '\n';
  m_out.flush();
  return true;
}
