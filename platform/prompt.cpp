#include "platform/prompt.h"

bool CScriptedPrompt::NextAnswer() {
  if (m_answers.empty()) return m_defaultAnswer;
  const bool a = m_answers.front();
  m_answers.pop_front();
  return a;
}

void CScriptedPrompt::Record(Kind kind, const QString& text, bool answer) {
  if (!answer) ++m_declined;
  m_shown.push_back({kind, text, answer});
  OnShown(m_shown.back());
}

void CScriptedPrompt::Notice(const QString& text) { Record(Kind::Notice, text, true); }

bool CScriptedPrompt::Question(const QString& text) {
  Record(Kind::Question, text, NextAnswer());
  return m_shown.back().answer;
}

bool CScriptedPrompt::YesNo(const QString& text) {
  Record(Kind::YesNo, text, NextAnswer());
  return m_shown.back().answer;
}

QStringList CScriptedPrompt::Texts() const {
  QStringList out;
  for (const auto& s : m_shown) out << s.text;
  return out;
}
