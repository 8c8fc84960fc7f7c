// prova-geracao <file>
//
// Makes a suite the same way every time (embedded databases in a temporary
// folder: 300 accounts of the pharmacy with their installments, the payment
// conditions of the demonstration suite and one of 180 monthly
// installments), writes its CONTASPR and PARCELAS, starts the program in
// browser mode and, on twelve accounts one after another, changes the
// payment condition and leaves the field as the entry panel does, so the
// installments are generated again; enters three new accounts the same way
// and writes them; then writes both tables once more, with what each
// generation answered and every message shown.
//
// Run by two builds of the program, the two files are compared: the same
// text means the same rows under the same keys. Nothing else of the program
// is needed, so a build from before a change of the generation runs it as
// well (built with this folder added to its tree).
#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <string>
#include <vector>

#include "entry/GeraParcelas.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/ProgramaEmTeste.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

using namespace cp;
using namespace cp::test;

namespace {

const char* const kCondicoes[] = {
    "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) values "
    "(1, 'Dias Corridos', 'A vista', '0', 1, 0)",
    "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) values "
    "(2, 'Dias Corridos', '30/60/90', '30,60,90', 3, 0)",
    "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) values "
    "(3, 'Dias Corridos', 'Entrada + 30/60', '0,30,60', 3, 0)",
    "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) values "
    "(4, 'Dias Corridos', '30/60/90/120 com juros', '30, 60, 90, 120', 4, 2.50)",
    "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) values "
    "(5, 'Dia Fixo', 'Mensal 6x (1a no ato)', '1+', 6, 0)",
    "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) values "
    "(6, 'Dia Fixo', 'Mensal 12x', '0+', 12, 0)",
    "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) values "
    "(7, 'Dia Fixo', 'Mensal 180x', '0+', 180, 0)",
};

// The conditions given to the twelve accounts, in turn.
const char* const kNovas[] = {
    "30/60/90",
    "Mensal 12x",
    "Entrada + 30/60",
    "Mensal 180x",
    "A vista",
    "Mensal 6x (1a no ato)",
    "30/60/90/120 com juros",
    "Mensal 12x",
    "Mensal 180x",
    "30/60/90",
    "Entrada + 30/60",
    "A vista",
};

void semeia(SuiteDatabases& dbs, const QString& usuario) {
    fb::Attachment& a = dbs.shared();
    for (const char* c : kCondicoes) a.execute(c);
    // Accounts 1..300 of the pharmacy under the conditions above (a few
    // receivables between them), each with the installments its condition
    // had, some of them paid.
    a.execute(
        "execute block as declare i integer = 1; declare n integer; declare k integer; begin "
        "while (i <= 300) do begin "
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, "
        "CONDPAGTO, NFISCAL, NOMECLIFOR) values (:i, '01', iif(mod(:i, 17) = 0, 'R', 'P'), "
        "'MATERIA-PRIMA LOTE ' || :i, 100 + mod(:i * 7919, 99991) / 100.0, "
        "dateadd(mod(:i, 200) day to date '2024-01-02'), "
        "decode(mod(:i, 4), 0, '30/60/90', 1, 'A vista', 2, 'Mensal 6x (1a no ato)', "
        "'Entrada + 30/60'), :i, 'DISTRIBUIDORA ' || mod(:i, 23)); "
        "n = decode(mod(:i, 4), 0, 3, 1, 1, 2, 6, 3); k = 1; "
        "while (k <= n) do begin "
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, VALORPAGO, DATAPAGTO, NUMDOCUMENTO) values (:i * 10 + :k, :i, '01', :k, "
        "round((100 + mod(:i * 7919, 99991) / 100.0) / :n, 2), "
        "dateadd(:k * 30 day to date '2024-01-02'), "
        "iif(mod(:i + :k, 5) = 0, round((100 + mod(:i * 7919, 99991) / 100.0) / :n, 2), null), "
        "iif(mod(:i + :k, 5) = 0, date '2024-02-15', null), :i); "
        "k = k + 1; end i = i + 1; end end");
    a.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'BRUNDELO01', ?)",
              {usuario.toStdString()});
    a.execute(
        "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) "
        "values ('PADRAO', 'BOLETO', '12345-6')");
    dbs.workstation().execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-01-01', '2024-12-31')");
}

