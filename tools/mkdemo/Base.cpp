// The rows every suite needs, demonstration or not.
#include "DadosDemo.h"
#include "Preenche.h"
#include "logic/UChKProt.h"

namespace mkdemo {

int preencheEstacoes(fb::Attachment& shared, const Opcoes& o) {
    return insere(
        shared,
        "insert into ESTACOES (ESTACAO, DATBASNAM, TIPO, ESVAZIAR, EMUSO, USUARIO) "
        "values (?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            linha({texto(o.estacao, 3),
                   texto("C:\\BRUNDELO\\INTERFAC" + o.estacao + "\\BRUNDELO.BD", 60),
                   texto("FINANCEIRO", 16), texto("N", 3), texto("N", 3), texto(o.usuario, 60)});
        });
}

int preencheUsuarios(fb::Attachment& shared, const Opcoes& o) {
    // The access text passes both checks of the login: its 3rd character is
    // the name's first letter + 4, its 7th the first letter of the session
    // check text + 8 (a last-login file whose second line begins with D).
    std::string acesso = "SSSSSSSSSSSSSSSSSSSS";
    acesso[2] = static_cast<char>(kUsuarioDemo[0] + 4);
    acesso[6] = static_cast<char>(kUsuarioDemo[0] + 8);
    return insere(shared,
                  "insert into USUARIOS (USUARIO, CODIGO, SENHA, ACESSO, LOGADO, ESTACAO, "
                  "CONSIST_INICIAL, DEFVIDEOZOV) values (?, ?, ?, ?, ?, ?, ?, ?)",
                  [&](auto linha) {
                      linha({Value{cp::CodificaSenha(kUsuarioDemo)}, texto("001", 10),
                             Value{cp::CodificaSenha(kSenhaDemo)}, Value{acesso}, texto("N", 1),
                             texto(o.estacao, 15), texto("N", 1), inteiro(0)});
                  });
}

int preencheFP(fb::Attachment& shared) {
    return insere(shared, "insert into FP (FORMAPAGTO, ORDEM) values (?, ?)", [&](auto linha) {
        std::int64_t ordem = 0;
        for (const char* meio : kMeios) linha({texto(meio, 20), inteiro(++ordem)});
    });
}

int preencheFormaPad(fb::Attachment& shared) {
    return insere(shared,
                  "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) values (?, ?, ?)",
                  [&](auto linha) {
                      linha({texto("PADRAO", 20), texto(kMeioPadrao, 20), texto(kContaPadrao, 20)});
                  });
}

int preenchePeriodo(fb::Attachment& ws, const Opcoes& o, const QDate& hoje) {
    const QDate inicio(hoje.year(), hoje.month(), 1);
    return insere(
        ws,
        "insert into PERIODO (DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO) "
        "values (?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            linha({data(inicio), data(inicio.addMonths(1).addDays(-1)), hora(0, 0, 0),
                   hora(23, 59, 59), texto("1", 1), texto(o.estacao, 2)});
        });
}

void preencheBase(fb::Attachment& shared, fb::Attachment& ws, const Opcoes& o, const QDate& hoje) {
    preencheEstacoes(shared, o);
    preencheUsuarios(shared, o);
    preencheFP(shared);
    preencheFormaPad(shared);
    preenchePeriodo(ws, o, hoje);
}

}  // namespace mkdemo
