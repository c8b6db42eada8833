#include "app/gui/ProgramCommands.h"

#include "lists/gui/CatalogueFileCommands.h"
#include "lists/gui/TEnterItems.h"
#include "maintenance/gui/MaintenanceCommands.h"
#include "printing/gui/PrintShopSplit.h"
#include "printing/gui/PrintShoppingList.h"
#include "printing/gui/TListFormat.h"
#include "printing/gui/TReportPrintViewer.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/TEnterProperties.h"

namespace vivrelo {

namespace {

// What the main window does around a maintenance operation, besides what the command does
// itself (disabling the window, the hourglass): the list view is rebuilt from the database.
DataModuleHost::Window AroundMaintenance(QWidget *owner)
{
    DataModuleHost::Window window;
    window.rebuildListView = [owner] {
        if (auto *form = qobject_cast<TMainForm *>(owner))
            form->BuildListView();
    };
    return window;
}

} // namespace

MainCommands ProgramCommands(TDataModule1 &dm, TDataModuleObject &objects)
{
    MainCommands c;
    c.catalogueEditor = [&dm](QWidget *owner) {
        RunCatalogueEditor(owner, dm, [owner](const QString &sortField) { RunItemsListReport(sortField, owner); });
    };
    c.properties = [&dm, &objects](QWidget *owner) { return ShowPropertiesDialog(owner, dm, objects); };
    c.layoutPreview = [](QWidget *owner) {
        MessageBoxPrompter prompter(owner);
        ShowListFormat(owner, prompter);
    };
    c.printList = [](QWidget *owner, int column) {
        MessageBoxPrompter prompter(owner);
        PrintShoppingList(owner, column, prompter);
    };
    c.printByShop = [](QWidget *owner) {
        MessageBoxPrompter prompter(owner);
        PrintShopSplitCommand(owner, prompter);
    };
    c.backup = [](QWidget *owner) {
        MessageBoxPrompter prompter(owner);
        RunBackupCommand(owner, prompter, AroundMaintenance(owner));
    };
    c.restore = [](QWidget *owner) {
        MessageBoxPrompter prompter(owner);
        RunRestoreCommand(owner, prompter, AroundMaintenance(owner));
    };
    c.compact = [](QWidget *owner) {
        MessageBoxPrompter prompter(owner);
        RunCompactCommand(owner, prompter, AroundMaintenance(owner));
    };
    c.history = [](QWidget *owner) {
        MessageBoxPrompter prompter(owner);
        RunHistoryWindow(owner, prompter);
    };
    c.exportCatalogue = [&dm](QWidget *owner) {
        MessageBoxPrompter prompter(owner);
        ExportCatalogueCommand(owner, dm, prompter, SystemCatalogueFileDialogs());
    };
    c.importCatalogue = [&dm](QWidget *owner) {
        MessageBoxPrompter prompter(owner);
        return ImportCatalogueCommand(owner, dm, prompter, SystemCatalogueFileDialogs());
    };
    return c;
}

} // namespace vivrelo