// Every row of `tabela` in the order of `chave`, each column as text.
void escreveTabela(fb::Attachment& a, const std::string& tabela, const std::string& chave,
                   QTextStream& out) {
    std::vector<std::string> colunas;
    {
        fb::Transaction tr = a.startTransaction();
        fb::Cursor c = tr.open(
            "select trim(RDB$FIELD_NAME) from RDB$RELATION_FIELDS where RDB$RELATION_NAME = '" +
            tabela + "' order by RDB$FIELD_POSITION");
        while (c.fetch()) colunas.push_back(std::get<std::string>(c.value(0)));
        c.close();
        tr.commit();
    }
    std::string sql = "select ";
    for (std::size_t i = 0; i < colunas.size(); ++i)
        sql += (i ? ", " : "") + std::string("coalesce(cast(") + colunas[i] +
               " as varchar(400)), '<nulo>')";
    sql += " from " + tabela + " order by " + chave;
    fb::Transaction tr = a.startTransaction();
    fb::Cursor c = tr.open(sql);
    out << "== " << QString::fromStdString(tabela) << "\n";
    int linhas = 0;
    while (c.fetch()) {
        for (unsigned i = 0; i < colunas.size(); ++i)
            out << (i ? "|" : "") << QString::fromLatin1(std::get<std::string>(c.value(i)));
        out << "\n";
        ++linhas;
    }
    c.close();
    tr.commit();
    out << "== " << linhas << " linhas\n";
}

void escreveTabelas(const std::string& banco, const char* quando, QTextStream& out) {
    fb::Attachment a = fb::Attachment::attach(fbClient(), banco, testAttachParams());
    out << "=== " << quando << "\n";
    escreveTabela(a, "CONTASPR", "CODIGOCPR", out);
    escreveTabela(a, "PARCELAS", "CODIGOPARC", out);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "uso: prova-geracao <arquivo>\n");
        return 2;
    }
    QFile arquivo(QString::fromLocal8Bit(argv[1]));
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "prova-geracao: %s não pôde ser criado\n", argv[1]);
        return 1;
    }
    QTextStream out(&arquivo);

    TestEnvironment env;
    env.setNow(QDateTime(QDate(2024, 3, 20), QTime(9, 30)));
    SuiteDatabases dbs(env.suiteDir());
    semeia(dbs, env.osUserName());
    dbs.release();
    env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                       "TEMPO PARA LOGOFF AUTOMATICO...................: 10\r\n");
    env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");  // no login panel
    escreveTabelas(dbs.sharedPath(), "antes", out);

    {
        ProgramaEmTeste p;
        if (!p.inicia(env, env.suiteDir()) || !p.ativa()) {
            std::fprintf(stderr, "prova-geracao: o programa não iniciou: %s\n",
                         qPrintable(env.messages.join('\n')));
            return 1;
        }
        TDM& dm = *p.dm;
        EstadoSessao& s = p.form->sessao;
        out << "=== geracoes\n";
        for (const char* nova : kNovas) {
            const std::int64_t conta = dm.CONTASPR.field("CODIGOCPR").asInteger();
            entraCondicaoPagto(dm, s);
            dm.CONTASPR.edit();
            dm.CONTASPR.field("CONDPAGTO").setAsString(nova);
            const SaidaCondicao r = saiCondicaoPagto(dm, s, env);
            out << conta << " " << nova << ": " << static_cast<int>(r) << " "
                << dm.Parcelas.rowCount() << " parcelas\n";
            dm.CONTASPR.cancel();
            for (int k = 0; k < 7; ++k) dm.CONTASPR.prior();
        }
        // Three new accounts, each written with its installments as "Voltar"
        // writes it.
        const char* const contasNovas[] = {"Mensal 12x", "30/60/90", "Mensal 180x"};
        int n = 0;
        for (const char* cond : contasNovas) {
            RecordSet& conta = dm.CONTASPR;
            conta.append();
            conta.field("DESCRICAO").setAsString("CONTA NOVA " + std::to_string(++n));
            conta.field("NOMECLIFOR").setAsString("FORNECEDOR NOVO");
            conta.field("NFISCAL").setAsString(std::to_string(9000 + n));
            conta.field("VALORTOTAL").setAsMoney(123456 * n);
            entraCondicaoPagto(dm, s);
            conta.field("CONDPAGTO").setAsString(cond);
            const SaidaCondicao r = saiCondicaoPagto(dm, s, env);
            if (conta.state() != RecordSetState::Browse) conta.post();
            if (dm.Parcelas.active() && dm.Parcelas.state() != RecordSetState::Browse)
                dm.Parcelas.post();
            out << "nova " << conta.field("CODIGOCPR").asInteger() << " " << cond << ": "
                << static_cast<int>(r) << " " << dm.Parcelas.rowCount() << " parcelas\n";
        }
        p.encerra();
    }
    escreveTabelas(dbs.sharedPath(), "depois", out);
    out << "=== mensagens\n";
    for (const QString& m : env.messages) out << m << "\n";
    return 0;
}
