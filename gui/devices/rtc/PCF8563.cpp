#include "gui/devices/rtc/PCF8563.h"
#include "core/common/HexText.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BackgroundPoll.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/ScrollingContent.h"
#include "gui/common/UpDown.h"
#include "core/common/LocalTime.h"
#include "gui/devices/rtc/ClockFace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLCDNumber>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

using tp::Pcf8563Image;
namespace reg = tp::pcf8563;

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QStringList items(const std::vector<std::string>& list)
{
    QStringList out;
    for (const std::string& s : list)
        out << qs(s);
    return out;
}

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

TfrmPCF8563::TfrmPCF8563(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPCF8563"), parent), m_image(tp::localNow()),
      m_link(*this, QString::fromStdString(reg::kChipType))
{
    setWindowTitle(tr("PCF8563 Real time clock/calendar"));
    // Opens maximised and stays as the user leaves it.
    setMaximiseOnActivate(false);
    setOpensMaximised(true);
    m_link.setAddress(reg::kAddress);

    // Registers beside the controls, or below them in a narrow window.
    QWidget* content = addScrollingContent(this);
    auto* flow = new FlowLayout(content, 12);
    flow->setContentsMargins(6, 6, 6, 6);
    flow->addWidget(buildControls());
    flow->addWidget(buildRegisterPanel());
    refresh();
    stgRegisters->setCurrentCell(0, 0); // the active register shows selected
    stgRegistersSelectCell(0);

    // Reactions last, once the controls show the starting values.
    for (int i = 0; i < Pcf8563Image::kBoxCount; ++i) {
        const auto b = static_cast<Box>(i);
        QCheckBox* c = m_boxes[static_cast<std::size_t>(i)];
        switch (b) {
        case Box::Test1:
        case Box::Stop:
        case Box::TestC:
            connect(c, &QCheckBox::clicked, this, guarded([this, b] { chbRegister0Click(b); }));
            break;
        case Box::TiTp:
        case Box::Af:
        case Box::Tf:
        case Box::Aie:
        case Box::Tie:
            connect(c, &QCheckBox::clicked, this, guarded([this, b] { chbRegister1Click(b); }));
            break;
        case Box::Vl:
            connect(c, &QCheckBox::clicked, this, guarded(this, &TfrmPCF8563::chbVLClick));
            break;
        case Box::MinuteAlarm:
            connect(c, &QCheckBox::clicked, this, guarded(this, &TfrmPCF8563::chbMinuteAlarmClick));
            break;
        case Box::HourAlarm:
            connect(c, &QCheckBox::clicked, this, guarded(this, &TfrmPCF8563::chbHourAlarmClick));
            break;
        case Box::DayAlarm:
            connect(c, &QCheckBox::clicked, this, guarded(this, &TfrmPCF8563::chbDayAlarmClick));
            break;
        case Box::WeekdayAlarm:
            connect(c, &QCheckBox::clicked, this, guarded(this, &TfrmPCF8563::chbWeekdayAlarmClick));
            break;
        case Box::Clkout:
            connect(c, &QCheckBox::clicked, this, guarded(this, &TfrmPCF8563::cmbCLKOUTChange));
            break;
        case Box::Timer:
            connect(c, &QCheckBox::clicked, this, guarded(this, &TfrmPCF8563::cmbTimerChange));
            break;
        }
    }
    connect(cmbCLKOUT, &QComboBox::activated, this, guarded(this, &TfrmPCF8563::cmbCLKOUTChange));
    connect(cmbTimer, &QComboBox::activated, this, guarded(this, &TfrmPCF8563::cmbTimerChange));
    connect(edtTimer, &HexField::completed, this, guarded(this, &TfrmPCF8563::edtTimerChange));
    connect(edtTimer, &HexField::exited, this, guarded(this, &TfrmPCF8563::edtTimerExit));
    connect(stgRegisters, &QTableWidget::currentCellChanged, this,
            guarded([this](int row) { stgRegistersSelectCell(row); }));
    connect(btnReadTime, &QPushButton::clicked, this, guarded(this, &TfrmPCF8563::btnReadTimeClick));
    connect(btnReadDate, &QPushButton::clicked, this, guarded(this, &TfrmPCF8563::btnReadDateClick));
    connect(btnReadRegister, &QPushButton::clicked, this, guarded(this, &TfrmPCF8563::btnReadRegisterClick));
    connect(btnWriteRegister, &QPushButton::clicked, this, guarded(this, &TfrmPCF8563::btnWriteRegisterClick));
    connect(btnReadAll, &QPushButton::clicked, this, guarded(this, &TfrmPCF8563::btnReadAllClick));
    connect(btnWriteAll, &QPushButton::clicked, this, guarded(this, &TfrmPCF8563::btnWriteAllClick));
    connect(btnSetPCTime, &QPushButton::clicked, this, guarded(this, &TfrmPCF8563::btnSetPCTimeClick));
    connect(btnWatch, &QPushButton::clicked, this, guarded(this, &TfrmPCF8563::btnWatchClick));
    // Time and date in one read, so the chip hands over one consistent moment.
    m_watch = new BackgroundPoll(main, this, 1000, [this] { return readRegisters(reg::VlSeconds, 7); });
    connect(m_watch, &BackgroundPoll::stopped, this, guarded([this] { btnWatch->setChecked(false); }));
}

// ------------------------------------------------------------------ building

QGroupBox* TfrmPCF8563::group(const QString& title, const QString& name)
{
    auto* g = new QGroupBox(title);
    g->setObjectName(name);
    return g;
}

QCheckBox* TfrmPCF8563::box(Box b, const QString& name, QWidget* parent)
{
    auto* c = new QCheckBox(parent);
    c->setObjectName(name);
    c->setToolTip(qs(Pcf8563Image::hint(b)));
    m_boxes[static_cast<std::size_t>(b)] = c;
    return c;
}

UpDown* TfrmPCF8563::spin(Spin, const QString& name, QWidget* parent, void (TfrmPCF8563::*up)(),
                          void (TfrmPCF8563::*down)())
{
    auto* s = new UpDown(name, parent);
    connect(s, &UpDown::upClicked, this, guarded(this, up));
    connect(s, &UpDown::downClicked, this, guarded(this, down));
    return s;
}

QLCDNumber* TfrmPCF8563::display(const QString& name, int digits, QWidget* parent)
{
    auto* d = new QLCDNumber(digits, parent);
    d->setObjectName(name);
    d->setSegmentStyle(QLCDNumber::Flat);
    d->setFrameShape(QFrame::StyledPanel);
    const int h = fontMetrics().height();
    d->setFixedSize(digits * h * 3 / 4 + 10, 2 * h + 4);
    return d;
}

QPushButton* TfrmPCF8563::button(const QString& name, const QString& caption, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

QWidget* TfrmPCF8563::buildControls()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlControls"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    auto pair = [](QLCDNumber* d, UpDown* s) {
        auto* h = new QHBoxLayout;
        h->setSpacing(1);
        h->addWidget(d);
        h->addWidget(s);
        return h;
    };
    auto idx = [](Spin s) { return static_cast<std::size_t>(s); };

    // Clock time: the face, hours/minutes/seconds, clock integrity.
    QGroupBox* time = group(tr("Clock Time"), QStringLiteral("grbClockTime"));
    {
        auto* g = new QGridLayout(time);
        m_clock = new ClockFace(QStringLiteral("ClockFace"), true, time);
        g->addWidget(m_clock, 0, 0, 4, 1, Qt::AlignTop);
        g->addWidget(new QLabel(tr("Hour  Min.  Sec"), time), 0, 1);
        auto* hms = new QHBoxLayout;
        m_displays[idx(Spin::Hours)] = display(QStringLiteral("LEDhours"), 2, time);
        hms->addLayout(pair(m_displays[idx(Spin::Hours)],
                            spin(Spin::Hours, QStringLiteral("spnHours"), time, &TfrmPCF8563::spnHoursUpClick,
                                 &TfrmPCF8563::spnHoursDownClick)));
        m_displays[idx(Spin::Minutes)] = display(QStringLiteral("LEDminutes"), 2, time);
        hms->addLayout(pair(m_displays[idx(Spin::Minutes)],
                            spin(Spin::Minutes, QStringLiteral("spnMinutes"), time, &TfrmPCF8563::spnMinutesUpClick,
                                 &TfrmPCF8563::spnMinutesDownClick)));
        m_displays[idx(Spin::Seconds)] = display(QStringLiteral("LEDseconds"), 2, time);
        hms->addLayout(pair(m_displays[idx(Spin::Seconds)],
                            spin(Spin::Seconds, QStringLiteral("spnSeconds"), time, &TfrmPCF8563::spnSecondsUpClick,
                                 &TfrmPCF8563::spnSecondsDownClick)));
        hms->addStretch(1);
        g->addLayout(hms, 1, 1);
        auto* vl = new QHBoxLayout;
        auto* integrity = new QLabel(tr("Clock integrity"), time);
        integrity->setObjectName(QStringLiteral("lblVL"));
        vl->addWidget(integrity);
        vl->addWidget(box(Box::Vl, QStringLiteral("chbVL"), time));
        vl->addStretch(1);
        g->addLayout(vl, 2, 1);
        btnReadTime = button(QStringLiteral("btnReadTime"), tr("Read Time"), QString(), time);
        g->addWidget(btnReadTime, 3, 1, Qt::AlignLeft | Qt::AlignBottom);
    }
    grid->addWidget(time, 0, 0);

    // Clock date: day, month, year and weekday.
    QGroupBox* date = group(tr("Clock Date"), QStringLiteral("grbClockDate"));
    {
        auto* g = new QGridLayout(date);
        g->addWidget(new QLabel(tr("Day"), date), 0, 0);
        g->addWidget(new QLabel(tr("Month"), date), 0, 1);
        g->addWidget(new QLabel(tr("Year"), date), 0, 2);
        m_displays[idx(Spin::Day)] = display(QStringLiteral("LEDday"), 2, date);
        g->addLayout(pair(m_displays[idx(Spin::Day)], spin(Spin::Day, QStringLiteral("spnDay"), date,
                                                            &TfrmPCF8563::spnDayUpClick,
                                                            &TfrmPCF8563::spnDayDownClick)),
                     1, 0);
        m_displays[idx(Spin::Month)] = display(QStringLiteral("LEDmonth"), 2, date);
        g->addLayout(pair(m_displays[idx(Spin::Month)], spin(Spin::Month, QStringLiteral("spnMonth"), date,
                                                              &TfrmPCF8563::spnMonthUpClick,
                                                              &TfrmPCF8563::spnMonthDownClick)),
                     1, 1);
        m_displays[idx(Spin::Year)] = display(QStringLiteral("LEDyear"), 4, date);
        g->addLayout(pair(m_displays[idx(Spin::Year)], spin(Spin::Year, QStringLiteral("spnYear"), date,
                                                             &TfrmPCF8563::spnYearUpClick,
                                                             &TfrmPCF8563::spnYearDownClick)),
                     1, 2);
        auto* wd = new QHBoxLayout;
        lblWeekday = new QLabel(date);
        lblWeekday->setObjectName(QStringLiteral("lblWeekday"));
        lblWeekday->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
        wd->addWidget(lblWeekday);
        wd->addWidget(spin(Spin::Weekday, QStringLiteral("spnWeekday"), date, &TfrmPCF8563::spnWeekdayUpClick,
                           &TfrmPCF8563::spnWeekdayDownClick));
        wd->addStretch(1);
        g->addLayout(wd, 2, 0, 1, 3);
        btnReadDate = button(QStringLiteral("btnReadDate"), tr("Read Date"), QString(), date);
        g->addWidget(btnReadDate, 3, 0, 1, 3, Qt::AlignLeft);
        g->setColumnStretch(3, 1);
    }
    grid->addWidget(date, 0, 1);

    // Alarm time: its face, hours and minutes, and their enables.
    QGroupBox* alarm = group(tr("Set Alarm Time"), QStringLiteral("grbAlarmTime"));
    {
        auto* g = new QGridLayout(alarm);
        m_alarmClock = new ClockFace(QStringLiteral("AlarmClockFace"), false, alarm);
        g->addWidget(m_alarmClock, 0, 0, 4, 1, Qt::AlignTop);
        g->addWidget(new QLabel(tr("Hour  Min."), alarm), 0, 1);
        auto* hm = new QHBoxLayout;
        m_displays[idx(Spin::AlarmHours)] = display(QStringLiteral("LEDalarmHours"), 2, alarm);
        hm->addLayout(pair(m_displays[idx(Spin::AlarmHours)],
                           spin(Spin::AlarmHours, QStringLiteral("spnAlarmHours"), alarm,
                                &TfrmPCF8563::spnAlarmHoursUpClick, &TfrmPCF8563::spnAlarmHoursDownClick)));
        m_displays[idx(Spin::AlarmMinutes)] = display(QStringLiteral("LEDalarmMinutes"), 2, alarm);
        hm->addLayout(pair(m_displays[idx(Spin::AlarmMinutes)],
                           spin(Spin::AlarmMinutes, QStringLiteral("spnAlarmMinutes"), alarm,
                                &TfrmPCF8563::spnAlarmMinutesUpClick, &TfrmPCF8563::spnAlarmMinutesDownClick)));
        hm->addStretch(1);
        g->addLayout(hm, 1, 1);
        g->addWidget(box(Box::MinuteAlarm, QStringLiteral("chbMinuteAlarm"), alarm), 2, 1);
        g->addWidget(box(Box::HourAlarm, QStringLiteral("chbHourAlarm"), alarm), 3, 1, Qt::AlignTop);
    }
    grid->addWidget(alarm, 1, 0);

    // Alarm date: day, weekday and their enables.
    QGroupBox* alarmDate = group(tr("Alarm Date"), QStringLiteral("grbAlarmDate"));
    {
        auto* g = new QGridLayout(alarmDate);
        g->addWidget(new QLabel(tr("Day"), alarmDate), 0, 0);
        m_displays[idx(Spin::AlarmDay)] = display(QStringLiteral("LEDalarmday"), 2, alarmDate);
        g->addLayout(pair(m_displays[idx(Spin::AlarmDay)],
                          spin(Spin::AlarmDay, QStringLiteral("spnAlarmDay"), alarmDate,
                               &TfrmPCF8563::spnAlarmDayUpClick, &TfrmPCF8563::spnAlarmDayDownClick)),
                     1, 0);
        auto* wd = new QHBoxLayout;
        lblAlarmWeekday = new QLabel(alarmDate);
        lblAlarmWeekday->setObjectName(QStringLiteral("lblAlarmWeekday"));
        lblAlarmWeekday->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
        wd->addWidget(lblAlarmWeekday);
        wd->addWidget(spin(Spin::AlarmWeekday, QStringLiteral("spnAlarmWeekday"), alarmDate,
                           &TfrmPCF8563::spnAlarmWeekdayUpClick, &TfrmPCF8563::spnAlarmWeekdayDownClick));
        wd->addStretch(1);
        g->addLayout(wd, 1, 1);
        g->addWidget(box(Box::DayAlarm, QStringLiteral("chbDayAlarm"), alarmDate), 2, 0, 1, 2);
        g->addWidget(box(Box::WeekdayAlarm, QStringLiteral("chbWeekdayAlarm"), alarmDate), 3, 0, 1, 2,
                     Qt::AlignTop);
        g->setColumnStretch(2, 1);
    }
    grid->addWidget(alarmDate, 1, 1);

    QGroupBox* cs1 = group(tr("Control/Status 1"), QStringLiteral("grbControlStatus1"));
    {
        auto* h = new QHBoxLayout(cs1);
        QCheckBox* test1 = box(Box::Test1, QStringLiteral("chbTEST1"), cs1);
        QFont bold = test1->font();
        bold.setBold(true);
        test1->setFont(bold);
        h->addWidget(test1);
        h->addWidget(box(Box::Stop, QStringLiteral("chbSTOP"), cs1));
        h->addWidget(box(Box::TestC, QStringLiteral("chbTESTC"), cs1));
        h->addStretch(1);
    }
    grid->addWidget(cs1, 2, 0);

    QGroupBox* cs2 = group(tr("Control/Status 2"), QStringLiteral("grbControlStatus2"));
    {
        auto* h = new QHBoxLayout(cs2);
        h->addWidget(box(Box::TiTp, QStringLiteral("chbTI"), cs2));
        h->addWidget(box(Box::Af, QStringLiteral("chbAF"), cs2));
        h->addWidget(box(Box::Tf, QStringLiteral("chbTF"), cs2));
        h->addWidget(box(Box::Aie, QStringLiteral("chbAIE"), cs2));
        h->addWidget(box(Box::Tie, QStringLiteral("chbTIE"), cs2));
        h->addStretch(1);
    }
    grid->addWidget(cs2, 2, 1);

    QGroupBox* clkout = group(tr("CLKOUT control"), QStringLiteral("grbCLKOUT"));
    {
        auto* g = new QGridLayout(clkout);
        g->addWidget(box(Box::Clkout, QStringLiteral("chbCLKOUT"), clkout), 0, 0, 1, 2);
        g->addWidget(new QLabel(tr("Frequency"), clkout), 1, 0);
        cmbCLKOUT = new QComboBox(clkout);
        cmbCLKOUT->setObjectName(QStringLiteral("cmbCLKOUT"));
        cmbCLKOUT->addItems(items(Pcf8563Image::clkoutItems()));
        g->addWidget(cmbCLKOUT, 1, 1);
        g->setColumnStretch(2, 1);
    }
    grid->addWidget(clkout, 3, 0);

    QGroupBox* timer = group(tr("Timer Control"), QStringLiteral("grbTimer"));
    {
        auto* g = new QGridLayout(timer);
        g->addWidget(box(Box::Timer, QStringLiteral("chbTimerDisable"), timer), 0, 0, 1, 4);
        g->addWidget(new QLabel(tr("Frequency"), timer), 1, 0);
        cmbTimer = new QComboBox(timer);
        cmbTimer->setObjectName(QStringLiteral("cmbTimer"));
        cmbTimer->addItems(items(Pcf8563Image::timerItems()));
        g->addWidget(cmbTimer, 1, 1);
        g->addWidget(new QLabel(tr("Timer"), timer), 1, 2, Qt::AlignRight);
        edtTimer = new HexField(QStringLiteral("edtTimer"), QStringLiteral("FF"), timer);
        edtTimer->setHexKeysOnly();
        g->addWidget(edtTimer, 1, 3);
        g->setColumnStretch(4, 1);
    }
    grid->addWidget(timer, 3, 1);
    grid->setRowStretch(4, 1);
    return panel;
}

