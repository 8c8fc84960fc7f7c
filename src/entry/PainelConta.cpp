#include "entry/PainelConta.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "data/Cp1252.h"
#include "entry/CobrancaParcela.h"
#include "entry/GeraParcelas.h"
#include "entry/GravaConta.h"
#include "entry/GravaDetalhes.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"
#include "shell/Toolkit.h"
#include "suite/Modules.h"

namespace cp {
namespace {

// Every label of the fields ends at this x.
constexpr int kFimRotulos = 166;

QFont fonteCampos() { return suiteFont(QStringLiteral("MS Sans Serif"), 13); }

// Values of one column of every row of a record set opened for the purpose.
QStringList valoresDaColuna(RecordSet& rs, const char* coluna) {
    QStringList out;
    rs.open();
    for (rs.first(); !rs.eof(); rs.next()) out << fromCp1252(rs.field(coluna).asString());
    rs.close();
    return out;
}

}  // namespace

QStringList PainelConta::formasPagtoIniciais() {
    return {QStringLiteral("Dinheiro"), QStringLiteral("Cheque"), QStringLiteral("Cartão"),
            QStringLiteral("Boleto")};
}

QLabel* PainelConta::rotulo(const char* name, const QString& text, int editTop, int editHeight) {
    auto* l = new QLabel(text, form_.PainelVelmora);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(fonteCampos());
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->adjustSize();
    l->move(kFimRotulos - l->width(), editTop + (editHeight - l->height()) / 2);
    return l;
}

PainelConta::PainelConta(JanelaPrincipal& form) : form_(form) {
    QWidget* painel = form.PainelVelmora;
    Environment& env = form.env;
    TDM& dm = *form.DM;

    auto campo = [&](const char* name, RecordSet& rs, const char* coluna, QRect geometria) {
        auto* e = new DBEdit(env, rs, coluna, painel);
        e->setObjectName(QString::fromLatin1(name));
        e->setFont(fonteCampos());
        e->setGeometry(geometria);
        // Enter is swallowed and moves on to the next field, as Tab does.
        e->onKeyPress = [this](QKeyEvent& k) {
            if (k.key() != Qt::Key_Return && k.key() != Qt::Key_Enter) return false;
            form_.focusNext();
            return true;
        };
        return e;
    };

    DBEdit10 = campo("DBEdit10", dm.CONTASPR, "DESCRICAO", {173, 73, 288, 24});
    Label11 = rotulo("Label11", QStringLiteral("Despesa"), 73, 24);
    DBEdit2 = campo("DBEdit2", dm.CONTASPR, "OBSERVACAO", {173, 104, 288, 24});
    Label3 = rotulo("Label3", QStringLiteral("Descrição"), 104, 24);
    DBEdit11 = campo("DBEdit11", dm.CONTASPR, "VALORTOTAL", {173, 134, 84, 24});
    Label12 = rotulo("Label12", QStringLiteral("Valor em R$"), 134, 24);
    DBEdit12 = campo("DBEdit12", dm.CONTASPR, "NOMECLIFOR", {173, 165, 288, 24});
    Label13 = rotulo("Label13", QStringLiteral("Fornecedor"), 165, 24);
    DBEdit15 = campo("DBEdit15", dm.CONTASPR, "DATA", {173, 196, 84, 24});
    Label16 = rotulo("Label16", QStringLiteral("Data"), 196, 24);
    DBEdit18 = campo("DBEdit18", dm.CONTASPR, "NFISCAL", {173, 227, 84, 24});
    Label23 = rotulo("Label23", QStringLiteral("Nº Nota Fiscal"), 227, 24);

    DBComboBox1 = new DBComboBox(env, dm.CONTASPR, "CONDPAGTO", painel);
    DBComboBox1->setObjectName(QStringLiteral("DBComboBox1"));
    DBComboBox1->setFont(suiteFont(QStringLiteral("Arial"), 13));
    DBComboBox1->setGeometry(174, 257, 257, 24);
    DBComboBox1->onKeyPress = DBEdit10->onKeyPress;
    DBComboBox1->onEnter = [this] { DBComboBox1Enter(); };
    DBComboBox1->onExit = [this] { DBComboBox1Exit(); };
    Label14 = rotulo("Label14", QStringLiteral("Condição de Pagto"), 257, 24);
    // Each field is named by its label for screen readers.
    nameAfterLabel(Label11, DBEdit10);
    nameAfterLabel(Label3, DBEdit2);
    nameAfterLabel(Label12, DBEdit11);
    nameAfterLabel(Label13, DBEdit12);
    nameAfterLabel(Label16, DBEdit15);
    nameAfterLabel(Label23, DBEdit18);
    nameAfterLabel(Label14, DBComboBox1);

    // The loaded payment condition, shown only.
    DBEdit14 = campo("DBEdit14", dm.FormasPG, "QDEPARCELAS", {441, 263, 20, 14});
    DBEdit16 = campo("DBEdit16", dm.FormasPG, "TIPO", {529, 263, 57, 14});
    for (DBEdit* e : {DBEdit14, DBEdit16}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::ClickFocus);
        e->setFrame(false);
        e->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 11));
    }
    DBEdit16->onKeyPress = nullptr;
    nameField(DBEdit14, QStringLiteral("Parcelas da condição"));
    nameField(DBEdit16, QStringLiteral("Tipo da condição"));
    Panel3 = new QLabel(QStringLiteral("parcelas  -->   "), painel);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 11));
    Panel3->setGeometry(462, 263, 74, 14);
    Panel3->setAlignment(Qt::AlignCenter);
    DBEdit16->raise();  // the condition's kind lies over the end of the caption

    Label4 = new QLabel(QStringLiteral("Codigo da Conta:"), painel);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 11));
    Label4->move(488, 77);
    Label4->adjustSize();
    DBText1 = new DBText(dm.CONTASPR, "CODIGOCPR", painel);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 11, true));
    DBText1->setGeometry(576, 77, 65, 17);
    nameAfterLabel(Label4, DBText1);

    const auto centro = Qt::AlignHCenter;
    const auto direita = Qt::AlignRight;
    const auto esquerda = Qt::AlignLeft;
    std::vector<GridColumn> colunas = {
        {QStringLiteral("Parc"), "NUMPARCELA", 40, centro, centro, true, {}},
        {QStringLiteral("Data Venc"), "DATAVENCIM", 70, centro, esquerda, false, {}},
        {QStringLiteral("Valor R$"), "VALORPARCELA", 76, direita, esquerda, false, {}},
        {QStringLiteral("Forma Pagto"), "MEIO", 84, centro, centro, false, formasPagtoIniciais()},
        {QStringLiteral("Num Conta"), "CODIGOCTA", 74, centro, centro, false, {}},
        {QStringLiteral("N. Docum."), "NUMDOCUMENTO", 70, centro, centro, false, {}},
        {QStringLiteral("Data Emiss"), "DATAEMISSAODOC", 76, centro, esquerda, false, {}},
        {QStringLiteral("Data Pagto"), "DATAPAGTO", 76, centro, centro, false, {}},
        {QStringLiteral("Valor Pago"), "VALORPAGO", 80, direita, esquerda, false, {}},
        {QStringLiteral("CODIGOCPR"), "CODIGOCPR", -1, direita, esquerda, false, {}},
        {QStringLiteral("CODIGOPARC"), "CODIGOPARC", 64, direita, esquerda, false, {}},
    };
    DBGrid4 = new DBGrid(env, dm.Parcelas, std::move(colunas), painel);
    DBGrid4->setObjectName(QStringLiteral("DBGrid4"));
    DBGrid4->setFont(fonteCampos());
    DBGrid4->setGeometry(49, 288, 690, 215);
    nameField(DBGrid4, QStringLiteral("Parcelas da conta"));
    DBGrid4->onEnter = [this] { DBGrid4Enter(); };
    DBGrid4->onExit = [this] { DBGrid4Exit(); };
    // Esc on a row not being edited goes back to "Condição de Pagto".
    DBGrid4->setEscapeGoesBack(true);
    // Ctrl+B and "Ler boleto / PIX..." on the grid (owned by the grid).
    new CobrancaParcela(form, *DBGrid4);

    DBEdit2->onEnter = [this] { DBEdit2Enter(); };

    // Order of entry: Despesa, Descrição, Valor, Fornecedor, Data, Nota
    // Fiscal, Condição, the installment grid, then the details button.
    QWidget* ordem[] = {DBEdit10, DBEdit2,     DBEdit11, DBEdit12,     DBEdit15,
                        DBEdit18, DBComboBox1, DBGrid4,  form.BitBtn11};
    for (size_t i = 0; i + 1 < std::size(ordem); ++i) QWidget::setTabOrder(ordem[i], ordem[i + 1]);

    watchFocus(
        painel, env, [this] { PainelVelmoraEnter(); }, [this] { PainelVelmoraExit(); });
    connectGuarded(env, form.BitBtn14, &QPushButton::clicked, &form, [this] { BitBtn14Click(); });
}

