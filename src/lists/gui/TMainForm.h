#pragma once

#include "lists/ShoppingList.h"
#include "lists/gui/TypeAhead.h"
#include "ui/MessageBoxPrompter.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QKeyEvent;
class QMenu;
class QTimer;

namespace Ui {
class TMainForm;
}

namespace vivrelo {

class ItemsListModel;
class TDataModule1;
class TDataModuleObject;
class TPopupMenuMod;

// The windows the main window opens for its commands, plugged in by the program as they
// exist. A command left empty keeps its button or menu entry disabled.
struct MainCommands {
    std::function<void(QWidget *owner)> catalogueEditor; // Btn_List, modal
    std::function<bool(QWidget *owner)> properties; // Proprits1: true on OK
    std::function<void(QWidget *owner)> layoutPreview; // Paramtragedelaliste1
    std::function<void(QWidget *owner, int priceColumn)> printList; // Popup_Report_ListPrice1..3
    std::function<void(QWidget *owner)> printByShop; // Popup_Report_ByShop
    std::function<void(QWidget *owner)> backup; // the four database commands
    std::function<void(QWidget *owner)> restore;
    std::function<void(QWidget *owner)> history;
    std::function<void(QWidget *owner)> compact;
    std::function<void(QWidget *owner)> exportCatalogue; // Popup_File_ExportCatalogue
    std::function<bool(QWidget *owner)> importCatalogue; // Popup_File_ImportCatalogue: true when it changed
};

// The program's main window: the catalogue grid with its ticks and spin editors, the list
// of the evening with its three totals and price markers, the command bar and the menus.
// Every change is written to the database at once and the list rebuilt from it.
class TMainForm : public QWidget
{
    Q_OBJECT
public:
    // Runs the creation steps: title, the list file's layout and label rows, price labels,
    // ItemsList opened, skin. An error on the way is shown and the window is still made.
    TMainForm(TDataModule1 &dm, TDataModuleObject &objects, const QString &settingsPath, MainCommands commands = {},
        QWidget *parent = nullptr);
    ~TMainForm() override;

    void UpdateControls();
    void LoadPriceLabels();
    void LoadSkin();
    void BuildListView();
    // After a post on the current product only: its line changed in the list as last read.
    void UpdateListRow();
    void ComputeLineBounds();
    void ApplyLineBounds();

    const QStringList &ListLines() const { return m_listLines; }
    const LineBounds &lineBounds() const { return m_bounds; }
    const ListDisplay &listDisplay() const { return m_display; }
    MessageBoxPrompter &prompter() { return m_prompter; }
    TPopupMenuMod *reportMenu() const { return m_reportMenu; }
    TPopupMenuMod *itemsListMenu() const { return m_itemsListMenu; }

    // Runs a command: an error it throws is shown in a box and the window stays usable.
    // Runs a command; an error is reported, then the window is rebuilt from the database.
    void runCommand(const std::function<void()> &command);
    void showDatabaseAsItIs();

    // Commands of the window (also reachable from its controls).
    void Grid_ItemsListDblClick();
    void Popup_ItemsList_SelectClick();
    void SelectAll(bool selected);
    void Popup_Tools_TickLowStockClick();
    void ImportCatalogueClick();
    void SpinStep(bool stock, int delta);
    void Ed_QuantityExit();
    void Btn_ValidClick();
    void Popup_Help_AboutClick();
    void ClockTick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createWindow();
    void setUpControls();
    void setUpChrome();
    void setUpListView();
    void setUpCatalogueGrid();
    void setUpSpinEditors();
    void setUpMenus();
    void connectCommands();
    void connectCatalogueGrid();
    void connectSpinEditors();
    void connectButtons();
    void connectMenuCommands();
    void restorePlacement();
    void savePlacement();
    void placeSpinEditors();
    void showCurrentRow(int row);
    void refreshEdits();
    bool takeEditText(bool stock);
    bool takePendingEdits();
    bool hasCurrentRow() const;
    // Space ticks, "+" and "−" step the quantity, Enter opens the quantity edit, letters find
    // a product by the start of its title. Returns whether the key was used.
    bool gridKeyPress(const QKeyEvent &key);

    std::unique_ptr<Ui::TMainForm> ui;
    TDataModule1 &m_dm;
    TDataModuleObject &m_objects;
    QString m_settingsPath;
    MainCommands m_commands;
    MessageBoxPrompter m_prompter;
    ItemsListModel *m_model = nullptr;
    TPopupMenuMod *m_reportMenu = nullptr;
    TPopupMenuMod *m_itemsListMenu = nullptr;
    QAction *m_selectAction = nullptr;
    QTimer *m_clock = nullptr;
    int m_listToken = 0;
    TypeAhead m_typeAhead;

    QStringList m_listLines;
    ListDisplay m_display;
    DisplayLineCache m_lineCache;
    std::vector<ListQueryRow> m_listRows; // as the list was last read, with changes since
    bool m_listRead = false;
    void ShowList();
    LineBounds m_bounds;
    bool m_clockToggle = false;
    bool m_shownOnce = false;
    bool m_closed = false;
    bool m_resyncing = false;
    bool m_syncing = false;
    bool m_checkingEdit = false;
};

} // namespace vivrelo
