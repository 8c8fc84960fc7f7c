// The slips are made here from their published layouts, their check digits
// worked out by the plain formulas below (written apart from the reader's
// own), and anchored on digits printed on real slips: a Bradesco boleto, the
// Social Security slips (GPS) the Receita publishes and the Central Bank's
// dynamic PIX example.
#include <gtest/gtest.h>

#include <QDate>
#include <random>
#include <string>

#include "suite/cobranca/Boleto.h"
#include "suite/cobranca/Cobranca.h"
#include "suite/cobranca/Modulos.h"

// Dates in failures as dates.
inline void PrintTo(const QDate& data, std::ostream* os) {
    *os << data.toString(Qt::ISODate).toStdString();
}

namespace cp::test {
namespace {

const QDate kHoje(2025, 6, 1);

char d(int n) { return char('0' + n); }

// Módulo 10: weight 2 on the last digit; a product over 9 counts as itself − 9.
int mod10(const std::string& s) {
    int soma = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int p = (s[i] - '0') * ((s.size() - 1 - i) % 2 == 0 ? 2 : 1);
        soma += p > 9 ? p - 9 : p;
    }
    return soma % 10 == 0 ? 0 : 10 - soma % 10;
}

// Módulo 11: weight 2 + (distance from the right mod 8).
int resto11(const std::string& s) {
    int soma = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        soma += (s[i] - '0') * int(2 + (s.size() - 1 - i) % 8);
    return soma % 11;
}
int dvBoleto(const std::string& s) {
    const int r = 11 - resto11(s);
    return r == 0 || r == 10 || r == 11 ? 1 : r;
}
int dvArrecadacao11(const std::string& s) { return resto11(s) <= 1 ? 0 : 11 - resto11(s); }

// A boleto's barcode with its general digit put in place.
std::string boleto(const std::string& banco, char moeda, const std::string& fator,
                   const std::string& valor10, const std::string& livre25) {
    const std::string sem = banco + moeda + fator + valor10 + livre25;
    return sem.substr(0, 4) + d(dvBoleto(sem)) + sem.substr(4);
}

std::string linhaDe(const std::string& cb) {
    const std::string c1 = cb.substr(0, 4) + cb.substr(19, 5), c2 = cb.substr(24, 10),
                      c3 = cb.substr(34, 10);
    return c1 + d(mod10(c1)) + c2 + d(mod10(c2)) + c3 + d(mod10(c3)) + cb[4] + cb.substr(5, 14);
}

// As printed: "AAAAA.AAAAA BBBBB.BBBBBB CCCCC.CCCCCC D EEEEEEEEEEEEEE".
std::string impressa(const std::string& l) {
    return l.substr(0, 5) + "." + l.substr(5, 5) + " " + l.substr(10, 5) + "." + l.substr(15, 6) +
           " " + l.substr(21, 5) + "." + l.substr(26, 6) + "\n" + l.substr(32, 1) + " " +
           l.substr(33);
}

// A collection slip's barcode of value kind `tipo`, and its 48-digit line.
std::string arrecadacao(char segmento, char tipo, const std::string& valor11,
                        const std::string& resto29) {
    const std::string sem = std::string("8") + segmento + tipo + valor11 + resto29;
    const int dv = tipo <= '7' ? mod10(sem) : dvArrecadacao11(sem);
    return sem.substr(0, 3) + d(dv) + sem.substr(3);
}
std::string linhaArrecadacao(const std::string& cb) {
    std::string l;
    for (int i = 0; i < 4; ++i) {
        const std::string bloco = cb.substr(i * 11, 11);
        l += bloco + d(cb[2] <= '7' ? mod10(bloco) : dvArrecadacao11(bloco));
    }
    return l;
}

CobrancaLida le(const std::string& texto, const QDate& hoje = kHoje) {
    const LeituraCobranca l = lerCobranca(texto, hoje);
    EXPECT_TRUE(l) << texto << ": " << l.erro.toStdString();
    return l ? *l.cobranca : CobrancaLida{};
}
std::string erro(const std::string& texto) {
    const LeituraCobranca l = lerCobranca(texto, kHoje);
    EXPECT_FALSE(l) << texto;
    return l.erro.toStdString();
}

TEST(Modulos, AgreeWithThePlainFormulasAndThePublishedExamples) {
    // FEBRABAN's worked example, and a sequence whose remainder is 0: a boleto
    // turns 11 into 1, a collection slip into 0.
    EXPECT_EQ(modulo10("01230067896"), 3);
    EXPECT_EQ(modulo11("01230067896", RegraModulo11::Boleto), 1);
    EXPECT_EQ(modulo11("01230067896", RegraModulo11::Arrecadacao), 0);
    std::mt19937 sorteio(20250222);
    for (int n = 0; n < 3000; ++n) {
        std::string s(1 + sorteio() % 48, '0');
        for (char& c : s) c = d(int(sorteio() % 10));
        ASSERT_EQ(modulo10(s), mod10(s)) << s;
        ASSERT_EQ(modulo11(s, RegraModulo11::Boleto), dvBoleto(s)) << s;
        ASSERT_EQ(modulo11(s, RegraModulo11::Arrecadacao), dvArrecadacao11(s)) << s;
    }
}

TEST(Boleto, LineAndBarcodeGiveTheSameSlip) {
    const std::string cb = boleto("341", '9', "1138", "0000123456", "1090000123456789012345670");
    const std::string linha = linhaDe(cb);
    for (const std::string& forma : {impressa(linha), cb, "  " + linha + "\r\n"}) {
        const CobrancaLida c = le(forma);
        EXPECT_EQ(c.tipo, TipoCobranca::Boleto);
        EXPECT_EQ(c.codigoBarras, cb);
        EXPECT_EQ(c.paraPagamento(), linha);
        EXPECT_EQ(c.banco, "341");
        EXPECT_EQ(c.nomeBanco, QStringLiteral("Itaú Unibanco"));
        EXPECT_EQ(c.vencimento, QDate(2025, 7, 10));
        EXPECT_EQ(c.valorCentavos, 123456);
    }
    // A Bradesco barcode as printed: factor 9893, R$ 35,00.
    const CobrancaLida b = le("23791989300000035003509090103764462000013100");
    EXPECT_EQ(b.nomeBanco, QStringLiteral("Bradesco"));
    EXPECT_EQ(b.vencimento, QDate(2024, 11, 7));
    EXPECT_EQ(b.valorCentavos, 3500);
    EXPECT_EQ(b.paraPagamento(), linhaDe(b.codigoBarras));
}

TEST(Boleto, DueDateFactorOnBothSidesOfThe2025Reset) {
    auto vence = [](const char* fator, const QDate& hoje) {
        return le(boleto("001", '9', fator, "0000001000", std::string(25, '7')), hoje).vencimento;
    };
    EXPECT_EQ(vence("9999", QDate(2025, 2, 10)), QDate(2025, 2, 21));
    EXPECT_EQ(vence("1000", QDate(2025, 2, 10)), QDate(2025, 2, 22));
    EXPECT_EQ(vence("1000", QDate(2000, 6, 20)), QDate(2000, 7, 3));
    EXPECT_EQ(vence("9000", kHoje), QDate(2022, 5, 29));  // overdue, not 2047
    EXPECT_EQ(vence("9000", QDate(2046, 12, 1)), QDate(2047, 1, 18));
    EXPECT_EQ(vence("4789", QDate(2010, 11, 1)), QDate(2010, 11, 17));
    EXPECT_EQ(vence("0000", kHoje), std::nullopt);
    EXPECT_EQ(vencimentoDoFator(1667, QDate(2002, 1, 1)), QDate(2002, 5, 1));
    // Under 1000 only the first cycle used them: the reset restarted at 1000.
    EXPECT_EQ(vencimentoDoFator(500, kHoje), QDate(1999, 2, 19));
    EXPECT_EQ(vencimentoDoFator(1667, QDate(2026, 1, 1)), QDate(2026, 12, 21));

    const CobrancaLida semValor =
        le(boleto("104", '9', "0000", "0000000000", std::string(25, '3')));
    EXPECT_EQ(semValor.vencimento, std::nullopt);
    EXPECT_EQ(semValor.valorCentavos, std::nullopt);
    EXPECT_EQ(semValor.nomeBanco, QStringLiteral("Caixa Econômica Federal"));
}

TEST(Boleto, EachWrongDigitIsNamedWithTheExpectedOne) {
    const std::string cb = boleto("237", '9', "1200", "0000050000", "4567890123456789012345678");
    const std::string linha = linhaDe(cb);
    auto troca = [](std::string s, std::size_t i) {
        s[i] = s[i] == '9' ? '0' : char(s[i] + 1);
        return s;
    };
    const std::pair<std::size_t, const char*> dvs[] = {{9, "1"}, {20, "2"}, {31, "3"}};
    for (const auto& [posicao, campo] : dvs) {
        EXPECT_EQ(erro(troca(linha, posicao)),
                  std::string("O dígito verificador do campo ") + campo +
                      " da linha digitável não confere: esperado " + linha[posicao] + ".");
    }
    // A slip in the middle of field 2: its digit no longer matches.
    const std::string digitado = troca(linha, 14);
    EXPECT_EQ(erro(digitado), std::string("O dígito verificador do campo 2 da linha digitável não "
                                          "confere: esperado ") +
                                  d(mod10(digitado.substr(10, 10))) + ".");
    EXPECT_EQ(erro(troca(linha, 32)),
              std::string("O dígito verificador geral (campo 4) da linha digitável não confere: "
                          "esperado ") +
                  cb[4] + ".");
    EXPECT_EQ(erro(troca(cb, 4)),
              std::string("O dígito verificador do código de barras (5º dígito) não confere: "
                          "esperado ") +
                  cb[4] + ".");
    EXPECT_NE(erro(linhaDe(boleto("237", '0', "1200", "0000050000", std::string(25, '1'))))
                  .find("outra moeda"),
              std::string::npos);
}

TEST(Arrecadacao, BothKindsOfCheckDigitAndTheReferenceValue) {
    // Value kind 8, módulo 11: a GPS slip as the Receita prints it, R$ 166,98.
    const CobrancaLida gps = le("85820000001-5 66980270116-2 30001280018-9 67222025113-0");
    EXPECT_EQ(gps.tipo, TipoCobranca::Arrecadacao);
    EXPECT_EQ(gps.codigoBarras, "85820000001669802701163000128001867222025113");
    EXPECT_EQ(gps.paraPagamento(), "858200000015669802701162300012800189672220251130");
    EXPECT_EQ(gps.valorCentavos, 16698);
    EXPECT_EQ(gps.vencimento, std::nullopt);
    EXPECT_EQ(le(gps.codigoBarras).paraPagamento(), gps.paraPagamento());

    // Value kind 6, módulo 10, from both forms; and 7 and 9, whose value is
    // a reference: no amount is read.
    const std::string agua = arrecadacao('2', '6', "00000008765", "00581234567890123456789012345");
    EXPECT_EQ(le(agua).paraPagamento(), linhaArrecadacao(agua));
    EXPECT_EQ(le(linhaArrecadacao(agua)).valorCentavos, 8765);
    EXPECT_EQ(le("817100000006115503062024412160306004098414311245").valorCentavos, std::nullopt);
    EXPECT_EQ(le(arrecadacao('5', '9', "00000012345", std::string(29, '4'))).valorCentavos,
              std::nullopt);
}

// 11 digits, counting up from `de`, whose módulo 11 remainder is `resto`.
std::string comResto(int resto, long long de = 12345678901) {
    for (long long n = de;; ++n) {
        const std::string s = std::to_string(n);
        if (resto11(s) == resto) return s;
    }
}

TEST(Arrecadacao, ModuloElevenRemaindersZeroAndOneGiveZero) {
    for (const int resto : {0, 1}) {
        // The last block of the line has the remainder: its digit is 0.
        const std::string cb =
            arrecadacao('3', '8', "00000020000", "123456789012345678" + comResto(resto));
        const std::string linha = linhaArrecadacao(cb);
        ASSERT_EQ(linha[47], '0');
        EXPECT_EQ(le(linha).codigoBarras, cb);
        std::string errada = linha;
        errada[47] = '1';
        EXPECT_EQ(erro(errada),
                  "O dígito verificador do campo 4 da linha digitável não confere: esperado 0.");
    }
    // The general digit (4th) the same way: the value is chosen for it.
    for (long long valor = 100;; ++valor) {
        const std::string v = std::to_string(100000000000 + valor).substr(1);
        const std::string sem = "838" + v + std::string(29, '6');
        if (resto11(sem) > 1) continue;
        const std::string cb = sem.substr(0, 3) + "0" + sem.substr(3);
        EXPECT_EQ(le(cb).valorCentavos, valor);
        EXPECT_EQ(erro(cb.substr(0, 3) + "1" + cb.substr(4)),
                  "O dígito verificador geral (4º dígito do código de barras) não confere: "
                  "esperado 0.");
        break;
    }
}

TEST(Arrecadacao, WrongDigitsAndKindsAreNamed) {
    const std::string linha = "858200000015669802701162300012800189672220251130";
    std::string errada = linha;
    errada[23] = '3';
    EXPECT_EQ(erro(errada),
              "O dígito verificador do campo 2 da linha digitável não confere: esperado 2.");
    // A wrong general digit under block digits that hold.
    std::string cb = arrecadacao('1', '6', "00000001000", std::string(29, '2'));
    const char certo = cb[3];
    cb[3] = certo == '9' ? '0' : char(certo + 1);
    EXPECT_EQ(
        erro(linhaArrecadacao(cb)),
        std::string("O dígito verificador geral (4º dígito do campo 1 da linha digitável) não "
                    "confere: esperado ") +
            certo + ".");
    EXPECT_NE(erro("855" + linha.substr(3)).find("identificação do valor) é 5"), std::string::npos);
    EXPECT_NE(erro("2" + linha.substr(1)).find("começa sempre por 8"), std::string::npos);
}

// EMV fields, lengths in characters.
std::string campo(const std::string& id, const std::string& valor) {
    std::size_t n = 0;
    for (unsigned char c : valor) n += (c & 0xC0) != 0x80;
    return id + (n < 10 ? "0" : "") + std::to_string(n) + valor;
}

// CRC-16/CCITT-FALSE fed one bit at a time.
std::string crc(const std::string& s) {
    unsigned c = 0xFFFF;
    for (unsigned char byte : s) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool alto = c & 0x8000;
            c = (c << 1) & 0xFFFF;
            if (alto != bool((byte >> bit) & 1)) c ^= 0x1021;
        }
    }
    static const char hex[] = "0123456789ABCDEF";
    return {hex[c >> 12], hex[(c >> 8) & 15], hex[(c >> 4) & 15], hex[c & 15]};
}

