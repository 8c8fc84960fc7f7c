// Reading of the XML file of an NF-e (layout 4.00) that a supplier sent, to
// record the bill it charges: who issued it, its number, date and total, and
// the installments to pay (the duplicatas of its cobr group). The file is
// either the processed invoice (nfeProc: the NFe and its authorisation
// protocol protNFe) or the bare NFe.
//
// Nothing of a file that is refused is kept. A file is refused when it is not
// well-formed XML, is not an NF-e, is over 5 MB, declares a document type or
// entities (an NF-e has none, and expanding them is how a small file turns
// into gigabytes), has an access key whose check digit fails (or two keys that
// differ), an issuer's CNPJ whose check digits fail, more than 180
// installments, a name the database cannot store, or lacks the number, date,
// total or issuer. What can be recorded but deserves a look is
// reported as warnings.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "suite/nfe/ChaveAcesso.h"
#include "suite/nfe/CodigosNfe.h"

namespace cp {

inline constexpr qint64 kMaiorArquivoNfe = 5 * 1024 * 1024;
inline constexpr std::size_t kMaximoParcelas = 180;

// One installment to pay.
struct ParcelaNfe {
    int numero = 0;         // 1..n, in the order of the file
    std::string documento;  // nDup, as the supplier numbers it (Windows-1252)
    QDate vencimento;
    std::int64_t valor = 0;  // cents
};

struct NotaFiscalLida {
    explicit NotaFiscalLida(ChaveAcesso c) : chave(std::move(c)) {}

    ChaveAcesso chave;
    // cStat of the protocol; nullopt when the file is the bare NFe.
    std::optional<int> situacao;
    std::string numero;           // nNF without leading zeros
    QDate emissao;                // the issuer's calendar day of dhEmi (dEmi of older files)
    std::int64_t valorTotal = 0;  // vNF, cents
    // The issuer's CNPJ (14 characters) or, for a person, CPF (11 digits).
    std::string documentoEmitente;
    bool emitentePessoaFisica = false;
    std::string nomeEmitente;            // xNome, Windows-1252
    std::string nomeFantasia;            // xFant, Windows-1252; empty when not given
    std::vector<ParcelaNfe> duplicatas;  // as in the file; empty without cobr/dup
    std::string tipoPagamento;           // tPag of the first detPag; empty when none
    QString motivoSituacao;              // xMotivo of the protocol, as given

    bool autorizada() const;
    // Empty when authorised; otherwise the sentence the screen shows before it
    // asks the operator whether to go on.
    QString descricaoSituacao() const;
};

// The invoice that was read, or why the file was refused.
struct LeituraNfe {
    std::optional<NotaFiscalLida> nota;
    QString erro;        // empty when nota is set
    QStringList avisos;  // what the operator should look at before recording

    bool lida() const { return nota.has_value(); }
};

LeituraNfe lerNfe(const QByteArray& xml);
LeituraNfe lerNfeArquivo(const QString& caminho);

// The installments the account gets: the duplicatas, or, for an invoice
// without them, the whole total due on the day of issue.
std::vector<ParcelaNfe> parcelasDaNota(const NotaFiscalLida& nota);

}  // namespace cp
