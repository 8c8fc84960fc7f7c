#include "suite/nfe/CamposNfe.h"

#include <QXmlStreamReader>
#include <algorithm>

namespace cp {
namespace {

constexpr QLatin1StringView kEspacoNfe("http://www.portalfiscal.inf.br/nfe");

// The elements the walk knows, as a tree from the document down. Anything
// else (the products, taxes, transport, the signature) is Fora, and so is all
// that lies under it. Elements from Folha on hold a text.
enum class No {
    Fora,
    Documento,
    Proc,
    NFe,
    InfNFe,
    Ide,
    Emit,
    Total,
    ICMSTot,
    Cobr,
    Dup,
    Pag,
    DetPag,
    ProtNFe,
    InfProt,
    Folha,
    NNF = Folha,
    DhEmi,
    DEmi,
    Cnpj,
    Cpf,
    XNome,
    XFant,
    VNF,
    NDup,
    DVenc,
    VDup,
    TPag,
    ChNFe,
    CStat,
    XMotivo,
};

struct Ramo {
    No pai;
    QLatin1StringView nome;
    No filho;
};

constexpr Ramo kRamos[] = {
    {No::Documento, QLatin1StringView("nfeProc"), No::Proc},
    {No::Documento, QLatin1StringView("NFe"), No::NFe},
    {No::Proc, QLatin1StringView("NFe"), No::NFe},
    {No::Proc, QLatin1StringView("protNFe"), No::ProtNFe},
    {No::NFe, QLatin1StringView("infNFe"), No::InfNFe},
    {No::InfNFe, QLatin1StringView("ide"), No::Ide},
    {No::InfNFe, QLatin1StringView("emit"), No::Emit},
    {No::InfNFe, QLatin1StringView("total"), No::Total},
    {No::InfNFe, QLatin1StringView("cobr"), No::Cobr},
    {No::InfNFe, QLatin1StringView("pag"), No::Pag},
    {No::Ide, QLatin1StringView("nNF"), No::NNF},
    {No::Ide, QLatin1StringView("dhEmi"), No::DhEmi},
    {No::Ide, QLatin1StringView("dEmi"), No::DEmi},
    {No::Emit, QLatin1StringView("CNPJ"), No::Cnpj},
    {No::Emit, QLatin1StringView("CPF"), No::Cpf},
    {No::Emit, QLatin1StringView("xNome"), No::XNome},
    {No::Emit, QLatin1StringView("xFant"), No::XFant},
    {No::Total, QLatin1StringView("ICMSTot"), No::ICMSTot},
    {No::ICMSTot, QLatin1StringView("vNF"), No::VNF},
    {No::Cobr, QLatin1StringView("dup"), No::Dup},
    {No::Dup, QLatin1StringView("nDup"), No::NDup},
    {No::Dup, QLatin1StringView("dVenc"), No::DVenc},
    {No::Dup, QLatin1StringView("vDup"), No::VDup},
    {No::Pag, QLatin1StringView("detPag"), No::DetPag},
    {No::DetPag, QLatin1StringView("tPag"), No::TPag},
    {No::ProtNFe, QLatin1StringView("infProt"), No::InfProt},
    {No::InfProt, QLatin1StringView("chNFe"), No::ChNFe},
    {No::InfProt, QLatin1StringView("cStat"), No::CStat},
    {No::InfProt, QLatin1StringView("xMotivo"), No::XMotivo},
};

No filhoDe(No pai, QStringView nome) {
    for (const Ramo& r : kRamos)
        if (r.pai == pai && r.nome == nome) return r.filho;
    return No::Fora;
}

class Caminhada {
  public:
    Caminhada(const QByteArray& xml, std::size_t maximoDup, CamposNfe& campos)
        : leitor_(xml), maximoDup_(maximoDup), campos_(campos) {}

    QString percorre();

  private:
    void entra(No no);
    void guarda(No no, QString texto);
    std::optional<QString> texto();
    // " sem espaço de nomes", or which one, for a root that is not the NF-e's.
    QString ondeEsta() const {
        if (leitor_.namespaceUri() == kEspacoNfe) return {};
        if (leitor_.namespaceUri().isEmpty()) return QStringLiteral(" sem espaço de nomes");
        return QStringLiteral(" do espaço de nomes \"%1\"").arg(leitor_.namespaceUri().left(80));
    }
    void recusaEntidade() {
        leitor_.raiseError(
            QStringLiteral("O arquivo usa a entidade \"&%1;\", que uma NF-e não tem; o programa "
                           "não lê arquivos com entidades.")
                .arg(leitor_.name().left(40)));
    }

