#include "suite/AcessoBanco.h"

#include "data/Connection.h"

namespace cp {

fb::AttachParams parametrosSuite(const char* charset) {
    fb::AttachParams p;
    p.user = "sysdba";
    p.password = kSenhaSysdba;
    p.role = "RoleName";
    p.charset = charset;
    p.dialect = 3;
    return p;
}

void preparaConexaoSuite(Connection& conexao, const char* charset) {
    conexao.setParams(parametrosSuite(charset));
    conexao.setConnectTimeout(kTempoConexaoSegundos);
    conexao.setLockTimeout(kTempoBloqueioSegundos);
}

}  // namespace cp
