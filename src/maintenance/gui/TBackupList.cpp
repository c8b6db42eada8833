#include "maintenance/gui/TBackupList.h"

#include "base/Error.h"
#include "base/LangText.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/DataSetRoutines.h"
#include "lists/DataModule.h"
#include "maintenance/ArchiveCheck.h"
#include "maintenance/History.h"
#include "maintenance/gui/BackupHistoryModel.h"
#include "ui/ShellPictures.h"
#include "ui/WindowChrome.h"

#include "ui_TBackupList.h"

#include <QApplication>
#include <QHeaderView>

namespace vivrelo {

namespace {

void setGround(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

TBackupList::TBackupList(TDataModule1 &dataModule, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TBackupList>())
    , m_dm(dataModule)
    , m_prompter(prompter)
{
    ui->setupUi(this);
    setFixedSize(626, 298);
    const QColor panel(230, 230, 230);
    setGround(this, panel);
    setGround(ui->Pan_Grid, panel);
    setGround(ui->Pan_Bottom, panel);
    ui->Exit->setIcon(ShellPicture(QStringLiteral("close")));
    ui->Exit->setIconSize(QSize(16, 16));
    QFont titleFont = ui->Title->font();
    titleFont.setBold(true);
    ui->Title->setFont(titleFont);

    QTableView *grid = ui->BFSDBGridColor2;
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Base, Qt::white);
    grid->setPalette(pal);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: rgb(216, 216, 216); border: none;"
                       " border-right: 1px solid rgb(160, 160, 160); border-bottom: 1px solid rgb(160, 160, 160);"
                       " padding-left: 2px; }"));
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setItemDelegate(new HistoryGridDelegate(grid));

    connect(ui->Btn_Delete, &QPushButton::clicked, this, &TBackupList::Btn_DeleteClick);
    connect(ui->Btn_Check, &QPushButton::clicked, this, &TBackupList::Btn_CheckClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &QDialog::reject);

    // FormCreate: the chrome, the history opened, the purge button set.
    WindowChrome::prepare(this);
    m_token = m_dm.Backup.subscribe([this](const DataSet::Notification &) { UpdatePurgeButton(); });
    try {
        m_dm.Backup.open();
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
    m_model = new BackupHistoryModel(m_dm.Backup, this);
    grid->setModel(m_model);
    const int digit = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < m_model->columnCount(); ++c)
        grid->setColumnWidth(c, m_model->widthInCharacters(c) * digit + 4);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TBackupList::UpdatePurgeButton);
    UpdatePurgeButton();
}

TBackupList::~TBackupList()
{
    if (m_token) {
        m_dm.Backup.unsubscribe(m_token);
        m_dm.Backup.close();
    }
}

void TBackupList::done(int result)
{
    m_dm.Backup.unsubscribe(m_token);
    m_token = 0;
    m_dm.Backup.close();
    QDialog::done(result);
}

void TBackupList::UpdatePurgeButton()
{
    ui->Btn_Delete->setEnabled(m_dm.Backup.isActive() && !IsDataSetEmpty(m_dm.Backup));
    ui->Btn_Check->setEnabled(!SelectedPath().isEmpty());
}

QString TBackupList::SelectedPath() const
{
    if (!m_model || !m_dm.Backup.isActive())
        return {};
    const QModelIndex current = ui->BFSDBGridColor2->currentIndex();
    if (!current.isValid())
        return {};
    return m_model->index(current.row(), 3).data().toString(); // Path
}

void TBackupList::Btn_CheckClick()
{
    const QString path = SelectedPath();
    if (path.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const ArchiveCheck check = VerifyArchive(path, noProgress());
        QApplication::restoreOverrideCursor();
        m_prompter.inform(QStringLiteral("L'archive « %1 » est lisible en entier : une restauration réussirait.\r\r"
                                         "Produits : %2\rImages : %3")
                              .arg(path)
                              .arg(check.products)
                              .arg(check.pictures));
    } catch (const Error &e) {
        QApplication::restoreOverrideCursor();
        m_prompter.error(QStringLiteral("Une restauration de cette archive échouerait :\r") + e.message());
    }
}

void TBackupList::Btn_DeleteClick()
{
    if (!m_prompter.confirm(GetLangText(lang::PurgeHistoryQuestion)))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        PurgeHistory(m_dm.Query, m_dm.Backup);
    } catch (const Error &e) {
        QApplication::restoreOverrideCursor();
        m_prompter.error(e.message());
        return;
    }
    QApplication::restoreOverrideCursor();
}

} // namespace vivrelo
