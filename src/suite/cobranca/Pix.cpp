#include "suite/cobranca/Pix.h"

#include <QStringList>
#include <array>
#include <cctype>
#include <optional>
#include <utility>
#include <vector>

namespace cp {

namespace {

// Where each unit of the code starts (a character, or a byte), then its end.
using Unidades = std::vector<std::size_t>;

std::optional<Unidades> caracteres(std::string_view s) {
    static constexpr char32_t kMenor[] = {0, 0x80, 0x800, 0x10000};  // below these: overlong
    Unidades u;
    std::size_t i = 0;
    while (i < s.size()) {
        u.push_back(i);
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t seguintes;
        char32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            seguintes = 1, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            seguintes = 2, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            seguintes = 3, cp = c & 0x07;
        } else {
            return std::nullopt;
        }
        if (s.size() - i <= seguintes) return std::nullopt;
        for (std::size_t k = 1; k <= seguintes; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < kMenor[seguintes] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        i += seguintes + 1;
    }
    u.push_back(s.size());
    return u;
}

Unidades bytes(std::string_view s) {
    Unidades u(s.size() + 1);
    for (std::size_t i = 0; i < u.size(); ++i) u[i] = i;
    return u;
}

QString id2(int id) { return QStringLiteral("%1").arg(id, 2, 10, QChar('0')); }

struct Campo {
    int id;
    std::size_t de, ate;  // the value's units
};

using Campos = std::array<std::optional<Campo>, 100>;

bool iguaisSemCaixa(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto minuscula = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (minuscula(a[i]) != minuscula(b[i])) return false;
    }
    return true;
}

class Leitor {
  public:
    Leitor(std::string_view texto, const Unidades& u) : texto_(texto), u_(u) {}

    std::size_t fim() const { return u_.size() - 1; }
    std::string_view valor(const Campo& c) const {
        return texto_.substr(u_[c.de], u_[c.ate] - u_[c.de]);
    }
    QString texto(const Campo& c) const { return QString::fromUtf8(valor(c)); }
    std::size_t byteDe(std::size_t unidade) const { return u_[unidade]; }

    // The fields of units [de, ate); `dentro` is the template they belong to,
    // or -1 for the code itself. In `ordem` (when given) the IDs as they come.
    std::optional<QString> separa(std::size_t de, std::size_t ate, int dentro, Campos& campos,
                                  std::vector<int>* ordem = nullptr) const {
        const QString onde = dentro < 0
                                 ? QStringLiteral("O código PIX")
                                 : QStringLiteral("O campo %1 do código PIX").arg(id2(dentro));
        int anterior = -1;
        std::size_t i = de;
        while (i < ate) {
            if (ate - i < 4) {
                if (dentro >= 0) {
                    return QStringLiteral(
                               "%1 está malformado: sobram %2 caracteres que não formam "
                               "um campo.")
                        .arg(onde)
                        .arg(ate - i);
                }
                return QStringLiteral(
                           "O código PIX está truncado: termina no meio do cabeçalho de "
                           "um campo%1.")
                    .arg(anterior < 0 ? QString()
                                      : QStringLiteral(", depois do campo ") + id2(anterior));
            }
            int numeros[4];
            for (int k = 0; k < 4; ++k) {
                const std::size_t p = i + k;
                const bool digito =
                    u_[p + 1] - u_[p] == 1 && texto_[u_[p]] >= '0' && texto_[u_[p]] <= '9';
                if (!digito) {
                    return QStringLiteral(
                               "%1 está malformado: na posição %2 devia vir o número e o "
                               "tamanho de um campo, e vem “%3”.")
                        .arg(onde)
                        .arg(i + 1)
                        .arg(QString::fromUtf8(texto_.substr(u_[i], u_[i + 4] - u_[i])));
                }
                numeros[k] = texto_[u_[p]] - '0';
            }
            const int id = numeros[0] * 10 + numeros[1];
            const std::size_t tamanho = std::size_t(numeros[2] * 10 + numeros[3]);
            if (tamanho > ate - i - 4) {
                return QStringLiteral(
                           "O campo %1 %2 declara %3 caracteres, mas só restam %4: o "
                           "código está incompleto.")
                    .arg(id2(id),
                         dentro < 0
                             ? QStringLiteral("do código PIX")
                             : QStringLiteral("dentro do campo %1 do código PIX").arg(id2(dentro)))
                    .arg(tamanho)
                    .arg(ate - i - 4);
            }
            if (campos[id]) {
                return QStringLiteral("%1 traz o campo %2 mais de uma vez.").arg(onde, id2(id));
            }
            campos[id] = Campo{id, i + 4, i + 4 + tamanho};
            if (ordem) ordem->push_back(id);
            anterior = id;
            i += 4 + tamanho;
        }
        return std::nullopt;
    }