QWidget* TfrmPCF8563::buildRegisterPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlRegisters"));
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);

    stgRegisters = new QTableWidget(reg::kRegisterCount, 2, panel);
    stgRegisters->setObjectName(QStringLiteral("stgRegisters"));
    stgRegisters->setHorizontalHeaderLabels({tr("Name"), tr("Value")});
    QStringList rows;
    for (int r = 0; r < reg::kRegisterCount; ++r) {
        rows << qs(tp::byteText(std::uint8_t(r)));
        auto* name = new QTableWidgetItem(qs(reg::registerName(r)));
        name->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        stgRegisters->setItem(r, 0, name);
        auto* value = new QTableWidgetItem;
        value->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        value->setTextAlignment(Qt::AlignCenter);
        stgRegisters->setItem(r, 1, value);
    }
    stgRegisters->setVerticalHeaderLabels(rows);
    stgRegisters->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stgRegisters->setSelectionMode(QAbstractItemView::SingleSelection);
    stgRegisters->setSelectionBehavior(QAbstractItemView::SelectRows);
    stgRegisters->setTabKeyNavigation(false);
    const QFontMetrics fm(font());
    const int rowHeight = fm.height() + 6;
    stgRegisters->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    stgRegisters->verticalHeader()->setDefaultSectionSize(rowHeight);
    stgRegisters->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    stgRegisters->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral("control/status 1")) + 16);
    stgRegisters->setColumnWidth(1, fm.horizontalAdvance(QStringLiteral("Value")) + 20);
    stgRegisters->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stgRegisters->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int headerWidth = fm.horizontalAdvance(QStringLiteral("0FW")) + 8;
    stgRegisters->verticalHeader()->setFixedWidth(headerWidth);
    stgRegisters->setFixedSize(headerWidth + stgRegisters->columnWidth(0) + stgRegisters->columnWidth(1) +
                                   2 * stgRegisters->frameWidth(),
                               stgRegisters->horizontalHeader()->sizeHint().height() +
                                   reg::kRegisterCount * rowHeight + 2 * stgRegisters->frameWidth());
    v->addWidget(stgRegisters);

    lblActive = new QLabel(panel);
    lblActive->setObjectName(QStringLiteral("lblActive"));
    v->addWidget(lblActive);
    auto* one = new QHBoxLayout;
    btnReadRegister = button(QStringLiteral("btnReadRegister"), tr("Read Register"), tr("Read active register"), panel);
    btnWriteRegister =
        button(QStringLiteral("btnWriteRegister"), tr("Write Register"), tr("Write active register"), panel);
    one->addWidget(btnReadRegister);
    one->addWidget(btnWriteRegister);
    v->addLayout(one);
    auto* all = new QHBoxLayout;
    btnReadAll = button(QStringLiteral("btnReadAll"), tr("Read All"), tr("Read all clock registers"), panel);
    btnWriteAll = button(QStringLiteral("btnWriteAll"), tr("Write All"), tr("Write all clock registers"), panel);
    all->addWidget(btnReadAll);
    all->addWidget(btnWriteAll);
    v->addLayout(all);
    auto* clock = new QHBoxLayout;
    btnSetPCTime = button(QStringLiteral("btnSetPCTime"), tr("Set to PC time"),
                          tr("Write the computer's local date and time to the clock now"), panel);
    btnWatch = button(QStringLiteral("btnWatch"), tr("Watch"), tr("Read the clock once a second"), panel);
    btnWatch->setCheckable(true);
    clock->addWidget(btnSetPCTime);
    clock->addWidget(btnWatch);
    v->addLayout(clock);
    chbAutoWrite = new QCheckBox(panel);
    chbAutoWrite->setObjectName(QStringLiteral("chbAutoWrite"));
    m_autoWrite = new AutoWriteToggle(chbAutoWrite, tp::AutoWriteCaption::Fixed);
    m_link.setAutoWrite(m_autoWrite);
    v->addWidget(chbAutoWrite);
    v->addStretch(1);
    return panel;
}

