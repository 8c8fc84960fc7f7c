// The import of an NF-e with 12 installments in the started program, next to
// 100,000 installments (and 10,000 accounts) of other bills: from the file to
// the account shown, then "Voltar", which writes the account, its
// installments and its key in one transaction and shows the list again.
// Against it, the raw client sending the same statements, in the same
// transactions, in the same run.
//
//   BM_ImportaNfe12        the program: import, then "Voltar"
//   BM_ImportaNfe12_Bruto  the raw client: the program's statements, values
//                          written in the text
//
// The parse of a 1 MB NF-e is timed in nfe_bench. Printed at the end: the
// ratio program / raw.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <memory>
#include <string>
#include <vector>

#include "RawClient.h"
#include "app/ImportacaoNaJanela.h"
#include "entry/ImportaNfe.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/NfeDeTeste.h"
#include "support/ProgramaEmTeste.h"
#include "support/Semeia.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace {

using namespace cp;
using namespace cp::test;

void semeia(fb::Attachment& a, fb::Attachment& estacao, const TestEnvironment& env) {
    a.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'BRUNDELO01', ?)",
              {env.osUserName().toStdString()});
    a.execute(
        "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) values ('PADRAO', 'BOLETO', "
        "'12345-6')");
    a.execute(
        "insert into FORNECED (CODIGO, NOME, NOMEFANTASIA, CNPJ) values ('7', 'DISTRIBUIDORA SAO "
        "JOSE LTDA', 'FARMAJOSE', '11.222.333/0001-81')");
    a.execute(
        "execute block as declare i integer = 1; begin while (i <= 10000) do begin "
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR, NFISCAL, VALORTOTAL, "
        "DATA) values (:i, '01', 'P', 'FORNECEDOR ' || mod(:i, 300), :i, 100.00, "
        "dateadd(mod(:i, 700) day to date '2023-01-01')); i = i + 1; end end");
    a.execute(
        "execute block as declare i integer = 1; begin while (i <= 100000) do begin "
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM) values (:i, 1 + (:i - 1) / 10, '01', mod(:i, 10) + 1, 10.00, "
        "dateadd(mod(:i, 700) day to date '2023-01-01')); i = i + 1; end end");
    estacao.execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-03-01', '2024-03-31')");
}

struct Suite {
    TestEnvironment env;
    SuiteDatabases dbs{env.suiteDir()};
    QString arquivo;
    Suite() {
        env.setNow(QDateTime(QDate(2024, 3, 20), QTime(9, 30)));
        semeia(dbs.shared(), dbs.workstation(), env);
        dbs.release();
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"), linhaIni(kRotuloLogoff, "10"));
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");
        NfeDeTeste n;
        n.parcelasIguais(12, 10289);
        arquivo = n.grava(QDir(env.suiteDir()).filePath(QStringLiteral("nota.xml")));
    }
};

Suite& suite() {
    static Suite s;
    return s;
}

// What an import leaves is taken away before the next one.
void apaga(fb::Attachment& a) {
    a.execute("delete from PARCELAS where CODIGOCPR > 10000");
    a.execute("delete from CONTASPR where CODIGOCPR > 10000");
    a.execute("delete from CP_NFE_CONTA");
}

std::string listaSql;  // the due list's statement, as the program last opened it

void BM_ImportaNfe12(benchmark::State& state) {
    Suite& s = suite();
    ProgramaEmTeste p;
    if (!p.inicia(s.env, s.env.suiteDir()) || !p.ativa())
        return state.SkipWithError("start-up failed");
    fb::Attachment a = fb::Attachment::attach(fbClient(), s.dbs.sharedPath(), testAttachParams());
    for (auto _ : state) {
        if (!p.form->nfe->importacao->importa(s.arquivo) || p.dm->Parcelas.recordCount() != 12) {
            const std::string porque = s.env.messages.join('\n').toStdString();
            return state.SkipWithError(("import failed: " + porque).c_str());
        }
        p.form->BitBtn11->click();
        state.PauseTiming();
        if (!s.env.messages.isEmpty()) {
            const std::string porque = s.env.messages.join('\n').toStdString();
            return state.SkipWithError(("Voltar failed: " + porque).c_str());
        }
        apaga(a);
        state.ResumeTiming();
    }
    listaSql = p.dm->Query2.commandText();
    p.encerra();
}