    QXmlStreamReader leitor_;
    std::size_t maximoDup_;
    CamposNfe& campos_;
    std::vector<No> pilha_{No::Documento};
    int nfes_ = 0;
    bool naDup_ = false;  // the current dup is one of those kept
};

QString Caminhada::percorre() {
    while (!leitor_.atEnd()) {
        switch (leitor_.readNext()) {
            case QXmlStreamReader::DTD:
                // Refused here, before the root: whatever entities the
                // declaration defines are never expanded.
                leitor_.raiseError(QStringLiteral(
                    "O arquivo traz uma declaração de tipo de documento (DOCTYPE); uma NF-e não "
                    "tem, e o programa não lê arquivos com declarações de entidades."));
                break;
            case QXmlStreamReader::EntityReference:
                recusaEntidade();
                break;
            case QXmlStreamReader::StartElement: {
                const No pai = pilha_.back();
                const bool daNfe = leitor_.namespaceUri() == kEspacoNfe;
                if (pai == No::Documento && (!daNfe || filhoDe(pai, leitor_.name()) == No::Fora)) {
                    leitor_.raiseError(
                        QStringLiteral("O arquivo não é uma NF-e: o elemento principal é <%1>%2, "
                                       "e uma NF-e tem <nfeProc> ou <NFe> do espaço de nomes %3.")
                            .arg(leitor_.name().left(60), ondeEsta(), kEspacoNfe));
                    break;
                }
                const No no = (pai == No::Fora || !daNfe) ? No::Fora : filhoDe(pai, leitor_.name());
                if (no >= No::Folha) {
                    if (auto t = texto()) guarda(no, std::move(*t));
                    break;  // texto() read up to the element's end
                }
                entra(no);
                pilha_.push_back(no);
                break;
            }
            case QXmlStreamReader::EndElement:
                if (pilha_.back() == No::Dup) naDup_ = false;
                if (pilha_.size() > 1) pilha_.pop_back();
                break;
            default:
                break;
        }
    }
    if (!leitor_.hasError())
        return campos_.nota
                   ? QString()
                   : QStringLiteral("O arquivo não traz a NF-e: falta o elemento <infNFe>.");
    if (leitor_.error() == QXmlStreamReader::CustomError) return leitor_.errorString();
    return QStringLiteral("O arquivo não é um XML válido (linha %1, coluna %2): %3")
        .arg(leitor_.lineNumber())
        .arg(leitor_.columnNumber())
        .arg(leitor_.errorString());
}

void Caminhada::entra(No no) {
    switch (no) {
        case No::NFe:
            if (++nfes_ > 1)
                leitor_.raiseError(QStringLiteral(
                    "O arquivo traz mais de uma NF-e; o programa lê uma nota por arquivo."));
            break;
        case No::InfNFe:
            campos_.nota = true;
            if (!campos_.id) {
                const QStringView id = leitor_.attributes().value(QLatin1StringView("Id"));
                if (!id.isNull()) campos_.id = id.trimmed().toString();
            }
            break;
        case No::ProtNFe:
            campos_.protocolo = true;
            break;
        case No::Dup:
            ++campos_.quantidadeDup;
            naDup_ = campos_.duplicatas.size() < maximoDup_;
            if (naDup_) campos_.duplicatas.emplace_back();
            break;
        default:
            break;
    }
}

void Caminhada::guarda(No no, QString texto) {
    auto primeiro = [&](std::optional<QString>& campo) {
        if (!campo) campo = std::move(texto);
    };
    CamposNfe::Duplicata* dup = naDup_ ? &campos_.duplicatas.back() : nullptr;
    switch (no) {
        case No::NNF:
            primeiro(campos_.nNF);
            break;
        case No::DhEmi:
            primeiro(campos_.dhEmi);
            break;
        case No::DEmi:
            primeiro(campos_.dEmi);
            break;
        case No::Cnpj:
            primeiro(campos_.cnpj);
            break;
        case No::Cpf:
            primeiro(campos_.cpf);
            break;
        case No::XNome:
            primeiro(campos_.xNome);
            break;
        case No::XFant:
            primeiro(campos_.xFant);
            break;
        case No::VNF:
            primeiro(campos_.vNF);
            break;
        case No::NDup:
            if (dup) primeiro(dup->nDup);
            break;
        case No::DVenc:
            if (dup) primeiro(dup->dVenc);
            break;
        case No::VDup:
            if (dup) primeiro(dup->vDup);
            break;
        case No::TPag:
            primeiro(campos_.tPag);
            break;
        case No::ChNFe:
            primeiro(campos_.chNFe);
            break;
        case No::CStat:
            primeiro(campos_.cStat);
            break;
        case No::XMotivo:
            primeiro(campos_.xMotivo);
            break;
        default:
            break;
    }
}

// The text of the element just started, up to its end. Gathered here rather
// than by readElementText(), which would take an unresolved entity reference
// in as text.
std::optional<QString> Caminhada::texto() {
    const QString campo = leitor_.name().toString();
    QString s;
    while (!leitor_.atEnd()) {
        switch (leitor_.readNext()) {
            case QXmlStreamReader::Characters:
                s += leitor_.text();
                break;
            case QXmlStreamReader::EndElement:
                return s.trimmed();
            case QXmlStreamReader::EntityReference:
                recusaEntidade();
                return std::nullopt;
            case QXmlStreamReader::StartElement:
                leitor_.raiseError(
                    QStringLiteral("O campo <%1> da NF-e deveria trazer só texto, mas traz o "
                                   "elemento <%2>.")
                        .arg(campo, leitor_.name().left(60)));
                return std::nullopt;
            default:
                break;
        }
    }
    return std::nullopt;
}

}  // namespace

QString lerCamposNfe(const QByteArray& xml, std::size_t maximoDup, CamposNfe& campos) {
    const bool vazio = std::all_of(xml.begin(), xml.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    });
    if (vazio) return QStringLiteral("O arquivo está vazio.");
    return Caminhada(xml, maximoDup, campos).percorre();
}

}  // namespace cp
