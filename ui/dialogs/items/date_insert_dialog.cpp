#include "ui/dialogs/items/date_insert_dialog.h"

#include "datetime/holiday.h"
#include "ui/views/card_view.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/dialog_fit.h"
#include "ui/window/main_window.h"
#include "ui/window/velum_application.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("日時の挿入");
const QColor kHolidayColour(Qt::red);

}  // namespace

CDateInsertDialog::CDateInsertDialog(CVelumApp& app, QWidget* parent)
    : QDialog(parent),
      m_app(app),
      m_taken(app.Services().clock),
      m_moment(m_taken),
      m_options(ReadDateOptions(app.Settings())) {
  setWindowTitle(kTitle);
  m_calendar = new QCalendarWidget(this);
  m_calendar->setObjectName(QStringLiteral("calendar"));
  m_calendar->setNavigationBarVisible(false);
  m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  m_calendar->setFirstDayOfWeek(Qt::Sunday);
  m_calendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  m_calendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
  // The weekend keeps the ordinary colour; only the days off by law stand out.
  QTextCharFormat plain;
  plain.setForeground(palette().text());
  m_calendar->setWeekdayTextFormat(Qt::Saturday, plain);
  QTextCharFormat sunday;
  sunday.setForeground(kHolidayColour);
  m_calendar->setWeekdayTextFormat(Qt::Sunday, sunday);

  m_title = new QLabel(this);
  m_title->setObjectName(QStringLiteral("month"));
  m_title->setAlignment(Qt::AlignCenter);
  auto* prev = new QToolButton(this);
  prev->setArrowType(Qt::LeftArrow);
  prev->setObjectName(QStringLiteral("prevMonth"));
  auto* next = new QToolButton(this);
  next->setArrowType(Qt::RightArrow);
  next->setObjectName(QStringLiteral("nextMonth"));
  connect(prev, &QToolButton::clicked, m_calendar, &QCalendarWidget::showPreviousMonth);
  connect(next, &QToolButton::clicked, m_calendar, &QCalendarWidget::showNextMonth);
  connect(m_calendar, &QCalendarWidget::currentPageChanged, this, &CDateInsertDialog::ShowMonth);
  connect(m_calendar, &QCalendarWidget::selectionChanged, this, &CDateInsertDialog::DaySelected);

  // The selected day as text; a day typed here is selected on the calendar.
  m_date = new QLineEdit(this);
  m_date->setObjectName(QStringLiteral("date"));
  // The field holds a whole date; the text to insert has a row of its own below.
  m_date->setMinimumWidth(m_date->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 16);
  m_date->setMaximumWidth(m_date->minimumWidth() + 40);
  auto* dateLabel = new QLabel(QStringLiteral("日付(&D):"), this);
  dateLabel->setBuddy(m_date);
  connect(m_date, &QLineEdit::textEdited, this, [this](const QString& text) {
    const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("yyyy/M/d"));
    if (d.isValid()) m_calendar->setSelectedDate(d);
  });
  m_preview = new QLabel(this);
  m_preview->setObjectName(QStringLiteral("preview"));
  m_preview->setFrameShape(QFrame::StyledPanel);
  m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_preview->setWordWrap(true);
  auto* today = new QPushButton(QStringLiteral("今日"), this);
  connect(today, &QPushButton::clicked, this, [this] {
    const CDTime now(m_app.Services().clock);
    m_calendar->setSelectedDate(QDate(now.Year(), now.Month(), now.Day()));
  });
  auto* options = new QPushButton(QStringLiteral("オプション(&O)..."), this);
  connect(options, &QPushButton::clicked, this, &CDateInsertDialog::OpenOptions);

  auto* header = new QHBoxLayout;
  header->addWidget(prev);
  header->addWidget(m_title, 1);
  header->addWidget(next);
  auto* dateRow = new QHBoxLayout;
  dateRow->addWidget(dateLabel);
  dateRow->addWidget(m_date);
  dateRow->addStretch();
  auto* side = new QHBoxLayout;
  side->addWidget(today);
  side->addWidget(options);
  side->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(header);
  layout->addWidget(m_calendar, 1);
  layout->addLayout(dateRow);
  layout->addWidget(m_preview);
  layout->addLayout(side);
  layout->addWidget(OkCancelButtons(this));

  const QDate day(m_taken.Year(), m_taken.Month(), m_taken.Day());
  m_calendar->setSelectedDate(day);
  ShowMonth(day.year(), day.month());
  DaySelected();
  FitToScreen(this, app.Screen());
}

void CDateInsertDialog::ShowMonth(int year, int month) {
  m_title->setText(QStringLiteral("%1年%2月").arg(year).arg(month));
  // Colour the days off of the month shown and of the days around it.
  const QDate first = QDate(year, month, 1).addDays(-7);
  const QDate last = QDate(year, month, 1).addMonths(1).addDays(14);
  QTextCharFormat holiday;
  holiday.setForeground(kHolidayColour);
  for (QDate d = first; d <= last; d = d.addDays(1)) {
    if (IsDayOff(d.year(), d.month(), d.day(), false))
      m_calendar->setDateTextFormat(d, holiday);
    else
      m_calendar->setDateTextFormat(d, QTextCharFormat());
  }
}

