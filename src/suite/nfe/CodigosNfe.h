// The codes of an NF-e that the payables program turns into its own terms:
// the invoice's situation at the tax authority (cStat of the authorisation
// protocol) and the means of payment (tPag).
#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string>

namespace cp {

// 100 (authorised) and 150 (authorised after the deadline) let the invoice be
// paid; every other situation (cancelled, denied, ...) needs the operator's
// word first.
bool situacaoAutorizada(int cStat);

// Empty when the invoice is authorised. Otherwise the sentence the screen
// shows before asking the operator, e.g. "A NF-e não está autorizada
// (situação 101: cancelamento homologado)."; a situation the program does not
// know is named by the protocol's own reason (xMotivo), if any. Without a
// protocol (nullopt) it says that the file does not tell.
QString descricaoDaSituacao(std::optional<int> cStat, QStringView motivo = {});

// The account's means of payment for a tPag code: "15" Boleto, "01"
// Dinheiro, "02" Cheque, "03"/"04" Cartão; nullopt for any other code, and
// the caller keeps its default. Windows-1252 bytes, as the account stores it.
std::optional<std::string> meioDoPagamento(QStringView tPag);

}  // namespace cp
