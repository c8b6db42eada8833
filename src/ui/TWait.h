#pragma once

#include "base/Progress.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TWait;
}

namespace vivrelo {

// The wait window: a borderless two-line banner (task, message) with an optional progress
// bar, shown while a long operation runs on the user-interface thread. The operation drives
// it step by step and calls pump() between steps so that it repaints.
class TWait : public QWidget, public ProgressSink
{
    Q_OBJECT
public:
    static constexpr int kTrackWidth = 251;

    explicit TWait(QWidget *parent = nullptr);
    ~TWait() override;

    void setTask(const QString &text) override; // Lab_Task
    void setMessage(const QString &text) override; // Lab_Msg
    void setMaximum(int max) override;
    void setPosition(int count) override;
    void showBar(bool visible) override; // Gauge_Back, hidden until asked for
    void show() override;
    void hide() override; // through the progress interface too: the window goes away
    void pump() override;
    // One step that changes the message line: Lab_Msg = text, one more step done.
    void step(const QString &message);

    int count() const { return m_count; }
    int maximum() const { return m_max; }
    int barWidth() const;

    // Centred in the desktop work area (where it opens), or on another window.
    void placeInWorkArea();
    void placeOn(const QWidget *window);

private:
    void updateBar();

    std::unique_ptr<Ui::TWait> ui;
    int m_count = 0;
    int m_max = 0;
};

} // namespace vivrelo
