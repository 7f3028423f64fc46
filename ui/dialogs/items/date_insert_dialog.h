#pragma once

#include "datetime/date_insert_format.h"
#include "datetime/dtime.h"

#include <QDialog>

class CVelumApp;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// 日時の挿入: a month calendar with the days off in the holiday colour, the
// text to be inserted, 今日, the options and OK. The moment is the selected
// day at the time of day taken when the dialog was made.
class CDateInsertDialog final : public QDialog {
  Q_OBJECT

 public:
  CDateInsertDialog(CVelumApp& app, QWidget* parent = nullptr);
  CDateInsertDialog(const CDateInsertDialog&) = delete;
  CDateInsertDialog& operator=(const CDateInsertDialog&) = delete;

  // The text the caller inserts after OK.
  QString Text() const;
  const CDTime& Moment() const { return m_moment; }
  QCalendarWidget* Calendar() const { return m_calendar; }

 private:
  void DaySelected();
  void ShowMonth(int year, int month);
  void OpenOptions();

  CVelumApp& m_app;
  CDTime m_taken;
  CDTime m_moment;
  CDateOptions m_options;
  QCalendarWidget* m_calendar;
  QLabel* m_title;
  QLineEdit* m_date;
  QLabel* m_preview;
};

// The options dialog of the same title: the thirteen options and a preview of
// the text for the moment given.
class CDateOptionsDialog final : public QDialog {
  Q_OBJECT

 public:
  CDateOptionsDialog(const CDateOptions& options, const CDTime& moment, const QSize& screen,
                     QWidget* parent = nullptr);
  CDateOptionsDialog(const CDateOptionsDialog&) = delete;
  CDateOptionsDialog& operator=(const CDateOptionsDialog&) = delete;

  CDateOptions Options() const;

 private:
  void Refresh();

  CDTime m_moment;
  QCheckBox* m_year;
  QCheckBox* m_year4;
  QCheckBox* m_nengo;
  QCheckBox* m_month;
  QCheckBox* m_day;
  QCheckBox* m_week;
  QCheckBox* m_nengappi;
  QLineEdit* m_mark;
  QCheckBox* m_hour;
  QCheckBox* m_minute;
  QCheckBox* m_timeKanji;
  QCheckBox* m_time24;
  QComboBox* m_ampm;
  QLabel* m_preview;
};
