#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TBackupList;
}

namespace vivrelo {

class BackupHistoryModel;
class Prompter;
class TDataModule1;

// The maintenance history: one line per backup, restore and compaction (date, time,
// description, file), read from the data module's Backup dataset, which the window opens
// when created and closes when it closes. "Purger l'historique" empties the history after a
// Yes; it is enabled only while there is a line to purge. "Vérifier l'archive" reads the
// selected line's archive whole and says whether a restore would succeed, restoring nothing.
class TBackupList : public QDialog
{
    Q_OBJECT
public:
    TBackupList(TDataModule1 &dataModule, Prompter &prompter, QWidget *parent = nullptr);
    ~TBackupList() override;

    void done(int result) override;

private:
    void UpdatePurgeButton();
    void Btn_DeleteClick();
    void Btn_CheckClick();
    QString SelectedPath() const;

    std::unique_ptr<Ui::TBackupList> ui;
    TDataModule1 &m_dm;
    Prompter &m_prompter;
    BackupHistoryModel *m_model = nullptr;
    int m_token = 0;
};

} // namespace vivrelo
