#include "entry/DialogoCobranca.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ErrorHandler.h"
#include "shell/Toolkit.h"
#include "suite/Environment.h"
#include "suite/cobranca/PdfCobranca.h"

namespace cp {

namespace {

QString textoData(const QDate& d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }

const QColor kVinho{0x99, 0x00, 0x00};

}  // namespace

QString valorEmReais(std::int64_t centavos) {
    const QLocale local;
    const bool negativo = centavos < 0;
    const std::uint64_t m =
        negativo ? 0 - static_cast<std::uint64_t>(centavos) : static_cast<std::uint64_t>(centavos);
    QString reais = local.toString(static_cast<qulonglong>(m / 100));
    const QString frac =
        QStringLiteral("%1").arg(static_cast<qulonglong>(m % 100), 2, 10, QLatin1Char('0'));
    return QStringLiteral("R$ ") + (negativo ? QStringLiteral("-") : QString()) + reais +
           local.decimalPoint() + frac;
}

QString DialogoCobranca::descricao(const CobrancaLida& c) {
    QStringList linhas;
    const QString semValor = QStringLiteral("Valor: não consta (fica o da parcela)");
    const QString valor =
        c.valorCentavos ? QStringLiteral("Valor: ") + valorEmReais(*c.valorCentavos) : semValor;
    switch (c.tipo) {
        case TipoCobranca::Boleto: {
            const QString banco = c.nomeBanco.isEmpty() ? QString::fromStdString(c.banco)
                                                        : QString::fromStdString(c.banco) +
                                                              QStringLiteral(" - ") + c.nomeBanco;
            linhas << QStringLiteral("Boleto do banco %1").arg(banco);
            linhas << (c.vencimento ? QStringLiteral("Vencimento: ") + textoData(*c.vencimento)
                                    : QStringLiteral("Vencimento: não consta (fica o da parcela)"));
            linhas << valor;
            break;
        }
        case TipoCobranca::Arrecadacao:
            linhas << QStringLiteral("Conta de arrecadação (concessionária ou tributo)");
            linhas << QStringLiteral("Vencimento: não consta no código (fica o da parcela)");
            linhas << valor;
            break;
        case TipoCobranca::Pix:
            linhas << (c.cidade.isEmpty()
                           ? QStringLiteral("PIX para %1").arg(c.recebedor)
                           : QStringLiteral("PIX para %1, %2").arg(c.recebedor, c.cidade));
            if (!c.chavePix.isEmpty()) linhas << QStringLiteral("Chave: ") + c.chavePix;
            if (!c.urlPix.isEmpty()) linhas << QStringLiteral("Cobrança dinâmica: ") + c.urlPix;
            linhas << (c.valorCentavos ? valor
                                       : QStringLiteral("Valor: não consta (fica o da parcela)"));
            if (!c.txid.isEmpty()) linhas << QStringLiteral("Identificador: ") + c.txid;
            break;
    }
    return linhas.join(QLatin1Char('\n'));
}

DialogoCobranca::DialogoCobranca(Environment& env, QWidget* parent) : QDialog(parent), env_(env) {
    setObjectName(QStringLiteral("DialogoCobranca"));
    setWindowTitle(QStringLiteral("Ler boleto ou PIX"));
    setFont(suiteFont(QStringLiteral("MS Sans Serif"), 13));

    auto* rotulo = new QLabel(
        QStringLiteral("&Linha digitável, código de barras ou código PIX (copia e cola):"), this);
    EditCodigo = new QLineEdit(this);
    EditCodigo->setObjectName(QStringLiteral("EditCodigo"));
    EditCodigo->setMinimumWidth(520);
    rotulo->setBuddy(EditCodigo);

    BotPdf = new QPushButton(QStringLiteral("Abrir &PDF..."), this);
    BotPdf->setObjectName(QStringLiteral("BotPdf"));
    BotPdf->setAutoDefault(false);

    LabelLeitura = new QLabel(this);
    LabelLeitura->setObjectName(QStringLiteral("LabelLeitura"));
    LabelLeitura->setWordWrap(true);
    LabelLeitura->setTextFormat(Qt::PlainText);
    LabelLeitura->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelLeitura->setFrameShape(QFrame::StyledPanel);
    LabelLeitura->setMinimumHeight(100);
    LabelLeitura->setMargin(6);
    LabelLeitura->setTextInteractionFlags(Qt::TextSelectableByMouse);

    BotOk = new QPushButton(QStringLiteral("OK"), this);
    BotOk->setObjectName(QStringLiteral("BotOk"));
    BotOk->setDefault(true);
    BotCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    BotCancelar->setObjectName(QStringLiteral("BotCancelar"));
    BotCancelar->setAutoDefault(false);

    auto* linhaPdf = new QHBoxLayout;
    linhaPdf->addWidget(BotPdf);
    linhaPdf->addStretch();
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(BotOk);
    botoes->addWidget(BotCancelar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rotulo);
    layout->addWidget(EditCodigo);
    layout->addLayout(linhaPdf);
    layout->addWidget(LabelLeitura, 1);
    layout->addLayout(botoes);

    connect(EditCodigo, &QLineEdit::textChanged, this, [this] { leCampo(); });
    connectGuarded(env_, BotPdf, &QPushButton::clicked, this, [this] { BotPdfClick(); });
    connectGuarded(env_, BotOk, &QPushButton::clicked, this, [this] { BotOkClick(); });
    connect(BotCancelar, &QPushButton::clicked, this, &QDialog::reject);

    perguntaPdf = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Abrir boleto em PDF"), QString(),
                                            QStringLiteral("Boleto em PDF (*.pdf *.PDF)"));
    };
    leCampo();
    EditCodigo->setFocus(Qt::OtherFocusReason);
}

