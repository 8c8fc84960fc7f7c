// Operator texts of database failures: the engine's and the client's errors,
// met for real where the embedded engine can produce them cheaply.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>

#include "fb/fb.h"
#include "suite/MensagensErro.h"
#include "support/FbDatabases.h"

namespace cp::test {
namespace {

QString textoDe(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        return mensagemOperadorBanco(e).value_or(QStringLiteral("(sem tradução) ") +
                                                 QString::fromUtf8(e.what()));
    }
    return QStringLiteral("(nenhum erro)");
}

TEST(MensagensErro, FailuresMetForRealReadInPortugueseWithTheirCode) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("shared.fdb").toStdString();
    fb::Attachment db = createDatabaseFromScript(path, "shared.sql");
    const std::string insere =
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, VALORPARCELA) values (1, 1, 1, "
        "1)";
    db.execute(insere);
    QString t = textoDe([&] { db.execute(insere); });
    EXPECT_TRUE(t.startsWith(QString::fromUtf8("Já existe um registro com esta chave")))
        << qPrintable(t);
    EXPECT_TRUE(t.endsWith(QString::fromUtf8("Código do erro: 335544665"))) << qPrintable(t);

    const std::string falta = dir.filePath("interfac07/brundelo.bd").toStdString();
    t = textoDe([&] { fb::Attachment::attach(fbClient(), falta, testAttachParams()); });
    EXPECT_TRUE(t.startsWith(QString::fromUtf8("Erro de leitura ou gravação"))) << qPrintable(t);
    EXPECT_TRUE(
        t.contains(QString::fromStdString("\nBanco de dados: " + falta + "\nCódigo do erro: ")))
        << qPrintable(t);

    t = textoDe([] { fb::Client::load("/nao/existe/libfbclient.so.2"); });
    EXPECT_TRUE(t.startsWith(QString::fromUtf8("Não foi possível carregar a biblioteca cliente")))
        << qPrintable(t);
    EXPECT_TRUE(t.contains(QStringLiteral("/nao/existe/libfbclient.so.2"))) << qPrintable(t);
}

TEST(MensagensErro, ConflictsAndLostConnectionsByTheEnginesCode) {
    struct Caso {
        const char* servidor;
        std::intptr_t codigo;
        const char* inicio;
    };
    const Caso casos[] = {
        {"deadlock", 335544336, "O registro está sendo alterado"},
        {"lock conflict on no wait transaction", 335544345, "O registro está sendo alterado"},
        {"update conflicts with concurrent update", 335544451, "O registro está sendo alterado"},
        {"Unable to complete network request to host \"srv\".", 335544721,
         "Não foi possível comunicar"},
        {"connection shutdown", 335544856, "A conexão com o banco de dados foi perdida"},
        {"Connection lost to database", 335544741, "A conexão com o banco de dados foi perdida"},
        {"database file appears corrupt ()", 335544335, "O arquivo do banco de dados parece"},
        // A server still starting after a restart refuses the login.
        {"Error occurred during login, please check server firebird.log for details", 335545106,
         "Não foi possível comunicar"},
    };
    for (const Caso& c : casos) {
        const auto t = mensagemOperadorBanco(fb::Error(c.servidor, -901, c.codigo));
        ASSERT_TRUE(t) << c.servidor;
        EXPECT_TRUE(t->startsWith(QString::fromUtf8(c.inicio))) << qPrintable(*t);
    }
    // Without the engine's code, by the SQLCODE; anything else keeps its own text.
    EXPECT_TRUE(mensagemOperadorBanco(fb::Error("deadlock", -913))
                    ->startsWith(QString::fromUtf8("O registro está sendo alterado")));
    EXPECT_FALSE(mensagemOperadorBanco(fb::Error("Table unknown", -204, 335544580)));
    EXPECT_FALSE(mensagemOperadorBanco(std::runtime_error("Banco de dados não encontrado")));
}

TEST(MensagensErro, AnUnreachableServerIsNamed) {
    // The server named in an unreachable server's message.
    fb::Error fora("Unable to complete network request", -902, {{335544721, {}}, {335544722, {}}});
    fora.setDatabase("srv/3051:C:\\brundelo\\dados\\brundelo.bd");
    EXPECT_TRUE(mensagemOperadorBanco(fora)->contains(QStringLiteral("\nServidor: srv/3051\n")));
    EXPECT_EQ(servidorDoBanco("C:\\brundelo\\dados\\brundelo.bd"), "");
    EXPECT_EQ(servidorDoBanco("/srv/brundelo/dados/brundelo.bd"), "");
}

}  // namespace
}  // namespace cp::test
