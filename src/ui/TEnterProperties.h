#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class TEnterProperties;
}

namespace vivrelo {

class DataSet;
class MessageBoxPrompter;
class Prompter;
class TDataModule1;
class TDataModuleObject;
enum class SkinTexture;

// Asks for a file to open: parent window, initial folder, filter ("Bitmaps (*.bmp)"); an
// empty text when the user gives up.
using FilePicker = std::function<QString(QWidget *parent, const QString &dir, const QString &filter)>;
// The desktop's open-file dialog.
QString PickFileToOpen(QWidget *parent, const QString &dir, const QString &filter);

// The properties dialog: the three price labels of the list file and the two textures of the
// main window's notebook. The edits show the open CUSTOMLAB row; OK writes them into its
// fields (the caller posts or cancels the row) and stores both textures; Cancel stores
// nothing. Creating the dialog reads the textures (storing the defaults when none are stored
// yet) and throws Error when a default picture cannot be read.
class TEnterProperties : public QDialog
{
    Q_OBJECT
public:
    TEnterProperties(DataSet &customLabel, TDataModuleObject &objects, int listFileId, Prompter *prompter = nullptr,
        QWidget *parent = nullptr);
    ~TEnterProperties() override;

    void setFilePicker(FilePicker picker) { m_picker = std::move(picker); }
    const QImage &background() const { return m_background; }
    const QImage &cover() const { return m_cover; }

private:
    void pickTexture(SkinTexture texture);
    void Btn_OkClick();
    void showTexture(SkinTexture texture);

    std::unique_ptr<Ui::TEnterProperties> ui;
    DataSet &m_customLabel;
    TDataModuleObject &m_objects;
    int m_listFileId;
    std::unique_ptr<MessageBoxPrompter> m_ownPrompter;
    Prompter &m_prompter;
    FilePicker m_picker = PickFileToOpen;
    QImage m_background;
    QImage m_cover;
};

// The main window's properties command, between its opening of the CUSTOMLAB row in edit
// state and its post (on OK) or cancel: shows the dialog modally over `owner` on that row.
// True on OK. An Error (a default texture that cannot be read) leaves the dialog unopened.
bool ShowPropertiesDialog(QWidget *owner, TDataModule1 &dm, TDataModuleObject &objects, FilePicker picker = {});

} // namespace vivrelo
