#include "app/gui/TMdacMsg.h"

#include "app/Environment.h"
#include "app/Settings.h"
#include "base/AppValues.h"
#include "ui/DialogBody.h"
#include "ui/WindowChrome.h"

#include "ui_TMdacMsg.h"

#include <QFileInfo>
#include <QScreen>
#include <QUrl>

namespace vivrelo {

TMdacMsg::TMdacMsg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TMdacMsg>())
{
    ui->setupUi(this);
    DressDialogBody(this);
    WindowChrome::prepare(this);
    if (!parent)
        move(screen()->availableGeometry().center() - rect().center());
    connect(ui->CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TMdacMsg::~TMdacMsg() = default;

void TMdacMsg::showEvent(QShowEvent *event)
{
    const QString page = App().programDir + QStringLiteral("html/mdac.htm");
    if (QFileInfo::exists(page))
        ui->WebBrowser1->setSource(QUrl::fromLocalFile(page));
    else
        ui->WebBrowser1->setPlainText(QStringLiteral("La page « %1 » est introuvable.").arg(page));
    QDialog::showEvent(event);
}

bool ShowDataAccessInfoIfNeeded(QWidget *owner, const std::function<bool()> &versionOk)
{
    if (!AppSettings().testMdac || (versionOk ? versionOk() : DataAccessVersionOk()))
        return false;
    TMdacMsg window(owner);
    window.exec();
    return true;
}

} // namespace vivrelo
