// The registers of the demonstration: suppliers, chart of accounts, bank
// accounts and payment conditions.
#include <cctype>
#include <cstdio>

#include "DadosDemo.h"
#include "Preenche.h"
#include "data/Cp1252.h"

namespace mkdemo {

std::vector<Fornecedor> sorteiaFornecedores(Sorteio& s) {
    std::vector<Fornecedor> fornecedores;
    for (const Empresa& e : kEmpresas) {
        Fornecedor f{e.fantasia, e.razao, e.prazo, {}, {}, {}, {}, {}, {}, {}};
        const Cidade& c = s.um(kCidades);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%04zu", fornecedores.size() + 1);
        f.codigo = buf;
        f.cidade = c.nome;
        f.uf = c.uf;
        const int prefixo = s.entre(2000, 5999);
        std::snprintf(buf, sizeof buf, "(%s) %04d-%04d", c.ddd, prefixo, s.entre(0, 9999));
        f.tel = buf;
        f.cnpj = cnpj(s);
        f.endereco = std::string(s.um(kRuas)) + ", " + std::to_string(s.entre(10, 3500));
        std::snprintf(buf, sizeof buf, "%s-%03d", c.cep, s.entre(0, 999));
        f.cep = buf;
        fornecedores.push_back(std::move(f));
    }
    return fornecedores;
}

int preencheFornecedores(fb::Attachment& shared, const std::vector<Fornecedor>& fornecedores,
                         Sorteio& s) {
    return insere(
        shared,
        "insert into FORNECED (CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, "
        "ESTADO, TEL, FAX, E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const Fornecedor& f : fornecedores) {
                std::string site;
                for (char ch : cp::upperAZ(f.fantasia))
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
}

int preenchePlano(fb::Attachment& shared, Sorteio& s, const QDate& hoje) {
    return insere(shared,
                  "insert into PLANOCT (CODIGOCTA, DESCRICAO, UNIDADE, FABRICANTE, FORNECEDOR, "
                  "FAMILIA, GRUPODESP, CCUSTO, EMPRESA, DATAULTALTERACAO) "
                  "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  [&](auto linha) {
                      for (const ContaPlano& p : kPlano) {
                          const Value forn = p.fornecedor >= 0
                                                 ? texto(kEmpresas[p.fornecedor].fantasia, 40)
                                                 : nulo;
                          linha({texto(p.codigo, 20), texto(p.descricao, 40), texto("UN", 4), forn,
                                 forn, texto(p.grupo, 40), texto(p.grupo, 20), texto(p.ccusto, 20),
                                 texto("MATRIZ", 40), data(hoje.addDays(-s.entre(30, 400)))});
                      }
                  });
}

int preencheContasBancarias(fb::Attachment& shared) {
    return insere(
        shared,
        "insert into CONTAS (CODIGOCTA, TIPOCONTA, NUMBCO, NOMEBCO, NUMAGENCIA, NOMEAGENCIA, "
        "NUMCONTA, DIGITOCONTA, TITULARCTA, DIAVENCIM, LIMITECREDITO, PRAZOPAGTO, TARIFA) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const Banco& b : kBancos)
                linha({inteiro(b.codigo), texto(b.numbco ? "Corrente" : "Caixa", 10),
                       b.numbco ? inteiro(b.numbco) : nulo, texto(b.nomebco, 40),
                       b.numbco ? inteiro(b.agencia) : nulo, texto(b.nomeagencia, 40),
                       texto(b.numconta, 15), inteiro(b.digito), texto(kTitularContas, 60),
                       inteiro(10), dinheiro(b.numbco ? 1000000 * b.codigo : 0), inteiro(0),
                       dinheiro(b.numbco ? 1290 : 0)});
        });
}

int preencheCondicoes(fb::Attachment& shared) {
    return insere(shared,
                  "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, "
                  "TAXA1, TAXA2, CTABANCO, FORMAPAG, QAUT) "
                  "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  [&](auto linha) {
                      int codigo = 0;
                      for (const Condicao& c : kCondicoes)
                          linha({inteiro(++codigo), texto(c.tipo, 15), texto(c.descricao, 40),
                                 texto(c.dias, 250), inteiro(c.parcelas), dinheiro(c.taxa1),
                                 dinheiro(0), textoOuNulo(c.ctabanco, 15),
                                 textoOuNulo(c.formapag, 15), textoOuNulo(c.qaut, 1)});
                  });
}

}  // namespace mkdemo
