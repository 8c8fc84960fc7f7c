// One input through the readers of what suppliers send: the NF-e file and the
// access key. Whatever the bytes, a reader either refuses with a reason or
// gives an invoice the account can record as it is: a key whose check digit
// holds, at most 180 installments, amounts that fit the money columns, real
// dates, and names the database can store.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

#include "data/Cp1252.h"
#include "suite/nfe/ChaveAcesso.h"
#include "suite/nfe/Cnpj.h"
#include "suite/nfe/LeitorNfe.h"
#include "suite/nfe/ValoresNfe.h"

namespace {

void confere(bool ok) {
    if (!ok) __builtin_trap();
}

bool semZerosAEsquerda(const std::string& n) {
    return !n.empty() && n.size() <= 9 && n.front() != '0' &&
           n.find_first_not_of("0123456789") == std::string::npos;
}

void confereChave(const cp::ChaveAcesso& chave) {
    const std::string& t = chave.texto();
    confere(t.size() == cp::kTamanhoChave);
    confere(cp::digitoDaChave(std::string_view(t).substr(0, 43)) == chave.dv());
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool algarismo = t[i] >= '0' && t[i] <= '9';
        const bool letra = t[i] >= 'A' && t[i] <= 'Z' && i >= 6 && i < 18;
        confere(algarismo || letra);
    }
    // Read again, the key is the same key.
    const auto outra = cp::lerChaveAcesso(QString::fromLatin1(t.data(), 44));
    confere(outra.chave && *outra.chave == chave);
}

bool valorDaColuna(std::int64_t v) { return v >= 0 && v <= cp::kMaiorValorCentavos; }

// Stored as it is: Windows-1252 bytes, one line, no blanks around it.
bool nomeGravavel(const std::string& nome) {
    if (nome.find_first_of("\r\n\t") != std::string::npos) return false;
    if (!nome.empty() && (nome.front() == ' ' || nome.back() == ' ')) return false;
    const auto volta = cp::toCp1252(cp::fromCp1252(nome));
    return volta && *volta == nome;
}

void leNota(const QByteArray& bytes) {
    const cp::LeituraNfe r = cp::lerNfe(bytes);
    confere(r.lida() == r.erro.isEmpty());
    if (!r.lida()) {
        confere(r.avisos.isEmpty());
        return;
    }
    const cp::NotaFiscalLida& n = *r.nota;
    confereChave(n.chave);
    confere(semZerosAEsquerda(n.numero));
    confere(n.emissao.isValid());
    confere(valorDaColuna(n.valorTotal));
    confere(n.emitentePessoaFisica ? n.documentoEmitente.size() == 11
                                   : cp::cnpjValido(n.documentoEmitente));
    confere(!n.nomeEmitente.empty() && nomeGravavel(n.nomeEmitente));
    confere(nomeGravavel(n.nomeFantasia));
    confere(n.autorizada() == n.descricaoSituacao().isEmpty());
    confere(n.duplicatas.size() <= cp::kMaximoParcelas);
    for (std::size_t i = 0; i < n.duplicatas.size(); ++i) {
        const cp::ParcelaNfe& p = n.duplicatas[i];
        confere(p.numero == static_cast<int>(i) + 1);
        confere(p.vencimento.isValid() && valorDaColuna(p.valor) && nomeGravavel(p.documento));
    }
    const auto parcelas = cp::parcelasDaNota(n);
    confere(!parcelas.empty() && parcelas.size() <= cp::kMaximoParcelas);
    if (n.duplicatas.empty())
        confere(parcelas[0].valor == n.valorTotal && parcelas[0].vencimento == n.emissao);
}

void leChave(const QByteArray& bytes) {
    if (bytes.size() > 256) return;
    for (const QString& texto : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        const cp::LeituraChave lida = cp::lerChaveAcesso(texto);
        confere(lida.chave.has_value() == lida.erro.isEmpty());
        if (lida.chave) confereChave(*lida.chave);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    leNota(bytes);
    leChave(bytes);
    return 0;
}
