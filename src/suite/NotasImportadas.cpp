#include "suite/NotasImportadas.h"

#include "data/Connection.h"
#include "data/Cp1252.h"
#include "fb/fb.h"
#include "suite/TabelasProprias.h"
#include "suite/nfe/Cnpj.h"
#include "suite/nfe/ValoresNfe.h"

namespace cp {

namespace {

std::string semBrancos(std::string_view s) {
    const auto ini = s.find_first_not_of(' ');
    if (ini == std::string_view::npos) return {};
    const auto fim = s.find_last_not_of(' ');
    return std::string(s.substr(ini, fim - ini + 1));
}

std::string texto(const fb::Cursor& c, unsigned col) {
    return c.isNull(col) ? std::string() : semBrancos(c.asText(col));
}

QDate data(const fb::Cursor& c, unsigned col) {
    if (c.isNull(col)) return {};
    const fb::Date d = c.asDate(col);
    return QDate(d.year, d.month, d.day);
}

std::int64_t centavos(const fb::Cursor& c, unsigned col) {
    if (c.isNull(col)) return 0;
    fb::Decimal d = c.asDecimal(col);
    for (; d.scale < 2; ++d.scale) d.value *= 10;
    for (; d.scale > 2; --d.scale) d.value /= 10;
    return d.value;
}

bool eAtual(const std::optional<ContaAtual>& atual, std::int64_t codigo,
            const std::string& estacao) {
    return atual && atual->codigo == codigo && atual->estacao == estacao;
}

// Same supplier: by CNPJ when both sides carry one, else by the supplier's
// code, else by the name (upper case, blanks around it aside).
bool mesmoFornecedor(const FornecedorDaConta& a, const std::string& cnpjB,
                     const std::int64_t* codigoB, const std::string& nomeB) {
    const std::string cnpj = somenteCaracteres(std::string_view(cnpjB));
    if (!a.cnpj.empty() && !cnpj.empty()) return a.cnpj == cnpj;
    if (a.codigo && codigoB) return *a.codigo == *codigoB;
    const std::string nome = upperAZ(semBrancos(a.nome));
    return !nome.empty() && nome == upperAZ(semBrancos(nomeB));
}

}  // namespace

std::string numeroDaNota(std::string_view nfiscal) {
    std::string n = semBrancos(nfiscal);
    const auto zeros = n.find_first_not_of('0');
    return zeros == std::string::npos ? (n.empty() ? n : "0") : n.substr(zeros);
}

void garanteNotasImportadas(Connection& conexao) {
    garanteTabela(conexao, kTabelaNotasImportadas,
                  "CREATE TABLE CP_NFE_CONTA (CODIGOCPR INTEGER NOT NULL, ESTACAO VARCHAR(2) NOT "
                  "NULL, CHAVENFE VARCHAR(44) NOT NULL, CONSTRAINT PK_CP_NFE_CONTA PRIMARY KEY "
                  "(CODIGOCPR, ESTACAO))",
                  {"CREATE INDEX IX_CP_NFE_CONTA_CHAVE ON CP_NFE_CONTA (CHAVENFE)"});
}

void gravaChaveDaConta(fb::Transaction& tr, std::int64_t codigo, const std::string& estacao,
                       const std::string& chave) {
    tr.execute(
        "update or insert into CP_NFE_CONTA (CODIGOCPR, ESTACAO, CHAVENFE) values (?, ?, ?) "
        "matching (CODIGOCPR, ESTACAO)",
        {codigo, estacao, chave});
}

std::optional<ContaLancada> contaComChave(Connection& conexao, const std::string& chave,
                                          const std::optional<ContaAtual>& atual) {
    if (!tabelaExiste(conexao, kTabelaNotasImportadas)) return std::nullopt;
    return conexao.run([&](fb::Attachment& a) -> std::optional<ContaLancada> {
        fb::Transaction tr = a.startTransaction();
        fb::Cursor c = tr.open(
            "select C.CODIGOCPR, C.ESTACAO, C.NFISCAL, C.NOMECLIFOR, C.VALORTOTAL, C.DATA from "
            "CP_NFE_CONTA N join CONTASPR C on C.CODIGOCPR = N.CODIGOCPR and C.ESTACAO = "
            "N.ESTACAO where N.CHAVENFE = ? and C.NATUREZA = 'P' order by C.CODIGOCPR",
            {chave});
        std::optional<ContaLancada> achada;
        while (!achada && c.fetch()) {
            ContaLancada l{c.asInt64(0), texto(c, 1),    texto(c, 2),
                           texto(c, 3),  centavos(c, 4), data(c, 5)};
            if (!eAtual(atual, l.codigo, l.estacao)) achada = std::move(l);
        }
        c.close();
        tr.commit();
        return achada;
    });
}

std::optional<ContaLancada> contaComNota(Connection& conexao, const std::string& nfiscal,
                                         const FornecedorDaConta& fornecedor,
                                         const std::optional<ContaAtual>& atual) {
    const std::string numero = numeroDaNota(nfiscal);
    if (numero.empty() || !fornecedor.conhecido()) return std::nullopt;
    return conexao.run([&](fb::Attachment& a) -> std::optional<ContaLancada> {
        fb::Transaction tr = a.startTransaction();
        // The candidates hold the number somewhere; the comparison proper
        // (zeros and blanks aside, and the supplier) is made here.
        fb::Cursor c = tr.open(
            "select CODIGOCPR, ESTACAO, NFISCAL, NOMECLIFOR, VALORTOTAL, DATA, CNPJCLIFOR, "
            "CODIGOCLIFOR from CONTASPR where NATUREZA = 'P' and NFISCAL containing ? order by "
            "CODIGOCPR",
            {numero});
        std::optional<ContaLancada> achada;
        while (!achada && c.fetch()) {
            ContaLancada l{c.asInt64(0), texto(c, 1),    texto(c, 2),
                           texto(c, 3),  centavos(c, 4), data(c, 5)};
            if (eAtual(atual, l.codigo, l.estacao) || numeroDaNota(l.nfiscal) != numero) continue;
            const std::int64_t codigo = c.isNull(7) ? 0 : c.asInt64(7);
            if (mesmoFornecedor(fornecedor, texto(c, 6), c.isNull(7) ? nullptr : &codigo,
                                l.fornecedor))
                achada = std::move(l);
        }
        c.close();
        tr.commit();
        return achada;
    });
}

QString perguntaNotaLancada(const ContaLancada& conta, const std::string& nomeSeVazio) {
    const std::string& nome = conta.fornecedor.empty() ? nomeSeVazio : conta.fornecedor;
    QString de = nome.empty() ? QString() : QStringLiteral(" de ") + fromCp1252(nome);
    QString valor = formataReais(conta.valorTotal);
    if (conta.data.isValid()) valor += QStringLiteral(", de ") + formataData(conta.data);
    return QStringLiteral("A nota fiscal %1%2 já está lançada na conta %3 (%4). Lançar outra vez?")
        .arg(fromCp1252(conta.nfiscal), de, QString::number(conta.codigo), valor);
}

}  // namespace cp
