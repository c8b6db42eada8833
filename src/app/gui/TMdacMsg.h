#pragma once

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TMdacMsg;
}

namespace vivrelo {

// The information window about the database engine: the page "html/mdac.htm" of the program
// directory, and a button to close it.
class TMdacMsg : public QDialog
{
    Q_OBJECT
public:
    explicit TMdacMsg(QWidget *parent = nullptr);
    ~TMdacMsg() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TMdacMsg> ui;
};

// The start's engine check: when the TestMdac setting is on and the version check fails,
// shows the information window modally. Returns whether it was shown; the start goes on.
bool ShowDataAccessInfoIfNeeded(QWidget *owner = nullptr, const std::function<bool()> &versionOk = {});

} // namespace vivrelo
