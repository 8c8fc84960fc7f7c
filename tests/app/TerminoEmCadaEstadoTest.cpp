// The real program asked to stop by the system (SIGTERM, SIGINT, SIGHUP) in
// each state an operator leaves it in, on the embedded engine and through the
// tests' server: it ends in order (exit code 0) within 5 s, what was typed is
// written or the log says it could not be, and a generation of installments
// under way is finished first.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "suite/Environment.h"
#include "suite/UsuarioSistema.h"
#include "support/FbServer.h"
#include "support/ProcessoFilho.h"
#include "support/Semeia.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

using namespace std::chrono_literals;

QByteArray leArquivo(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The engine the program reaches: fresh embedded databases of the suite
// directory, or the tests' server named by the settings file.
class TerminoEmCadaEstado : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) {
            CP_REQUIRE_FB_SERVER();
            servidor = std::make_unique<ServerDatabases>("01");
            suiteNoServidor(env, serverHost());
        } else {
            embutido = std::make_unique<SuiteDatabases>(env.suiteDir());
            env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"), linhaIni(kRotuloLogoff, "10"));
            env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");  // no login panel
        }
        semeiaDados(compartilhado(), estacao(), nomeUsuarioSistema().toStdString());
        compartilhado().execute(
            "insert into PLANOCT (CODIGOCTA, DESCRICAO, FAMILIA, GRUPODESP, CCUSTO) values "
            "('1.01', 'Frascos de vidro', 'Embalagens', 'Insumos', 'Manipulacao')");
        compartilhado().execute(
            "insert into PLANOCT (CODIGOCTA, DESCRICAO, FAMILIA, GRUPODESP, CCUSTO) values "
            "('2.01', 'Energia eletrica', 'Utilidades', 'Despesas fixas', 'Administracao')");
        compartilhado().execute(
            "insert into FORMASPG (CODIGOFP, DESCRICAO, TIPO, DIAS, QDEPARCELAS) "
            "values (9, 'CENTO E OITENTA', 'Dias Corridos', '30', 180)");
        solta();
    }

    fb::Attachment& compartilhado() { return servidor ? servidor->shared() : embutido->shared(); }
    fb::Attachment& estacao() {
        return servidor ? servidor->workstation() : embutido->workstation();
    }
    // The program attaches alone: the embedded engine opens a file for one
    // process at a time.
    void solta() { servidor ? servidor->release() : embutido->release(); }

    // The first column of the first row of `sql`, read by `le`; `nada` when
    // there is no row or it is null.
    template <class T, class Le>
    T primeiro(const std::string& sql, T nada, Le le) {
        T v = nada;
        {
            fb::Transaction tr = compartilhado().startTransaction();
            fb::Cursor cur = tr.open(sql);
            if (cur.fetch() && !cur.isNull(0)) v = le(cur);
            cur.close();
            tr.commit();
        }
        solta();
        return v;
    }
    std::int64_t um(const std::string& sql) {
        return primeiro<std::int64_t>(sql, -1, [](fb::Cursor& c) { return c.asInt64(0); });
    }
    std::string texto(const std::string& sql) {
        return primeiro<std::string>(sql, {}, [](fb::Cursor& c) { return c.asText(0); });
    }

    struct Execucao {
        QByteArray estado;     // what the script wrote ("pronto" once in its state)
        bool emOrdem = false;  // exit code 0 within 5 s of the signal
        QByteArray log;        // what the run added to the log
    };

    // Starts the program, lets the script bring it to `roteiro`, waits
    // `depois` and sends `sinal`.
    Execucao roda(const char* roteiro, int sinal, std::chrono::milliseconds depois = 0ms) {
        const QString log = env.suiteFile(QString::fromLatin1(kErrorLogName));
        const qsizetype logAntes = leArquivo(log).size();
        const QString pronto = env.suiteFile(QStringLiteral("roteiro.estado"));
        QFile::remove(pronto);
        Execucao r;
        ProcessoFilho p;
        if (!p.inicia(CP_SCRIPTED_PROGRAM_PATH,
                      {"BRUNDELO_HOME=" + env.suiteDir().toStdString(), "QT_QPA_PLATFORM=offscreen",
                       std::string("CP_ROTEIRO=") + roteiro,
                       "CP_ROTEIRO_PRONTO=" + pronto.toStdString()})) {
            r.estado = "o programa não iniciou";
            return r;
        }
        const auto limite = std::chrono::steady_clock::now() + 30s;
        while (r.estado.isEmpty() && std::chrono::steady_clock::now() < limite && !p.espera(5ms))
            r.estado = leArquivo(pronto);
        if (r.estado != "pronto") {
            if (r.estado.isEmpty()) r.estado = p.terminou ? "terminou antes" : "nada em 30 s";
            return r;
        }
        std::this_thread::sleep_for(depois);
        ::kill(p.pid, sinal);
        r.emOrdem = p.espera(5s) && p.terminouEmOrdem();
        r.log = leArquivo(log).mid(logAntes);
        return r;
    }

    // The write failed and the log says so.
    static bool logDizQueNaoGravou(const Execucao& r) {
        return r.log.contains(
            "n\xC3\xA3o p\xC3\xB4"
            "de ser gravado");
    }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> embutido;
    std::unique_ptr<ServerDatabases> servidor;
};

