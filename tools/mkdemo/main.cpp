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
#include <QDate>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "DadosDemo.h"
#include "Opcoes.h"
#include "Preenche.h"
#include "data/Connection.h"
#include "suite/AcessoBanco.h"

namespace {

namespace fs = std::filesystem;
using namespace mkdemo;

// A new database with the tables of `script`; an error names the script.
fb::Attachment criaBanco(const std::shared_ptr<fb::Client>& client, const fs::path& arquivo,
                         const std::string& charset, const fs::path& script) {
    fb::AttachParams p;
    p.user = "SYSDBA";
    p.password = cp::kSenhaSysdba;
    p.charset = charset;
    try {
        return fb::createFromScript(client, arquivo.string(), p, script.string());
    } catch (const fb::Error& e) {
        throw std::runtime_error(script.filename().string() + ": " + e.what());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Opcoes o = leOpcoes(argc, argv);
    try {
        const fs::path suite = fs::absolute(o.suite);
        const fs::path arqShared = suite / "dados" / "brundelo.bd";
        const fs::path arqWs = suite / ("interfac" + o.estacao) / "brundelo.bd";
        // Neither is touched unless both may be made.
        for (const fs::path& p : {arqShared, arqWs}) {
            if (!fs::exists(p)) continue;
            if (!o.force)
                throw std::runtime_error(p.string() +
                                         " ja existe; use --force para apaga-lo e criar de novo");
            fs::remove(p);
        }
        auto client = fb::Client::load(o.client);
        fb::Attachment shared = criaBanco(client, arqShared, "", o.sqlDir / "shared.sql");
        // The indexes recommended for a suite's shared database.
        fb::runScriptFile(shared, (o.sqlDir / "indexes.sql").string());
        fb::Attachment ws = criaBanco(client, arqWs, "WIN1252", o.sqlDir / "workstation.sql");

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
