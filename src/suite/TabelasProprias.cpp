#include "suite/TabelasProprias.h"

#include "data/Connection.h"
#include "fb/fb.h"

namespace cp {

bool tabelaExiste(Connection& conexao, const std::string& nome) {
    return conexao.run([&](fb::Attachment& a) {
        fb::Transaction tr = a.startTransaction();
        fb::Cursor c = tr.open("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = ?", {nome});
        const bool existe = c.fetch();
        c.close();
        tr.commit();
        return existe;
    });
}

void garanteTabela(Connection& conexao, const std::string& nome, const std::string& ddl,
                   const std::initializer_list<const char*>& depois) {
    if (tabelaExiste(conexao, nome)) return;
    try {
        conexao.execute(ddl);
    } catch (const fb::Error&) {
        // Another workstation created it between the look and the creation.
        if (tabelaExiste(conexao, nome)) return;
        throw;
    }
    for (const char* sql : depois) conexao.execute(sql);
}

}  // namespace cp
