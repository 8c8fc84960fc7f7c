// The due list and the settlement commands against the tests' server: the
// statements as the server receives them, in order, and how many each
// action sends.
#include <algorithm>

#include "ListaFixture.h"
#include "support/FbServer.h"
#include "support/LocaleGuard.h"
#include "support/Semeia.h"

namespace cp::test {

namespace {

const char* const kListaMarco =
    "Select A.CodigoParc, A.Estacao, A.NPedido, A.CodigoCPR, A.DataVencim, A.NumParcela, "
    "A.NumDocumento, A.ValorParcela, A.DataPagto, A.ValorPago, B.NomeCliFor, B.CodigoCPR, "
    "B.Natureza, B.Descricao, B.NFiscal from Parcelas A, ContasPR B where B.Natureza = 'P' and "
    "A.CodigoCPR = B.CodigoCPR and (A.DataVencim >= '03/01/2024' and A.DataVencim <= "
    "'03/31/2024')";
const char* const kOrdem = " order by A.DataVencim";

}  // namespace

TEST(ServerLista, ListAndSettlementStatementsReachTheServerCharacterForCharacter) {
    CP_REQUIRE_FB_SERVER();
    LocaleGuard brasil;
    TestEnvironment env;
    ServerDatabases server;
    server.shared().execute(
        "insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'BRUNDELO01', ?)",
        {env.osUserName().toStdString()});
    server.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR) values (417, '01', 'P', "
        "'DROGA CENTRAL')");
    server.shared().execute(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, DATAVENCIM, VALORPARCELA) "
        "values (9, 417, 2, '2024-03-15', 150.00)");
    server.workstation().execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-03-01', '2024-03-31')");
    server.release();
    suiteNoServidor(env, serverHost());

    {
        // The program's start in browser mode, up to the end of the window's
        // activation (which reads the period and builds the unpaid view).
        // The list is read once: the second build of the start asks for the
        // same statement and takes the rows of the first.
        ProgramaEmTeste p;
        TraceSession inicio;
        inicio.start(server.sharedConnect());
        ASSERT_TRUE(p.inicia(env, env.suiteDir()));
        ASSERT_TRUE(p.ativa()) << env.messages.join('\n').toStdString();
        ASSERT_EQ(p.dm->SQLConnection1.database(), server.sharedConnect());
        ListaContas* lista = p.form->lista.get();
        const std::vector<std::string> partida = inicio.stop();
        const std::string aPagar = std::string(kListaMarco) + kFiltroAPagar + kOrdem;
        EXPECT_EQ(std::count(partida.begin(), partida.end(), aPagar), 1);

        TraceSession trace;
        trace.start(server.sharedConnect());
        lista->CarregaPeriodo();  // unpaid view
        lista->Quitarestaconta1Click();
        lista->BitBtn2Click();  // all installments
        lista->Cancelarquitao1Click();
        // Nothing of the work area's database is read meanwhile: the period
        // row is in memory.
        const std::vector<std::string> compartilhado = trace.stop();

        const std::string todas = std::string(kListaMarco) + kOrdem;
        // Each read of the list that has rows looks for the slips kept with
        // them: here the table of the slips is not there yet.
        const std::string cobrancas = "select 1 from RDB$RELATIONS where RDB$RELATION_NAME = ?";
        const std::vector<std::string> esperado = {
            aPagar,
            cobrancas,
            "Update PARCELAS set DATAPAGTO = '03/15/24', VALORPAGO = '150.00' where  NUMPARCELA "
            "= 2 and  CODIGOCPR = 417",
            aPagar,  // the list read again, now empty
            aPagar,  // and rebuilt
            todas,
            cobrancas,
            "Update PARCELAS set DATAPAGTO = NULL, VALORPAGO = NULL where  NumParcela = 2 and  "
            "CODIGOCPR = 417",
            todas,
            cobrancas,
            todas,
            cobrancas,
        };
        EXPECT_EQ(compartilhado, esperado);
        lista->MontaQuery2();
        EXPECT_EQ(lista->Label2->text(), QStringLiteral("R$ 150,00"));
        p.encerra();
    }
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

}  // namespace cp::test
