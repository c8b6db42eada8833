#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAbout;
}

namespace vivrelo {

// The about window: product name, version and the data source the program works on
// ("DSN: " + its name). Borderless; OK or Escape closes it.
class TAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TAbout(const QString &dataSourceName, QWidget *parent = nullptr);
    ~TAbout() override;

private:
    std::unique_ptr<Ui::TAbout> ui;
};

} // namespace vivrelo
