#include "platform/prompt.h"

bool CScriptedPrompt::NextAnswer() {
  if (m_answers.empty()) return true;
  const bool a = m_answers.front();
  m_answers.pop_front();
  return a;
}

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

QStringList CScriptedPrompt::Texts() const {
  QStringList out;
  for (const auto& s : m_shown) out << s.text;
  return out;
}
