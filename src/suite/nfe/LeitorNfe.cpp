#include "suite/nfe/LeitorNfe.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "data/Cp1252.h"
#include "suite/nfe/CamposNfe.h"
#include "suite/nfe/Cnpj.h"
#include "suite/nfe/ValoresNfe.h"

namespace cp {
namespace {

// A refusal: nothing of the file is kept.
struct Recusa {
    QString motivo;
};

LeituraNfe recusada(QString motivo) { return {std::nullopt, std::move(motivo), {}}; }

// Rounded up, so that a file just past the limit does not show as 5,0 MB.
QString megabytes(qint64 bytes) {
    const double decimos = std::ceil(static_cast<double>(bytes) * 10.0 / (1024.0 * 1024.0));
    return QString::number(decimos / 10.0, 'f', 1).replace(u'.', u',');
}

// The text of a field that is stored, as Windows-1252 bytes. Line breaks and
// runs of blanks inside it become one blank, so that a name from a file can
// break neither a list's line nor the log's.
std::string paraGravar(const QString& texto, const QString& campo) {
    const QString s = texto.simplified();
    if (auto bytes = toCp1252(s)) return *bytes;
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t c = s[i].unicode();
        QString visto(s[i]);
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s[i], s[i + 1]);
            visto = s.mid(i, 2);
        }
        if (!toCp1252(visto))
            throw Recusa{
                QStringLiteral("%1 tem o caractere \"%2\" (U+%3), que o banco de dados não "
                               "grava: ele aceita só caracteres do Windows-1252.")
                    .arg(campo, visto, QString::number(c, 16).toUpper().rightJustified(4, u'0'))};
    }
    throw Recusa{QStringLiteral("%1 não pode ser gravado.").arg(campo)};
}

const QString& exigido(const std::optional<QString>& campo, const char16_t* oQue) {
    if (!campo || campo->isEmpty())
        throw Recusa{QStringLiteral("A nota não informa %1.").arg(QString::fromUtf16(oQue))};
    return *campo;
}

std::int64_t valorDe(const QString& texto, const QString& campo) {
    const auto v = lerValorDecimal(texto);
    if (!v)
        throw Recusa{QStringLiteral("%1, \"%2\", não é um valor válido: a nota traz algarismos com "
                                    "ponto decimal e no máximo duas casas.")
                         .arg(campo, texto.left(40))};
    if (*v > kMaiorValorCentavos)
        throw Recusa{QStringLiteral("%1, %2, passa do maior valor que o programa grava (%3).")
                         .arg(campo, texto.left(40), formataReais(kMaiorValorCentavos))};
    return *v;
}

ChaveAcesso chaveDe(const CamposNfe& c) {
    std::optional<ChaveAcesso> daNota, doProtocolo;
    if (c.id) {
        auto lida = lerChaveAcesso(*c.id);
        if (!lida.chave) throw Recusa{lida.erro};
        daNota = lida.chave;
    }
    if (c.chNFe) {
        auto lida = lerChaveAcesso(*c.chNFe);
        if (!lida.chave)
            throw Recusa{QStringLiteral("No protocolo de autorização: %1").arg(lida.erro)};
        doProtocolo = lida.chave;
    }
    if (daNota && doProtocolo && !(*daNota == *doProtocolo))
        throw Recusa{
            QStringLiteral("A chave de acesso da nota (%1) difere da chave do protocolo de "
                           "autorização (%2).")
                .arg(daNota->formatada(), doProtocolo->formatada())};
    if (daNota) return *daNota;
    if (doProtocolo) return *doProtocolo;
    throw Recusa{QStringLiteral("A nota não traz a chave de acesso (atributo Id de infNFe).")};
}