// ------------------------------------------------------------------ showing

void TfrmPCF8563::refresh()
{
    for (int i = 0; i < Pcf8563Image::kSpinCount; ++i) {
        const auto s = static_cast<Spin>(i);
        if (QLCDNumber* d = m_displays[static_cast<std::size_t>(i)])
            d->display(s == Spin::Year ? QString::number(m_image.value(s)) : twoDigits(m_image.value(s)));
    }
    m_clock->setTime(m_image.value(Spin::Hours), m_image.value(Spin::Minutes), m_image.value(Spin::Seconds));
    m_alarmClock->setTime(m_image.value(Spin::AlarmHours), m_image.value(Spin::AlarmMinutes));
    lblWeekday->setText(qs(Pcf8563Image::weekdayName(m_image.value(Spin::Weekday))));
    lblAlarmWeekday->setText(qs(Pcf8563Image::weekdayName(m_image.value(Spin::AlarmWeekday))));
    for (int i = 0; i < Pcf8563Image::kBoxCount; ++i) {
        const auto b = static_cast<Box>(i);
        QCheckBox* c = m_boxes[static_cast<std::size_t>(i)];
        const QSignalBlocker block(c);
        c->setChecked(m_image.checked(b));
        c->setText(qs(m_image.caption(b)));
    }
    {
        const QSignalBlocker block(cmbCLKOUT);
        cmbCLKOUT->setCurrentIndex(m_image.clkoutIndex());
    }
    {
        const QSignalBlocker block(cmbTimer);
        cmbTimer->setCurrentIndex(m_image.timerIndex());
    }
    for (int r = 0; r < reg::kRegisterCount; ++r)
        stgRegisters->item(r, 1)->setText(qs(m_image.cellText(r)));
}

