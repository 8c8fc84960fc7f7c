// The demonstration rows of a compounding pharmacy, as data: the cities of
// its suppliers, the suppliers, the chart of accounts, the bank accounts, the
// means of payment and the payment conditions. Texts are UTF-8 here and go
// into the databases as Windows-1252.
#pragma once

#include <cstdint>

namespace mkdemo {

// The user mkdemo creates, and the password it prints.
inline constexpr const char* kUsuarioDemo = "DEMO";
inline constexpr const char* kSenhaDemo = "1234";

struct Cidade {
    const char* nome;
    const char* uf;
    const char* ddd;
    const char* cep;  // the first five digits
};

inline constexpr Cidade kCidades[] = {
    {"São Paulo", "SP", "11", "01310"},      {"Campinas", "SP", "19", "13015"},
    {"Ribeirão Preto", "SP", "16", "14015"}, {"Embu das Artes", "SP", "11", "06803"},
    {"Belo Horizonte", "MG", "31", "30130"}, {"Curitiba", "PR", "41", "80010"},
    {"Porto Alegre", "RS", "51", "90010"},   {"Rio de Janeiro", "RJ", "21", "20040"},
    {"Anápolis", "GO", "62", "75040"},       {"Goiânia", "GO", "62", "74003"},
    {"Florianópolis", "SC", "48", "88010"},  {"Salvador", "BA", "71", "40020"},
    {"Recife", "PE", "81", "50010"},         {"Londrina", "PR", "43", "86010"},
};

inline constexpr const char* kRuas[] = {
    "Rua das Flores",
    "Avenida Brasil",
    "Rua XV de Novembro",
    "Rua Sete de Setembro",
    "Avenida Paulista",
    "Rua Barão de Itapetininga",
    "Rodovia Anhanguera km 104",
    "Rua Dom Pedro II",
    "Avenida Getúlio Vargas",
};

// Suppliers: trade name, company name, usual payment term in days.
struct Empresa {
    const char* fantasia;
    const char* razao;
    int prazo;
};

inline constexpr Empresa kEmpresas[] = {
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
    int fornecedor;               // index into kEmpresas, -1 for none
    std::int64_t minimo, maximo;  // usual amount in centavos
};

inline constexpr ContaPlano kPlano[] = {
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
    int codigo, numbco, agencia, digito;  // numbco 0: the cash box
    const char* nomebco;
    const char* nomeagencia;
    const char* numconta;
};

inline constexpr Banco kBancos[] = {
    {1, 1, 1234, 5, "Banco do Brasil", "Centro", "45678-9"},
    {2, 341, 789, 3, "Itaú Unibanco", "Avenida Paulista", "12345-6"},
    {3, 104, 2345, 0, "Caixa Econômica Federal", "Praça da Sé", "00098765-4"},
    {4, 237, 4567, 7, "Bradesco", "Jardins", "7654321-0"},
    {5, 0, 0, 0, "Caixa interno", "Loja", "CAIXA"},
};

inline constexpr const char* kTitularContas = "Farmácia de Manipulação Vida Natural Ltda";

// Means of payment in their order, and the installment defaults.
inline constexpr const char* kMeios[] = {"Dinheiro", "Cheque", "Cartão", "Boleto", "PIX"};
inline constexpr const char* kMeioPadrao = "Boleto";
inline constexpr const char* kContaPadrao = "12345-6";

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

inline constexpr Condicao kCondicoes[] = {
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

// Who the receivable accounts are from.
inline constexpr const char* kClientesReceber[] = {
    "CONVENIO UNIMED",      "CONVENIO SAUDE MAIS", "REDE CARTOES",
    "CLINICA DERMATO VIDA", "HOSPITAL SANTA CASA",
};

}  // namespace mkdemo