std::string numeroDe(const QString& nNF) {
    const bool algarismos =
        !nNF.isEmpty() && nNF.size() <= 9 &&
        std::all_of(nNF.begin(), nNF.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
    if (!algarismos || nNF.toLongLong() == 0)
        throw Recusa{QStringLiteral("O número da nota (nNF), \"%1\", não é válido: são de 1 a 9 "
                                    "algarismos.")
                         .arg(nNF.left(40))};
    return std::to_string(nNF.toLongLong());
}

QDate emissaoDe(const CamposNfe& c) {
    if (c.dhEmi && !c.dhEmi->isEmpty()) {
        if (auto d = lerDataHoraIso(*c.dhEmi)) return *d;
        throw Recusa{QStringLiteral("A data de emissão (dhEmi), \"%1\", não é uma data e hora "
                                    "válidas.")
                         .arg(c.dhEmi->left(40))};
    }
    const QString& dEmi = exigido(c.dEmi, u"a data de emissão (dhEmi)");
    if (auto d = lerDataIso(dEmi)) return *d;
    throw Recusa{QStringLiteral("A data de emissão (dEmi), \"%1\", não é uma data válida.")
                     .arg(dEmi.left(40))};
}

void emitenteDe(const CamposNfe& c, NotaFiscalLida& nota) {
    if (c.cnpj && !c.cnpj->isEmpty()) {
        nota.documentoEmitente = somenteCaracteres(QStringView(*c.cnpj));
        const QString problema = problemaDoCnpj(nota.documentoEmitente);
        if (!problema.isEmpty()) throw Recusa{QStringLiteral("Emitente da nota: %1").arg(problema)};
    } else {
        const QString& cpf = exigido(c.cpf, u"o CNPJ nem o CPF do emitente");
        nota.documentoEmitente = somenteCaracteres(QStringView(cpf));
        const bool onze =
            nota.documentoEmitente.size() == 11 &&
            nota.documentoEmitente.find_first_not_of("0123456789") == std::string::npos;
        if (!onze)
            throw Recusa{QStringLiteral("O CPF do emitente, \"%1\", não tem 11 algarismos.")
                             .arg(cpf.left(40))};
        nota.emitentePessoaFisica = true;
    }
    nota.nomeEmitente = paraGravar(exigido(c.xNome, u"o nome do emitente (xNome)"),
                                   QStringLiteral("O nome do emitente"));
    if (nota.nomeEmitente.empty())
        throw Recusa{QStringLiteral("A nota não informa o nome do emitente (xNome).")};
    if (c.xFant)
        nota.nomeFantasia = paraGravar(*c.xFant, QStringLiteral("O nome fantasia do emitente"));
}

void duplicatasDe(const CamposNfe& c, NotaFiscalLida& nota, QStringList& avisos) {
    if (c.quantidadeDup > kMaximoParcelas)
        throw Recusa{QStringLiteral("A nota tem %1 parcelas; o programa aceita no máximo %2.")
                         .arg(c.quantidadeDup)
                         .arg(kMaximoParcelas)};
    for (const CamposNfe::Duplicata& d : c.duplicatas) {
        ParcelaNfe p;
        p.numero = static_cast<int>(nota.duplicatas.size()) + 1;
        const QString qual = QStringLiteral("O valor da parcela %1 (vDup)").arg(p.numero);
        if (!d.vDup || d.vDup->isEmpty())
            throw Recusa{QStringLiteral("A parcela %1 não informa o valor (vDup).").arg(p.numero)};
        p.valor = valorDe(*d.vDup, qual);
        if (d.nDup)
            p.documento =
                paraGravar(*d.nDup, QStringLiteral("O número da parcela %1").arg(p.numero));
        if (!d.dVenc || d.dVenc->isEmpty()) {
            p.vencimento = nota.emissao;
            avisos << QStringLiteral(
                          "A parcela %1 não traz vencimento; fica para o dia da emissão "
                          "(%2).")
                          .arg(p.numero)
                          .arg(formataData(nota.emissao));
        } else if (auto v = lerDataIso(*d.dVenc)) {
            p.vencimento = *v;
            if (*v < nota.emissao)
                avisos << QStringLiteral("A parcela %1 vence em %2, antes da emissão da nota (%3).")
                              .arg(p.numero)
                              .arg(formataData(*v), formataData(nota.emissao));
        } else {
            throw Recusa{QStringLiteral("O vencimento da parcela %1 (dVenc), \"%2\", não é uma "
                                        "data válida.")
                             .arg(p.numero)
                             .arg(d.dVenc->left(40))};
        }
        nota.duplicatas.push_back(std::move(p));
    }
    if (nota.duplicatas.empty()) return;
    const std::int64_t soma =
        std::accumulate(nota.duplicatas.begin(), nota.duplicatas.end(), std::int64_t{0},
                        [](std::int64_t s, const ParcelaNfe& p) { return s + p.valor; });
    if (soma != nota.valorTotal)
        avisos << QStringLiteral(
                      "A soma das parcelas (%1) difere do total da nota (%2); as "
                      "parcelas ficam como a nota as traz.")
                      .arg(formataReais(soma), formataReais(nota.valorTotal));
}

// The key repeats the number and the issuer; a file where they differ was
// not written by the issuer's system as authorised.
void confereChave(const NotaFiscalLida& nota, QStringList& avisos) {
    if (nota.chave.numero() != nota.numero)
        avisos << QStringLiteral("O número da chave de acesso (%1) difere do número da nota (%2).")
                      .arg(QString::fromStdString(nota.chave.numero()),
                           QString::fromStdString(nota.numero));
    const std::string doc =
        nota.emitentePessoaFisica ? "000" + nota.documentoEmitente : nota.documentoEmitente;
    if (nota.chave.cnpj() != doc)
        avisos << QStringLiteral("O CNPJ da chave de acesso (%1) difere do %2 do emitente (%3).")
                      .arg(QString::fromStdString(formataCnpj(nota.chave.cnpj())),
                           nota.emitentePessoaFisica ? QStringLiteral("CPF")
                                                     : QStringLiteral("CNPJ"),
                           QString::fromStdString(nota.emitentePessoaFisica
                                                      ? nota.documentoEmitente
                                                      : formataCnpj(nota.documentoEmitente)));
}

LeituraNfe interpreta(const CamposNfe& c) {
    LeituraNfe r;
    NotaFiscalLida nota{chaveDe(c)};
    if (c.protocolo && c.cStat) {
        bool ok = false;
        const int cStat = c.cStat->toInt(&ok);
        if (ok && cStat > 0 && cStat < 1000) nota.situacao = cStat;
    }
    if (c.xMotivo) nota.motivoSituacao = c.xMotivo->simplified().left(255);
    nota.numero = numeroDe(exigido(c.nNF, u"o número (nNF)"));
    nota.emissao = emissaoDe(c);
    nota.valorTotal = valorDe(exigido(c.vNF, u"o valor total (vNF)"),
                              QStringLiteral("O valor total da nota (vNF)"));
    emitenteDe(c, nota);
    duplicatasDe(c, nota, r.avisos);
    // A code the layout does not have is dropped: the caller keeps its default.
    auto algarismo = [](QChar ch) { return ch >= u'0' && ch <= u'9'; };
    const bool doisAlgarismos =
        c.tPag && c.tPag->size() == 2 && algarismo(c.tPag->at(0)) && algarismo(c.tPag->at(1));
    if (doisAlgarismos) nota.tipoPagamento = c.tPag->toStdString();
    confereChave(nota, r.avisos);
    r.nota = std::move(nota);
    return r;
}

}  // namespace

