#include "ui/ui_services.h"

#include "app/script_words.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace {

// The boxes carry the program's name, as every box of the window does.
const QString kBoxTitle = QStringLiteral("Velum");

}  // namespace

void CMessageBoxPrompt::Notice(const QString& text) {
  QMessageBox::information(m_parent, kBoxTitle, text, QMessageBox::Ok);
}

bool CMessageBoxPrompt::Question(const QString& text) {
  return QMessageBox::question(m_parent, kBoxTitle, text, QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Ok) == QMessageBox::Ok;
}

bool CMessageBoxPrompt::YesNo(const QString& text) {
  return QMessageBox::question(m_parent, kBoxTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

IPrompt::Choice CMessageBoxPrompt::YesNoCancel(const QString& text) {
  const auto b = QMessageBox::question(m_parent, kBoxTitle, text,
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  return b == QMessageBox::Yes ? Choice::Yes : b == QMessageBox::No ? Choice::No : Choice::Cancel;
}

void CMessageBoxPrompt::BeginWait() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
void CMessageBoxPrompt::EndWait() { QGuiApplication::restoreOverrideCursor(); }

QString CQtClipboard::Text() const { return QGuiApplication::clipboard()->text(); }
void CQtClipboard::SetText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

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