// ------------------------------------------------------------------ edits

void TfrmPCF8563::edited(Registers r)
{
    refresh();
    if (!r.empty() && m_autoWrite->isOn())
        writeRegisters(r);
}

void TfrmPCF8563::spinClick(Spin s, int direction)
{
    edited(m_image.step(s, direction));
}

void TfrmPCF8563::chbRegister0Click(Box b)
{
    edited(m_image.setBox(b, m_boxes[static_cast<std::size_t>(b)]->isChecked()));
}

void TfrmPCF8563::chbRegister1Click(Box b)
{
    edited(m_image.setBox(b, m_boxes[static_cast<std::size_t>(b)]->isChecked()));
}

void TfrmPCF8563::chbVLClick()
{
    edited(m_image.setBox(Box::Vl, m_boxes[static_cast<std::size_t>(Box::Vl)]->isChecked()));
}

void TfrmPCF8563::alarmBoxClick(Box b)
{
    edited(m_image.setBox(b, m_boxes[static_cast<std::size_t>(b)]->isChecked()));
}

void TfrmPCF8563::cmbCLKOUTChange()
{
    m_image.setBox(Box::Clkout, m_boxes[static_cast<std::size_t>(Box::Clkout)]->isChecked());
    edited(m_image.setClkoutIndex(cmbCLKOUT->currentIndex()));
}

