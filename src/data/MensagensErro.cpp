#include "data/MensagensErro.h"

#include <array>
#include <cstdint>
#include <utility>

#include "data/Cp1252.h"
#include "data/fb/fb.h"

namespace cp {
namespace {

struct Codigo {
    std::intptr_t gdscode;
    FalhaBanco tipo;
};

// The engine's codes of each kind, as Firebird 3 gives them. A lock that
// outlasts the wait comes as deadlock / update conflict / concurrent
// transaction number, the same as a change that another transaction
// committed meanwhile; a restarted server as a failed read or write on the
// connection; an attachment ended by the administrator as a connection
// shutdown; a server that does not answer within the connect time-out as a
// rejected connection.
constexpr std::array<Codigo, 26> kCodigos = {{
    {335544665, FalhaBanco::ChaveRepetida},     // violation of PRIMARY or UNIQUE KEY constraint
    {335544349, FalhaBanco::ChaveRepetida},     // attempt to store duplicate value in unique index
    {335544466, FalhaBanco::ChaveEstrangeira},  // violation of FOREIGN KEY constraint
    {335544838, FalhaBanco::ChaveEstrangeira},  // foreign key target does not exist
    {335544839, FalhaBanco::ChaveEstrangeira},  // foreign key references are present
    {335544336, FalhaBanco::Conflito},          // deadlock
    {335544345, FalhaBanco::Conflito},          // lock conflict on no wait transaction
    {335544451, FalhaBanco::Conflito},          // update conflicts with concurrent update
    {335544510, FalhaBanco::Conflito},          // lock time-out on wait transaction
    {335544878, FalhaBanco::Conflito},          // concurrent transaction number is N
    {335544726, FalhaBanco::ConexaoPerdida},    // error reading data from the connection
    {335544727, FalhaBanco::ConexaoPerdida},    // error writing data to the connection
    {335544741, FalhaBanco::ConexaoPerdida},    // connection lost to database
    {335544856, FalhaBanco::ConexaoPerdida},    // connection shutdown
    {335544528, FalhaBanco::ConexaoPerdida},    // database shutdown
    {335544506, FalhaBanco::ConexaoPerdida},    // database shutdown in progress
    {335544648, FalhaBanco::ConexaoPerdida},    // connection lost to pipe server
    {335544721, FalhaBanco::ServidorInacessivel},  // unable to complete network request to host
    {335544722, FalhaBanco::ServidorInacessivel},  // failed to establish a connection
    {335544723,
     FalhaBanco::ServidorInacessivel},  // error while listening for an incoming connection
    {335544704, FalhaBanco::ServidorInacessivel},  // failed to locate host machine
    {335544421, FalhaBanco::ServidorInacessivel},  // connection rejected by remote interface
    {335544335, FalhaBanco::BancoDanificado},      // database file appears corrupt
    {335544323, FalhaBanco::BancoDanificado},      // file is not a valid database
    {335544344, FalhaBanco::Arquivo},              // I/O error during operation for file
    {335544375, FalhaBanco::Arquivo},              // unavailable database
}};

// Errors that came without the engine's code, by their SQLCODE.
constexpr std::array<std::pair<int, FalhaBanco>, 3> kPorSqlcode = {{
    {-803, FalhaBanco::ChaveRepetida},
    {-530, FalhaBanco::ChaveEstrangeira},
    {-913, FalhaBanco::Conflito},
}};

FalhaBanco porCodigo(std::intptr_t codigo) {
    for (const Codigo& c : kCodigos)
        if (c.gdscode == codigo) return c.tipo;
    return FalhaBanco::Outra;
}

const char* textoDe(FalhaBanco tipo) {
    switch (tipo) {
        case FalhaBanco::ChaveRepetida:
            return "Já existe um registro com esta chave (chave primária ou única repetida). O "
                   "registro não foi gravado.";
        case FalhaBanco::ChaveEstrangeira:
            return "O registro se refere a outro que não existe no banco de dados, ou outros "
                   "registros se referem a ele (chave estrangeira). A alteração não foi gravada.";
        case FalhaBanco::Conflito:
            return "O registro está sendo alterado por outro usuário neste momento (conflito de "
                   "atualização). Tente de novo em instantes.";
        case FalhaBanco::RegistroApagado:
            return "O registro não existe mais no banco de dados: foi excluído por outra estação "
                   "ou por outro programa.";
        case FalhaBanco::ConexaoPerdida:
            return "A conexão com o banco de dados foi perdida (o servidor foi reiniciado, o "
                   "administrador encerrou a conexão ou a rede falhou). O programa se conecta de "
                   "novo no próximo uso; o que não foi gravado continua pendente.";
        case FalhaBanco::ServidorInacessivel:
            return "Não foi possível comunicar com o servidor do banco de dados: ele não respondeu "
                   "ou recusou a conexão. Verifique se o computador do servidor está ligado e na "
                   "rede, se o Firebird está em execução nele e se o IP DO SERVIDOR CENTRAL do "
                   "BRUNDELO.INI está correto.";
        case FalhaBanco::BancoDanificado:
            return "O arquivo do banco de dados parece estar danificado ou não é um banco de "
                   "dados. Avise o suporte técnico.";
        case FalhaBanco::Arquivo:
            return "Erro de leitura ou gravação no arquivo do banco de dados: ele não existe, não "
                   "pode ser aberto ou o disco falhou.";
        case FalhaBanco::Outra:
            break;
    }
    return nullptr;
}

}  // namespace

FalhaBanco tipoFalha(const fb::Error& e) {
    for (const fb::StatusCode& s : e.status())
        if (FalhaBanco t = porCodigo(s.code); t != FalhaBanco::Outra) return t;
    if (e.gdscode() == 0)
        for (const auto& [sqlcode, t] : kPorSqlcode)
            if (sqlcode == e.sqlcode()) return t;
    return FalhaBanco::Outra;
}

FalhaBanco tipoFalha(const std::exception& e) {
    const auto* erro = dynamic_cast<const fb::Error*>(&e);
    return erro ? tipoFalha(*erro) : FalhaBanco::Outra;
}

std::string servidorDoBanco(const std::string& banco) {
    const std::size_t doisPontos = banco.find(':');
    // "C:\..." alone is a drive letter, not a host; a local path has no colon.
    if (doisPontos == std::string::npos || doisPontos < 2) return {};
    return banco.substr(0, doisPontos);
}

std::optional<QString> mensagemOperadorBanco(const std::exception& e) {
    if (const auto* cliente = dynamic_cast<const fb::ClientLibraryError*>(&e)) {
        return QStringLiteral(
                   "Não foi possível carregar a biblioteca cliente do banco de dados "
                   "(%1). Verifique a instalação do cliente do Firebird e o arquivo "
                   "CaminhoGDS.txt da pasta da suíte.")
            .arg(visivel(cliente->library()));
    }
    const auto* erro = dynamic_cast<const fb::Error*>(&e);
    if (!erro) return std::nullopt;
    const FalhaBanco tipo = tipoFalha(*erro);
    const char* texto = textoDe(tipo);
    if (!texto) return std::nullopt;
    QString mensagem = QString::fromUtf8(texto);
    if (!erro->database().empty()) {
        const std::string servidor = servidorDoBanco(erro->database());
        if (tipo == FalhaBanco::ServidorInacessivel && !servidor.empty())
            mensagem += QStringLiteral("\nServidor: ") + visivel(servidor);
        mensagem += QStringLiteral("\nBanco de dados: ") + visivel(erro->database());
    }
    if (erro->gdscode() != 0)
        mensagem +=
            QStringLiteral("\nCódigo do erro: %1").arg(static_cast<qint64>(erro->gdscode()));
    return mensagem;
}

}  // namespace cp
