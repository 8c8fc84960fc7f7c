// mkdemo: creates a suite directory's two embedded databases, the shared one
// (<suite>/dados/brundelo.bd) and the work area's (<suite>/interfacXX/brundelo.bd),
// from the table scripts in sql/, and binds the work area to an operating-system
// user. With --demo it also fills the shared database with a compounding
// pharmacy's suppliers, chart of accounts, bank accounts, means of payment,
// payment conditions and a few hundred accounts with their installments around
// today, and a demonstration user whose name and password it prints at the end.
//
// The data is pseudo-random from a fixed seed: two runs on the same day give
// the same rows. Texts are stored as Windows-1252 bytes; every value goes in as
// a parameter, one transaction per table.
#include <pwd.h>
#include <unistd.h>

#include <QDate>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "data/Connection.h"
#include "data/Cp1252.h"
#include "data/UsuarioSistema.h"
#include "data/fb/fb.h"
#include "logic/UChKProt.h"

namespace {

namespace fs = std::filesystem;
using fb::Value;

constexpr const char* kUsuarioDemo = "DEMO";
constexpr const char* kSenhaDemo = "1234";

struct Opcoes {
    fs::path suite;
    bool demo = false;
    bool force = false;
    std::string estacao = "01";
    std::string usuario;
    fs::path sqlDir = CP_SQL_DIR;
    std::string client;  // client library; empty = the system's default
};

[[noreturn]] void uso(const std::string& erro = {}) {
    if (!erro.empty()) std::cerr << "mkdemo: " << erro << "\n";
    std::cerr
        << "uso: mkdemo <pasta da suite> [--demo] [--station 01] [--user <usuario do sistema>]\n"
           "              [--force] [--sql <pasta dos scripts>] [--client <libfbclient>]\n"
           "  Cria <suite>/dados/brundelo.bd e <suite>/interfacXX/brundelo.bd, a area de\n"
           "  trabalho XX ligada ao usuario do sistema, o periodo do mes corrente e o\n"
           "  usuario DEMO. --demo preenche fornecedores, plano de contas, contas e parcelas.\n"
           "  --force apaga bancos que ja existam.\n";
    std::exit(erro.empty() ? 0 : 2);
}

Opcoes leOpcoes(int argc, char** argv) {
    Opcoes o;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto proximo = [&]() -> std::string {
            if (i + 1 >= args.size()) uso(a + " precisa de um valor");
            return args[++i];
        };
        if (a == "--demo")
            o.demo = true;
        else if (a == "--force")
            o.force = true;
        else if (a == "--station")
            o.estacao = proximo();
        else if (a == "--user")
            o.usuario = proximo();
        else if (a == "--sql")
            o.sqlDir = proximo();
        else if (a == "--client")
            o.client = proximo();
        else if (a == "-h" || a == "--help")
            uso();
        else if (!a.empty() && a[0] == '-')
            uso("opcao desconhecida: " + a);
        else if (o.suite.empty())
            o.suite = a;
        else
            uso("argumento a mais: " + a);
    }
    if (o.suite.empty()) uso("falta a pasta da suite");
    if (o.estacao.size() != 2) uso("o codigo da estacao tem dois caracteres, como 01");
    if (o.usuario.empty()) o.usuario = cp::nomeUsuarioSistema().toStdString();
    return o;
}

// ---------------------------------------------------------------------------
// Table scripts

void rodaScript(fb::Attachment& att, const fs::path& script) {
    try {
        fb::runScriptFile(att, script.string());
    } catch (const fb::Error& e) {
        throw std::runtime_error(script.filename().string() + ": " + e.what());
    }
}

// ---------------------------------------------------------------------------
// Values

// A UTF-8 literal of this file as the Windows-1252 bytes the suite stores,
// cut to the column's width.
std::string w(const std::string& utf8, std::size_t largura = 1000) {
    std::string s = cp::toCp1252OrThrow(QString::fromStdString(utf8));
    if (s.size() > largura) s.resize(largura);
    return s;
}

Value texto(const std::string& utf8, std::size_t largura) { return w(utf8, largura); }
Value inteiro(std::int64_t v) { return v; }
Value dinheiro(std::int64_t centavos) { return fb::Decimal{centavos, 2}; }
Value data(const QDate& d) { return fb::Date{d.year(), d.month(), d.day()}; }
Value hora(int h, int m, int s) { return fb::Time{h, m, s, 0}; }
const Value nulo{};

