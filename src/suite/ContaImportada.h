// A new account filled from an NF-e waits, like a typed one, for its first
// write (the chart lookup, leaving the panel, "Voltar"). Its installments
// are the supplier's own schedule and are not written one by one as they
// are made: they wait in the installment set with the account, and the
// account's first write stores the account, its installments and the NF-e's
// access key in the one transaction of that write. Until then nothing of the
// import is in the database; an account dropped before it is written takes
// its installments with it.
//
// While the account waits, the installment grid works as usual on the rows
// waiting with it (an edit, a new row, a removal), and all of them go with
// the account. The installments are numbered again inside the write, after
// the highest code stored then, so rows started while another workstation
// wrote installments do not collide. Once written, the installments are read
// again as stored.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "suite/nfe/LeitorNfe.h"

namespace cp {

class TDM;
struct EstadoSessao;

class GravacaoImportada {
  public:
    // Hooks the account and installment sets of `dm` (after the persistence
    // rules); the hooks it found are given back when it goes.
    explicit GravacaoImportada(TDM& dm);
    ~GravacaoImportada();
    GravacaoImportada(const GravacaoImportada&) = delete;
    GravacaoImportada& operator=(const GravacaoImportada&) = delete;

    // The current account, just started (insert mode, not written), was
    // filled from an NF-e: its installments are made from `parcelas` (none
    // for an access key alone) with means `meio` and bank account
    // `contaBanco` (Windows-1252), and they and `chave` wait for the
    // account's first write.
    void preparaConta(const std::vector<ParcelaNfe>& parcelas, const std::string& meio,
                      const std::string& contaBanco, const std::string& chave);

    // True while an imported account waits for its first write.
    bool aguardando() const;

    struct Estado;

  private:
    TDM& dm_;
    std::shared_ptr<Estado> estado_;
};

}  // namespace cp
