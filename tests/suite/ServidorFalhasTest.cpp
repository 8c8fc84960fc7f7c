// The shared server's ordinary faults, met for real on the tests' server: a
// restart and an attachment ended by the administrator (attached again, the
// typed change written afterwards), a row deleted by another workstation
// (discarded on request), a row held by another workstation (the wait is
// bounded and the holder named), a time finer than a millisecond written by
// another program (still matched), and the providers an attach may use.
#include <gtest/gtest.h>

#include <optional>

#include "fb/Failure.h"
#include "shell/ErrorHandler.h"
#include "suite/EstadoSessao.h"
#include "suite/MensagensErro.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

// The program's modules on the tests' server, with the persistence rules.
struct Modulos {
    TestEnvironment env;
    EstadoSessao sessao;
    TDM dm{env, sessao};
    TDM2 dm2{env, sessao};

    explicit Modulos(const ServerDatabases& server) {
        sessao.Estacao = "01";
        sessao.CamposCPR = kCamposCPR;
        sessao.CamposParcelas = kCamposParcelas;
        dm.SQLConnection1.setClient(fbClient());
        dm.SQLConnection1.setDatabase(server.sharedConnect());
        dm2.SQLConnection1.setClient(fbClient());
        dm2.SQLConnection1.setDatabase(server.workstationConnect());
        instalaPersistencia(dm, dm2, sessao, env);
    }
    void abreContas() {
        dm.CONTASPR.setCommandText("Select " + sessao.CamposCPR +
                                   " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
        dm.CONTASPR.open();
    }
};

std::string descricaoNoBanco(ServerDatabases& server, int codigo) {
    fb::Transaction t = server.shared().startTransaction();
    fb::Cursor c =
        t.open("select DESCRICAO from CONTASPR where CODIGOCPR = ?", {std::int64_t{codigo}});
    return c.fetch() ? c.asText(0) : "(sem conta)";
}

void semeiaConta(ServerDatabases& server) {
    server.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO) values (1, '01', 'P', "
        "'A')");
    for (int n = 1; n <= 2; ++n)
        server.shared().execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, VALORPARCELA) "
            "values (?, 1, ?, 10)",
            {std::int64_t{10 + n}, std::int64_t{n}});
}

TEST(ServidorFalhas, ALostConnectionIsAttachedAgainAndThePendingChangeWritten) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    semeiaConta(server);
    server.release();
    Modulos m(server);
    m.abreContas();

    // The server restarts under an open set: the post finds the attachment
    // dead, attaches again and writes the change at once.
    restartServer();
    m.dm.CONTASPR.edit();
    m.dm.CONTASPR.field("DESCRICAO").setAsString("DEPOIS DO REINICIO");
    m.dm.CONTASPR.post();
    EXPECT_EQ(m.dm.SQLConnection1.lostConnections(), 1);
    EXPECT_EQ(m.dm.CONTASPR.changeCount(), 0);
    EXPECT_EQ(descricaoNoBanco(server, 1), "DEPOIS DO REINICIO");

    // The administrator ends the attachment and the program is not to
    // attach again by itself: the post fails with the Portuguese text, the
    // typed change stays pending and is written at the next use.
    m.dm.SQLConnection1.setReconnect(false);
    server.shared().execute(
        "delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> CURRENT_CONNECTION");
    server.release();
    m.dm.CONTASPR.edit();
    m.dm.CONTASPR.field("DESCRICAO").setAsString("DIGITADO SEM CONEXAO");
    try {
        m.dm.CONTASPR.post();
        FAIL() << "the post on a dead attachment must fail";
    } catch (const fb::Error& e) {
        EXPECT_EQ(fb::classify(e), fb::Failure::ConnectionLost) << e.what();
        EXPECT_TRUE(errorText(e).startsWith(
            QString::fromUtf8("A conexão com o banco de dados foi perdida")))
            << errorText(e).toStdString();
    }
    EXPECT_EQ(m.dm.CONTASPR.changeCount(), 1);
    EXPECT_FALSE(m.dm.SQLConnection1.connected());
    EXPECT_EQ(m.dm.CONTASPR.applyUpdates(), 0);
    EXPECT_EQ(descricaoNoBanco(server, 1), "DIGITADO SEM CONEXAO");
    EXPECT_TRUE(m.env.messages.isEmpty()) << m.env.messages.join('\n').toStdString();
}

TEST(ServidorFalhas, AGoneRowIsDiscardedAndTheRowsReadAgainWhenTheOperatorSaysSo) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    semeiaConta(server);
    Modulos m(server);
    m.abreContas();
    RecordSet& parcelas = m.dm.Parcelas;
    ASSERT_EQ(parcelas.recordCount(), 2);

    // Another workstation deletes the installment this one is editing.
    server.shared().execute("delete from PARCELAS where CODIGOPARC = 11");
    parcelas.first();
    if (parcelas.field("CODIGOPARC").asInteger() != 11) parcelas.next();
    ASSERT_EQ(parcelas.field("CODIGOPARC").asInteger(), 11);
    // Each post goes through the program's error boundary.
    auto posta = [&](std::int64_t centavos) {
        parcelas.edit();
        parcelas.field("VALORPARCELA").setAsMoney(centavos);
        try {
            parcelas.post();
        } catch (const std::exception& e) {
            reportError(m.env, e);
        }
    };
    // "Não" keeps it pending, as before; "Sim" discards it and reads again.
    posta(1250);
    ASSERT_EQ(m.env.messages.size(), 1);
    const QString pergunta = m.env.messages.back();
    EXPECT_TRUE(pergunta.contains(QString::fromUtf8("não está mais no banco de dados")))
        << pergunta.toStdString();
    EXPECT_TRUE(pergunta.endsWith(QString::fromUtf8(kPerguntaDescartar))) << pergunta.toStdString();
    EXPECT_EQ(parcelas.changeCount(), 1);

    m.env.answer = [](const QString&) { return true; };
    posta(1300);
    EXPECT_EQ(m.env.messages.size(), 2);
    EXPECT_EQ(parcelas.changeCount(), 0);
    ASSERT_EQ(parcelas.recordCount(), 1);
    EXPECT_EQ(parcelas.field("CODIGOPARC").asInteger(), 12);

    // The set is not blocked any more: the next change is written.
    posta(1500);
    EXPECT_EQ(parcelas.changeCount(), 0);
    EXPECT_EQ(m.env.messages.size(), 2) << m.env.messages.join('\n').toStdString();
}

