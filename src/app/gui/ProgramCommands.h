#pragma once

#include "lists/gui/TMainForm.h"

namespace vivrelo {

class TDataModule1;
class TDataModuleObject;

// The main window's commands, each handing over to the window or the core operation that
// does the work: the catalogue editor (with the product list report behind its print button),
// the properties, the layout preview, the printed list, and the four maintenance commands.
MainCommands ProgramCommands(TDataModule1 &dm, TDataModuleObject &objects);

} // namespace vivrelo
