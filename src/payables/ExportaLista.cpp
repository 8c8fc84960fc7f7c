#include "payables/ExportaLista.h"

#include <QIODevice>
#include <stdexcept>

#include "data/Cp1252.h"
#include "payables/RelatorioLista.h"

namespace cp {

namespace {

const char kFimLinha[] = "\r\n";

class Escritor {
  public:
    explicit Escritor(QIODevice& out) : out_(out) { buf_.reserve(1 << 17); }

    void campo(const QString& texto) {
        separa();
        buf_ += campoCsv(texto);
    }
    void numero(const QString& texto) {  // amounts, dates, whole numbers: never quoted
        separa();
        buf_ += texto.toLatin1();
    }
    void inteiro(std::optional<std::int64_t> v) {
        separa();
        if (v) buf_ += QByteArray::number(static_cast<qlonglong>(*v));
    }
    void fimLinha() {
        buf_ += kFimLinha;
        primeiro_ = true;
        if (buf_.size() >= (1 << 16)) descarrega();
    }
    void linha(std::initializer_list<QString> campos) {
        for (const QString& c : campos) campo(c);
        fimLinha();
    }
    void descarrega() {
        if (buf_.isEmpty()) return;
        if (out_.write(buf_) != buf_.size())
            throw std::runtime_error(out_.errorString().toStdString());
        buf_.clear();
    }

  private:
    void separa() {
        if (!primeiro_) buf_ += ';';
        primeiro_ = false;
    }

    QIODevice& out_;
    QByteArray buf_;
    bool primeiro_ = true;
};

void subtotais(Escritor& e, const std::vector<Subtotal>& lista, bool porData) {
    for (const Subtotal& s : lista) {
        if (porData)
            e.numero(dataCompleta(s.vencimento));
        else
            e.campo(fromCp1252(s.fornecedor));
        e.inteiro(s.parcelas);
        e.numero(valorVirgula(s.aPagar));
        e.numero(valorVirgula(s.pago));
        e.fimLinha();
    }
}

}  // namespace

QByteArray campoCsv(const QString& texto) {
    QString t = texto;
    if (!t.isEmpty()) {
        const QChar c = t.front();
        if (c == u'=' || c == u'+' || c == u'-' || c == u'@') t.prepend(QLatin1Char('\''));
    }
    const bool aspas = t.contains(QLatin1Char(';')) || t.contains(QLatin1Char('"')) ||
                       t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r'));
    if (!aspas) return t.toUtf8();
    t.replace(QLatin1String("\""), QLatin1String("\"\""));
    return '"' + t.toUtf8() + '"';
}

bool escreveCsv(QIODevice& out, const RelatorioLista& r, Progresso& progresso) {
    const int n = static_cast<int>(r.linhas.size());
    progresso.total = n + 1;
    Escritor e(out);
    if (out.write("\xEF\xBB\xBF", 3) != 3)  // UTF-8 byte-order mark
        throw std::runtime_error(out.errorString().toStdString());

    e.linha({r.titulo});
    e.campo(QStringLiteral("Período"));
    e.numero(dataCompleta(r.inicio));
    e.campo(QStringLiteral("a"));
    e.numero(dataCompleta(r.fim));
    e.fimLinha();
    e.linha({QStringLiteral("Exibição"), textoExibicao(r.apenasAPagar)});
    e.linha({QStringLiteral("Área de trabalho"), r.areaTrabalho});
    e.linha({QStringLiteral("Operador"), r.operador});
    e.campo(QStringLiteral("Emitido em"));
    e.numero(dataCompleta(r.emitidoEm.date()) + QLatin1Char(' ') +
             r.emitidoEm.time().toString(QStringLiteral("HH:mm")));
    e.fimLinha();
    e.fimLinha();

    e.linha({QStringLiteral("Data Venc."), QStringLiteral("Descrição"),
             QStringLiteral("Fornecedor"), QStringLiteral("N. Fiscal"), QStringLiteral("Parc."),
             QStringLiteral("Valor R$"), QStringLiteral("Data Pgto."),
             QStringLiteral("Val Pago R$"), QStringLiteral("N. Docum."),
             QStringLiteral("CODIGOCPR"), QStringLiteral("Linha digitável / código PIX")});
    for (int i = 0; i < n; ++i) {
        if ((i & 1023) == 0) {
            if (progresso.cancelado) return false;
            progresso.feito = i;
        }
        const LinhaLista& l = r.linhas[static_cast<std::size_t>(i)];
        e.numero(dataCompleta(l.vencimento));
        e.campo(fromCp1252(l.descricao()));
        e.campo(fromCp1252(l.fornecedor()));
        e.campo(fromCp1252(l.notaFiscal()));
        e.inteiro(l.numParcela);
        e.numero(valorVirgula(l.valorParcela));
        e.numero(dataCompleta(l.pagoEm));
        e.numero(valorVirgula(l.valorPago));
        e.inteiro(l.numDocumento);
        e.inteiro(l.codigoCPR);
        e.campo(fromCp1252(l.linhaCobranca()));
        e.fimLinha();
    }
    if (progresso.cancelado) return false;

    e.fimLinha();
    e.linha({QStringLiteral("Subtotais por vencimento")});
    e.linha({QStringLiteral("Data Venc."), QStringLiteral("Parcelas"), QStringLiteral("A pagar R$"),
             QStringLiteral("Pago R$")});
    subtotais(e, subtotaisPorVencimento(r.linhas), true);
    e.fimLinha();
    e.linha({QStringLiteral("Subtotais por fornecedor")});
    e.linha({QStringLiteral("Fornecedor"), QStringLiteral("Parcelas"), QStringLiteral("A pagar R$"),
             QStringLiteral("Pago R$")});
    subtotais(e, subtotaisPorFornecedor(r.linhas), false);
    e.fimLinha();
    e.campo(QStringLiteral("Total a pagar R$"));
    e.numero(totalVirgula(r.totalAPagar));
    e.fimLinha();
    e.campo(QStringLiteral("Total pago R$"));
    e.numero(totalVirgula(r.totalPago));
    e.fimLinha();
    e.descarrega();
    progresso.feito = n + 1;
    return !progresso.cancelado;
}

}  // namespace cp
