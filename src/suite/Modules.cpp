#include "suite/Modules.h"

#include "suite/AcessoBanco.h"
#include "suite/DonoDoBloqueio.h"
#include "suite/Environment.h"
#include "suite/EstadoSessao.h"
#include "suite/MensagensErro.h"

namespace cp {

namespace {

using F = FieldDef;

// What every record set of the modules shares: the environment's clock,
// the holder of a row waited for named from the monitoring tables, and the
// operator's words for a change that could not be written.
void preparaRegistros(RecordSet& rs, Environment& env) {
    rs.setClock([&env] { return env.today(); });
    rs.lockHolder = donoDaTransacao;
    rs.describeFailure = textoDaFalha;
}

F money(const char* name) { return F::money(name).withDisplay(kFormatoValor); }
F shownDate(const char* name) { return F::date(name, kFormatoData, kMascaraData); }
F maskedDate(const char* name) { return F::date(name, {}, kMascaraData); }
F maskedTime(const char* name) { return F::time(name, kMascaraHora); }

std::vector<F> camposContasPR() {
    return {F::integer("CODIGOCPR", true, true),
            F::string("ESTACAO", 2, true, true),
            F::string("NATUREZA", 1),
            F::string("DESCRICAO", 50),
            money("VALORTOTAL"),
            shownDate("DATA"),
            F::string("CONDPAGTO", 40),
            F::integer("NPEDIDO"),
            F::string("CODIGOPEDIDO", 10),
            F::string("CODIGOCOMPRA", 100),
            F::string("NFISCAL", 16),
            F::string("ESTACAOCLIFOR", 2),
            F::integer("CODIGOCLIFOR"),
            F::string("NOMECLIFOR", 40),
            F::string("FONECLIFOR", 40),
            F::string("ENDERECOCLIFOR", 60),
            F::string("CEPBAICIDESTCLIFOR", 60),
            F::string("CNPJCLIFOR", 18).withMask(kMascaraCNPJ),
            F::string("FABRICANTE", 40),
            F::string("FAMILIA", 40),
            F::string("GRUPDESP", 20),
            F::string("CCUSTO", 20),
            shownDate("DATAREGISTRO"),
            maskedTime("HORAREGISTRO"),
            F::string("OBSERVACAO", 60)};
}

std::vector<F> camposParcelas() {
    return {F::integer("CODIGOPARC", true, true),
            F::integer("CODIGOCPR", true, true),
            F::string("ESTACAO", 2),
            F::integer("NPEDIDO"),
            F::integer("NUMPARCELA", true),
            money("VALORPARCELA"),
            maskedDate("DATAVENCIM"),
            money("VALORPAGO"),
            maskedDate("DATAPAGTO"),
            F::string("COBRANCABANC", 1),
            F::string("CODIGOCTA", 15),
            F::integer("NUMDOCUMENTO"),
            maskedDate("DATAEMISSAODOC"),
            F::string("MEIO", 15),
            F::string("QAUT", 1),
            F::string("NATUREZA", 1)};
}

std::vector<F> camposForneced() {
    return {F::string("CODIGO", 4, false, true),
            F::string("NOME", 40),
            F::string("NOMEFANTASIA", 40),
            F::string("ENDERECO", 40),
            F::string("COMPLEMENTO", 40),
            F::string("CEP", 10),
            F::string("CIDADE", 30),
            F::string("ESTADO", 2),
            F::string("TEL", 30),
            F::string("FAX", 20),
            F::string("E_MAIL", 40),
            F::string("SITE", 40),
            F::string("CNPJ", 20),
            F::string("IE", 20),
            F::string("IM", 20),
            F::integer("PRAZO_PAGAMENTO")};
}

std::vector<F> camposPlanoCT() {
    return {F::string("CODIGOCTA", 20, true, true),
            F::string("DESCRICAO", 40, false, true),
            F::string("UNIDADE", 4),
            F::string("FABRICANTE", 40),
            F::string("FORNECEDOR", 40),
            F::string("FAMILIA", 40),
            F::string("GRUPODESP", 20),
            F::string("CCUSTO", 20),
            F::string("EMPRESA", 40),
            F::date("DATAULTALTERACAO")};
}

std::vector<F> camposContas() {
    return {F::integer("CODIGOCTA", true, true),
            F::string("TIPOCONTA", 10),
            F::integer("NUMBCO"),
            F::string("NOMEBCO", 40),
            F::integer("NUMAGENCIA"),
            F::string("NOMEAGENCIA", 40),
            F::string("NUMCONTA", 15),
            F::integer("DIGITOCONTA"),
            F::string("TITULARCTA", 60),
            F::integer("DIAVENCIM"),
            F::money("LIMITECREDITO"),
            F::integer("PRAZOPAGTO"),
            F::money("TARIFA")};
}

std::vector<F> camposFormasPG() {
    return {F::integer("CODIGOFP", true, true),
            F::string("TIPO", 15),
            F::string("DESCRICAO", 40),
            F::string("DIAS", 250),
            F::integer("QDEPARCELAS"),
            F::money("TAXA1"),
            F::money("TAXA2"),
            F::string("CTABANCO", 15),
            F::string("FORMAPAG", 15),
            F::string("QAUT", 1)};
}

std::vector<F> camposUsuarios() {
    return {F::string("USUARIO", 30, true, true),
            F::string("CODIGO", 10),
            F::string("SENHA", 12),
            F::string("ACESSO", 100),
            F::string("ARQUIVO", 8),
            F::string("LOGADO", 1),
            F::string("ESTACAO", 15),
            F::string("CONSIST_INICIAL", 1),
            F::integer("DEFVIDEOZOV")};
}

std::vector<F> camposEstacoes() {
    std::vector<F> f = {F::string("ESTACAO", 3, true, true),
                        F::string("DATBASNAM", 60),
                        F::string("TIPO", 16),
                        F::string("ATCAIXA", 60),
                        F::string("ESVAZIAR", 3),
                        F::string("EMUSO", 3),
                        F::string("CAMINHOREQUISICAO", 80),
                        F::string("CAMINHOOM", 80),
                        F::string("CAMINHOECF", 80),
                        F::string("CAMINHOSEQUENCIAL1", 80),
                        F::string("CAMINHO2", 80)};
    for (int i = 1; i <= 6; ++i) f.push_back(F::string("ROTULO" + std::to_string(i), 80));
    f.push_back(F::string("USUARIO", 60));
    return f;
}

// The due list: installment columns written back to PARCELAS, account
// columns of the join shown only.
std::vector<F> camposQuery2() {
    return {F::integer("CODIGOCPR", true, true),
            F::integer("CODIGOPARC", true, true),
            shownDate("DATAVENCIM"),
            F::integer("NUMPARCELA", true),
            F::integer("NUMDOCUMENTO"),
            money("VALORPARCELA"),
            shownDate("DATAPAGTO"),
            money("VALORPAGO"),
            F::string("NOMECLIFOR", 40).notUpdatable(),
            F::integer("CODIGOCPR_1", true).notUpdatable(),
            F::string("NATUREZA", 1).notUpdatable(),
            F::string("DESCRICAO", 50).notUpdatable(),
            F::string("NFISCAL", 16).notUpdatable()};
}

std::vector<F> camposPeriodo() {
    return {maskedDate("DATAINICIAL"), maskedDate("DATAFINAL"), maskedTime("HORAINICIAL"),
            maskedTime("HORAFINAL"),   F::string("CHAVE", 1),   F::string("ESTACAO", 2),
            F::integer("NPEDIDO"),     F::integer("NFORMULA"),  F::decimal8("VALORTOTAL"),
            F::decimal8("VALORTOTAL2")};
}

}  // namespace

TDM::TDM(Environment& e, EstadoSessao& s)
    : env(e),
      sessao(s),
      CONTASPR("CONTASPR", SQLConnection1, camposContasPR(),
               "select CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, CONDPAGTO, "
               "NPEDIDO, CODIGOPEDIDO, CODIGOCOMPRA, NFISCAL, ESTACAOCLIFOR, CODIGOCLIFOR, "
               "NOMECLIFOR, FONECLIFOR, ENDERECOCLIFOR, CEPBAICIDESTCLIFOR, CNPJCLIFOR, "
               "FABRICANTE, FAMILIA, GRUPDESP, CCUSTO, DATAREGISTRO, HORAREGISTRO, OBSERVACAO "
               "from CONTASPR order by CODIGOPEDIDO",
               UpdateMode::Key, "CONTASPR"),
      Parcelas("Parcelas", SQLConnection1, camposParcelas(),
               "select CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, VALORPARCELA, "
               "DATAVENCIM, VALORPAGO, DATAPAGTO, COBRANCABANC, CODIGOCTA, NUMDOCUMENTO, "
               "DATAEMISSAODOC, MEIO, QAUT, NATUREZA from PARCELAS",
               UpdateMode::Key, "PARCELAS"),
      Forneced("Forneced", SQLConnection1, camposForneced(),
               "select First 1 CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, "
               "ESTADO, TEL, FAX, E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO from FORNECED",
               UpdateMode::Key, "FORNECED"),
      PlanoCT("PlanoCT", SQLConnection1, camposPlanoCT(),
              "select CODIGOCTA, DESCRICAO, UNIDADE, FABRICANTE, FORNECEDOR, FAMILIA, GRUPODESP, "
              "CCUSTO, EMPRESA, DATAULTALTERACAO from PLANOCT order by DESCRICAO",
              UpdateMode::Key, "PLANOCT"),
      Contas("Contas", SQLConnection1, camposContas(),
             "select CODIGOCTA, TIPOCONTA, NUMBCO, NOMEBCO, NUMAGENCIA, NOMEAGENCIA, NUMCONTA, "
             "DIGITOCONTA, TITULARCTA, DIAVENCIM, LIMITECREDITO, PRAZOPAGTO, TARIFA from CONTAS "
             "order by NUMCONTA",
             UpdateMode::Key, "CONTAS"),
      FP("FP", SQLConnection1, {F::string("FORMAPAGTO", 20), F::integer("ORDEM")},
         "select FORMAPAGTO, ORDEM from FP order by ORDEM", UpdateMode::AllColumns, "FP"),
      FormasPG("FormasPG", SQLConnection1, camposFormasPG(),
               "select CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, CTABANCO, "
               "FORMAPAG, QAUT from FORMASPG order by DESCRICAO",
               UpdateMode::Key, "FORMASPG"),
      FormaPad(
          "FormaPad", SQLConnection1,
          {F::string("TIPOFORMA", 20), F::string("MEIOPADRAO", 20), F::string("CTAPADRAO", 20)},
          "select TIPOFORMA, MEIOPADRAO, CTAPADRAO from FORMAPAD", UpdateMode::AllColumns,
          "FORMAPAD"),
      Usuarios("Usuarios", SQLConnection1, camposUsuarios(),
               "select USUARIO, CODIGO, SENHA, ACESSO, ARQUIVO, LOGADO, ESTACAO, "
               "CONSIST_INICIAL, DEFVIDEOZOV from USUARIOS order by USUARIO",
               UpdateMode::Key, "USUARIOS"),
      Estacoes("Estacoes", SQLConnection1, camposEstacoes(),
               "select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, "
               "CAMINHOOM, CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, "
               "ROTULO4, ROTULO5, ROTULO6, USUARIO from ESTACOES",
               UpdateMode::Key, "ESTACOES"),
      Query2("Query2", SQLConnection1, camposQuery2(),
             "Select A.CodigoCPR, A.CodigoParc, A.DataVencim, A.NumParcela, A.NumDocumento, "
             "A.ValorParcela, A.DataPagto, A.ValorPago, B.NomeCliFor, B.CodigoCPR, B.Natureza, "
             "B.Descricao, B.NFiscal from Parcelas A, ContasPR B where B.Natureza = 'P' and "
             "A.CodigoCPR = B.CodigoCPR order by A.DataVencim ",
             UpdateMode::AllColumns, "PARCELAS"),
      SQLQuery1("SQLQuery1", SQLConnection1) {
    preparaConexaoSuite(SQLConnection1, "");
    Estacoes.setPrimaryKeyOrderTable("ESTACOES");
    Query2.setLenientColumns(true);
    for (RecordSet* rs : {&CONTASPR, &Parcelas, &Forneced, &PlanoCT, &Contas, &FP, &FormasPG,
                          &FormaPad, &Usuarios, &Estacoes, &Query2})
        preparaRegistros(*rs, e);
}

TDM2::TDM2(Environment& e, EstadoSessao& s)
    : env(e),
      sessao(s),
      Periodo("Periodo", SQLConnection1, camposPeriodo(),
              "select DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO, NPEDIDO, "
              "NFORMULA, VALORTOTAL, VALORTOTAL2 from PERIODO",
              UpdateMode::AllColumns, "PERIODO") {
    preparaConexaoSuite(SQLConnection1, "win1252");
    preparaRegistros(Periodo, e);
}

}  // namespace cp