std::string comCrc(const std::string& semCrc) { return semCrc + "6304" + crc(semCrc + "6304"); }

struct Pix {
    std::string conta = campo("00", "br.gov.bcb.pix") + campo("01", "+5519912345678");
    std::string valor, nome = "FARMACIA EXEMPLO", cidade = "CAMPINAS", moeda = "986", extra;

    std::string semCrc() const {
        return campo("00", "01") + campo("26", conta) + campo("52", "0000") + campo("53", moeda) +
               (valor.empty() ? "" : campo("54", valor)) + campo("58", "BR") +
               (nome.empty() ? "" : campo("59", nome)) +
               (cidade.empty() ? "" : campo("60", cidade)) + campo("62", campo("05", "PEDIDO42")) +
               extra;
    }
    std::string codigo() const { return comCrc(semCrc()); }
};

TEST(Pix, StaticAndDynamicCodes) {
    // The Central Bank's dynamic example (CRC in upper and in lower case).
    const std::string dinamico =
        "00020101021226770014BR.GOV.BCB.PIX2555pix.example.com/qr/93598be0-1bd0-4997-8318-"
        "81776a1d8a995204000053039865802BR5907EMPRESA6009SAO PAULO62070503***6304EEAB";
    for (const std::string& codigo : {dinamico, dinamico.substr(0, dinamico.size() - 4) + "eeab"}) {
        const CobrancaLida c = le(" " + codigo + "\n");
        EXPECT_EQ(c.tipo, TipoCobranca::Pix);
        EXPECT_EQ(c.paraPagamento(), codigo);
        EXPECT_EQ(c.urlPix,
                  QStringLiteral("pix.example.com/qr/93598be0-1bd0-4997-8318-81776a1d8a99"));
        EXPECT_TRUE(c.chavePix.isEmpty());
        EXPECT_TRUE(c.txid.isEmpty());  // "***"
        EXPECT_EQ(c.recebedor, QStringLiteral("EMPRESA"));
        EXPECT_EQ(c.cidade, QStringLiteral("SAO PAULO"));
        EXPECT_EQ(c.valorCentavos, std::nullopt);
    }
    Pix pix;
    const CobrancaLida semValor = le(pix.codigo());
    EXPECT_EQ(semValor.chavePix, QStringLiteral("+5519912345678"));
    EXPECT_EQ(semValor.txid, QStringLiteral("PEDIDO42"));
    EXPECT_EQ(semValor.valorCentavos, std::nullopt);
    pix.valor = "123.45";
    EXPECT_EQ(le(pix.codigo()).valorCentavos, 12345);
    pix.valor = "9999999999999.99";
    EXPECT_EQ(le(pix.codigo()).valorCentavos, kMaiorValorCentavos);

    // A name with accents, its length counted in characters, and in bytes.
    pix.nome = "FARMÁCIA SÃO JOSÉ";
    const std::string porCaractere = pix.codigo();
    const std::string porByte =
        comCrc(std::string(pix.semCrc()).replace(pix.semCrc().find("5917"), 4, "5920"));
    EXPECT_EQ(le(porCaractere).recebedor, QStringLiteral("FARMÁCIA SÃO JOSÉ"));
    EXPECT_EQ(le(porByte).recebedor, QStringLiteral("FARMÁCIA SÃO JOSÉ"));
}

