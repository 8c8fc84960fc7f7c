#include "payables/ListaNfe.h"

#include <QAction>
#include <QMenu>

#include "payables/ListaContas.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"

namespace cp {

QAction* acrescentaImportacaoNfe(ListaContas& lista, JanelaPrincipal& form) {
    QAction* item = lista.PopupMenu1->addAction(QStringLiteral("Importar NF-e..."));
    item->setObjectName(QStringLiteral("ImportarNFe1"));
    connectGuarded(form.env, item, &QAction::triggered, &lista, [&form] { form.importaNfe(); });
    return item;
}

}  // namespace cp
