#pragma once

#include "base/Progress.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TNewGauge;
}

namespace vivrelo {

// The progress window of an upgrade script: a small grey panel, always on top, with a line
// of text (`info`) and a bar. The caller sets the maximum and the position after each step.
class TNewGauge : public QWidget, public ProgressSink
{
    Q_OBJECT
public:
    explicit TNewGauge(QWidget *parent = nullptr);
    ~TNewGauge() override;

    void setTask(const QString &text) override; // info
    void setMessage(const QString &text) override; // info as well: the window has one line
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void show() override;
    void hide() override; // through the progress interface too: the window goes away
    void pump() override;

    int position() const { return m_position; }
    int maximum() const { return m_maximum; }
    int trackWidth() const;
    int barWidth() const;

    // Centred in the desktop work area, halves truncated.
    void placeInWorkArea();
    // The drop shadow: a translucent window behind the gauge, 4 pixels right and down.
    const QWidget *shadow() const { return m_shadow.get(); }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateBar();

    void placeShadow();

    std::unique_ptr<Ui::TNewGauge> ui;
    std::unique_ptr<QWidget> m_shadow;
    int m_position = 0;
    int m_maximum = 0;
};

} // namespace vivrelo
