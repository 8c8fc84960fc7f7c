// Finding rows of the due list by what the operator types: the supplier,
// the description, the invoice number or the amount, without regard to case
// or accents. "farmacia" finds "FARMÁCIA", and "1234,5" finds an amount of
// 1.234,50 (an amount is found as written with or without the thousands'
// points, and with a decimal point as well). Several words must all be
// found, each anywhere in the row.
//
// The rows' texts are folded once (prepara), so each keystroke is one pass
// of plain byte searches over the list.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace cp {

class RecordSet;

class BuscaLista {
  public:
    // Takes the searchable text of every visible row of `lista`.
    void prepara(const RecordSet& lista);
    // What the operator typed; blank text finds every row.
    void defineTexto(const QString& texto);

    bool vazia() const { return termos_.empty(); }
    bool aceita(int linha) const;
    int linhas() const { return static_cast<int>(inicio_.size()) - 1; }

  private:
    std::string textos_;               // the rows' folded texts one after another
    std::vector<std::size_t> inicio_;  // where each row begins; one past the last at the end
    std::vector<std::string> termos_;
    bool impossivel_ = false;  // a typed character no stored text can hold
};

}  // namespace cp