void TfrmPCF8563::cmbTimerChange()
{
    m_image.setBox(Box::Timer, m_boxes[static_cast<std::size_t>(Box::Timer)]->isChecked());
    edited(m_image.setTimerIndex(cmbTimer->currentIndex()));
}

void TfrmPCF8563::edtTimerChange()
{
    edited(m_image.setTimer(edtTimer->value()));
}

void TfrmPCF8563::edtTimerExit()
{
    edtTimer->applyExit(tp::HexExit::Reformat);
}

void TfrmPCF8563::stgRegistersSelectCell(int row)
{
    if (row < 0 || row >= reg::kRegisterCount)
        return;
    m_active = row;
    lblActive->setText(QStringLiteral("Active Register = 0x") + qs(tp::byteText(std::uint8_t(row))));
}

// ------------------------------------------------------------------ transfers

void TfrmPCF8563::writeRegisters(Registers r)
{
    // One transfer, so the chip takes related registers (month and year) together.
    const tp::Status st = m_link.writeRegister(static_cast<std::uint8_t>(r.first), m_image.cells(r));
    m_link.showStatus(st);
}

tp::Status TfrmPCF8563::readRegisters(int first, int count)
{
    // One transfer: the chip holds its time registers still only during one access.
    std::vector<std::uint8_t> data;
    const tp::Status st = m_link.readRegister(static_cast<std::uint8_t>(first), std::size_t(count), data);
    if (st == tp::status::Success && data.size() == std::size_t(count)) {
        m_image.showRead(first, data);
        refresh();
        for (int i = 0; i < count; ++i) {
            if ((first + i) % reg::kRegisterCount == reg::Timer) {
                const QSignalBlocker block(edtTimer);
                edtTimer->setValue(m_image.timer());
            }
        }
    }
    m_link.showStatus(st);
    return st;
}

