#pragma once

#include <QDate>
#include <QWidget>

namespace vivrelo {

// A small light-emitting-diode display of a short time text ("14:05", "14 05"): digits in
// seven segments, unlit segments faintly visible, a blank where the colon is off.
class DigitalTimeLabel : public QWidget
{
    Q_OBJECT
public:
    explicit DigitalTimeLabel(QWidget *parent = nullptr);
    void setText(const QString &text);
    QString text() const { return m_text; }
    QSize sizeHint() const override { return {46, 20}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QString m_text = QStringLiteral("00:00");
};

// A tear-off calendar page: the month on a red band, the day in large figures, the weekday
// below. Decorative: it is usually shown disabled, and looks the same then.
class MiniCalendar : public QWidget
{
    Q_OBJECT
public:
    explicit MiniCalendar(QWidget *parent = nullptr);
    void setDate(const QDate &date);
    QDate date() const { return m_date; }
    QSize sizeHint() const override { return {44, 48}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QDate m_date = QDate::currentDate();
};

} // namespace vivrelo
