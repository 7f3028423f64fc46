#pragma once

#include <QString>
#include <QStringList>

#include <deque>

// Every message box of the logic goes through this interface: the application
// answers with real message boxes, tests and velum-cli from a script.
class IPrompt {
 public:
  virtual ~IPrompt() = default;
  // A notice or an error with an OK button.
  virtual void Notice(const QString& text) = 0;
  // A confirmation with OK and Cancel and a question icon; true only for OK.
  virtual bool Question(const QString& text) = 0;
  // A question with Yes and No; true for Yes.
  virtual bool YesNo(const QString& text) = 0;
  // A question with Yes, No and Cancel (the save question of a modified
  // document); Cancel is also the answer of a closed box.
  enum class Choice { Yes, No, Cancel };
  virtual Choice YesNoCancel(const QString& text) = 0;
  // The question before a file is saved over that another program changed:
  // 上書き保存 (Yes), 名前を付けて保存 (No) or キャンセル (Cancel, also a closed box).
  virtual Choice OverwriteOrSaveAs(const QString& text) = 0;
  // A Question with a check box under it (次回から確認しない); *checked says
  // whether it was ticked when the box closed. A prompt without such a box
  // asks the plain Question and answers never ticked.
  virtual bool QuestionWithCheck(const QString& text, const QString& check, bool* checked) {
    *checked = false;
    return Question(text);
  }
  // The wait cursor; calls nest.
  virtual void BeginWait() {}
  virtual void EndWait() {}
};

// Shows the wait cursor for the life of the scope.
class CWaitCursor {
 public:
  explicit CWaitCursor(IPrompt& prompt) : m_prompt(&prompt) { m_prompt->BeginWait(); }
  ~CWaitCursor() { End(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  void End() {
    if (m_prompt) m_prompt->EndWait();
    m_prompt = nullptr;
  }

 private:
  IPrompt* m_prompt;
};

// Shows nothing and declines every question; for benchmarks and fuzzing.
class CSilentPrompt final : public IPrompt {
 public:
  void Notice(const QString&) override {}
  bool Question(const QString&) override { return false; }
  bool YesNo(const QString&) override { return false; }
  Choice YesNoCancel(const QString&) override { return Choice::Cancel; }
  Choice OverwriteOrSaveAs(const QString&) override { return Choice::Cancel; }
};

// Answers from a queue and records every text it was shown. Without a queued
// answer a question gets the default answer: OK (or Yes) unless set otherwise.
class CScriptedPrompt : public IPrompt {
 public:
  enum class Kind { Notice, Question, YesNo, YesNoCancel };
  struct Shown {
    Kind kind;
    QString text;
    bool answer;  // what the question was answered with; true for notices
    Choice choice = Choice::Yes;  // the answer of a YesNoCancel question
    QString check;                // the check box of QuestionWithCheck, else empty
    bool checked = false;
  };

  void Notice(const QString& text) override;
  bool Question(const QString& text) override;
  bool YesNo(const QString& text) override;
  // Without a queued answer: Yes. A queued true is Yes, false is No.
  Choice YesNoCancel(const QString& text) override;
  // Answered as YesNoCancel (yes: overwrite, no: save under another name) and
  // recorded as one.
  Choice OverwriteOrSaveAs(const QString& text) override { return YesNoCancel(text); }
  // Answered as Question; the box is ticked when QueueCheck asked for it.
  bool QuestionWithCheck(const QString& text, const QString& check, bool* checked) override;

  void QueueAnswer(bool answer) { m_answers.push_back(answer ? Choice::Yes : Choice::No); }
  void QueueChoice(Choice choice) { m_answers.push_back(choice); }
  // The next question with a check box has it ticked.
  void QueueCheck() { m_checkNext = true; }
  // The answer without a queued one: true is OK/Yes, false Cancel.
  void SetDefaultAnswer(bool answer) { m_defaultAnswer = answer; }
  // How many questions were answered with Cancel (or No).
  int DeclinedCount() const { return m_declined; }
  const std::vector<Shown>& History() const { return m_shown; }
  QStringList Texts() const;  // every text shown, in order
  void ClearHistory() { m_shown.clear(); }
  int WaitDepth() const { return m_waitDepth; }
  void BeginWait() override { ++m_waitDepth; }
  void EndWait() override { --m_waitDepth; }

 protected:
  // Called after each text is recorded; velum-cli prints it.
  virtual void OnShown(const Shown&) {}

 private:
  bool NextAnswer();
  Choice NextChoice();
  void Record(Kind kind, const QString& text, bool answer, Choice choice);
  // A queued Cancel answers an OK/Cancel or Yes/No question as false.
  std::deque<Choice> m_answers;
  std::vector<Shown> m_shown;
  bool m_defaultAnswer = true;
  bool m_checkNext = false;
  int m_declined = 0;
  int m_waitDepth = 0;
};
