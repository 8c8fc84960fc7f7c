// The list view as the program starts it in browser mode, on fresh embedded
// databases: the main window and its settings file, both data modules with
// their connections and work-area binding, the persistence rules, and the
// window's activation (which reads the period and builds the unpaid view).
// The suite's marker file lets the operator in without the login panel.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QTest>
#include <memory>
#include <optional>
#include <string>

#include "app/Form1.h"
#include "payables/ListaContas.h"
#include "shell/DataWidgets.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/LocaleGuard.h"
#include "support/ProgramaEmTeste.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {

class ListaTeste : public ::testing::Test, public ProgramaEmTeste {
  protected:
    using I = std::int64_t;

    // Brazilian conventions: "/" between day, month and year.
    LocaleGuard brasil;

    void SetUp() override {
        env.setNow(QDateTime(QDate(2024, 3, 20), QTime(9, 30)));
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                           "TEMPO PARA LOGOFF AUTOMATICO...................: 10\r\n");
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");
        dbs->shared().execute(
            "insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'BRUNDELO01', ?)",
            {env.osUserName().toStdString()});
    }

    void TearDown() override { fecha(); }

    // The program ends: the window goes before the record sets its widgets
    // watch.
    void fecha() {
        lista = nullptr;
        encerra();
    }

    // The program's start in browser mode, up to the end of the window's
    // activation, with the window active (the keyboard tests need it).
    void abreLista() {
        dbs->release();  // the program's own connections only
        ASSERT_TRUE(inicia(env, env.suiteDir()));
        ASSERT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
        lista = form->lista.get();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        for (int i = 0; i < 10 && !form->activated(); ++i) QApplication::processEvents();
        ASSERT_TRUE(form->activationCompleted()) << env.messages.join('\n').toStdString();
        ASSERT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    }

    void periodo(const QDate& ini, const QDate& fim) {
        dbs->workstation().execute("insert into PERIODO (DATAINICIAL, DATAFINAL) values (?, ?)",
                                   {data(ini), data(fim)});
    }
    void conta(I codigo, const std::string& natureza = "P",
               const std::string& fornecedor = "DROGA CENTRAL") {
        dbs->shared().execute(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR, DESCRICAO, NFISCAL) "
            "values (?, '01', ?, ?, 'COMPRA', '123')",
            {codigo, natureza, fornecedor});
    }
    // Amounts in cents; an empty optional leaves the column null.
    void parcela(I codigoParc, I codigoCPR, I num, const QDate& venc, I valor,
                 std::optional<I> pago = {}, std::optional<QDate> pagoEm = {}) {
        dbs->shared().execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, DATAVENCIM, VALORPARCELA, "
            "VALORPAGO, DATAPAGTO) values (?, ?, ?, ?, ?, ?, ?)",
            {codigoParc, codigoCPR, num, data(venc), fb::Decimal{valor, 2},
             pago ? fb::Value{fb::Decimal{*pago, 2}} : fb::Value{},
             pagoEm ? data(*pagoEm) : fb::Value{}});
    }
    static fb::Value data(const QDate& d) { return fb::Date{d.year(), d.month(), d.day()}; }

    // The due dates of the list as shown, in order.
    QStringList vencimentos() {
        QStringList out;
        RecordSet& q = dm->Query2;
        const int c = q.fieldIndex("DATAVENCIM");
        for (int i = 0; i < q.rowCount(); ++i) out << QString::fromStdString(q.displayTextAt(i, c));
        return out;
    }
    QString aPagar() const { return lista->Label2->text(); }
    QString pago() const { return lista->Label15->text(); }

    // One row of PARCELAS by its code: paid date and paid amount (cents);
    // nullopt for null.
    std::pair<std::optional<fb::Date>, std::optional<I>> pagamento(I codigoParc) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor c =
            tr.open("select DATAPAGTO, VALORPAGO from PARCELAS where CODIGOPARC = ?", {codigoParc});
        EXPECT_TRUE(c.fetch());
        std::optional<fb::Date> d;
        std::optional<I> v;
        if (!c.isNull(0)) d = c.asDate(0);
        if (!c.isNull(1)) v = c.asDecimal(1).value;
        return {d, v};
    }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    ListaContas* lista = nullptr;
};

}  // namespace cp::test