// Deterministic choices: the engine's output sequence is fixed by the
// standard, and the reductions below use no library distribution.
class Sorteio {
  public:
    explicit Sorteio(std::uint32_t semente) : gen_(semente) {}
    int ate(int n) { return static_cast<int>(gen_() % static_cast<std::uint32_t>(n)); }
    int entre(int a, int b) { return a + ate(b - a + 1); }
    bool chance(int porcento) { return ate(100) < porcento; }
    template <class T>
    const T& um(const std::vector<T>& v) {
        return v[static_cast<std::size_t>(ate(static_cast<int>(v.size())))];
    }

  private:
    std::mt19937 gen_;
};

// A time of the working day.
Value horaSorteada(Sorteio& s) {
    const int h = s.entre(8, 18);
    const int m = s.ate(60);
    return hora(h, m, s.ate(60));
}

// A company tax number with valid check digits, as 99.999.999/9999-99.
std::string cnpj(Sorteio& s) {
    int d[14];
    for (int i = 0; i < 8; ++i) d[i] = s.ate(10);
    d[8] = 0, d[9] = 0, d[10] = 0, d[11] = 1;
    auto digito = [&](int n) {
        static const int pesos[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
        int soma = 0;
        for (int i = 0; i < n; ++i) soma += d[i] * pesos[13 - n + i];
        const int r = soma % 11;
        return r < 2 ? 0 : 11 - r;
    };
    d[12] = digito(12);
    d[13] = digito(13);
    std::string r;
    for (int i = 0; i < 14; ++i) {
        if (i == 2 || i == 5) r += '.';
        if (i == 8) r += '/';
        if (i == 12) r += '-';
        r += static_cast<char>('0' + d[i]);
    }
    return r;
}

// ---------------------------------------------------------------------------
// Demo data

struct Cidade {
    const char* nome;
    const char* uf;
    const char* ddd;
    const char* cep;
};

const std::vector<Cidade> kCidades = {
    {"São Paulo", "SP", "11", "01310"},      {"Campinas", "SP", "19", "13015"},
    {"Ribeirão Preto", "SP", "16", "14015"}, {"Embu das Artes", "SP", "11", "06803"},
    {"Belo Horizonte", "MG", "31", "30130"}, {"Curitiba", "PR", "41", "80010"},
    {"Porto Alegre", "RS", "51", "90010"},   {"Rio de Janeiro", "RJ", "21", "20040"},
    {"Anápolis", "GO", "62", "75040"},       {"Goiânia", "GO", "62", "74003"},
    {"Florianópolis", "SC", "48", "88010"},  {"Salvador", "BA", "71", "40020"},
    {"Recife", "PE", "81", "50010"},         {"Londrina", "PR", "43", "86010"},
};

struct Empresa {
    const char* fantasia;
    const char* razao;
    int prazo;
};

struct Fornecedor {
    const char* fantasia;
    const char* razao;
    int prazo;
    std::string codigo, cidade, uf, tel, cnpj, endereco, cep;
};

const std::vector<Empresa> kEmpresas = {
    {"FARMAQUIMICA", "Farmaquímica Insumos Farmacêuticos Ltda", 28},
    {"GALENICA BRASIL", "Galênica Brasil Comércio de Insumos S.A.", 30},
    {"PHARMA INSUMOS", "Pharma Insumos e Matérias-Primas Ltda", 28},
    {"DROGA CENTRAL", "Drogaria Central Distribuidora Ltda", 21},
    {"DISTRIBUIDORA SAO LUCAS", "Distribuidora São Lucas de Medicamentos Ltda", 30},
    {"ESSENCIAL AROMAS", "Essencial Aromas e Essências Ltda", 30},
    {"VIDRARIA ANDRADE", "Vidraria Andrade Comércio de Vidros Ltda", 28},
    {"EMBALAGENS PAULISTA", "Embalagens Paulista Indústria e Comércio Ltda", 30},
    {"CAPSULAS DO BRASIL", "Cápsulas do Brasil Indústria Ltda", 45},
    {"FRASCOS E CIA", "Frascos & Cia Embalagens Plásticas Ltda", 30},
    {"ROTULOS EXPRESS", "Rótulos Express Gráfica e Editora Ltda", 15},
    {"LABORATORIO VITAFORM", "Laboratório Vitaform Produtos Naturais Ltda", 30},
    {"HOMEOPATIA SANTA CLARA", "Farmácia Homeopática Santa Clara Ltda", 28},
    {"FLORAIS DA SERRA", "Florais da Serra Essências Naturais Ltda", 30},
    {"QUIMICA FINA LIMA", "Química Fina Lima e Filhos Ltda", 35},
    {"BIOEXTRATOS", "Bioextratos Extratos Vegetais Ltda", 28},
    {"DERMAFORMULA", "Dermafórmula Bases Dermatológicas Ltda", 30},
    {"ALCOOL NACIONAL", "Álcool Nacional Distribuidora Ltda", 14},
    {"LABSUL EQUIPAMENTOS", "Labsul Equipamentos para Laboratório Ltda", 60},
    {"BALANCAS PRECISAO", "Balanças Precisão Comércio e Assistência Ltda", 30},
    {"CLIMATIZA AR", "Climatiza Ar Condicionado e Refrigeração ME", 15},
    {"LIMPEZA TOTAL", "Limpeza Total Produtos de Higiene Ltda", 21},
    {"PAPELARIA MODELO", "Papelaria Modelo Comércio de Papéis Ltda", 21},
    {"INFORMATICA ZETA", "Zeta Informática e Serviços Ltda", 30},
    {"ZOV SISTEMAS", "ZOV Sistemas de Informação Ltda", 10},
    {"CONTABIL ALIANCA", "Aliança Serviços Contábeis S/S", 10},
    {"SEGURANCA VIGILANT", "Vigilant Segurança Eletrônica Ltda", 30},
    {"TRANSPORTES RAPIDO", "Rápido Sul Transportes e Logística Ltda", 28},
    {"MOTOBOY JA", "Já Entregas Rápidas ME", 7},
    {"GRAFICA IDEAL", "Gráfica Ideal Impressos Ltda", 21},
    {"UNIFORMES BRANCO", "Branco & Azul Uniformes Profissionais Ltda", 30},
    {"AGUA PURA", "Água Pura Sistemas de Osmose Reversa Ltda", 30},
    {"GASES MEDICINAIS", "Gases Medicinais do Brasil Ltda", 28},
    {"MANUTENCAO PREDIAL", "Manutenção Predial Ribeiro ME", 15},
    {"IMOBILIARIA CENTRO", "Imobiliária Centro Administração de Bens Ltda", 5},
    {"COPEL ENERGIA", "Companhia de Energia Elétrica", 10},
    {"SANEAMENTO MUNICIPAL", "Companhia Municipal de Saneamento", 10},
    {"TELEFONICA FIBRA", "Fibra Telecomunicações S.A.", 10},
    {"SEGUROS PROTECAO", "Proteção Seguradora S.A.", 30},
    {"CONSELHO FARMACIA", "Conselho Regional de Farmácia", 30},
    {"PUBLICIDADE MAIS", "Mais Publicidade e Marketing Digital Ltda", 30},
    {"CERTIFICA ISO", "Certifica Consultoria em Qualidade Ltda", 30},
};

struct ContaPlano {
    const char* codigo;
    const char* descricao;
    const char* grupo;
    const char* ccusto;
    int fornecedor;               // index into the suppliers, -1 for none
    std::int64_t minimo, maximo;  // usual amount in centavos
};

const std::vector<ContaPlano> kPlano = {
    {"3.1.01", "Aluguel", "OCUPACAO", "ADMINISTRACAO", 34, 450000, 900000},
    {"3.1.02", "Condomínio", "OCUPACAO", "ADMINISTRACAO", 34, 60000, 120000},
    {"3.1.03", "IPTU", "OCUPACAO", "ADMINISTRACAO", -1, 30000, 90000},
    {"3.1.04", "Energia elétrica", "OCUPACAO", "LABORATORIO", 35, 60000, 180000},
    {"3.1.05", "Água e esgoto", "OCUPACAO", "LABORATORIO", 36, 15000, 45000},
    {"3.1.06", "Telefone e internet", "OCUPACAO", "ADMINISTRACAO", 37, 25000, 60000},
    {"3.1.07", "Manutenção predial", "OCUPACAO", "ADMINISTRACAO", 33, 20000, 250000},
    {"3.1.08", "Limpeza e higiene", "OCUPACAO", "LOJA", 21, 15000, 60000},
    {"3.1.09", "Segurança e monitoramento", "OCUPACAO", "ADMINISTRACAO", 26, 30000, 70000},
    {"3.2.01", "Matéria-prima manipulação", "INSUMOS", "LABORATORIO", 0, 80000, 1200000},
    {"3.2.02", "Matéria-prima homeopatia", "INSUMOS", "LABORATORIO", 12, 30000, 300000},
    {"3.2.03", "Essências florais", "INSUMOS", "LABORATORIO", 13, 20000, 150000},
    {"3.2.04", "Excipientes e veículos", "INSUMOS", "LABORATORIO", 16, 30000, 400000},
    {"3.2.05", "Cápsulas gelatinosas", "INSUMOS", "LABORATORIO", 8, 40000, 500000},
    {"3.2.06", "Álcool e solventes", "INSUMOS", "LABORATORIO", 17, 15000, 120000},
    {"3.2.07", "Embalagens", "INSUMOS", "LABORATORIO", 7, 30000, 400000},
    {"3.2.08", "Frascos e potes", "INSUMOS", "LABORATORIO", 9, 20000, 300000},
    {"3.2.09", "Rótulos e etiquetas", "INSUMOS", "LABORATORIO", 10, 10000, 80000},
    {"3.2.10", "Medicamentos para revenda", "REVENDA", "LOJA", 3, 100000, 900000},
    {"3.3.01", "Salários", "PESSOAL", "ADMINISTRACAO", -1, 1200000, 2400000},
    {"3.3.02", "FGTS e INSS", "PESSOAL", "ADMINISTRACAO", -1, 300000, 700000},
    {"3.3.03", "Vale-transporte", "PESSOAL", "ADMINISTRACAO", -1, 40000, 90000},
    {"3.3.04", "Uniformes e EPI", "PESSOAL", "LABORATORIO", 30, 15000, 80000},
    {"3.4.01", "Honorários contábeis", "SERVICOS", "ADMINISTRACAO", 25, 80000, 150000},
    {"3.4.02", "Sistema de gestão", "SERVICOS", "ADMINISTRACAO", 24, 30000, 60000},
    {"3.4.03", "Calibração de balanças", "SERVICOS", "LABORATORIO", 19, 20000, 90000},
    {"3.4.04", "Análises de controle de qualidade", "SERVICOS", "LABORATORIO", 41, 30000, 200000},
    {"3.4.05", "Fretes e entregas", "SERVICOS", "LOJA", 27, 5000, 60000},
    {"3.4.06", "Publicidade", "SERVICOS", "LOJA", 40, 30000, 300000},
    {"3.5.01", "Impostos e taxas", "TRIBUTOS", "ADMINISTRACAO", -1, 50000, 600000},
    {"3.5.02", "Anuidade do conselho", "TRIBUTOS", "ADMINISTRACAO", 39, 60000, 120000},
    {"3.6.01", "Equipamentos de laboratório", "INVESTIMENTO", "LABORATORIO", 18, 150000, 1500000},
};

struct Banco {
    int codigo, numbco, agencia, digito;
    const char* nomebco;
    const char* nomeagencia;
    const char* numconta;
};

const std::vector<Banco> kBancos = {
    {1, 1, 1234, 5, "Banco do Brasil", "Centro", "45678-9"},
    {2, 341, 789, 3, "Itaú Unibanco", "Avenida Paulista", "12345-6"},
    {3, 104, 2345, 0, "Caixa Econômica Federal", "Praça da Sé", "00098765-4"},
    {4, 237, 4567, 7, "Bradesco", "Jardins", "7654321-0"},
    {5, 0, 0, 0, "Caixa interno", "Loja", "CAIXA"},
};

const std::vector<const char*> kMeios = {"Dinheiro", "Cheque", "Cartão", "Boleto", "PIX"};
constexpr const char* kMeioPadrao = "Boleto";
constexpr const char* kContaPadrao = "12345-6";

struct Condicao {
    const char* tipo;
    const char* descricao;
    const char* dias;
    int parcelas;
    std::int64_t taxa1;  // centésimos de por cento
    const char* ctabanco;
    const char* formapag;
    const char* qaut;
};

const std::vector<Condicao> kCondicoes = {
    {"Dias Corridos", "À vista", "0", 1, 0, "", "", ""},
    {"Dias Corridos", "À vista em dinheiro", "0", 1, 0, "CAIXA", "Dinheiro", "S"},
    {"Dias Corridos", "PIX na entrega", "0", 1, 0, "45678-9", "PIX", "S"},
    {"Dias Corridos", "7 dias", "7", 1, 0, "", "", ""},
    {"Dias Corridos", "15 dias", "15", 1, 0, "", "", ""},
    {"Dias Corridos", "28 dias", "28", 1, 0, "", "", ""},
    {"Dias Corridos", "30 dias", "30", 1, 0, "", "", ""},
    {"Dias Corridos", "30/60", "30,60", 2, 0, "", "", ""},
    {"Dias Corridos", "28/56/84", "28,56,84", 3, 0, "", "", ""},
    {"Dias Corridos", "30/60/90", "30,60,90", 3, 0, "", "", ""},
    {"Dias Corridos", "Entrada + 30/60", "0,30,60", 3, 0, "", "", ""},
    {"Dias Corridos", "30/60/90/120 com juros", "30, 60, 90, 120", 4, 250, "", "Boleto", ""},
    {"Dias Corridos", "Cartão 3x", "30,60,90", 3, 350, "7654321-0", "Cartão", ""},
    {"Dia Fixo", "Mensal 6x (1ª no ato)", "1+", 6, 0, "45678-9", "Boleto", ""},
    {"Dia Fixo", "Mensal 4x (1ª no mês seguinte)", "0+", 4, 0, "", "", ""},
    {"Dia Fixo", "Mensal 3x", "1+", 3, 0, "", "", ""},
};

// Due date of installment i (from 1) of a "Dia Fixo" condition: the account
// day in the following months; a day beyond the month's end falls back up to
// three days.
QDate venceDiaFixo(const QDate& conta, int marcador, int i) {
    const int passos = marcador == 1 ? i - 1 : i;
    const QDate mes = QDate(conta.year(), conta.month(), 1).addMonths(passos);
    for (int recuo = 0; recuo <= 3; ++recuo) {
        const QDate d(mes.year(), mes.month(), conta.day() - recuo);
        if (d.isValid()) return d;
    }
    return mes;
}

std::vector<int> diasCorridos(const std::string& dias) {
    std::vector<int> r;
    std::string item;
    for (char c : dias + ",") {
        if (c != ',') {
            item += c;
            continue;
        }
        r.push_back(std::atoi(item.c_str()));
        item.clear();
    }
    return r;
}

struct Contagem {
    int fornecedores = 0, plano = 0, contas = 0, condicoes = 0, contaspr = 0, parcelas = 0;
};

// Inserts rows with one prepared statement in one transaction.
template <class Preenche>
int insere(fb::Attachment& att, const std::string& sql, Preenche&& preenche) {
    fb::Transaction tx = att.startTransaction();
    int n = 0;
    {
        fb::Statement st = tx.prepare(sql);
        preenche([&](const std::vector<Value>& valores) {
            st.execute(valores);
            ++n;
        });
    }
    tx.commit();
    return n;
}

void preencheBase(fb::Attachment& shared, fb::Attachment& ws, const Opcoes& o, const QDate& hoje) {
    insere(shared,
           "insert into ESTACOES (ESTACAO, DATBASNAM, TIPO, ESVAZIAR, EMUSO, USUARIO) "
           "values (?, ?, ?, ?, ?, ?)",
           [&](auto linha) {
               linha({texto(o.estacao, 3),
                      texto("C:\\BRUNDELO\\INTERFAC" + o.estacao + "\\BRUNDELO.BD", 60),
                      texto("FINANCEIRO", 16), texto("N", 3), texto("N", 3),
                      texto(o.usuario, 60)});
           });
    // The access text passes both checks of the login: its 3rd character is
    // the name's first letter + 4, its 7th the first letter of the session
    // check text + 8 (a last-login file whose second line begins with D).
    std::string acesso = "SSSSSSSSSSSSSSSSSSSS";
    acesso[2] = static_cast<char>(kUsuarioDemo[0] + 4);
    acesso[6] = static_cast<char>(kUsuarioDemo[0] + 8);
    insere(shared,
           "insert into USUARIOS (USUARIO, CODIGO, SENHA, ACESSO, LOGADO, ESTACAO, "
           "CONSIST_INICIAL, DEFVIDEOZOV) values (?, ?, ?, ?, ?, ?, ?, ?)",
           [&](auto linha) {
               linha({Value{cp::CodificaSenha(kUsuarioDemo)}, texto("001", 10),
                      Value{cp::CodificaSenha(kSenhaDemo)}, Value{acesso}, texto("N", 1),
                      texto(o.estacao, 15), texto("N", 1), inteiro(0)});
           });
    insere(shared, "insert into FP (FORMAPAGTO, ORDEM) values (?, ?)", [&](auto linha) {
        for (std::size_t i = 0; i < kMeios.size(); ++i)
            linha({texto(kMeios[i], 20), inteiro(static_cast<std::int64_t>(i + 1))});
    });
    insere(shared, "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) values (?, ?, ?)",
           [&](auto linha) {
               linha({texto("PADRAO", 20), texto(kMeioPadrao, 20), texto(kContaPadrao, 20)});
           });
    const QDate inicio(hoje.year(), hoje.month(), 1);
    insere(ws,
           "insert into PERIODO (DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO) "
           "values (?, ?, ?, ?, ?, ?)",
           [&](auto linha) {
               linha({data(inicio), data(inicio.addMonths(1).addDays(-1)), hora(0, 0, 0),
                      hora(23, 59, 59), texto("1", 1), texto(o.estacao, 2)});
           });
}

Contagem preencheDemo(fb::Attachment& shared, const Opcoes& o, const QDate& hoje) {
    Contagem n;
    Sorteio s(19870512);
    std::vector<Fornecedor> fornecedores;
    for (const Empresa& e : kEmpresas)
        fornecedores.push_back({e.fantasia, e.razao, e.prazo, {}, {}, {}, {}, {}, {}, {}});
    const std::vector<std::string> ruas = {"Rua das Flores",
                                           "Avenida Brasil",
                                           "Rua XV de Novembro",
                                           "Rua Sete de Setembro",
                                           "Avenida Paulista",
                                           "Rua Barão de Itapetininga",
                                           "Rodovia Anhanguera km 104",
                                           "Rua Dom Pedro II",
                                           "Avenida Getúlio Vargas"};
    for (std::size_t i = 0; i < fornecedores.size(); ++i) {
        Fornecedor& f = fornecedores[i];
        const Cidade& c = s.um(kCidades);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%04zu", i + 1);
        f.codigo = buf;
        f.cidade = c.nome;
        f.uf = c.uf;
        const int prefixo = s.entre(2000, 5999);
        std::snprintf(buf, sizeof buf, "(%s) %04d-%04d", c.ddd, prefixo, s.entre(0, 9999));
        f.tel = buf;
        f.cnpj = cnpj(s);
        f.endereco = s.um(ruas) + ", " + std::to_string(s.entre(10, 3500));
        std::snprintf(buf, sizeof buf, "%s-%03d", c.cep, s.entre(0, 999));
        f.cep = buf;
    }
    n.fornecedores = insere(
        shared,
        "insert into FORNECED (CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, "
        "ESTADO, TEL, FAX, E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const Fornecedor& f : fornecedores) {
                std::string dominio = cp::upperAZ(f.fantasia);
                std::string site;
                for (char ch : dominio)
                    if (ch != ' ') site += static_cast<char>(std::tolower(ch));
                linha({Value{f.codigo}, texto(f.razao, 40), texto(f.fantasia, 40),
                       texto(f.endereco, 40),
                       s.chance(30) ? texto("Sala " + std::to_string(s.entre(1, 30)), 40) : nulo,
                       texto(f.cep, 10), texto(f.cidade, 30), texto(f.uf, 2), texto(f.tel, 30),
                       s.chance(40) ? texto(f.tel, 20) : nulo,
                       texto("financeiro@" + site + ".com.br", 40),
                       texto("www." + site + ".com.br", 40), texto(f.cnpj, 20),
                       texto(std::to_string(s.entre(100000000, 999999999)), 20),
                       s.chance(50) ? texto(std::to_string(s.entre(1000000, 9999999)), 20) : nulo,
                       inteiro(f.prazo)});
            }
        });

    n.plano = insere(
        shared,
        "insert into PLANOCT (CODIGOCTA, DESCRICAO, UNIDADE, FABRICANTE, FORNECEDOR, "
        "FAMILIA, GRUPODESP, CCUSTO, EMPRESA, DATAULTALTERACAO) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const ContaPlano& p : kPlano) {
                const Value forn =
                    p.fornecedor >= 0 ? texto(fornecedores[p.fornecedor].fantasia, 40) : nulo;
                linha({texto(p.codigo, 20), texto(p.descricao, 40), texto("UN", 4), forn, forn,
                       texto(p.grupo, 40), texto(p.grupo, 20), texto(p.ccusto, 20),
                       texto("MATRIZ", 40), data(hoje.addDays(-s.entre(30, 400)))});
            }
        });

    n.contas = insere(
        shared,
        "insert into CONTAS (CODIGOCTA, TIPOCONTA, NUMBCO, NOMEBCO, NUMAGENCIA, NOMEAGENCIA, "
        "NUMCONTA, DIGITOCONTA, TITULARCTA, DIAVENCIM, LIMITECREDITO, PRAZOPAGTO, TARIFA) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const Banco& b : kBancos)
                linha({inteiro(b.codigo), texto(b.numbco ? "Corrente" : "Caixa", 10),
                       b.numbco ? inteiro(b.numbco) : nulo, texto(b.nomebco, 40),
                       b.numbco ? inteiro(b.agencia) : nulo, texto(b.nomeagencia, 40),
                       texto(b.numconta, 15), inteiro(b.digito),
                       texto("Farmácia de Manipulação Vida Natural Ltda", 60), inteiro(10),
                       dinheiro(b.numbco ? 1000000 * b.codigo : 0), inteiro(0),
                       dinheiro(b.numbco ? 1290 : 0)});
        });

    n.condicoes = insere(
        shared,
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, "
        "TAXA1, TAXA2, CTABANCO, FORMAPAG, QAUT) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            int codigo = 0;
            for (const Condicao& c : kCondicoes) {
                auto vazioNulo = [](const char* t, std::size_t l) {
                    return *t ? texto(t, l) : nulo;
                };
                linha({inteiro(++codigo), texto(c.tipo, 15), texto(c.descricao, 40),
                       texto(c.dias, 250), inteiro(c.parcelas), dinheiro(c.taxa1), dinheiro(0),
                       vazioNulo(c.ctabanco, 15), vazioNulo(c.formapag, 15), vazioNulo(c.qaut, 1)});
            }
        });

    // Accounts and their installments, built first, then inserted table by table.
    struct Parcela {
        std::int64_t codigoParc, codigoCpr;
        int num;
        std::int64_t valor;
        QDate vencim;
        Value pago = Value{}, dataPagto = Value{};
        std::string conta, meio, natureza, qaut;
        std::int64_t documento;
        QDate emissao;
    };
    std::vector<std::vector<Value>> contas;
    std::vector<Parcela> parcelas;
    const std::vector<std::string> clientesR = {"CONVENIO UNIMED", "CONVENIO SAUDE MAIS",
                                                "REDE CARTOES", "CLINICA DERMATO VIDA",
                                                "HOSPITAL SANTA CASA"};
    const int total = 320;
    std::int64_t codigoParc = 0;
    for (int k = 1; k <= total; ++k) {
        const bool pagar = s.chance(88);
        const Condicao& cond =
            kCondicoes[static_cast<std::size_t>(s.ate(static_cast<int>(kCondicoes.size())))];
        const int diasAtras = s.entre(0, 185);
        const QDate dataConta =
            hoje.addDays(s.chance(10) ? s.entre(0, 45) - diasAtras : -diasAtras);
        std::int64_t valor;
        std::vector<Value> linha;
        if (pagar) {
            const ContaPlano& p = s.um(kPlano);
            const Fornecedor& f = p.fornecedor >= 0 && s.chance(75)
                                      ? fornecedores[static_cast<std::size_t>(p.fornecedor)]
                                      : s.um(fornecedores);
            valor = s.entre(static_cast<int>(p.minimo / 10), static_cast<int>(p.maximo / 10)) * 10;
            linha = {inteiro(k),
                     texto(o.estacao, 2),
                     texto("P", 1),
                     texto(p.descricao, 50),
                     dinheiro(valor),
                     data(dataConta),
                     texto(cond.descricao, 40),
                     nulo,
                     nulo,
                     nulo,
                     s.chance(85) ? texto(std::to_string(s.entre(1000, 999999)), 16) : nulo,
                     texto("XX", 2),
                     inteiro(std::atoi(f.codigo.c_str())),
                     texto(f.fantasia, 40),
                     texto(f.tel, 40),
                     texto(f.endereco, 60),
                     texto(f.cep + " " + f.cidade + " " + f.uf, 60),
                     texto(f.cnpj, 18),
                     p.fornecedor >= 0 ? texto(fornecedores[p.fornecedor].fantasia, 40) : nulo,
                     nulo,
                     texto(p.grupo, 20),
                     texto(p.ccusto, 20),
                     data(dataConta),
                     horaSorteada(s),
                     s.chance(15) ? texto("Conferir nota fiscal com o pedido", 60) : nulo};
        } else {
            valor = s.entre(20000, 600000);
            linha = {inteiro(k),
                     texto(o.estacao, 2),
                     texto("R", 1),
                     texto("Recebimento de convênio", 50),
                     dinheiro(valor),
                     data(dataConta),
                     texto(cond.descricao, 40),
                     nulo,
                     nulo,
                     nulo,
                     texto(std::to_string(s.entre(1000, 999999)), 16),
                     nulo,
                     nulo,
                     texto(s.um(clientesR), 40),
                     nulo,
                     nulo,
                     nulo,
                     nulo,
                     nulo,
                     nulo,
                     texto("RECEITAS", 20),
                     texto("LOJA", 20),
                     data(dataConta),
                     horaSorteada(s),
                     nulo};
        }
        contas.push_back(std::move(linha));

        // Installments as the payment condition makes them.
        const double bruto = static_cast<double>(valor) / 100.0 *
                             (static_cast<double>(cond.taxa1) / 10000.0 + 1.0) / cond.parcelas;
        const std::int64_t valorParcela = std::llround(bruto * 100.0);
        const std::vector<int> dias = diasCorridos(cond.dias);
        const int marcador = std::atoi(cond.dias);
        const bool automatica = std::string(cond.qaut) == "S";
        for (int i = 1; i <= cond.parcelas; ++i) {
            Parcela p;
            p.codigoParc = ++codigoParc;
            p.codigoCpr = k;
            p.num = i;
            p.valor = valorParcela;
            p.vencim = std::string(cond.tipo) == "Dia Fixo"
                           ? venceDiaFixo(dataConta, marcador, i)
                           : dataConta.addDays(
                                 static_cast<std::size_t>(i) <= dias.size() ? dias[i - 1] : 0);
            p.conta = *cond.ctabanco ? cond.ctabanco : kContaPadrao;
            p.meio = *cond.formapag ? cond.formapag : kMeioPadrao;
            p.natureza = pagar ? "P" : "R";
            p.documento = s.chance(60) ? s.entre(100000, 999999) : 0;
            p.emissao = dataConta;
            if (automatica) {
                p.pago = dinheiro(valorParcela);
                p.dataPagto = data(p.vencim);
                p.qaut = "S";
            } else if (p.vencim < hoje) {
                const int sorte = s.ate(100);
                if (sorte < 55) {  // paid, on the day or a little before or after
                    p.pago = dinheiro(valorParcela);
                    p.dataPagto = data(std::min(hoje, p.vencim.addDays(s.entre(-3, 4))));
                } else if (sorte < 61) {  // settlement undone
                    p.pago = dinheiro(0);
                }
            } else if (s.chance(3)) {  // paid ahead of time
                p.pago = dinheiro(valorParcela);
                p.dataPagto = data(hoje);
            }
            parcelas.push_back(std::move(p));
        }
    }

    n.contaspr = insere(
        shared,
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, "
        "CONDPAGTO, NPEDIDO, CODIGOPEDIDO, CODIGOCOMPRA, NFISCAL, ESTACAOCLIFOR, CODIGOCLIFOR, "
        "NOMECLIFOR, FONECLIFOR, ENDERECOCLIFOR, CEPBAICIDESTCLIFOR, CNPJCLIFOR, FABRICANTE, "
        "FAMILIA, GRUPDESP, CCUSTO, DATAREGISTRO, HORAREGISTRO, OBSERVACAO) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const auto& c : contas) linha(c);
        });
    n.parcelas = insere(
        shared,
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, VALORPAGO, DATAPAGTO, COBRANCABANC, CODIGOCTA, NUMDOCUMENTO, DATAEMISSAODOC, "
        "MEIO, QAUT, NATUREZA) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const Parcela& p : parcelas)
                linha({inteiro(p.codigoParc), inteiro(p.codigoCpr), texto(o.estacao, 2), nulo,
                       inteiro(p.num), dinheiro(p.valor), data(p.vencim), p.pago, p.dataPagto,
                       texto(p.meio == "Boleto" ? "S" : "N", 1), texto(p.conta, 15),
                       p.documento ? inteiro(p.documento) : nulo, data(p.emissao),
                       texto(p.meio, 15), p.qaut.empty() ? nulo : texto(p.qaut, 1),
                       texto(p.natureza, 1)});
        });
    return n;
}

