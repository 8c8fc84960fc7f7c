#include "entry/ImportaNfe.h"

#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <optional>
#include <vector>

#include "data/Cp1252.h"
#include "entry/DialogoNfe.h"
#include "entry/GravaDetalhes.h"
#include "entry/PainelConta.h"
#include "entry/Procura.h"
#include "shell/DataWidgets.h"
#include "shell/JanelaPrincipal.h"
#include "suite/ContaImportada.h"
#include "suite/Modules.h"
#include "suite/NotasImportadas.h"
#include "suite/nfe/ChaveAcesso.h"
#include "suite/nfe/Cnpj.h"
#include "suite/nfe/CodigosNfe.h"
#include "suite/nfe/LeitorNfe.h"

namespace cp {

// What the invoice gives the account.
struct ImportaNfe::Nota {
    std::string chave;
    std::string numero;
    std::string documento;  // CNPJ (14) or, for a person, CPF (11): letters and digits
    std::optional<QDate> emissao;
    std::optional<std::int64_t> total;
    std::string nome;  // the issuer's trade name, else its name (Windows-1252)
    std::vector<ParcelaNfe> parcelas;
    std::string meio;
    QStringList avisos;
    // The registered supplier, when the CNPJ names one (Forneced stands on it).
    bool cadastrado = false;
    FornecedorDaConta fornecedor;
};

namespace {

constexpr std::size_t kTamanhoNome = 40;  // NOMECLIFOR

// A key is what a scanner or the operator types: digits (and the letters of
// an alphanumeric CNPJ), blanks and dots, 44 characters in all; any other
// text names a file.
bool pareceChave(const QString& texto) {
    if (QFileInfo::exists(texto)) return false;
    QString s;
    for (QChar c : texto)
        if (c != u' ' && c != u'.') s += c;
    if (s.startsWith(QStringLiteral("NFe"), Qt::CaseInsensitive)) s = s.mid(3);
    bool soAlgarismos = !s.isEmpty();
    bool soLetrasEAlgarismos = !s.isEmpty();
    for (QChar c : s) {
        soAlgarismos = soAlgarismos && c.isDigit();
        soLetrasEAlgarismos = soLetrasEAlgarismos && c.unicode() < 128 && c.isLetterOrNumber();
    }
    return soAlgarismos || (soLetrasEAlgarismos && s.size() == kTamanhoChave);
}

std::string formataDocumento(const std::string& doc) {
    if (doc.size() == 11)  // CPF: 999.999.999-99
        return doc.substr(0, 3) + "." + doc.substr(3, 3) + "." + doc.substr(6, 3) + "-" +
               doc.substr(9);
    return formataCnpj(doc);
}

// The supplier's CNPJ as stored, whatever its punctuation.
constexpr const char* kCnpjSemPontuacao =
    "upper(replace(replace(replace(replace(CNPJ, '.', ''), '/', ''), '-', ''), ' ', ''))";

// Opens the suppliers whose CNPJ is one of `documentos` (letters and digits
// only, so they are safe between quotes); true when one was found, the
// set standing on the first in trade-name order.
bool abreFornecedorPorCnpj(TDM& dm, const std::vector<std::string>& documentos) {
    std::string lista;
    for (const std::string& d : documentos) lista += (lista.empty() ? "'" : ", '") + d + "'";
    RecordSet& f = dm.Forneced;
    f.close();
    f.setCommandText("Select " + dm.sessao.CamposFornecedor + " from FORNECED where " +
                     kCnpjSemPontuacao + " in (" + lista + ") order by NOMEFANTASIA");
    f.open();
    if (f.isEmpty()) {
        f.close();
        return false;
    }
    f.first();
    return true;
}

bool codigoInteiro(const std::string& codigo) {
    const std::string c = upperAZ(codigo);
    std::size_t i = c.find_first_not_of(' ');
    if (i == std::string::npos) return true;  // empty: the account's code stays empty
    const std::size_t fim = c.find_last_not_of(' ');
    if (c[i] == '-' || c[i] == '+') ++i;
    if (i > fim) return false;
    for (; i <= fim; ++i)
        if (c[i] < '0' || c[i] > '9') return false;
    return true;
}

QString aspas(const std::string& cp1252) {
    return QStringLiteral("\"") + fromCp1252(cp1252) + QStringLiteral("\"");
}

}  // namespace

ImportaNfe::ImportaNfe(JanelaPrincipal& form, PainelConta& conta)
    : form_(form), conta_(conta), gravacao_(std::make_unique<GravacaoImportada>(*form.DM)) {
    conta_.DBEdit18->onEnter = [this] { DBEdit18Enter(); };
    conta_.DBEdit18->onExit = [this] { DBEdit18Exit(); };
}

ImportaNfe::~ImportaNfe() {
    conta_.DBEdit18->onEnter = nullptr;
    conta_.DBEdit18->onExit = nullptr;
}

bool ImportaNfe::ativo() const { return form_.activated() && !form_.activationFailed(); }

bool ImportaNfe::aguardando() const { return gravacao_->aguardando(); }

void ImportaNfe::pedeEImporta() {
    if (!ativo()) return;
    const std::optional<QString> entrada = DialogoNfe::pede(&form_);
    if (entrada) importa(*entrada);
}

bool ImportaNfe::confirmaRepetida(const Nota& nota) {
    Connection& banco = form_.DM->SQLConnection1;
    std::optional<ContaLancada> lancada;
    if (!nota.chave.empty()) lancada = contaComChave(banco, nota.chave);
    if (!lancada) lancada = contaComNota(banco, nota.numero, nota.fornecedor);
    if (!lancada) return true;
    return form_.env.ask(perguntaNotaLancada(*lancada, nota.fornecedor.nome));
}

bool ImportaNfe::importa(const QString& entrada) {
    if (!ativo()) return false;
    Environment& env = form_.env;
    TDM& dm = *form_.DM;
    const QString texto = entrada.trimmed();
    if (texto.isEmpty()) {
        env.showMessage(QStringLiteral(
            "Informe o arquivo XML da NF-e ou a sua chave de acesso (44 algarismos)."));
        return false;
    }
    const QString naoImportada = QStringLiteral("\nA NF-e não foi importada.");

    Nota nota;
    const bool daChave = pareceChave(texto);
    if (daChave) {
        const LeituraChave lida = lerChaveAcesso(texto);
        if (!lida.chave) {
            env.showMessage(lida.erro + naoImportada);
            return false;
        }
        nota.chave = lida.chave->texto();
        nota.numero = lida.chave->numero();
        nota.documento = std::string(lida.chave->cnpj());
    } else {
        const LeituraNfe lida = lerNfeArquivo(texto);
        if (!lida.lida()) {
            env.showMessage(lida.erro + naoImportada);
            return false;
        }
        const NotaFiscalLida& n = *lida.nota;
        if (!n.autorizada() &&
            !env.ask(n.descricaoSituacao() + QStringLiteral("\nImportar a nota assim mesmo?")))
            return false;
        nota.chave = n.chave.texto();
        nota.numero = n.numero;
        nota.documento = n.documentoEmitente;
        nota.emissao = n.emissao;
        nota.total = n.valorTotal;
        nota.nome =
            (n.nomeFantasia.empty() ? n.nomeEmitente : n.nomeFantasia).substr(0, kTamanhoNome);
        nota.parcelas = parcelasDaNota(n);
        nota.meio = meioDoPagamento(QString::fromStdString(n.tipoPagamento))
                        .value_or(form_.sessao.MeioPagtoPadrao.str());
        nota.avisos = lida.avisos;
    }

    // The supplier by its CNPJ. In a key, an issuer with a CPF has "000"
    // before it, which is also how a CNPJ may begin.
    std::vector<std::string> documentos{nota.documento};
    if (daChave && nota.documento.starts_with("000"))
        documentos.push_back(nota.documento.substr(3));
    nota.cadastrado = abreFornecedorPorCnpj(dm, documentos);
    nota.fornecedor.cnpj = nota.documento;
    if (nota.cadastrado) {
        RecordSet& f = dm.Forneced;
        const std::string codigo = f.field("CODIGO").asString();
        if (!codigoInteiro(codigo)) {
            env.showMessage(QStringLiteral("O fornecedor %1 tem o código %2, que não é um número "
                                           "inteiro, e a conta não pode levá-lo.")
                                .arg(aspas(f.field("NOME").asString()), aspas(codigo)) +
                            naoImportada);
            f.close();
            return false;
        }
        if (!f.field("CODIGO").isNull() && !codigo.empty())
            nota.fornecedor.codigo = std::stoll(codigo);
        nota.fornecedor.nome = f.field("NOME").asString();
    } else {
        nota.fornecedor.nome = nota.nome;
        nota.avisos << (nota.nome.empty()
                            ? QStringLiteral("O fornecedor de CNPJ %1 não está cadastrado: a "
                                             "conta leva o CNPJ, e o nome fica para digitar.")
                            : QStringLiteral("O fornecedor de CNPJ %1 não está cadastrado: a "
                                             "conta leva o nome e o CNPJ da nota."))
                           .arg(QString::fromStdString(formataDocumento(nota.documento)));
    }

    if (!confirmaRepetida(nota)) {
        dm.Forneced.close();
        return false;
    }
    if (!nota.avisos.isEmpty())
        env.showMessage(QStringLiteral("Confira na conta:\n- ") +
                        nota.avisos.join(QStringLiteral("\n- ")));

    // From here on the account is started. What the details hold is written
    // first, as "Voltar" writes it; the key's table exists before any write
    // that needs it.
    garanteNotasImportadas(dm.SQLConnection1);
    if (!form_.listaVisivel()) {
        if (!commitFocusedEditor(&form_)) {
            dm.Forneced.close();
            return false;
        }
        gravaDetalhes(dm);
    }
    conta_.BitBtn14Click();

    RecordSet& conta = dm.CONTASPR;
    conta.field("NFISCAL").setAsString(nota.numero);
    if (nota.emissao && nota.emissao->isValid()) conta.field("DATA").setAsDate(*nota.emissao);
    if (nota.total) conta.field("VALORTOTAL").setAsMoney(*nota.total);
    if (nota.cadastrado) {
        copiaFornecedor(dm.Forneced, conta, Escolha::NaLista);
    } else {
        if (!nota.nome.empty()) conta.field("NOMECLIFOR").setAsString(nota.nome);
        conta.field("CNPJCLIFOR").setAsString(formataDocumento(nota.documento));
    }
    dm.Forneced.close();
    gravacao_->preparaConta(nota.parcelas, nota.meio, form_.sessao.ContaBancoPadrao.str(),
                            nota.chave);
    conta_.DBEdit10->setFocus(Qt::OtherFocusReason);
    return true;
}

// ----- Typing the invoice number -----

void ImportaNfe::DBEdit18Enter() {
    RecordSet& conta = form_.DM->CONTASPR;
    nfiscalAoEntrar_ = conta.active() && !conta.isEmpty() ? conta.field("NFISCAL").asString() : "";
}

void ImportaNfe::DBEdit18Exit() {
    if (!ativo() || form_.listaVisivel()) return;
    RecordSet& conta = form_.DM->CONTASPR;
    if (!conta.active() || conta.isEmpty()) return;
    const std::string nfiscal = conta.field("NFISCAL").asString();
    if (numeroDaNota(nfiscal).empty() || nfiscal == nfiscalAoEntrar_) return;
    FornecedorDaConta fornecedor;
    fornecedor.cnpj = somenteCaracteres(std::string_view(conta.field("CNPJCLIFOR").asString()));
    if (!conta.field("CODIGOCLIFOR").isNull())
        fornecedor.codigo = conta.field("CODIGOCLIFOR").asInteger();
    fornecedor.nome = conta.field("NOMECLIFOR").asString();
    if (!fornecedor.conhecido()) return;
    const ContaAtual atual{conta.field("CODIGOCPR").asInteger(), conta.field("ESTACAO").asString()};
    const std::optional<ContaLancada> lancada =
        contaComNota(form_.DM->SQLConnection1, nfiscal, fornecedor, atual);
    if (!lancada || form_.env.ask(perguntaNotaLancada(*lancada, fornecedor.nome))) {
        nfiscalAoEntrar_ = nfiscal;  // asked once for this number
        return;
    }
    // Back to the field once the focus has finished leaving it.
    DBEdit* campo = conta_.DBEdit18;
    QTimer::singleShot(0, campo, [campo] { campo->setFocus(Qt::OtherFocusReason); });
}

}  // namespace cp