void BM_ImportaNfe12_Bruto(benchmark::State& state) {
    Suite& s = suite();
    fb::Attachment limpa =
        fb::Attachment::attach(fbClient(), s.dbs.sharedPath(), testAttachParams());
    RawSession raw(s.dbs.sharedPath(), true);
    if (raw.failed() || listaSql.empty()) return state.SkipWithError("no raw session");
    const std::string campos = kCamposCPR;
    const std::string contas =
        "Select " + campos + " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR";
    for (auto _ : state) {
        // The reads of the import: supplier, repetitions, the key's table.
        raw.fetchAll(std::string("Select ") + kCamposFornecedor +
                     " from FORNECED where upper(replace(replace(replace(replace(CNPJ, '.', ''), "
                     "'/', ''), '-', ''), ' ', '')) in ('11222333000181') order by NOMEFANTASIA");
        raw.fetchAll("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = 'CP_NFE_CONTA'");
        raw.fetchAll(
            "select C.CODIGOCPR, C.ESTACAO, C.NFISCAL, C.NOMECLIFOR, C.VALORTOTAL, C.DATA from "
            "CP_NFE_CONTA N join CONTASPR C on C.CODIGOCPR = N.CODIGOCPR and C.ESTACAO = "
            "N.ESTACAO where N.CHAVENFE = '35240311222333000181550010000123451123456789' and "
            "C.NATUREZA = 'P' order by C.CODIGOCPR");
        raw.fetchAll(
            "select CODIGOCPR, ESTACAO, NFISCAL, NOMECLIFOR, VALORTOTAL, DATA, CNPJCLIFOR, "
            "CODIGOCLIFOR from CONTASPR where NATUREZA = 'P' and NFISCAL containing '12345' "
            "order by CODIGOCPR");
        raw.fetchAll("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = 'CP_NFE_CONTA'");
        // "Nova conta": the accounts, the highest number, the new account's
        // installments; each installment's highest code and position.
        raw.fetchAll(contas);
        raw.fetchAll("Select MaX(CODIGOCPR) as MaiorCodCPR from CONTASPR");
        raw.fetchAll("Select " + std::string(kCamposParcelas) +
                     " from PARCELAS where CODIGOCPR = 10001");
        for (int i = 0; i < 12; ++i) {
            raw.fetchAll("Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS");
            raw.fetchAll(
                "Select MaX(NUMPARCELA) as MaiorNumParc from PARCELAS where CODIGOCPR=10001 and "
                "CODIGOPARC=100001");
        }
        // "Voltar": account, installments and key in one transaction.
        std::vector<std::string> escrita = {
            "select ESTACAO from ESTACOES where ESTACAO = (select min(ESTACAO) from ESTACOES) "
            "with lock",
            "select min(ESTACAO) from ESTACOES",
            "select 1 from RDB$DATABASE where exists (select 1 from CONTASPR where CODIGOCPR = "
            "10001) or exists (select 1 from PARCELAS where CODIGOCPR = 10001)",
            "savepoint CP_ALTERACAO", "Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS"};
        for (int i = 1; i <= 12; ++i)
            escrita.push_back(
                "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
                "DATAVENCIM, CODIGOCTA, MEIO, NATUREZA) values (" +
                std::to_string(100000 + i) + ", 10001, '01', " + std::to_string(i) +
                ", 102.89, '2024-04-04', '12345-6', 'Boleto', 'P')");
        escrita.push_back(
            "update or insert into CP_NFE_CONTA (CODIGOCPR, ESTACAO, CHAVENFE) values (10001, "
            "'01', '35240311222333000181550010000123451123456789') matching (CODIGOCPR, ESTACAO)");
        escrita.push_back(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, VALORTOTAL, DATA, NFISCAL, "
            "ESTACAOCLIFOR, CODIGOCLIFOR, NOMECLIFOR, DATAREGISTRO, HORAREGISTRO) values (10001, "
            "'01', 'P', 1234.68, '2024-03-05', '12345', 'FF', 7, 'DISTRIBUIDORA SAO JOSE LTDA', "
            "'2024-03-20', '09:30:00')");
        escrita.push_back("release savepoint CP_ALTERACAO only");
        if (!raw.executeAll(escrita)) return state.SkipWithError("raw write failed");
        // Read again as stored, and the list shown again.
        raw.fetchAll(contas);
        raw.fetchAll("Select " + std::string(kCamposParcelas) +
                     " from PARCELAS where CODIGOCPR = 10001");
        raw.fetchAll(listaSql);
        state.PauseTiming();
        apaga(limpa);
        state.ResumeTiming();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RegisterBenchmark("BM_ImportaNfe12", BM_ImportaNfe12)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_ImportaNfe12_Bruto", BM_ImportaNfe12_Bruto)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"BM_ImportaNfe12/iterations:20", "BM_ImportaNfe12_Bruto/iterations:20",
                             "importação de NF-e com 12 parcelas / cliente bruto"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