TEST(ServidorFalhas, ARowHeldByAnotherWorkstationWaitsTheLockTimeOutAndNamesTheHolder) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    semeiaConta(server);
    Modulos m(server);
    m.dm.SQLConnection1.setLockTimeout(1);
    m.abreContas();

    // Another workstation holds the account's row in a transaction it has
    // not ended.
    std::optional<fb::Transaction> outra(server.shared().startTransaction());
    outra->execute("update CONTASPR set DESCRICAO = 'OUTRA' where CODIGOCPR = 1");

    m.dm.CONTASPR.edit();
    m.dm.CONTASPR.field("DESCRICAO").setAsString("ESTA");
    try {
        m.dm.CONTASPR.post();
        FAIL() << "a held row must not be written";
    } catch (const GravacaoPendente& e) {
        const std::string texto = e.what();
        EXPECT_NE(texto.find("está sendo alterado pela estação"), std::string::npos) << texto;
        EXPECT_NE(texto.find("endereço 127.0.0.1"), std::string::npos) << texto;
        EXPECT_NE(texto.find("programa test_suite"), std::string::npos) << texto;
        EXPECT_NE(texto.find("não foi liberado em 1 segundos"), std::string::npos) << texto;
        EXPECT_FALSE(e.temSaida()) << "a held row is no reason to discard the change";
        EXPECT_NE(e.registro().find("concurrent transaction"), std::string::npos) << e.registro();
    }
    ASSERT_EQ(m.dm.CONTASPR.changeCount(), 1);
    EXPECT_EQ(m.dm.CONTASPR.changes()[0].failure, ApplyFailure::Blocked);

    // Once the other workstation ends, the pending change goes through.
    outra->rollback();
    outra.reset();
    EXPECT_EQ(m.dm.CONTASPR.applyUpdates(), 0);
    EXPECT_EQ(descricaoNoBanco(server, 1), "ESTA");
}

TEST(ServidorFalhas, ATimeFinerThanAMillisecondIsKeptAndStillMatchesItsRow) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    // Another program wrote the period with a time to the ten-thousandth.
    server.workstation().execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL, HORAINICIAL, CHAVE, ESTACAO) "
        "values ('2024-03-01', '2024-03-31', '08:30:00.1234', 'S', '01')");
    Modulos m(server);
    RecordSet& periodo = m.dm2.Periodo;
    periodo.open();
    const Value lida = periodo.field("HORAINICIAL").value();
    ASSERT_TRUE(std::holds_alternative<TimeOfDay>(lida));
    EXPECT_EQ(std::get<TimeOfDay>(lida), TimeOfDay::fromParts(8, 30, 0, 1234));
    EXPECT_EQ(periodo.field("HORAINICIAL").asTime(), QTime(8, 30, 0, 123));

    // The period is found again by every column as read, the time included.
    periodo.edit();
    periodo.field("DATAFINAL").setAsDate(QDate(2024, 4, 30));
    periodo.post();
    EXPECT_EQ(periodo.changeCount(), 0);
    fb::Transaction t = server.workstation().startTransaction();
    fb::Cursor c = t.open("select DATAFINAL, HORAINICIAL from PERIODO");
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asDate(0), (fb::Date{2024, 4, 30}));
    EXPECT_EQ(c.asTime(1), (fb::Time{8, 30, 0, 1234}));
    EXPECT_TRUE(m.env.messages.isEmpty()) << m.env.messages.join('\n').toStdString();
}

TEST(ServidorFalhas, TheEmbeddedProviderNeverReachesAServerAndTheRemoteOneOnlyDoes) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    fb::AttachParams p = serverAttachParams();
    // A server's database string given to the embedded engine alone is not
    // sent over the network: the engine finds no such file.
    p.provider = fb::AttachParams::Provider::Embedded;
    try {
        fb::Attachment::attach(fbClient(), server.sharedConnect(), p);
        FAIL() << "the embedded engine must not reach the server";
    } catch (const fb::Error& e) {
        EXPECT_EQ(e.gdscode(), 335544375) << e.what();  // unavailable database
    }
    p.provider = fb::AttachParams::Provider::Remote;
    EXPECT_TRUE(fb::Attachment::attach(fbClient(), server.sharedConnect(), p).connected());
    // A local file given to the network alone is not opened by the engine.
    fb::AttachParams local = testAttachParams();
    local.provider = fb::AttachParams::Provider::Remote;
    EXPECT_THROW(fb::Attachment::attach(fbClient(), server.sharedFile(), local), fb::Error);
}

}  // namespace
}  // namespace cp::test