void PainelConta::BitBtn14Click() {
    form_.abreDetalhes();
    // The account opened is left unchanged (not written); the insert rule
    // gives the new one its number and initial values and loads its
    // installments: none.
    form_.DM->CONTASPR.insert();
    DBEdit10->setFocus(Qt::OtherFocusReason);
}

void PainelConta::PainelVelmoraEnter() {
    if (form_.activationFailed()) return;  // only "Sair" is usable
    TDM& dm = *form_.DM;
    DBGrid4->dataModel()->setPickList(kColunaNumConta, valoresDaColuna(dm.Contas, "NUMCONTA"));
    DBGrid4->dataModel()->setPickList(kColunaFormaPagto, valoresDaColuna(dm.FP, "FORMAPAGTO"));
}

void PainelConta::PainelVelmoraExit() {
    if (form_.activationFailed()) return;
    // Each write is tried and, whatever the outcome, editing goes on; what
    // cannot be stored stays pending and is tried again at the next post.
    // A refusal is reported like that of every other write (a value the
    // installment's own post-error step has already shown is not shown again).
    Environment& env = form_.env;
    auto postaESegueEditando = [&env](RecordSet& rs) {
        if (rs.state() != RecordSetState::Edit && rs.state() != RecordSetState::Insert) return;
        if (parcelaSemDigitacao(rs)) return;  // an empty new row stays as it is
        try {
            rs.post();
            rs.edit();
        } catch (const DataError& e) {
            if (!rs.onPostError) reportError(env, e);
        } catch (const std::exception& e) {
            if (rs.state() == RecordSetState::Browse && !rs.isEmpty()) rs.edit();
            reportError(env, e);
        }
    };
    postaESegueEditando(form_.DM->Parcelas);
    try {
        gravaContaESegueEditando(form_.DM->CONTASPR);
    } catch (const std::exception& e) {
        reportError(env, e);
    }
}

