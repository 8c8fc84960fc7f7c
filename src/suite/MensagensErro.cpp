#include "suite/MensagensErro.h"

#include <array>
#include <cstdint>
#include <utility>

#include "data/Connection.h"
#include "data/Cp1252.h"
#include "data/RecordSet.h"
#include "fb/Failure.h"
#include "fb/fb.h"

namespace cp {
namespace {

const char* textoDe(fb::Failure tipo) {
    switch (tipo) {
        case fb::Failure::DuplicateKey:
            return "Já existe um registro com esta chave (chave primária ou única repetida). O "
                   "registro não foi gravado.";
        case fb::Failure::ForeignKey:
            return "O registro se refere a outro que não existe no banco de dados, ou outros "
                   "registros se referem a ele (chave estrangeira). A alteração não foi gravada.";
        case fb::Failure::Conflict:
            return "O registro está sendo alterado por outro usuário neste momento (conflito de "
                   "atualização). Tente de novo em instantes.";
        case fb::Failure::RowDeleted:
            return "O registro não existe mais no banco de dados: foi excluído por outra estação "
                   "ou por outro programa.";
        case fb::Failure::ConnectionLost:
            return "A conexão com o banco de dados foi perdida (o servidor foi reiniciado, o "
                   "administrador encerrou a conexão ou a rede falhou). O programa se conecta de "
                   "novo no próximo uso; o que não foi gravado continua pendente.";
        case fb::Failure::ServerUnreachable:
            return "Não foi possível comunicar com o servidor do banco de dados: ele não respondeu "
                   "ou recusou a conexão. Verifique se o computador do servidor está ligado e na "
                   "rede, se o Firebird está em execução nele e se o IP DO SERVIDOR CENTRAL do "
                   "BRUNDELO.INI está correto.";
        case fb::Failure::DatabaseCorrupt:
            return "O arquivo do banco de dados parece estar danificado ou não é um banco de "
                   "dados. Avise o suporte técnico.";
        case fb::Failure::FileError:
            return "Erro de leitura ou gravação no arquivo do banco de dados: ele não existe, não "
                   "pode ser aberto ou o disco falhou.";
        case fb::Failure::Other:
            break;
    }
    return nullptr;
}

}  // namespace

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
    const fb::Failure tipo = fb::classify(*erro);
    const char* texto = textoDe(tipo);
    if (!texto) return std::nullopt;
    QString mensagem = QString::fromUtf8(texto);
    if (!erro->database().empty()) {
        const std::string servidor = servidorDoBanco(erro->database());
        if (tipo == fb::Failure::ServerUnreachable && !servidor.empty())
            mensagem += QStringLiteral("\nServidor: ") + visivel(servidor);
        mensagem += QStringLiteral("\nBanco de dados: ") + visivel(erro->database());
    }
    if (erro->gdscode() != 0)
        mensagem +=
            QStringLiteral("\nCódigo do erro: %1").arg(static_cast<qint64>(erro->gdscode()));
    return mensagem;
}

}  // namespace cp

namespace cp {

namespace {

constexpr const char* kSumiu =
    "o registro não está mais no banco de dados como foi lido: foi excluído ou alterado por outra "
    "estação ou por outro programa";
constexpr const char* kChaveTomada =
    "a chave deste registro já existe no banco de dados (outra estação ou outro programa gravou "
    "um registro com a mesma chave)";
constexpr const char* kOutro = "por outra estação ou por outro programa";
constexpr const char* kNaoGravado =
    "não gravado: outra alteração falhou e a gravação inteira foi desfeita";

}  // namespace

std::string textoDaFalha(const RecordSet& rs, const ChangeEntry& entry,
                         const std::exception* causa) {
    switch (entry.failure) {
        case ApplyFailure::Gone:
            return kSumiu;
        case ApplyFailure::KeyTaken:
            return kChaveTomada;
        case ApplyFailure::Blocked:
            return "o registro está sendo alterado " +
                   (entry.holder.empty() ? std::string(kOutro) : entry.holder) +
                   " e não foi liberado em " + std::to_string(rs.connection().lockTimeout()) +
                   " segundos (grave de novo quando a outra alteração terminar)";
        case ApplyFailure::TooManyRows:
            return "a alteração atingiria " + std::to_string(entry.rowsFound) +
                   " registros; nada foi gravado";
        case ApplyFailure::NotWritten:
            return kNaoGravado;
        case ApplyFailure::Refused:
            if (!causa) return {};
            if (auto texto = mensagemOperadorBanco(*causa)) return texto->toStdString();
            return causa->what();
        case ApplyFailure::None:
            break;
    }
    return {};
}

}  // namespace cp
