#include "platform/prompt.h"

IPrompt::Choice CScriptedPrompt::NextChoice() {
  if (m_answers.empty()) return m_defaultAnswer ? Choice::Yes : Choice::Cancel;
  const Choice c = m_answers.front();
  m_answers.pop_front();
  return c;
}

bool CScriptedPrompt::NextAnswer() { return NextChoice() == Choice::Yes; }

void CScriptedPrompt::Record(Kind kind, const QString& text, bool answer, Choice choice) {
  if (!answer) ++m_declined;
  m_shown.push_back({kind, text, answer, choice});
  OnShown(m_shown.back());
}

void CScriptedPrompt::Notice(const QString& text) { Record(Kind::Notice, text, true, Choice::Yes); }

bool CScriptedPrompt::Question(const QString& text) {
  const bool a = NextAnswer();
  Record(Kind::Question, text, a, a ? Choice::Yes : Choice::Cancel);
  return a;
}

bool CScriptedPrompt::QuestionWithCheck(const QString& text, const QString& check, bool* checked) {
  const bool a = NextAnswer();
  *checked = m_checkNext;
  m_checkNext = false;
  if (!a) ++m_declined;
  m_shown.push_back({Kind::Question, text, a, a ? Choice::Yes : Choice::Cancel, check, *checked});
  OnShown(m_shown.back());
  return a;
}

bool CScriptedPrompt::YesNo(const QString& text) {
  const bool a = NextAnswer();
  Record(Kind::YesNo, text, a, a ? Choice::Yes : Choice::No);
  return a;
}

IPrompt::Choice CScriptedPrompt::YesNoCancel(const QString& text) {
  const Choice c = NextChoice();
  Record(Kind::YesNoCancel, text, c == Choice::Yes, c);
  return c;
}

QStringList CScriptedPrompt::Texts() const {
  QStringList out;
  for (const auto& s : m_shown) out << s.text;
  return out;
}