void DialogoCobranca::leCampo() {
    const QString texto = EditCodigo->text();
    campoVazio_ = texto.trimmed().isEmpty();
    leitura_ = lerCobranca(texto.toUtf8().toStdString(), env_.today());
    mostra();
}

void DialogoCobranca::lePdf(const QString& caminho) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LeituraCobranca lida = lerCobrancaPdf(caminho, env_.today());
    QApplication::restoreOverrideCursor();
    if (lida) {
        // The field shows the line found, as if typed; the reading stays the
        // PDF's own.
        const QSignalBlocker semReler(EditCodigo);
        EditCodigo->setText(QString::fromStdString(lida.cobranca->paraPagamento()));
        campoVazio_ = false;
    } else {
        campoVazio_ = false;
    }
    leitura_ = std::move(lida);
    mostra();
}

void DialogoCobranca::mostra() {
    BotOk->setEnabled(bool(leitura_));
    if (leitura_) {
        setFontColor(LabelLeitura, kNavy);
        LabelLeitura->setText(descricao(*leitura_.cobranca));
    } else if (campoVazio_) {
        setFontColor(LabelLeitura, QColor(0x50, 0x50, 0x50));
        LabelLeitura->setText(QStringLiteral(
            "Digite ou cole a linha digitável ou o código PIX, passe o leitor de código de barras "
            "no boleto, ou abra o boleto em PDF."));
    } else {
        setFontColor(LabelLeitura, kVinho);
        LabelLeitura->setText(leitura_.erro);
    }
}

void DialogoCobranca::BotPdfClick() {
    const QString caminho = perguntaPdf ? perguntaPdf() : QString();
    if (caminho.isEmpty()) return;
    lePdf(caminho);
    EditCodigo->setFocus(Qt::OtherFocusReason);
}

void DialogoCobranca::BotOkClick() {
    if (!leitura_) return;  // nothing read: the reason is on screen
    if (!aoConfirmar || aoConfirmar(*leitura_.cobranca)) accept();
}

}  // namespace cp
