#include "entry/CobrancaParcela.h"

#include <QAction>
#include <QMenu>

#include "data/Cp1252.h"
#include "entry/DialogoCobranca.h"
#include "entry/GravaDetalhes.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"
#include "suite/CobrancasGuardadas.h"
#include "suite/Modules.h"

namespace cp {

namespace {

QString data(const QDate& d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }

// "Este boleto", "Este código PIX"...: how the questions name the slip.
QString esteCodigo(TipoCobranca tipo) {
    switch (tipo) {
        case TipoCobranca::Arrecadacao:
            return QStringLiteral("Este código de arrecadação");
        case TipoCobranca::Pix:
            return QStringLiteral("Este código PIX");
        case TipoCobranca::Boleto:
            break;
    }
    return QStringLiteral("Este boleto");
}

QString doCodigo(TipoCobranca tipo) {
    return tipo == TipoCobranca::Pix           ? QStringLiteral("o código PIX")
           : tipo == TipoCobranca::Arrecadacao ? QStringLiteral("o código de arrecadação")
                                               : QStringLiteral("o boleto");
}

// "Este boleto já está na parcela 2 da conta 10. Usar outra vez?"
QString perguntaRepetida(TipoCobranca tipo, const std::vector<ParcelaComCobranca>& outras) {
    const ParcelaComCobranca& p = outras.front();
    QString onde = QStringLiteral("na parcela %1 da conta %2")
                       .arg(QString::number(p.numParcela), QString::number(p.codigoCpr));
    if (outras.size() == 2) onde += QStringLiteral(" e em mais 1 parcela");
    if (outras.size() > 2)
        onde += QStringLiteral(" e em mais %1 parcelas").arg(QString::number(outras.size() - 1));
    return QStringLiteral("%1 já está %2. Usar outra vez?").arg(esteCodigo(tipo), onde);
}

}  // namespace

CobrancaParcela::CobrancaParcela(JanelaPrincipal& form, DBGrid& grade)
    : QObject(&grade), form_(form), grade_(grade) {
    setObjectName(QStringLiteral("CobrancaParcela"));
    QMenu* menu = grade.popupMenu();
    if (!menu) {
        menu = new QMenu(&grade);
        menu->setObjectName(QStringLiteral("PopupMenuParcelas"));
        grade.setPopupMenu(menu);
    }
    LerCobranca = new QAction(QStringLiteral("Ler boleto / PIX..."), menu);
    LerCobranca->setObjectName(QStringLiteral("LerCobranca"));
    LerCobranca->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    // Also while a cell of the grid is being typed into.
    LerCobranca->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grade.addAction(LerCobranca);
    menu->addAction(LerCobranca);
    connectGuarded(form.env, LerCobranca, &QAction::triggered, this,
                   [this] { LerCobrancaClick(); });
}

QString CobrancaParcela::meioDaCobranca(TipoCobranca tipo, const QStringList& formas) {
    const QString palavra =
        tipo == TipoCobranca::Pix ? QStringLiteral("PIX") : QStringLiteral("Boleto");
    for (const QString& f : formas)
        if (f.trimmed().compare(palavra, Qt::CaseInsensitive) == 0) return f.trimmed();
    return palavra;
}

void CobrancaParcela::LerCobrancaClick() {
    if (form_.activationFailed()) return;
    RecordSet& conta = form_.DM->CONTASPR;
    if (!conta.active() || conta.isEmpty()) {
        form_.env.showMessage(QStringLiteral("Não há conta aberta para receber o boleto."));
        return;
    }
    // What a cell holds being typed is written into the row first, so the
    // slip meets the installment as the operator sees it.
    grade_.setFocus(Qt::OtherFocusReason);
    DialogoCobranca dialogo(form_.env, &form_);
    dialogo.aoConfirmar = [this](const CobrancaLida& c) { return gravaNaParcela(c); };
    dialogo.exec();
    grade_.setFocus(Qt::OtherFocusReason);
}

bool CobrancaParcela::gravaNaParcela(const CobrancaLida& c) {
    Environment& env = form_.env;
    TDM& dm = *form_.DM;
    RecordSet& conta = dm.CONTASPR;
    RecordSet& parcelas = dm.Parcelas;
    CobrancasGuardadas& guardadas = dm.Cobrancas;
    if (!conta.active() || conta.isEmpty() || !parcelas.active()) {
        env.showMessage(QStringLiteral("Não há conta aberta para receber o boleto."));
        return false;
    }

    // The PIX code is kept as received; the database keeps Windows-1252.
    const std::optional<std::string> linha = toCp1252(QString::fromUtf8(c.linha));
    if (!linha) {
        env.showMessage(
            QStringLiteral("O código PIX tem caracteres que o banco de dados não "
                           "guarda; ele não pode ser guardado com a parcela."));
        return false;
    }

    const bool nova = parcelas.isEmpty() || parcelaSemDigitacao(parcelas);
    std::int64_t codigoParc = 0, codigoCpr = 0;
    if (!nova) {
        codigoParc = parcelas.field("CODIGOPARC").asInteger();
        codigoCpr = parcelas.field("CODIGOCPR").asInteger();
    }

    // Kept with another installment already?
    std::vector<ParcelaComCobranca> outras = guardadas.parcelasCom(*linha);
    std::erase_if(outras, [&](const ParcelaComCobranca& p) {
        return !nova && p.codigoParc == codigoParc && p.codigoCpr == codigoCpr;
    });
    if (!outras.empty() && !env.ask(perguntaRepetida(c.tipo, outras))) return false;

    // Which amount and due date: the slip's, unless the installment has
    // others and the operator keeps them.
    std::optional<std::int64_t> valor = c.valorCentavos;
    std::optional<QDate> vencimento = c.vencimento;
    if (!nova) {
        const bool temValor = !parcelas.field("VALORPARCELA").isNull();
        const bool temVenc = !parcelas.field("DATAVENCIM").isNull();
        const std::int64_t valorParcela = parcelas.field("VALORPARCELA").asMoney();
        const QDate vencParcela = parcelas.field("DATAVENCIM").asDate();
        const bool outroValor = valor && temValor && *valor != valorParcela;
        const bool outroVenc = vencimento && temVenc && *vencimento != vencParcela;
        if (outroValor || outroVenc) {
            QStringList daParcela, doBoleto;
            if (outroValor) {
                daParcela << QStringLiteral("valor ") + valorEmReais(valorParcela);
                doBoleto << QStringLiteral("valor ") + valorEmReais(*valor);
            }
            if (outroVenc) {
                daParcela << QStringLiteral("vencimento ") + data(vencParcela);
                doBoleto << QStringLiteral("vencimento ") + data(*vencimento);
            }
            const bool ambos = outroValor && outroVenc;
            const QString oQue = ambos        ? QStringLiteral("o valor e o vencimento")
                                 : outroValor ? QStringLiteral("o valor")
                                              : QStringLiteral("o vencimento");
            const QString nao =
                ambos ? QStringLiteral("ficam os da parcela") : QStringLiteral("fica o da parcela");
            const QString pergunta =
                QStringLiteral("A parcela %1 tem %2; %3 tem %4.\n\nFicar com %5 d%3? (Não: %6.)")
                    .arg(QString::fromStdString(parcelas.field("NUMPARCELA").asString()),
                         daParcela.join(QStringLiteral(" e ")), doCodigo(c.tipo),
                         doBoleto.join(QStringLiteral(" e ")), oQue, nao);
            if (!env.ask(pergunta)) {
                if (outroValor) valor.reset();
                if (outroVenc) vencimento.reset();
            }
        }
    }

    // The table first: its creation is committed on its own, before the
    // installment's write that fills it.
    guardadas.garanteTabela();

    if (nova && parcelas.state() != RecordSetState::Insert) parcelas.append();
    if (!nova && parcelas.state() == RecordSetState::Browse) parcelas.edit();
    if (nova) {
        parcelas.field("NATUREZA").setAsString(conta.field("NATUREZA").asString());
        parcelas.field("ESTACAO").setAsString(conta.field("ESTACAO").asString());
    }
    if (valor) parcelas.field("VALORPARCELA").setAsMoney(*valor);
    if (vencimento) parcelas.field("DATAVENCIM").setAsDate(*vencimento);
    const int colunaMeio = grade_.dataModel()->columnOf("MEIO");
    const QStringList formas =
        colunaMeio >= 0 ? grade_.dataModel()->column(colunaMeio).pickList : QStringList();
    parcelas.field("MEIO").setAsString(
        toCp1252(meioDaCobranca(c.tipo, formas)).value_or(std::string("Boleto")));

    CobrancaGuardada guardada;
    guardada.codigoParc = parcelas.field("CODIGOPARC").asInteger();
    guardada.codigoCpr = parcelas.field("CODIGOCPR").asInteger();
    guardada.tipo = c.tipo;
    guardada.linha = *linha;
    guardadas.guardaComParcela(std::move(guardada), form_.sessao.Estacao.str(), env.today());
    try {
        parcelas.post();
    } catch (const std::exception& e) {
        // The installment holds the slip's values and waits, as any write of
        // the grid the database refused; the slip waits with it.
        reportError(env, e);
    }
    return true;
}

}  // namespace cp