void PainelConta::DBGrid4Enter() { DBGrid4->setCurrentColumn(1); }

void PainelConta::DBGrid4Exit() {
    RecordSet& parcelas = form_.DM->Parcelas;
    if (parcelas.state() != RecordSetState::Edit && parcelas.state() != RecordSetState::Insert)
        return;
    if (parcelaSemDigitacao(parcelas)) return;
    try {
        parcelas.post();
    } catch (const DataError&) {
        // The installment's own error text was shown by its post-error step.
    } catch (const std::exception& e) {
        reportError(form_.env, e);  // a write the database refused
    }
}

void PainelConta::DBComboBox1Enter() {
    if (form_.activationFailed()) return;
    entraCondicaoPagto(*form_.DM, form_.sessao);
}

void PainelConta::DBComboBox1Exit() {
    if (form_.activationFailed()) return;
    // The due list lies over the fields: nothing is generated from there.
    if (form_.listaVisivel()) return;
    const SaidaCondicao saida = saiCondicaoPagto(*form_.DM, form_.sessao, form_.env);
    condicaoNaoCadastrada_ = saida == SaidaCondicao::NaoCadastrada;
    if (condicaoNaoCadastrada_) {
        // Back to the field once the focus has finished leaving it.
        QTimer::singleShot(0, DBComboBox1,
                           [b = DBComboBox1] { b->setFocus(Qt::OtherFocusReason); });
        return;
    }
    if (saida != SaidaCondicao::Gerada) return;
    // Taken here, the focus stays in the grid when the field was left by a
    // click elsewhere; on its way into the grid (Enter, Tab), the grid's own
    // entry step runs after this and makes "Data Venc" current instead.
    DBGrid4->setFocus(Qt::OtherFocusReason);
    DBGrid4->setCurrentColumn(kColunaFormaPagto);
}

void PainelConta::DBEdit2Enter() {
    if (!DBEdit2->text().isEmpty()) return;
    DBEdit2->setTypedText(DBEdit10->text());
}

}  // namespace cp