fb::Attachment criaBanco(const std::shared_ptr<fb::Client>& client, const fs::path& arquivo,
                         const std::string& charset, bool force) {
    if (fs::exists(arquivo)) {
        if (!force)
            throw std::runtime_error(arquivo.string() +
                                     " ja existe; use --force para apaga-lo e criar de novo");
        fs::remove(arquivo);
    }
    fs::create_directories(arquivo.parent_path());
    fb::AttachParams p;
    p.user = "SYSDBA";
    p.password = cp::kSenhaSysdba;
    p.charset = charset;
    return fb::Attachment::create(client, arquivo.string(), p);
}

}  // namespace

int main(int argc, char** argv) {
    const Opcoes o = leOpcoes(argc, argv);
    try {
        const fs::path suite = fs::absolute(o.suite);
        const fs::path arqShared = suite / "dados" / "brundelo.bd";
        const fs::path arqWs = suite / ("interfac" + o.estacao) / "brundelo.bd";
        if (!o.force) {
            for (const fs::path& p : {arqShared, arqWs})
                if (fs::exists(p))
                    throw std::runtime_error(
                        p.string() + " ja existe; use --force para apaga-lo e criar de novo");
        }
        auto client = fb::Client::load(o.client);
        fb::Attachment shared = criaBanco(client, arqShared, "", o.force);
        rodaScript(shared, o.sqlDir / "shared.sql");
        fb::Attachment ws = criaBanco(client, arqWs, "WIN1252", o.force);
        rodaScript(ws, o.sqlDir / "workstation.sql");

        const QDate hoje = QDate::currentDate();
        preencheBase(shared, ws, o, hoje);
        std::cout << "mkdemo: " << arqShared.string() << " e " << arqWs.string() << " criados\n"
                  << "mkdemo: area de trabalho " << o.estacao << " do usuario \"" << o.usuario
                  << "\"\n";
        if (o.demo) {
            const Contagem n = preencheDemo(shared, o, hoje);
            std::cout << "mkdemo: " << n.fornecedores << " fornecedores, " << n.plano
                      << " contas do plano, " << n.contas << " contas bancarias, " << n.condicoes
                      << " condicoes de pagamento, " << n.contaspr << " contas, " << n.parcelas
                      << " parcelas\n";
        }
        ws.detach();
        shared.detach();
        std::cout << "Usuário: " << kUsuarioDemo << "   Senha: " << kSenhaDemo << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "mkdemo: " << e.what() << "\n";
        return 1;
    }
}
