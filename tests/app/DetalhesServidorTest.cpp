// The details view and "Nova conta" against the tests' server: the
// statements as the server receives them, in order, from the click to the
// first field ready and from "Voltar" back to the list.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "entry/PainelConta.h"
#include "logic/ListaSql.h"
#include "shell/DataWidgets.h"
#include "suite/Modules.h"
#include "support/FbServer.h"
#include "support/LocaleGuard.h"
#include "support/ShellFixture.h"

namespace cp::test {
namespace {

std::string selectContas() {
    return std::string("Select ") + kCamposCPR +
           " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR";
}
std::string selectParcelas(int conta) {
    return std::string("Select ") + kCamposParcelas +
           " from PARCELAS where CODIGOCPR = " + std::to_string(conta);
}

std::string juntas(const std::vector<std::string>& v) {
    std::string out;
    for (const std::string& s : v) out += s + "\n";
    return out;
}

TEST(ServidorDetalhes, OpeningChangingAndNewAccountSendWhatTheSuiteSends) {
    CP_REQUIRE_FB_SERVER();
    LocaleGuard brasil;
    ServerDatabases server("01");
    semeiaDados(server.shared(), server.workstation());
    server.release();

    TestEnvironment env;
    env.setNow(QDateTime(QDate(2024, 3, 20), QTime(9, 30)));
    env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                       linhaIni(kRotuloIP, serverHost()) + linhaIni(kRotuloLogoff, "10"));
    env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");
    ProgramaEmTeste p;
    ASSERT_TRUE(p.inicia(env, env.suiteDir()));
    p.form->show();
    for (int i = 0; i < 5 && !p.form->activated(); ++i) QApplication::processEvents();
    ASSERT_TRUE(p.form->activationCompleted()) << env.messages.join('\n').toStdString();
    const std::string lista = p.dm->Query2.commandText();
    PainelConta& c = *p.form->conta;

    // Account 2, from the list's second row; its total changed in the
    // details, then back to the list.
    TraceSession detalhes;
    detalhes.start(server.sharedConnect());
    p.dm->Query2.moveTo(1);
    p.form->BitBtn11->click();
    ASSERT_EQ(c.DBText1->text(), QStringLiteral("2"));
    c.DBEdit11->setFocus();
    c.DBEdit11->selectAll();
    QTest::keyClicks(c.DBEdit11, QStringLiteral("321,00"));
    p.form->BitBtn11->click();
    EXPECT_EQ(juntas(detalhes.stop()),
              juntas({
                  selectContas(),
                  selectParcelas(2),
                  "update CONTASPR set VALORTOTAL = ? where CODIGOCPR = ? and ESTACAO = ?",
                  selectContas(),
                  lista,
                  // The slips of the list's rows: their table is not there yet.
                  "select 1 from RDB$RELATIONS where RDB$RELATION_NAME = ?",
              }));

    // "Nova conta" from the list's first row (account 1, with a payment
    // condition), up to the first field ready.
    TraceSession nova;
    nova.start(server.sharedConnect());
    p.form->BitBtn14->click();
    EXPECT_EQ(juntas(nova.stop()),
              juntas({
                  selectContas(),
                  selectParcelas(1),
                  "Select CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, CTABANCO, "
                  "FORMAPAG, QAUT from FORMASPG where DESCRICAO = 'A VISTA'",
                  "Select MaX(CODIGOCPR) as MaiorCodCPR from CONTASPR",
                  selectParcelas(4),
              }));
    EXPECT_EQ(c.DBText1->text(), QStringLiteral("4"));
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    p.encerra();
}

}  // namespace
}  // namespace cp::test
