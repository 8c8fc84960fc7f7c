#include "entry/DialogoNfe.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Toolkit.h"

namespace cp {

DialogoNfe::DialogoNfe(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DialogoNfe"));
    setWindowTitle(QStringLiteral("Importar NF-e"));
    setFont(suiteFont(QStringLiteral("MS Sans Serif"), 13));

    auto* rotulo =
        new QLabel(QStringLiteral("Arquivo XML da NF-e ou chave de acesso (44 algarismos):"), this);
    EditEntrada = new QLineEdit(this);
    EditEntrada->setObjectName(QStringLiteral("EditEntrada"));
    EditEntrada->setMinimumWidth(420);
    rotulo->setBuddy(EditEntrada);
    BotProcurar = new QPushButton(QStringLiteral("Procurar..."), this);
    BotProcurar->setObjectName(QStringLiteral("BotProcurar"));
    BotProcurar->setAutoDefault(false);
    BotOk = new QPushButton(QStringLiteral("OK"), this);
    BotOk->setObjectName(QStringLiteral("BotOk"));
    BotOk->setDefault(true);  // Enter in the field imports
    BotCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    BotCancelar->setObjectName(QStringLiteral("BotCancelar"));
    BotCancelar->setAutoDefault(false);

    auto* linha = new QHBoxLayout;
    linha->addWidget(EditEntrada, 1);
    linha->addWidget(BotProcurar);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(BotOk);
    botoes->addWidget(BotCancelar);
    auto* tudo = new QVBoxLayout(this);
    tudo->addWidget(rotulo);
    tudo->addLayout(linha);
    tudo->addLayout(botoes);

    connect(BotProcurar, &QPushButton::clicked, this, [this] { procura(); });
    connect(BotOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BotCancelar, &QPushButton::clicked, this, &QDialog::reject);
    EditEntrada->setFocus(Qt::OtherFocusReason);
}

QString DialogoNfe::entrada() const { return EditEntrada->text().trimmed(); }

void DialogoNfe::procura() {
    const QString atual = entrada();
    const QString pasta = atual.isEmpty() ? QString() : QFileInfo(atual).absolutePath();
    const QString escolhido =
        QFileDialog::getOpenFileName(this, QStringLiteral("Arquivo XML da NF-e"), pasta,
                                     QStringLiteral("NF-e (*.xml);;Todos os arquivos (*)"));
    if (escolhido.isEmpty()) return;
    EditEntrada->setText(escolhido);
    EditEntrada->setFocus(Qt::OtherFocusReason);
}

std::optional<QString> DialogoNfe::pede(QWidget* parent) {
    DialogoNfe dialogo(parent);
    if (dialogo.exec() != QDialog::Accepted) return std::nullopt;
    return dialogo.entrada();
}

}  // namespace cp
