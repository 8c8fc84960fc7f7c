// One workstation creating accounts as fast as it can, for the race test of
// the account numbers (ContasConcorrentesTest): the data modules with the
// persistence rules in force, driven the way the entry panel drives them.
//
//   contas_concorrentes CONNECT WORKAREA TAG ACCOUNTS
//
// Prints "pronto" once connected and waits for a line on standard input, so
// that every process starts at the same moment. Account i is described
// "P<TAG>-<i>" and each of its two installments carries TAG * 10000 + i as
// its document number, so that the test can tell who made what. Exits 0
// when every account and installment was written, 1 with the reason on
// standard error otherwise.
#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"
#include "support/FbDatabases.h"
#include "support/TestEnvironment.h"

namespace {

using namespace cp;

void criaConta(TDM& dm, int tag, int i, std::mt19937& sorte) {
    RecordSet& conta = dm.CONTASPR;
    RecordSet& parcelas = dm.Parcelas;
    // "Nova conta": the accounts selected again, then a new one.
    conta.close();
    conta.open();
    conta.append();
    conta.field("DESCRICAO").setAsString("P" + std::to_string(tag) + "-" + std::to_string(i));
    conta.field("VALORTOTAL").setAsMoney(10000 + i);
    // The operator types for a moment: the number read at the start may be
    // taken meanwhile by another workstation.
    std::this_thread::sleep_for(std::chrono::microseconds(sorte() % 3000));
    if (i % 2 == 0) {
        // The entry panel writes the account first (lookup, condition)...
        conta.post();
        conta.edit();
    }
    // ...or the operator goes straight to the installment grid.
    for (int n = 1; n <= 2; ++n) {
        parcelas.append();
        parcelas.field("NUMPARCELA").setAsInteger(n);
        parcelas.field("VALORPARCELA").setAsMoney(5000);
        parcelas.field("NUMDOCUMENTO").setAsInteger(tag * 10000 + i);
        parcelas.post();
    }
    conta.post();
    // What the screens show must be what was stored.
    const std::int64_t codigo = conta.field("CODIGOCPR").asInteger();
    for (parcelas.first(); !parcelas.eof(); parcelas.next())
        if (parcelas.field("CODIGOCPR").asInteger() != codigo)
            throw std::runtime_error("installment shown with another account's number");
    if (parcelas.recordCount() != 2)
        throw std::runtime_error("the account shows " + std::to_string(parcelas.recordCount()) +
                                 " installments");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::cerr << "usage: contas_concorrentes CONNECT WORKAREA TAG ACCOUNTS\n";
        return 2;
    }
    const int tag = std::stoi(argv[3]);
    const int quantas = std::stoi(argv[4]);
    try {
        cp::test::TestEnvironment env;
        EstadoSessao s;
        s.Estacao = argv[2];
        s.CamposCPR = kCamposCPR;
        s.CamposParcelas = kCamposParcelas;
        TDM dm(env, s);
        TDM2 dm2(env, s);
        dm.SQLConnection1.setClient(cp::test::fbClient());
        dm.SQLConnection1.setDatabase(argv[1]);
        instalaPersistencia(dm, dm2, s, env);
        dm.CONTASPR.setCommandText("Select " + s.CamposCPR +
                                   " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
        dm.CONTASPR.open();
        std::cout << "pronto" << std::endl;
        std::string linha;
        std::getline(std::cin, linha);

        std::mt19937 sorte(static_cast<unsigned>(tag));
        for (int i = 1; i <= quantas; ++i) criaConta(dm, tag, i, sorte);
        dm.CONTASPR.close();
        if (!env.messages.isEmpty()) {
            std::cerr << "messages: " << env.messages.join('\n').toStdString() << "\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "process " << tag << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
