// The due list's way to a bill from its NF-e: "Importar NF-e..." at the end
// of the list's pop-up menu, which opens the main window's import dialog.
#pragma once

class QAction;

namespace cp {

class JanelaPrincipal;
class ListaContas;

// Adds the item after every other item of the pop-up menu; returns it.
QAction* acrescentaImportacaoNfe(ListaContas& lista, JanelaPrincipal& form);

}  // namespace cp