void CDateInsertDialog::DaySelected() {
  const QDate d = m_calendar->selectedDate();
  m_moment = CDTime(d.year(), d.month(), d.day(), m_taken.Hour(), m_taken.Minute(), m_taken.Second());
  if (!m_date->hasFocus()) m_date->setText(d.toString(QStringLiteral("yyyy/MM/dd")));
  m_preview->setText(Text());
}

void CDateInsertDialog::OpenOptions() {
  CDateOptionsDialog dialog(m_options, m_moment, m_app.Screen(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  WriteDateOptions(m_app.Settings(), dialog.Options());
  m_options = ReadDateOptions(m_app.Settings());
  m_preview->setText(Text());
}

QString CDateInsertDialog::Text() const { return ComposeDateTime(m_moment, m_options); }

CDateOptionsDialog::CDateOptionsDialog(const CDateOptions& o, const CDTime& moment, const QSize& screen,
                                       QWidget* parent)
    : QDialog(parent), m_moment(moment) {
  setWindowTitle(kTitle);
  auto check = [this](const QString& text, bool on) {
    auto* box = new QCheckBox(text, this);
    box->setChecked(on);
    connect(box, &QCheckBox::toggled, this, &CDateOptionsDialog::Refresh);
    return box;
  };
  m_year = check(QStringLiteral("年"), o.year);
  m_year4 = check(QStringLiteral("&4桁"), o.year4);
  m_nengo = check(QStringLiteral("年号(&N)"), o.nengo);
  m_month = check(QStringLiteral("月"), o.month);
  m_day = check(QStringLiteral("日"), o.day);
  m_week = check(QStringLiteral("曜日(&W)"), o.week);
  m_nengappi = check(QStringLiteral("X年X月X日形式(&K)"), o.nengappi);
  m_hour = check(QStringLiteral("時"), o.hour);
  m_minute = check(QStringLiteral("分"), o.minute);
  m_timeKanji = check(QStringLiteral("X時X分形式"), o.timeKanji);
  m_time24 = check(QStringLiteral("&24時間表記"), o.time24);
  m_mark = new QLineEdit(o.mark, this);
  m_mark->setMaximumWidth(60);
  connect(m_mark, &QLineEdit::textChanged, this, &CDateOptionsDialog::Refresh);
  auto* markLabel = new QLabel(QStringLiteral("年月日区切り記号(&M):"), this);
  markLabel->setBuddy(m_mark);
  m_ampm = new QComboBox(this);
  m_ampm->addItems({QStringLiteral("なし"), QStringLiteral("AM/PM"), QStringLiteral("午前/午後")});
  m_ampm->setCurrentIndex(o.timeAmPm >= 0 && o.timeAmPm <= 2 ? o.timeAmPm : 0);
  connect(m_ampm, &QComboBox::currentIndexChanged, this, &CDateOptionsDialog::Refresh);
  auto* ampmLabel = new QLabel(QStringLiteral("午前午後の表記"), this);
  ampmLabel->setBuddy(m_ampm);
  m_preview = new QLabel(this);
  m_preview->setObjectName(QStringLiteral("preview"));
  m_preview->setFrameShape(QFrame::StyledPanel);
  m_preview->setWordWrap(true);

  auto* grid = new QGridLayout;
  grid->addWidget(m_year, 0, 0);
  grid->addWidget(m_year4, 0, 1);
  grid->addWidget(m_nengo, 0, 2);
  grid->addWidget(m_month, 1, 0);
  grid->addWidget(m_day, 1, 1);
  grid->addWidget(m_week, 1, 2);
  grid->addWidget(m_nengappi, 2, 0, 1, 3);
  auto* mark = new QHBoxLayout;
  mark->addWidget(markLabel);
  mark->addWidget(m_mark);
  mark->addStretch();
  grid->addLayout(mark, 3, 0, 1, 3);
  grid->addWidget(m_hour, 4, 0);
  grid->addWidget(m_minute, 4, 1);
  grid->addWidget(m_timeKanji, 5, 0, 1, 3);
  grid->addWidget(m_time24, 6, 0, 1, 3);
  auto* ampm = new QHBoxLayout;
  ampm->addWidget(ampmLabel);
  ampm->addWidget(m_ampm);
  ampm->addStretch();
  grid->addLayout(ampm, 7, 0, 1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(m_preview);
  layout->addWidget(OkCancelButtons(this));
  Refresh();
  FitToScreen(this, screen);
}

CDateOptions CDateOptionsDialog::Options() const {
  CDateOptions o;
  o.year = m_year->isChecked();
  o.year4 = m_year4->isChecked();
  o.nengo = m_nengo->isChecked();
  o.month = m_month->isChecked();
  o.day = m_day->isChecked();
  o.week = m_week->isChecked();
  o.nengappi = m_nengappi->isChecked();
  o.mark = m_mark->text();
  o.hour = m_hour->isChecked();
  o.minute = m_minute->isChecked();
  o.timeKanji = m_timeKanji->isChecked();
  o.time24 = m_time24->isChecked();
  o.timeAmPm = m_ampm->currentIndex();
  return o;
}

void CDateOptionsDialog::Refresh() {
  // The mark separates the parts only when 年月日 does not.
  m_mark->setEnabled(!m_nengappi->isChecked());
  m_preview->setText(ComposeDateTime(m_moment, Options()));
}