bool NotaFiscalLida::autorizada() const { return situacao && situacaoAutorizada(*situacao); }

QString NotaFiscalLida::descricaoSituacao() const {
    return descricaoDaSituacao(situacao, motivoSituacao);
}

LeituraNfe lerNfe(const QByteArray& xml) {
    if (xml.size() > kMaiorArquivoNfe)
        return recusada(
            QStringLiteral("O arquivo tem %1 MB; o programa lê notas fiscais de até 5 MB.")
                .arg(megabytes(xml.size())));
    CamposNfe campos;
    const QString erro = lerCamposNfe(xml, kMaximoParcelas, campos);
    if (!erro.isEmpty()) return recusada(erro);
    try {
        return interpreta(campos);
    } catch (const Recusa& r) {
        return recusada(r.motivo);
    }
}

LeituraNfe lerNfeArquivo(const QString& caminho) {
    const QFileInfo info(caminho);
    if (info.isDir())
        return recusada(QStringLiteral("\"%1\" é uma pasta, não um arquivo de NF-e.").arg(caminho));
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        return recusada(QStringLiteral("Não foi possível abrir o arquivo \"%1\": %2.")
                            .arg(caminho, arquivo.errorString()));
    if (arquivo.size() > kMaiorArquivoNfe)
        return recusada(
            QStringLiteral("O arquivo tem %1 MB; o programa lê notas fiscais de até 5 MB.")
                .arg(megabytes(arquivo.size())));
    // One byte past the limit, so that a file that grew since its size was
    // taken is still refused rather than read in part.
    const QByteArray dados = arquivo.read(kMaiorArquivoNfe + 1);
    if (arquivo.error() != QFileDevice::NoError)
        return recusada(QStringLiteral("Não foi possível ler o arquivo \"%1\": %2.")
                            .arg(caminho, arquivo.errorString()));
    return lerNfe(dados);
}

std::vector<ParcelaNfe> parcelasDaNota(const NotaFiscalLida& nota) {
    if (!nota.duplicatas.empty()) return nota.duplicatas;
    return {ParcelaNfe{1, nota.numero, nota.emissao, nota.valorTotal}};
}

}  // namespace cp
