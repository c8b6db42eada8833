#include "ui/TEnterProperties.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "db/DataSet.h"
#include "db/DataSetRoutines.h"
#include "lists/DataModule.h"
#include "lists/SkinTextures.h"
#include "ui/DialogBody.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/WindowChrome.h"

#include "ui_TEnterProperties.h"

#include <QFileDialog>
#include <QScreen>

namespace vivrelo {

namespace {

const char *const kLabelFields[] = {"Price01", "Price02", "Price03"};

} // namespace

QString PickFileToOpen(QWidget *parent, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Ouvrir"), dir, filter);
}

TEnterProperties::TEnterProperties(
    DataSet &customLabel, TDataModuleObject &objects, int listFileId, Prompter *prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TEnterProperties>())
    , m_customLabel(customLabel)
    , m_objects(objects)
    , m_listFileId(listFileId)
    , m_ownPrompter(prompter ? nullptr : std::make_unique<MessageBoxPrompter>(this))
    , m_prompter(prompter ? *prompter : *m_ownPrompter)
{
    ui->setupUi(this);
    DressDialogBody(this);
    QFont header = ui->Lab_PriceLabels->font();
    header.setBold(true);
    ui->Lab_PriceLabels->setFont(header);
    QPalette editPal = ui->DBEdit1->palette();
    editPal.setColor(QPalette::Base, QColor(255, 255, 242));
    QLineEdit *const edits[] = {ui->DBEdit1, ui->DBEdit2, ui->DBEdit3};
    for (int i = 0; i < 3; ++i) {
        edits[i]->setPalette(editPal);
        if (m_customLabel.isActive() && !IsDataSetEmpty(m_customLabel))
            edits[i]->setText(m_customLabel.field(QString::fromLatin1(kLabelFields[i])).asString());
    }
    WindowChrome::prepare(this);
    if (!parent)
        move(screen()->availableGeometry().center() - rect().center());

    m_background = ReadSkinTexture(m_objects, m_listFileId, SkinTexture::Background);
    m_cover = ReadSkinTexture(m_objects, m_listFileId, SkinTexture::Cover);
    showTexture(SkinTexture::Background);
    showTexture(SkinTexture::Cover);

    connect(ui->LMDShapeButton18, &QPushButton::clicked, this, [this] { pickTexture(SkinTexture::Background); });
    connect(ui->LMDShapeButton45, &QPushButton::clicked, this, [this] { pickTexture(SkinTexture::Cover); });
    connect(ui->Btn_Ok, &QPushButton::clicked, this, &TEnterProperties::Btn_OkClick);
    connect(ui->Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TEnterProperties::~TEnterProperties() = default;

void TEnterProperties::showTexture(SkinTexture texture)
{
    QLabel *preview = texture == SkinTexture::Background ? ui->Img_Background : ui->Img_Cover;
    preview->setPixmap(QPixmap::fromImage(texture == SkinTexture::Background ? m_background : m_cover));
}

void TEnterProperties::pickTexture(SkinTexture texture)
{
    const QString file =
        m_picker(this, App().programDir + QStringLiteral("Image/Skin/"), QStringLiteral("Bitmaps (*.bmp)"));
    if (file.isEmpty())
        return;
    try {
        const QImage picture = LoadBitmapPicture(file);
        (texture == SkinTexture::Background ? m_background : m_cover) = picture;
        showTexture(texture);
    } catch (const Error &e) {
        m_prompter.warn(e.message());
    }
}

void TEnterProperties::Btn_OkClick()
{
    try {
        if (m_customLabel.isActive()) {
            EditIfNeeded(m_customLabel);
            QLineEdit *const edits[] = {ui->DBEdit1, ui->DBEdit2, ui->DBEdit3};
            for (int i = 0; i < 3; ++i)
                m_customLabel.field(QString::fromLatin1(kLabelFields[i])).setValue(edits[i]->text());
        }
        WriteSkinTexture(m_objects, m_listFileId, SkinTexture::Background, m_background);
        WriteSkinTexture(m_objects, m_listFileId, SkinTexture::Cover, m_cover);
    } catch (const Error &e) {
        m_prompter.error(e.message());
        return;
    }
    accept();
}

bool ShowPropertiesDialog(QWidget *owner, TDataModule1 &dm, TDataModuleObject &objects, FilePicker picker)
{
    TEnterProperties dialog(dm.CustomLabel, objects, dm.CurrentListFileId, nullptr, owner);
    if (picker)
        dialog.setFilePicker(std::move(picker));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace vivrelo
