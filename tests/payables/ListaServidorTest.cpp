// The due list and the settlement commands against the tests' server: the
// statements as the server receives them, in order, and how many each
// action sends.
#include <algorithm>

#include "ListaFixture.h"
#include "data/Persistencia.h"
#include "support/FbServer.h"

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
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    TestEnvironment env;
    ServerDatabases server;
    server.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR) values (417, '01', 'P', "
        "'DROGA CENTRAL')");
    server.shared().execute(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, DATAVENCIM, VALORPARCELA) "
        "values (9, 417, 2, '2024-03-15', 150.00)");
    server.workstation().execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-03-01', '2024-03-31')");
    server.release();

    {
        // The window goes before the record sets its widgets watch.
        struct Janela {
            std::unique_ptr<Form1> form;
            std::unique_ptr<TDM> dm;
            std::unique_ptr<TDM2> dm2;
            std::unique_ptr<ListaContas> lista;
            ~Janela() {
                lista.reset();
                form.reset();
            }
        } j;
        j.form = std::make_unique<Form1>(env, QStringList{});
        SessionState& s = j.form->sessao;
        s.Estacao = "01";
        j.dm = std::make_unique<TDM>(env, s);
        j.dm2 = std::make_unique<TDM2>(env, s);
        j.dm->SQLConnection1.setClient(fbClient());
        j.dm->SQLConnection1.setDatabase(server.sharedConnect());
        j.dm2->SQLConnection1.setClient(fbClient());
        j.dm2->SQLConnection1.setDatabase(server.workstationConnect());
        instalaPersistencia(*j.dm, *j.dm2, s, env);
        j.form->DM = j.dm.get();
        j.form->DM2 = j.dm2.get();
        j.lista = std::make_unique<ListaContas>(*j.form);
        ListaContas* lista = j.lista.get();
        j.dm2->Periodo.open();

        TraceSession trace;
        trace.start(server.sharedConnect());
        lista->CarregaPeriodo();  // unpaid view
        lista->Quitarestaconta1Click();
        lista->BitBtn2Click();  // all installments
        lista->Cancelarquitao1Click();
        // Nothing of the work area's database is read meanwhile: the period
        // row is in memory.
        const std::vector<std::string> compartilhado = trace.stop();

        const std::string aPagar = std::string(kListaMarco) + kFiltroAPagar + kOrdem;
        const std::string todas = std::string(kListaMarco) + kOrdem;
        const std::vector<std::string> esperado = {
            aPagar,
            "Update PARCELAS set DATAPAGTO = '03/15/24', VALORPAGO = '150.00' where  NUMPARCELA "
            "= 2 and  CODIGOCPR = 417",
            aPagar,  // the list read again
            aPagar,  // and rebuilt
            todas,
            "Update PARCELAS set DATAPAGTO = NULL, VALORPAGO = 0.00 where  NumParcela = 2 and  "
            "CODIGOCPR = 417",
            todas,
            todas,
        };
        EXPECT_EQ(compartilhado, esperado);
        lista->MontaQuery2();
        EXPECT_EQ(lista->Label2->text(), QStringLiteral("R$ 150,00"));
    }
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

}  // namespace cp::test
