#include "suite/DonoDoBloqueio.h"

#include <QString>
#include <QStringDecoder>

#include "data/Cp1252.h"
#include "data/Text.h"
#include "fb/fb.h"

namespace cp {
namespace {

constexpr const char* kDono =
    "select a.MON$REMOTE_HOST, a.MON$REMOTE_ADDRESS, a.MON$REMOTE_OS_USER, "
    "a.MON$REMOTE_PROCESS, a.MON$REMOTE_PROTOCOL, a.MON$TIMESTAMP "
    "from MON$TRANSACTIONS t join MON$ATTACHMENTS a on a.MON$ATTACHMENT_ID = t.MON$ATTACHMENT_ID "
    "where t.MON$TRANSACTION_ID = ?";

// The monitoring tables speak UTF-8; a connection that declares Windows-1252
// gets them in that set instead.
std::string texto(const fb::Cursor& c, unsigned col) {
    if (c.isNull(col)) return {};
    const std::string s(rtrim(c.asText(col)));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString q = utf8.decode(QByteArray::fromStdString(s));
    if (utf8.hasError()) q = fromCp1252(s);
    return q.toStdString();
}

// "/usr/bin/contas-pagar" and "C:\BRUNDELO\CAIXA.EXE" name the program by
// their last part.
std::string nomeDoPrograma(std::string caminho) {
    const std::size_t barra = caminho.find_last_of("/\\");
    return barra == std::string::npos ? caminho : caminho.substr(barra + 1);
}

}  // namespace

std::optional<std::string> donoDaTransacao(fb::Transaction& tr, std::int64_t transacao) {
    fb::Cursor c = tr.open(kDono, {transacao});
    if (!c.fetch()) return std::nullopt;
    const std::string computador = texto(c, 0);
    std::string endereco = texto(c, 1);
    if (const std::size_t barra = endereco.find('/'); barra != std::string::npos)
        endereco.resize(barra);  // "192.168.0.12/51234": the port says nothing
    const std::string usuario = texto(c, 2);
    const std::string programa = nomeDoPrograma(texto(c, 3));
    const bool remota = !texto(c, 4).empty();
    std::string desde;
    if (!c.isNull(5)) {
        const fb::Timestamp t = c.asTimestamp(5);
        desde = QString::asprintf("%02d:%02d", t.time.hour, t.time.minute).toStdString();
    }
    c.close();

    std::string quem = remota ? "pela estação" : "por outro programa deste computador";
    if (remota && !computador.empty()) quem += " " + computador;
    std::string detalhes;
    auto junta = [&](const std::string& rotulo, const std::string& valor) {
        if (valor.empty()) return;
        if (!detalhes.empty()) detalhes += ", ";
        detalhes += rotulo + valor;
    };
    if (remota) junta("endereço ", endereco);
    junta("usuário ", usuario);
    junta("programa ", programa);
    junta("conectado às ", desde);
    if (!detalhes.empty()) quem += " (" + detalhes + ")";
    return quem;
}

}  // namespace cp