void TfrmPCF8563::btnReadTimeClick()
{
    const ClickGuard guard{btnReadTime, btnReadDate, btnReadRegister, btnWriteRegister, btnReadAll, btnWriteAll};
    readRegisters(reg::VlSeconds, 3);
}

void TfrmPCF8563::btnReadDateClick()
{
    const ClickGuard guard{btnReadTime, btnReadDate, btnReadRegister, btnWriteRegister, btnReadAll, btnWriteAll};
    readRegisters(reg::Days, 4);
}

void TfrmPCF8563::btnReadRegisterClick()
{
    const ClickGuard guard{btnReadTime, btnReadDate, btnReadRegister, btnWriteRegister, btnReadAll, btnWriteAll};
    readRegisters(m_active, 1);
}

void TfrmPCF8563::btnWriteRegisterClick()
{
    const ClickGuard guard{btnReadTime, btnReadDate, btnReadRegister, btnWriteRegister, btnReadAll, btnWriteAll};
    writeRegisters({m_active, 1});
}

void TfrmPCF8563::btnReadAllClick()
{
    const ClickGuard guard{btnReadTime, btnReadDate, btnReadRegister, btnWriteRegister, btnReadAll, btnWriteAll};
    readRegisters(0, reg::kRegisterCount);
}

void TfrmPCF8563::btnSetPCTimeClick()
{
    const ClickGuard guard{btnReadTime, btnReadDate, btnReadRegister, btnWriteRegister, btnReadAll, btnWriteAll};
    const Registers r = m_image.setTime(tp::localNow());
    refresh();
    writeRegisters(r);
}

void TfrmPCF8563::btnWatchClick(bool on)
{
    if (!on) {
        m_watch->stop();
        return;
    }
    m_watch->start();
    m_watch->tickNow(); // at once, not a second later
}

void TfrmPCF8563::btnWriteAllClick()
{
    const ClickGuard guard{btnReadTime, btnReadDate, btnReadRegister, btnWriteRegister, btnReadAll, btnWriteAll};
    writeRegisters({0, reg::kRegisterCount});
}