TEST(Pix, DamagedOrIncompleteCodesAreNamed) {
    const std::string codigo = Pix().codigo();
    std::string alterado = codigo;
    alterado[alterado.find("EXEMPLO")] = 'F';
    EXPECT_EQ(erro(alterado), "O CRC do código PIX não confere: esperado " +
                                  crc(alterado.substr(0, alterado.size() - 4)) +
                                  ", e o código traz " + codigo.substr(codigo.size() - 4) +
                                  "; ele foi alterado ou copiado pela metade.");
    EXPECT_EQ(erro(codigo.substr(0, codigo.size() - 8)),
              "O código PIX está truncado: falta no fim o CRC (campo 63).");
    EXPECT_EQ(erro(codigo.substr(0, codigo.find("CAMPINAS") + 3)),
              "O campo 60 do código PIX declara 8 caracteres, mas só restam 3: o código está "
              "incompleto.");

    // Up to 512 characters: extra templates (80 and on) bring it to the limit.
    for (const std::size_t total : {512u, 513u}) {
        Pix longo;
        for (int id = 80; longo.codigo().size() < total; ++id) {
            const std::size_t falta = total - longo.codigo().size();
            longo.extra +=
                campo(std::to_string(id),
                      std::string(std::min<std::size_t>(99, falta < 104 ? falta - 4 : 99), 'x'));
        }
        ASSERT_EQ(longo.codigo().size(), total);
        if (total == 512)
            EXPECT_EQ(le(longo.codigo()).recebedor, QStringLiteral("FARMACIA EXEMPLO"));
        else
            EXPECT_EQ(erro(longo.codigo()), "O código PIX tem 513 caracteres; o máximo é 512.");
    }

    Pix semNome;
    semNome.nome = semNome.cidade = "";
    EXPECT_EQ(erro(semNome.codigo()),
              "Faltam no código PIX os campos obrigatórios 59 (nome do recebedor) e 60 (cidade).");
    Pix dolar;
    dolar.moeda = "840";
    EXPECT_EQ(erro(dolar.codigo()),
              "O código PIX é de outra moeda (código 840 no campo 53); a do real é 986.");
    Pix acima, virgula, outraConta;
    acima.valor = "10000000000000.00";
    EXPECT_NE(erro(acima.codigo()).find("passa do maior valor que se registra"), std::string::npos);
    virgula.valor = "1,50";
    EXPECT_NE(erro(virgula.codigo()).find("“1,50”, que não é um valor"), std::string::npos);
    outraConta.conta = campo("00", "br.com.outro") + campo("01", "123");
    EXPECT_NE(erro(outraConta.codigo()).find("não traz uma conta PIX"), std::string::npos);
}

TEST(Cobranca, WhatIsNotADigitOrTheRightLengthIsNamed) {
    EXPECT_EQ(
        erro("2379O.1234l"),
        "O código tem letras: O, l. A linha digitável e o código de barras só têm algarismos.");
    EXPECT_EQ(
        erro(std::string(45, '1')),
        "A linha digitável tem 45 dígitos; um boleto tem 47 (ou 44 no código de barras) e uma "
        "conta de arrecadação 48.");
    EXPECT_NE(erro("23790/12345").find("/"), std::string::npos);
    EXPECT_NE(erro(" \t\n ").find("Nada foi informado"), std::string::npos);
}

}  // namespace
}  // namespace cp::test