  private:
    std::string_view texto_;
    const Unidades& u_;
};

QString listaComE(const QStringList& itens) {
    if (itens.size() == 1) return itens.front();
    return itens.mid(0, itens.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" e ") +
           itens.back();
}

// "123.45" → 12345; nullopt when it is not an amount; `acima` when it is one
// beyond the largest the suite records.
std::optional<std::int64_t> centavos(std::string_view s, bool& acima) {
    acima = false;
    const std::size_t ponto = s.find('.');
    const std::string_view inteiro = s.substr(0, ponto);
    const std::string_view fracao =
        ponto == std::string_view::npos ? std::string_view() : s.substr(ponto + 1);
    auto soDigitos = [](std::string_view t) {
        for (char c : t)
            if (c < '0' || c > '9') return false;
        return true;
    };
    if (inteiro.empty() || !soDigitos(inteiro) || !soDigitos(fracao)) return std::nullopt;
    if (ponto != std::string_view::npos && (fracao.empty() || fracao.size() > 2))
        return std::nullopt;
    std::int64_t reais = 0;
    for (char c : inteiro) {
        reais = reais * 10 + (c - '0');
        if (reais > kMaiorValorCentavos / 100) {
            acima = true;
            return std::nullopt;
        }
    }
    std::int64_t resto = 0;
    for (std::size_t k = 0; k < 2; ++k)
        resto = resto * 10 + (k < fracao.size() ? fracao[k] - '0' : 0);
    return reais * 100 + resto;
}

// The PIX merchant account among the templates 26 to 51: the one whose 00 is
// br.gov.bcb.pix (other payment arrangements may take the other IDs).
struct ContaPix {
    int id;
    Campos campos;
};

std::optional<ContaPix> contaPix(const Leitor& leitor, const Campos& campos, QString& erro) {
    for (int id = 26; id <= 51; ++id) {
        if (!campos[id]) continue;
        ContaPix conta{id, {}};
        if (auto e = leitor.separa(campos[id]->de, campos[id]->ate, id, conta.campos)) {
            if (erro.isEmpty()) erro = *e;
            continue;
        }
        if (conta.campos[0] && iguaisSemCaixa(leitor.valor(*conta.campos[0]), "br.gov.bcb.pix"))
            return conta;
    }
    if (erro.isEmpty()) {
        erro = QStringLiteral(
            "O código não traz uma conta PIX: nenhum dos campos 26 a 51 tem br.gov.bcb.pix.");
    }
    return std::nullopt;
}

LeituraCobranca le(std::string_view codigo, const Unidades& u) {
    const Leitor leitor(codigo, u);
    Campos campos;
    std::vector<int> ordem;
    if (auto erro = leitor.separa(0, leitor.fim(), -1, campos, &ordem))
        return LeituraCobranca::falha(*erro);

    if (ordem.empty() || ordem.back() != 63) {
        return LeituraCobranca::falha(
            campos[63]
                ? QStringLiteral("O CRC (campo 63) tem de ser o último campo do código PIX.")
                : QStringLiteral("O código PIX está truncado: falta no fim o CRC (campo 63)."));
    }
    const Campo& crc = *campos[63];
    const QString crcTexto = leitor.texto(crc);
    bool hexadecimal = leitor.valor(crc).size() == 4;
    for (char c : leitor.valor(crc))
        hexadecimal = hexadecimal && std::isxdigit(static_cast<unsigned char>(c));
    if (!hexadecimal) {
        return LeituraCobranca::falha(
            QStringLiteral(
                "O CRC do código PIX (campo 63) tem de ser de 4 dígitos hexadecimais, e é “%1”.")
                .arg(crcTexto));
    }
    const std::uint16_t calculado = crcPix(codigo.substr(0, leitor.byteDe(crc.de)));
    if (crcTexto.toUInt(nullptr, 16) != calculado) {
        return LeituraCobranca::falha(
            QStringLiteral(
                "O CRC do código PIX não confere: esperado %1, e o código traz %2; ele foi "
                "alterado ou copiado pela metade.")
                .arg(QStringLiteral("%1").arg(calculado, 4, 16, QChar('0')).toUpper(),
                     crcTexto.toUpper()));
    }
    if (ordem.front() != 0 || leitor.valor(*campos[0]) != "01") {
        return LeituraCobranca::falha(
            QStringLiteral("O código PIX tem de começar pelo campo 00 com o valor 01."));
    }

    QString erroConta;
    const std::optional<ContaPix> conta = contaPix(leitor, campos, erroConta);
    if (!conta) return LeituraCobranca::falha(erroConta);
    auto preenchido = [&](const Campos& de, int id) { return de[id] && de[id]->ate > de[id]->de; };
    const bool temChave = preenchido(conta->campos, 1), temUrl = preenchido(conta->campos, 25);
    if (temChave == temUrl) {
        return LeituraCobranca::falha(
            (temChave
                 ? QStringLiteral("A conta PIX (campo %1) traz a chave (01) e a URL (25) ao mesmo "
                                  "tempo; um código PIX traz uma ou outra.")
                 : QStringLiteral("A conta PIX (campo %1) não traz a chave (01) nem a URL de um "
                                  "código dinâmico (25)."))
                .arg(id2(conta->id)));
    }

    static constexpr std::pair<int, const char16_t*> kObrigatorios[] = {
        {52, u"categoria do recebedor"},
        {53, u"moeda"},
        {58, u"país"},
        {59, u"nome do recebedor"},
        {60, u"cidade"}};
    QStringList faltam;
    for (const auto& [id, nome] : kObrigatorios) {
        if (!preenchido(campos, id))
            faltam << QStringLiteral("%1 (%2)").arg(id2(id), QString::fromUtf16(nome));
    }
    if (faltam.size() == 1)
        return LeituraCobranca::falha(
            QStringLiteral("Falta no código PIX o campo obrigatório %1.").arg(faltam[0]));
    if (!faltam.isEmpty()) {
        return LeituraCobranca::falha(
            QStringLiteral("Faltam no código PIX os campos obrigatórios %1.")
                .arg(listaComE(faltam)));
    }
    if (leitor.valor(*campos[53]) != "986") {
        return LeituraCobranca::falha(
            QStringLiteral(
                "O código PIX é de outra moeda (código %1 no campo 53); a do real é 986.")
                .arg(leitor.texto(*campos[53])));
    }
    if (!iguaisSemCaixa(leitor.valor(*campos[58]), "BR")) {
        return LeituraCobranca::falha(
            QStringLiteral("O país do código PIX (campo 58) é “%1”; o do PIX é o Brasil, BR.")
                .arg(leitor.texto(*campos[58])));
    }

    CobrancaLida c;
    c.tipo = TipoCobranca::Pix;
    if (campos[54]) {
        bool acima = false;
        const std::optional<std::int64_t> valor = centavos(leitor.valor(*campos[54]), acima);
        if (acima) {
            return LeituraCobranca::falha(
                QStringLiteral(
                    "O valor do PIX (campo 54), %1, passa do maior valor que se registra, "
                    "9.999.999.999.999,99.")
                    .arg(leitor.texto(*campos[54])));
        }
        if (!valor) {
            return LeituraCobranca::falha(
                QStringLiteral(
                    "O valor do PIX (campo 54) é “%1”, que não é um valor: ele se escreve "
                    "com ponto antes dos centavos, como 123.45.")
                    .arg(leitor.texto(*campos[54])));
        }
        if (*valor > 0) c.valorCentavos = *valor;
    }
    if (campos[62]) {
        Campos adicionais;
        if (auto e = leitor.separa(campos[62]->de, campos[62]->ate, 62, adicionais))
            return LeituraCobranca::falha(*e);
        if (adicionais[5] && leitor.valor(*adicionais[5]) != "***")
            c.txid = leitor.texto(*adicionais[5]);
    }
    c.linha = std::string(codigo);
    c.recebedor = leitor.texto(*campos[59]);
    c.cidade = leitor.texto(*campos[60]);
    if (temChave) c.chavePix = leitor.texto(*conta->campos[1]);
    if (temUrl) c.urlPix = leitor.texto(*conta->campos[25]);
    return LeituraCobranca::lida(std::move(c));
}

}  // namespace

