#include "platform/prompt.h"

IPrompt::Choice CScriptedPrompt::NextChoice() {
  if (m_answers.empty()) return Choice::Yes;
  const Choice c = m_answers.front();
  m_answers.pop_front();
  return c;
}

bool CScriptedPrompt::NextAnswer() { return NextChoice() == Choice::Yes; }

void CScriptedPrompt::Notice(const QString& text) {
  m_shown.push_back({Kind::Notice, text, true});
  OnShown(m_shown.back());
}

bool CScriptedPrompt::Question(const QString& text) {
  m_shown.push_back({Kind::Question, text, NextAnswer()});
  OnShown(m_shown.back());
  return m_shown.back().answer;
}

bool CScriptedPrompt::YesNo(const QString& text) {
  m_shown.push_back({Kind::YesNo, text, NextAnswer()});
  OnShown(m_shown.back());
  return m_shown.back().answer;
}

IPrompt::Choice CScriptedPrompt::YesNoCancel(const QString& text) {
  const Choice c = NextChoice();
  m_shown.push_back({Kind::YesNoCancel, text, c == Choice::Yes, c});
  OnShown(m_shown.back());
  return c;
}

QStringList CScriptedPrompt::Texts() const {
  QStringList out;
  for (const auto& s : m_shown) out << s.text;
  return out;
}