constexpr int kSinais[] = {SIGTERM, SIGINT, SIGHUP};
// The newest account of the expense the scripts type.
constexpr const char* kUltimaDaDespesa =
    "select coalesce(max(CODIGOCPR), 0) from CONTASPR where DESCRICAO = 'Energia eletrica'";

TEST_P(TerminoEmCadaEstado, TheIdleListEndsInOrderEveryTime) {
    for (int sinal : kSinais) {
        for (int i = 0; i < 20; ++i) {
            SCOPED_TRACE(std::string(::strsignal(sinal)) + ", run " + std::to_string(i + 1));
            // From at once to half a second after the list is up.
            const Execucao r = roda("lista", sinal, std::chrono::milliseconds(i * 25));
            ASSERT_EQ(r.estado.toStdString(), "pronto");
            EXPECT_TRUE(r.emOrdem) << r.log.toStdString();
        }
    }
}

TEST_P(TerminoEmCadaEstado, WhatIsTypedIsWrittenAndAGenerationUnderWayIsFinished) {
    for (int sinal : kSinais) {
        SCOPED_TRACE(::strsignal(sinal));
        for (const char* roteiro : {"detalhes", "mensagem"}) {
            SCOPED_TRACE(roteiro);
            compartilhado().execute(
                "update CONTASPR set DESCRICAO = 'Aluguel' where CODIGOCPR = 1");
            solta();
            const Execucao r = roda(roteiro, sinal);
            ASSERT_EQ(r.estado.toStdString(), "pronto");
            EXPECT_TRUE(r.emOrdem) << r.log.toStdString();
            const std::string despesa = texto("select DESCRICAO from CONTASPR where CODIGOCPR = 1");
            EXPECT_TRUE(despesa == "Energia eletrica" || logDizQueNaoGravou(r))
                << despesa << "\n"
                << r.log.toStdString();
        }
        {
            SCOPED_TRACE("nova");
            const auto antes = um(kUltimaDaDespesa);
            const Execucao r = roda("nova", sinal);
            ASSERT_EQ(r.estado.toStdString(), "pronto");
            EXPECT_TRUE(r.emOrdem) << r.log.toStdString();
            EXPECT_TRUE(um(kUltimaDaDespesa) > antes || logDizQueNaoGravou(r))
                << r.log.toStdString();
        }
        {
            SCOPED_TRACE("procura");
            const Execucao r = roda("procura", sinal);
            ASSERT_EQ(r.estado.toStdString(), "pronto");
            EXPECT_TRUE(r.emOrdem) << r.log.toStdString();
        }
        {
            SCOPED_TRACE("geracao");
            const auto antes = um(kUltimaDaDespesa);
            const Execucao r = roda("geracao", sinal);
            ASSERT_EQ(r.estado.toStdString(), "pronto");
            EXPECT_TRUE(r.emOrdem) << r.log.toStdString();
            const std::int64_t conta = um(kUltimaDaDespesa);
            EXPECT_TRUE(conta > antes || logDizQueNaoGravou(r)) << r.log.toStdString();
            const std::int64_t parcelas =
                um("select count(*) from PARCELAS where CODIGOCPR = " + std::to_string(conta));
            // The generation under way when the signal came is finished
            // before the program closes: the client does not end the
            // attachment under it.
            EXPECT_EQ(parcelas, 180);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, TerminoEmCadaEstado, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "Servidor" : "Embutido");
                         });

}  // namespace
}  // namespace cp::test
