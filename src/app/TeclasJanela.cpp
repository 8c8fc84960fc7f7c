#include "app/TeclasJanela.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "app/Form1.h"
#include "payables/ListaContas.h"
#include "session/LoginSessao.h"
#include "shell/ButtonKey.h"
#include "shell/ErrorHandler.h"
#include "shell/FocusChain.h"
#include "shell/Toolkit.h"

namespace cp {
namespace {

using Linhas = std::vector<std::pair<QString, QString>>;  // key, what it does

QString tecla(const QKeySequence& k) { return k.toString(QKeySequence::NativeText); }

QString tabela(const QString& titulo, const Linhas& linhas) {
    QString html = QStringLiteral("<p><b>%1</b></p><table cellspacing=\"0\" cellpadding=\"3\">")
                       .arg(titulo.toHtmlEscaped());
    for (const auto& [k, oQue] : linhas)
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(k.toHtmlEscaped(), oQue.toHtmlEscaped());
    return html + QStringLiteral("</table>");
}

}  // namespace

TeclasJanela::TeclasJanela(Form1& form) : QObject(&form), form_(form) {
    addButtonKey(form_.BitBtn14, QKeySequence(Qt::Key_F2));
    addButtonKey(form_.BitBtn11, QKeySequence(Qt::Key_F3));
    form_.BitBtn3->setToolTip(QStringLiteral("Sair do programa"));

    Ajuda = new QAction(QStringLiteral("Teclas desta tela"), &form_);
    Ajuda->setObjectName(QStringLiteral("AjudaTeclas"));
    Ajuda->setShortcut(QKeySequence(Qt::Key_F1));
    Ajuda->setShortcutContext(Qt::WindowShortcut);
    form_.addAction(Ajuda);
    connectGuarded(form_.env, Ajuda, &QAction::triggered, this, [this] { mostraAjuda(); });
}

QString TeclasJanela::textoAjuda() const {
    const QString f1 = tecla(Ajuda->shortcut());
    const bool login =
        form_.login && form_.login->PainelLogin && form_.login->PainelLogin->isVisible();
    if (login) {
        return tabela(QStringLiteral("Identificação do Usuário"),
                      {{QStringLiteral("Enter"),
                        QStringLiteral("no nome, passa à senha; na senha, entra no programa")},
                       {QStringLiteral("Tab / Shift+Tab"),
                        QStringLiteral("percorre Nome, Senha, OK e Cancela")},
                       {QStringLiteral("Esc"), QStringLiteral("Cancela: fecha o programa")},
                       {f1, QStringLiteral("esta ajuda")}});
    }
    Linhas linhas;
    const auto botao = [&](QPushButton* b, const QString& oQue) {
        if (!isReachable(b)) return;
        linhas.push_back(
            {buttonKeyText(b), QStringLiteral("\"%1\": %2").arg(plainCaption(b->text()), oQue)});
    };
    if (form_.listaVisivel()) {
        ListaContas& lista = *form_.lista;
        botao(form_.BitBtn14, QStringLiteral("começa uma conta nova"));
        botao(form_.BitBtn11, QStringLiteral("abre a conta da parcela atual"));
        linhas.insert(
            linhas.end(),
            {
                {tecla(lista.Atualizar->shortcut()),
                 QStringLiteral("monta a lista de novo, com o período e a vista em vigor")},
                {tecla(lista.Quitarestaconta1->shortcut()),
                 QStringLiteral("\"Quitar esta conta\": a parcela atual, paga no vencimento")},
                {tecla(lista.Cancelarquitao1->shortcut()),
                 QStringLiteral("\"Cancelar quitação\" da parcela atual, quando quitada")},
                {QStringLiteral("Alt+P"), QStringLiteral("vai à data inicial do período")},
                {QStringLiteral("Enter"),
                 QStringLiteral("na data inicial, passa à final; na final, grava o período e volta "
                                "à lista")},
                {QStringLiteral("Ctrl+F"), QStringLiteral("procura na lista (Esc fecha a busca)")},
                {QStringLiteral("Ctrl+G"), QStringLiteral("previsão de pagamentos")},
                {QStringLiteral("Ctrl+P"), QStringLiteral("visualiza a impressão da lista")},
                {QStringLiteral("Ctrl+E"), QStringLiteral("exporta a lista para planilha")},
                {QStringLiteral("Ctrl+I"), QStringLiteral("importa uma NF-e")},
                {QStringLiteral("Tab / Shift+Tab"),
                 QStringLiteral(
                     "na lista, de coluna em coluna; fora dela, de controle em controle")},
                {QStringLiteral("Ctrl+Tab / Ctrl+Shift+Tab"),
                 QStringLiteral("sai da lista para o controle seguinte / anterior")},
                {QStringLiteral("Menu / Shift+F10"), QStringLiteral("o menu da parcela atual")},
            });
        if (form_.cancelButton() == form_.BitBtn3 && isReachable(form_.BitBtn3))
            linhas.push_back({QStringLiteral("Esc"), QStringLiteral("\"Sair\": fecha o programa")});
        linhas.push_back({f1, QStringLiteral("esta ajuda")});
        return tabela(QStringLiteral("Lista de contas a pagar"), linhas);
    }
    botao(form_.BitBtn14, QStringLiteral("começa uma conta nova"));
    botao(form_.BitBtn11, QStringLiteral("grava a conta e volta à lista"));
    linhas.insert(
        linhas.end(),
        {
            {QStringLiteral("Enter / Tab"),
             QStringLiteral("próximo campo: Despesa, Descrição, Valor em R$, Fornecedor, Data, "
                            "Nº Nota Fiscal, Condição de Pagto, parcelas")},
            {QStringLiteral("Shift+Tab"), QStringLiteral("campo anterior")},
            {QStringLiteral("Esc"),
             QStringLiteral("num campo, desfaz o que foi digitado; nas parcelas, desfaz a parcela "
                            "em edição ou volta a \"Condição de Pagto\"")},
            {QStringLiteral("Tab / Shift+Tab"),
             QStringLiteral("nas parcelas, de coluna em coluna")},
            {QStringLiteral("Ctrl+Tab / Ctrl+Shift+Tab"),
             QStringLiteral("sai das parcelas para o controle seguinte / anterior")},
            {QStringLiteral("Ctrl+B"), QStringLiteral("nas parcelas, lê um boleto ou código PIX")},
            {QStringLiteral("Ctrl+I"), QStringLiteral("importa uma NF-e")},
            {f1, QStringLiteral("esta ajuda")},
        });
    return tabela(QStringLiteral("Detalhes da conta"), linhas);
}

void TeclasJanela::mostraAjuda() {
    if (ajuda_) {
        ajuda_->raise();
        ajuda_->activateWindow();
        return;
    }
    auto* janela = new QDialog(&form_);
    janela->setObjectName(QStringLiteral("JanelaAjudaTeclas"));
    janela->setAttribute(Qt::WA_DeleteOnClose);
    janela->setWindowTitle(QStringLiteral("Teclas desta tela"));
    auto* texto = new QLabel(textoAjuda(), janela);
    texto->setObjectName(QStringLiteral("TextoAjudaTeclas"));
    texto->setTextFormat(Qt::RichText);
    texto->setAccessibleName(QStringLiteral("Teclas desta tela"));
    auto* botoes = new QDialogButtonBox(QDialogButtonBox::Close, janela);
    connect(botoes, &QDialogButtonBox::rejected, janela, &QDialog::reject);
    auto* layout = new QVBoxLayout(janela);
    layout->addWidget(texto);
    layout->addWidget(botoes);
    ajuda_ = janela;
    // The focus comes back to where it was when the window closes.
    janela->open();
}

}  // namespace cp