LeituraCobranca lerPix(std::string_view codigo) {
    const std::optional<Unidades> porCaractere = caracteres(codigo);
    if (!porCaractere)
        return LeituraCobranca::falha(
            QStringLiteral("O código PIX tem bytes que não formam texto UTF-8."));
    const std::size_t tamanho = porCaractere->size() - 1;
    if (tamanho > kMaximoCaracteresPix) {
        return LeituraCobranca::falha(
            QStringLiteral("O código PIX tem %1 caracteres; o máximo é %2.")
                .arg(tamanho)
                .arg(kMaximoCaracteresPix));
    }
    for (std::size_t i = 0; i < tamanho; ++i) {
        const auto c = static_cast<unsigned char>(codigo[(*porCaractere)[i]]);
        if (c < 0x20 || c == 0x7F) {
            return LeituraCobranca::falha(
                QStringLiteral(
                    "O código PIX tem um caractere de controle (uma quebra de linha, uma "
                    "tabulação) na posição %1.")
                    .arg(i + 1));
        }
    }
    LeituraCobranca leitura = le(codigo, *porCaractere);
    if (!leitura && tamanho != codigo.size()) {
        LeituraCobranca porByte = le(codigo, bytes(codigo));
        if (porByte) return porByte;
    }
    return leitura;
}

std::uint16_t crcPix(std::string_view bytes) {
    std::uint16_t crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= static_cast<std::uint16_t>(static_cast<unsigned char>(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

}  // namespace cp
