// Reading of the NF-e of a distributor: 990 product items (as many as an
// invoice may have), each with its taxes, about 1 MB of XML, and twelve
// installments. The reader skips the items, but it still has to walk every
// one of their elements; the operator waits for it after choosing the file.
//
//   BM_LerNfeDistribuidora   lerNfe over the bytes already in memory
//   BM_SoTokensDoXml         the same bytes through a bare QXmlStreamReader
//                            loop: the floor that any reader built on it has
//
// Counter: kb, the size of the file read.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QXmlStreamReader>

#include "suite/nfe/LeitorNfe.h"

namespace {

// UF 35, March 2024, CNPJ 11.222.333/0001-81, number 12345: check digit 9.
constexpr const char* kChave = "35240311222333000181550010000123451123456789";

QString item(int n) {
    return QStringLiteral(
               "<det nItem=\"%1\"><prod><cProd>%2</cProd><cEAN>78912345%3</cEAN>"
               "<xProd>INSUMO FARMACEUTICO LOTE %2 - EMBALAGEM 1KG - FORNECEDOR HOMOLOGADO</xProd>"
               "<NCM>29400000</NCM><CEST>1300100</CEST><CFOP>5102</CFOP><uCom>KG</uCom>"
               "<qCom>1.0000</qCom><vUnCom>10.0000000000</vUnCom><vProd>10.00</vProd>"
               "<cEANTrib>78912345%3</cEANTrib><uTrib>KG</uTrib><qTrib>1.0000</qTrib>"
               "<vUnTrib>10.0000000000</vUnTrib><indTot>1</indTot><xPed>PED-4512</xPed>"
               "<nItemPed>%1</nItemPed><rastro><nLote>L%2</nLote><qLote>1.000</qLote>"
               "<dFab>2024-01-10</dFab><dVal>2026-01-10</dVal></rastro></prod><imposto>"
               "<vTotTrib>3.10</vTotTrib><ICMS><ICMS00><orig>0</orig><CST>00</CST>"
               "<modBC>3</modBC><vBC>10.00</vBC><pICMS>18.0000</pICMS><vICMS>1.80</vICMS>"
               "</ICMS00></ICMS><IPI><cEnq>999</cEnq><IPINT><CST>53</CST></IPINT></IPI><PIS>"
               "<PISAliq><CST>01</CST><vBC>10.00</vBC><pPIS>1.6500</pPIS><vPIS>0.17</vPIS>"
               "</PISAliq></PIS><COFINS><COFINSAliq><CST>01</CST><vBC>10.00</vBC>"
               "<pCOFINS>7.6000</pCOFINS><vCOFINS>0.76</vCOFINS></COFINSAliq></COFINS>"
               "</imposto><infAdProd>Produto sujeito a controle de qualidade na entrada; "
               "certificado de análise enviado junto com a mercadoria.</infAdProd></det>")
        .arg(n)
        .arg(100000 + n)
        .arg(n, 5, 10, QLatin1Char('0'));
}

QByteArray notaDeDistribuidora() {
    constexpr int kItens = 990;
    QString itens;
    for (int n = 1; n <= kItens; ++n) itens += item(n);
    QString dups;
    for (int p = 1; p <= 12; ++p) {
        const QDate vencimento = QDate(2024, 3, 5).addMonths(p);
        dups += QStringLiteral("<dup><nDup>%1</nDup><dVenc>%2</dVenc><vDup>825.00</vDup></dup>")
                    .arg(p, 3, 10, QLatin1Char('0'))
                    .arg(vencimento.toString(Qt::ISODate));
    }
    const QString xml =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc versao=\"4.00\" "
            "xmlns=\"http://www.portalfiscal.inf.br/nfe\"><NFe><infNFe versao=\"4.00\" "
            "Id=\"NFe%1\">"
            "<ide><cUF>35</cUF><natOp>VENDA</natOp><mod>55</mod><serie>1</serie><nNF>12345</nNF>"
            "<dhEmi>2024-03-05T10:20:30-03:00</dhEmi></ide><emit><CNPJ>11222333000181</CNPJ>"
            "<xNome>Distribuidora Farmacêutica São José Ltda</xNome><xFant>Farmajosé</xFant></emit>"
            "%2<total><ICMSTot><vProd>9900.00</vProd><vNF>9900.00</vNF></ICMSTot></total>"
            "<cobr>%3</cobr><pag><detPag><tPag>15</tPag><vPag>9900.00</vPag></detPag></pag>"
            "</infNFe></NFe><protNFe versao=\"4.00\"><infProt><chNFe>%1</chNFe><cStat>100</cStat>"
            "<xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe></nfeProc>")
            .arg(QLatin1StringView(kChave), itens, dups);
    return xml.toUtf8();
}

void BM_LerNfeDistribuidora(benchmark::State& state) {
    const QByteArray xml = notaDeDistribuidora();
    // A benchmark of a read that fails would time the wrong thing.
    const cp::LeituraNfe prova = cp::lerNfe(xml);
    if (!prova.lida() || prova.nota->duplicatas.size() != 12 || !prova.avisos.isEmpty()) {
        state.SkipWithError(("the invoice was not read as built: " + prova.erro.toStdString() +
                             prova.avisos.join(u' ').toStdString())
                                .c_str());
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(cp::lerNfe(xml));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * xml.size());
    state.counters["kb"] = static_cast<double>(xml.size()) / 1024.0;
}
BENCHMARK(BM_LerNfeDistribuidora)->Unit(benchmark::kMillisecond);

void BM_SoTokensDoXml(benchmark::State& state) {
    const QByteArray xml = notaDeDistribuidora();
    for (auto _ : state) {
        QXmlStreamReader leitor(xml);
        while (!leitor.atEnd()) leitor.readNext();
        benchmark::DoNotOptimize(leitor.hasError());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * xml.size());
}
BENCHMARK(BM_SoTokensDoXml)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
