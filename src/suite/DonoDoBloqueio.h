// Who holds a row that this workstation waited for: the server's monitoring
// tables name the attachment of the transaction that holds it (the computer,
// its address, the system user and the program), so the operator can be told
// which workstation or program to ask.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fb {
class Transaction;
}

namespace cp {

// The attachment behind the engine's transaction `transacao`, in words for
// the operator (UTF-8), as it follows "alterado": "pela estação CAIXA2
// (endereço 192.168.0.12, usuário caixa2, programa contas-pagar, conectado às
// 10:15)", or "por outro programa deste computador (...)". nullopt when
// that transaction no longer runs (it ended while this one waited). Read in
// `tr`, whose view of the monitoring tables is taken at its first look.
std::optional<std::string> donoDaTransacao(fb::Transaction& tr, std::int64_t transacao);

}  // namespace cp
