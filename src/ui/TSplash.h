#pragma once

#include "base/Progress.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TSplash;
}

namespace vivrelo {

// The start-up banner: product pictures, "Version " + the product version, a progress text
// (`info`) and a thin gauge (`barre`). It is updated through the progress calls even while it
// stays hidden.
class TSplash : public QWidget, public ProgressSink
{
    Q_OBJECT
public:
    explicit TSplash(QWidget *parent = nullptr);
    ~TSplash() override;

    void setTask(const QString &text) override; // info
    void setMessage(const QString &text) override; // info as well
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void show() override;
    void pump() override;

    QString infoText() const;
    int position() const;

private:
    std::unique_ptr<Ui::TSplash> ui;
};

} // namespace vivrelo
