// Seeding for the shell's tests: a settings-file line and the rows most
// start-up tests need.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <string>

#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {

inline const char* const kRotuloIP = "IP DO SERVIDOR CENTRAL.........................:";
inline const char* const kRotuloLogoff = "TEMPO PARA LOGOFF AUTOMATICO...................:";

// A settings-file line: the 48-character label, a blank and the value.
inline QByteArray linhaIni(const char* rotulo, const std::string& valor) {
    return QByteArray(rotulo) + ' ' + QByteArray::fromStdString(valor) + "\r\n";
}

// The settings file of a program whose databases are on the server `host`
// ("localhost/<port>"), and the marker file that lets the operator in
// without the login panel.
inline void suiteNoServidor(const TestEnvironment& env, const std::string& host) {
    env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                       linhaIni(kRotuloIP, host) + linhaIni(kRotuloLogoff, "10"));
    env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");
}

// Rows most start-up tests need: the user's work area 01, two payment
// conditions, the installment defaults, three accounts (one receivable) with
// installments, and the period of March 2024.
inline void semeiaDados(fb::Attachment& s, fb::Attachment& estacao,
                        const std::string& usuario = "caixa1") {
    s.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'BRUNDELO01', ?)",
              {usuario});
    s.execute(
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, QDEPARCELAS) "
        "values (1, 'Dias Corridos', '30 DIAS', 1)");
    s.execute(
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, QDEPARCELAS) "
        "values (2, 'Dias Corridos', 'A VISTA', 1)");
    s.execute(
        "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) "
        "values ('PADRAO', 'BOLETO', '12345-6')");
    s.execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, "
        "NFISCAL, NOMECLIFOR, CONDPAGTO) values (1, '01', 'P', 'Aluguel', 1500.00, "
        "'2024-03-01', '123', 'DISTRIBUIDORA CENTRAL', 'A VISTA')");
    s.execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, "
        "NFISCAL, NOMECLIFOR) values (2, '01', 'P', 'Frascos', 320.50, '2024-03-05', "
        "'77', 'VIDRARIA SUL')");
    s.execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, NFISCAL, "
        "NOMECLIFOR) values (3, '01', 'R', 'Venda', '123', 'DISTRIBUIDORA CENTRAL')");
    s.execute(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM) values (1, 1, '01', 1, 1500.00, '2024-03-10')");
    s.execute(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM) values (2, 2, '01', 1, 320.50, '2024-03-20')");
    estacao.execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-03-01', '2024-03-31')");
}

inline void semeiaDados(SuiteDatabases& dbs, const std::string& usuario = "caixa1") {
    semeiaDados(dbs.shared(), dbs.workstation(), usuario);
    dbs.release();
}

}  // namespace cp::test
