// The whole start-up against the tests' Firebird server, reached as the
// pharmacy's central server is: the settings file names the server, and the
// program attaches to <host>:C:\brundelo\dados\brundelo.bd and to its
// work area's twin, which the server knows as aliases.
#include <gtest/gtest.h>

#include <algorithm>

#include "entry/PainelConta.h"
#include "payables/ListaContas.h"
#include "shell/DataWidgets.h"
#include "suite/Conexoes.h"
#include "support/FbServer.h"
#include "support/LocaleGuard.h"
#include "support/ShellFixture.h"

namespace cp::test {
namespace {

TEST(ServidorInicio, TheProgramStartsThroughTheServerAndSendsTheBindingAsSpelled) {
    CP_REQUIRE_FB_SERVER();
    LocaleGuard brasil;
    ServerDatabases server("01");
    semeiaDados(server.shared(), server.workstation());
    server.release();

    TestEnvironment env;
    suiteNoServidor(env, serverHost());

    TraceSession trace;
    trace.start(server.sharedConnect());
    auto programa = std::make_unique<Programa>(env, QStringList{});
    ASSERT_TRUE(programa->cria(env.suiteDir()));
    Form1* form = &programa->form();
    TDM* dm = programa->dm();
    TDM2* dm2 = programa->dm2();
    form->show();
    for (int i = 0; i < 5 && !form->activated(); ++i) QApplication::processEvents();
    const std::vector<std::string> recebidos = trace.stop();

    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(form->activationCompleted());
    EXPECT_EQ(dm->SQLConnection1.database(), server.sharedConnect());
    EXPECT_EQ(dm2->SQLConnection1.database(), server.workstationConnect());
    EXPECT_TRUE(dm->SQLConnection1.connected());
    EXPECT_TRUE(dm2->SQLConnection1.connected());
    EXPECT_EQ(form->sessao.Estacao, "01");
    EXPECT_EQ(form->sessao.DataIniPeriodo, QDate(2024, 3, 1));
    EXPECT_EQ(dm->CONTASPR.recordCount(), 2);
    EXPECT_TRUE(form->lista->DBGrid5->isVisible());

    // The server received the binding's statement exactly as the suite
    // spells it, and the accounts' statement of the browser mode.
    auto recebido = [&](const std::string& sql) {
        return std::find(recebidos.begin(), recebidos.end(), sql) != recebidos.end();
    };
    EXPECT_TRUE(recebido(sqlEstacoesDoUsuario("caixa1")));
    EXPECT_TRUE(recebido(std::string("Select ") + kCamposCPR +
                         " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR"));

    programa.reset();
}

}  // namespace
}  // namespace cp::test
