// The walk through the XML of an NF-e: the texts of the fields the payables
// program uses, as the file has them (trimmed), before any of them is judged.
// Used by LeitorNfe; kept apart so that the XML rules (what is refused as not
// being an NF-e, or as dangerous to read) stay in one place.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

namespace cp {

struct CamposNfe {
    struct Duplicata {
        std::optional<QString> nDup, dVenc, vDup;
    };

    // Each field holds the first occurrence in the file; nullopt when absent.
    std::optional<QString> id;                       // infNFe/@Id
    std::optional<QString> chNFe, cStat, xMotivo;    // protNFe/infProt
    std::optional<QString> nNF, dhEmi, dEmi;         // ide
    std::optional<QString> vNF;                      // total/ICMSTot
    std::optional<QString> cnpj, cpf, xNome, xFant;  // emit
    std::optional<QString> tPag;                     // pag/detPag, the first one given
    bool protocolo = false;                          // the file has protNFe
    bool nota = false;                               // the file has NFe/infNFe
    // cobr/dup in the order of the file, the first maximoDup ones; quantidadeDup
    // counts them all.
    std::vector<Duplicata> duplicatas;
    std::size_t quantidadeDup = 0;
};

// Fills `campos` from the file. Returns an empty text when the file is an
// NF-e that could be walked, else the reason (in the operator's words) why it
// was refused. At most `maximoDup` duplicatas are kept.
QString lerCamposNfe(const QByteArray& xml, std::size_t maximoDup, CamposNfe& campos);

}  // namespace cp
