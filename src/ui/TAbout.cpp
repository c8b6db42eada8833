#include "ui/TAbout.h"

#include "base/AppValues.h"
#include "ui/DecorPanels.h"
#include "ui/ShellPictures.h"
#include "ui/WindowChrome.h"
#include "ui_TAbout.h"

namespace vivrelo {

TAbout::TAbout(const QString &dataSourceName, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TAbout>())
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->Panel->setColors(QColor(255, 255, 255), QColor(222, 234, 252));
    ui->Panel->setBorderColor(QColor(0, 80, 210));
    ui->Img_Left->setPixmap(ShellPicture(QStringLiteral("splash_basket")));

    StyleLabel(ui->Lab_Product, 18, true, QColor(0, 67, 179));

    const AppValues &app = App();
    ui->Lab_Product->setText(app.productName);
    ui->Lab_Version->setText(QStringLiteral("Version ") + app.productVersion);
    ui->Lab_Dsn->setText(QStringLiteral("DSN: ") + dataSourceName);
    setWindowTitle(QStringLiteral("A propos de ") + app.productName);
    WindowChrome::prepare(this);
}

TAbout::~TAbout() = default;

} // namespace vivrelo
