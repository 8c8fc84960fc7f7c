#include "data/MensagensErro.h"

#include <array>
#include <cstdint>
#include <utility>

#include "data/Cp1252.h"
#include "data/fb/fb.h"

namespace cp {
namespace {

struct Traducao {
    std::intptr_t gdscode;
    const char* texto;  // UTF-8
};

constexpr const char* kChaveDuplicada =
    "Já existe um registro com esta chave (chave primária ou única repetida). O registro não "
    "foi gravado.";
constexpr const char* kConflito =
    "O registro está sendo alterado por outro usuário neste momento (conflito de atualização). "
    "Tente de novo em instantes.";
constexpr const char* kRede =
    "Não foi possível comunicar com o servidor do banco de dados. Verifique a rede e se o "
    "servidor está ligado.";
constexpr const char* kConexaoPerdida =
    "A conexão com o banco de dados foi perdida ou encerrada pelo servidor. Feche o programa e "
    "abra-o de novo.";
constexpr const char* kCorrompido =
    "O arquivo do banco de dados parece estar danificado ou não é um banco de dados. Avise o "
    "suporte técnico.";
constexpr const char* kArquivo =
    "Erro de leitura ou gravação no arquivo do banco de dados: ele não existe, não pode ser "
    "aberto ou o disco falhou.";

// By the engine's error code (the first one of the server's status).
constexpr std::array<Traducao, 17> kTraducoes = {{
    {335544665, kChaveDuplicada},  // violation of PRIMARY or UNIQUE KEY constraint
    {335544349, kChaveDuplicada},  // attempt to store duplicate value in unique index
    {335544336, kConflito},        // deadlock
    {335544345, kConflito},        // lock conflict on no wait transaction
    {335544451, kConflito},        // update conflicts with concurrent update
    {335544510, kConflito},        // lock time-out on wait transaction
    {335544721, kRede},            // unable to complete network request to host
    {335544722, kRede},            // failed to establish a connection
    {335544726, kRede},            // error reading data from the connection
    {335544727, kRede},            // error writing data to the connection
    {335544741, kConexaoPerdida},  // connection lost to database
    {335544856, kConexaoPerdida},  // connection shutdown
    {335544528, kConexaoPerdida},  // database shutdown
    {335544335, kCorrompido},      // database file appears corrupt
    {335544323, kCorrompido},      // file is not a valid database
    {335544344, kArquivo},         // I/O error during operation for file
    {335544375, kArquivo},         // unavailable database
}};

// Errors that came without the engine's code, by their SQLCODE.
constexpr std::array<std::pair<int, const char*>, 2> kPorSqlcode = {{
    {-803, kChaveDuplicada},
    {-913, kConflito},
}};

}  // namespace

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
    const char* texto = nullptr;
    for (const Traducao& t : kTraducoes)
        if (t.gdscode == erro->gdscode()) texto = t.texto;
    if (!texto && erro->gdscode() == 0)
        for (const auto& [sqlcode, t] : kPorSqlcode)
            if (sqlcode == erro->sqlcode()) texto = t;
    if (!texto) return std::nullopt;
    QString mensagem = QString::fromUtf8(texto);
    if (!erro->database().empty())
        mensagem += QStringLiteral("\nBanco de dados: ") + visivel(erro->database());
    if (erro->gdscode() != 0)
        mensagem +=
            QStringLiteral("\nCódigo do erro: %1").arg(static_cast<qint64>(erro->gdscode()));
    return mensagem;
}

}  // namespace cp
