#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/Cp1252.h"
#include "suite/nfe/ChaveAcesso.h"
#include "suite/nfe/Cnpj.h"
#include "suite/nfe/LeitorNfe.h"
#include "suite/nfe/ValoresNfe.h"

namespace cp {
namespace {

// UF 35, March 2024, CNPJ 11.222.333/0001-81, model 55, series 1, number
// 12345, normal issue, code 12345678. Weighted sum of the 43 characters (weights
// 2..9 from the right) 519 = 11 * 47 + 2, so the digit is 11 - 2 = 9.
const QString kChave = QStringLiteral("35240311222333000181550010000123451123456789");

// The check digit computed another way: weights from the left, letters by
// their place in the alphabet (A = 17).
int digitoConferido(const QString& k43) {
    int soma = 0;
    for (int i = 0; i < 43; ++i) {
        const QChar c = k43[i];
        const int v = c.isDigit() ? c.digitValue() : 17 + (c.unicode() - u'A');
        soma += v * (2 + (42 - i) % 8);
    }
    return soma % 11 < 2 ? 0 : 11 - soma % 11;
}

QString comDigito(const QString& k43) { return k43 + QString::number(digitoConferido(k43)); }

// An NF-e as the suppliers' systems write it; each test changes what it is
// about. An empty field leaves its element out.
struct Nfe {
    QString raiz = QStringLiteral("nfeProc");
    QString espaco = QStringLiteral("http://www.portalfiscal.inf.br/nfe");
    QString prologo, chave = kChave, chaveProtocolo = kChave, cStat = QStringLiteral("100");
    QString xMotivo = QStringLiteral("Autorizado o uso da NF-e");
    QString nNF = QStringLiteral("12345"), dhEmi = QStringLiteral("2024-03-05T10:20:30-03:00");
    QString dEmi, vNF = QStringLiteral("1234.56"), cnpj = QStringLiteral("11222333000181"), cpf;
    QString xNome = QStringLiteral("Distribuidora Farmacêutica São José Ltda");
    QString xFant = QStringLiteral("Farmajosé");
    QStringList dups = {QStringLiteral("001|2024-04-04|400.00"),
                        QStringLiteral("002|2024-05-04|400"),
                        QStringLiteral("003|2024-06-03|434.56")};
    QString tPag = QStringLiteral("15");

    static QString el(const char* nome, const QString& v) {
        return v.isEmpty() ? QString() : QStringLiteral("<%1>%2</%1>").arg(QLatin1String(nome), v);
    }
    QByteArray xml() const {
        QString cobr;
        for (const QString& d : dups) {
            const QStringList p = d.split(u'|');
            cobr += QStringLiteral("<dup>%1%2%3</dup>")
                        .arg(el("nDup", p[0]), el("dVenc", p[1]), el("vDup", p[2]));
        }
        const QString inf =
            QStringLiteral(
                "<infNFe versao=\"4.00\" Id=\"NFe%1\"><ide><cUF>35</cUF><natOp>VENDA</natOp>"
                "<mod>55</mod><serie>1</serie>%2%3%4<NFref><refNF><nNF>99</nNF></refNF></NFref>"
                "</ide><emit>%5%6%7%8<enderEmit><xLgr>Rua A</xLgr></enderEmit></emit>"
                "<det nItem=\"1\"><prod><cProd>7891</cProd><xProd>Lactose 1kg</xProd>"
                "<vProd>1234.56</vProd></prod></det><total><ICMSTot><vProd>1234.56</vProd>%9"
                "</ICMSTot></total>%10<pag><detPag>%11<vPag>1234.56</vPag></detPag><detPag>"
                "<tPag>01</tPag></detPag></pag></infNFe>")
                .arg(chave, el("nNF", nNF), el("dhEmi", dhEmi), el("dEmi", dEmi), el("CNPJ", cnpj),
                     el("CPF", cpf), el("xNome", xNome), el("xFant", xFant), el("vNF", vNF))
                .arg(cobr.isEmpty() ? QString() : QStringLiteral("<cobr>%1</cobr>").arg(cobr),
                     el("tPag", tPag));
        const QString assinatura = QStringLiteral(
            "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo><ide><nNF>7</nNF>"
            "</ide></SignedInfo></Signature>");
        if (raiz != u"nfeProc")
            return QStringLiteral("<?xml version=\"1.0\"?>%1<%2 xmlns=\"%3\">%4%5</%2>")
                .arg(prologo, raiz, espaco, inf, assinatura)
                .toUtf8();
        const QString prot =
            cStat.isEmpty()
                ? QString()
                : QStringLiteral(
                      "<protNFe versao=\"4.00\"><infProt>%1%2%3</infProt>"
                      "</protNFe>")
                      .arg(el("chNFe", chaveProtocolo), el("cStat", cStat), el("xMotivo", xMotivo));
        const QString corpo =
            QStringLiteral("<nfeProc versao=\"4.00\" xmlns=\"%1\"><NFe>%2%3</NFe>%4</nfeProc>")
                .arg(espaco, inf, assinatura, prot);
        return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + prologo + corpo)
            .toUtf8();
    }
};

QString erroDe(const Nfe& n) { return lerNfe(n.xml()).erro; }

TEST(ChaveAcesso, ReadsTheKeyAsTypedOrAsTheIdAndSplitsItsParts) {
    ASSERT_EQ(digitoConferido(kChave.left(43)), 9);
    for (const QString& forma :
         {kChave, QStringLiteral("NFe") + kChave,
          QStringLiteral(" 3524.0311 2223 3300 0181 5500 1000 0123 4511 2345 6789 ")}) {
        const LeituraChave lida = lerChaveAcesso(forma);
        ASSERT_TRUE(lida.chave) << lida.erro.toStdString();
        EXPECT_EQ(lida.chave->texto(), kChave.toStdString());
    }
    const ChaveAcesso k = *lerChaveAcesso(kChave).chave;
    EXPECT_EQ(k.uf(), "35");
    EXPECT_EQ(k.anoMes(), "2403");
    EXPECT_EQ(k.cnpj(), "11222333000181");
    EXPECT_EQ(k.modelo(), "55");
    EXPECT_EQ(k.serie(), "001");
    EXPECT_EQ(k.numero(), "12345");
    EXPECT_EQ(k.tipoEmissao(), '1');
    EXPECT_EQ(k.codigo(), "12345678");
    EXPECT_EQ(k.dv(), 9);

    // The alphanumeric CNPJ's letters count as ASCII - 48 in the key's digit too.
    const QString alfa = comDigito(QStringLiteral("35260712ABC34501DE3555001000000777187654321"));
    ASSERT_TRUE(alfa.endsWith(u'4'));
    const LeituraChave lida = lerChaveAcesso(alfa.toLower());
    ASSERT_TRUE(lida.chave) << lida.erro.toStdString();
    EXPECT_EQ(lida.chave->cnpj(), "12ABC34501DE35");
}

TEST(ChaveAcesso, RefusesShortMistypedAndMisplacedCharacters) {
    auto erro = [](const QString& k) { return lerChaveAcesso(k).erro; };
    EXPECT_EQ(erro(kChave.left(43)),
              QStringLiteral("A chave de acesso tem 43 caracteres; deve ter 44."));
    EXPECT_EQ(erro(kChave.left(43) + u'3'),
              QStringLiteral("O dígito verificador da chave de acesso não confere: esperado 9."));
    EXPECT_TRUE(erro(QString(kChave).replace(2, 1, u'A')).contains(u"posição 3"));
    // The CNPJ's own check digits (positions 19 and 20) stay digits.
    EXPECT_TRUE(erro(QString(kChave).replace(18, 1, u'A')).contains(u"posição 19"));
    EXPECT_TRUE(erro(QString(kChave).replace(20, 1, u'-')).contains(u"\"-\" na posição 21"));
    EXPECT_FALSE(erro(QString()).isEmpty());
}

TEST(Cnpj, ChecksBothDigitsOfNumericAndAlphanumericCnpj) {
    EXPECT_TRUE(cnpjValido("11222333000181"));
    EXPECT_TRUE(cnpjValido("11.222.333/0001-81"));
    EXPECT_TRUE(cnpjValido("12.abc.345/01de-35"));
    EXPECT_EQ(
        problemaDoCnpj("11222333000182"),
        QStringLiteral("Os dígitos verificadores do CNPJ \"11.222.333/0001-82\" não conferem: "
                       "esperado 81."));
    EXPECT_FALSE(cnpjValido("12ABC34501DE53"));
    EXPECT_FALSE(cnpjValido("12ABC34501DE3A"));
    EXPECT_FALSE(cnpjValido("1122233300018"));
    // What the operator typed is shown as typed, never taken for a place holder.
    EXPECT_EQ(problemaDoCnpj("%1%2"),
              QStringLiteral("O CNPJ \"%1%2\" tem 2 caracteres; deve ter 14."));
    EXPECT_EQ(formataCnpj("12abc34501de35"), "12.ABC.345/01DE-35");
    EXPECT_EQ(formataCnpj("123"), "123");
}

TEST(ValoresNfe, AmountsAreExactCentsAndAnythingElseIsRefused) {
    EXPECT_EQ(lerValorDecimal(u"1234.5"), 123450);
    EXPECT_EQ(lerValorDecimal(u"1234.56"), 123456);
    EXPECT_EQ(lerValorDecimal(u"0.07"), 7);
    EXPECT_EQ(lerValorDecimal(u"9999999999999.99"), kMaiorValorCentavos);
    EXPECT_GT(*lerValorDecimal(u"10000000000000"), kMaiorValorCentavos);
    EXPECT_GT(*lerValorDecimal(u"99999999999999999999999999"), kMaiorValorCentavos);
    for (const char16_t* ruim : {u"1234.567", u"1,50", u"-1.00", u"+1", u" 1.00", u"1e3", u".5",
                                 u"5.", u"", u"1.2.3", u"١٢"})
        EXPECT_FALSE(lerValorDecimal(ruim)) << QString::fromUtf16(ruim).toStdString();
    EXPECT_EQ(formataReais(123456), QStringLiteral("R$ 1.234,56"));
    EXPECT_EQ(formataReais(5), QStringLiteral("R$ 0,05"));
    EXPECT_EQ(formataReais(kMaiorValorCentavos), QStringLiteral("R$ 9.999.999.999.999,99"));

    EXPECT_EQ(lerDataHoraIso(u"2024-03-05T23:59:59-03:00"), QDate(2024, 3, 5));
    EXPECT_EQ(lerDataHoraIso(u"2024-03-06T00:10:00Z"), QDate(2024, 3, 6));
    EXPECT_FALSE(lerDataHoraIso(u"2024-03-05T24:00:00-03:00"));
    EXPECT_FALSE(lerDataHoraIso(u"2024-03-05"));
    EXPECT_FALSE(lerDataIso(u"2023-02-29"));
    EXPECT_FALSE(lerDataIso(u"0000-01-01"));
}

TEST(LeitorNfe, ReadsAProcessedInvoiceWithItsInstallments) {
    const LeituraNfe r = lerNfe(Nfe{}.xml());
    ASSERT_TRUE(r.lida()) << r.erro.toStdString();
    EXPECT_TRUE(r.avisos.isEmpty()) << r.avisos.join(u'\n').toStdString();
    const NotaFiscalLida& n = *r.nota;
    EXPECT_EQ(n.chave.texto(), kChave.toStdString());
    EXPECT_TRUE(n.autorizada());
    EXPECT_TRUE(n.descricaoSituacao().isEmpty());
    EXPECT_EQ(n.numero, "12345");
    EXPECT_EQ(n.emissao, QDate(2024, 3, 5));
    EXPECT_EQ(n.valorTotal, 123456);
    EXPECT_EQ(n.documentoEmitente, "11222333000181");
    EXPECT_EQ(fromCp1252(n.nomeEmitente),
              QStringLiteral("Distribuidora Farmacêutica São José Ltda"));
    EXPECT_EQ(n.nomeEmitente.size(), 40u);  // one byte a character
    EXPECT_EQ(fromCp1252(n.nomeFantasia), QStringLiteral("Farmajosé"));
    EXPECT_EQ(n.tipoPagamento, "15");
    EXPECT_EQ(meioDoPagamento(u"15"), "Boleto");
    EXPECT_EQ(fromCp1252(*meioDoPagamento(u"04")), QStringLiteral("Cartão"));
    EXPECT_FALSE(meioDoPagamento(u"17"));

    const std::vector<ParcelaNfe> p = parcelasDaNota(n);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].numero, 1);
    EXPECT_EQ(p[2].numero, 3);
    EXPECT_EQ(p[1].documento, "002");
    EXPECT_EQ(p[1].vencimento, QDate(2024, 5, 4));
    EXPECT_EQ(p[0].valor + p[1].valor + p[2].valor, n.valorTotal);
    EXPECT_EQ(p[2].valor, 43456);
}

TEST(LeitorNfe, BareNFeWithoutCobrIsOneInstallmentOfTheTotalOnTheDayOfIssue) {
    Nfe nfe;
    nfe.raiz = QStringLiteral("NFe");
    nfe.dups.clear();
    nfe.dhEmi.clear();
    nfe.dEmi = QStringLiteral("2009-05-02");  // as files of the older layouts have it
    const LeituraNfe r = lerNfe(nfe.xml());
    ASSERT_TRUE(r.lida()) << r.erro.toStdString();
    EXPECT_FALSE(r.nota->situacao);
    EXPECT_FALSE(r.nota->autorizada());
    EXPECT_TRUE(r.nota->descricaoSituacao().contains(u"protocolo"));
    const std::vector<ParcelaNfe> p = parcelasDaNota(*r.nota);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].vencimento, QDate(2009, 5, 2));
    EXPECT_EQ(p[0].valor, 123456);
    EXPECT_EQ(p[0].numero, 1);
}

TEST(LeitorNfe, InvoiceNotAuthorisedIsReadWithItsSituationForTheOperator) {
    Nfe nfe;
    nfe.cStat = QStringLiteral("101");
    LeituraNfe r = lerNfe(nfe.xml());
    ASSERT_TRUE(r.lida());
    EXPECT_FALSE(r.nota->autorizada());
    EXPECT_EQ(
        r.nota->descricaoSituacao(),
        QStringLiteral("A NF-e não está autorizada (situação 101: cancelamento homologado)."));
    nfe.cStat = QStringLiteral("302");
    nfe.xMotivo = QStringLiteral("  Uso Denegado :\n Irregularidade fiscal do destinatario ");
    EXPECT_TRUE(
        lerNfe(nfe.xml()).nota->descricaoSituacao().contains(u"situação 302: uso denegado"));
    nfe.cStat = QStringLiteral("999");
    EXPECT_EQ(
        lerNfe(nfe.xml()).nota->descricaoSituacao(),
        QStringLiteral("A NF-e não está autorizada (situação 999: Uso Denegado : Irregularidade "
                       "fiscal do destinatario)."));
    nfe.cStat = QStringLiteral("150");
    EXPECT_TRUE(lerNfe(nfe.xml()).nota->autorizada());
}

TEST(LeitorNfe, ReadsTheInvoiceOfAnAlphanumericCnpjOrOfAPerson) {
    Nfe nfe;
    nfe.chave = nfe.chaveProtocolo =
        comDigito(QStringLiteral("35240312ABC34501DE3555001000012345112345678"));
    nfe.cnpj = QStringLiteral("12ABC34501DE35");
    LeituraNfe r = lerNfe(nfe.xml());
    ASSERT_TRUE(r.lida()) << r.erro.toStdString();
    EXPECT_TRUE(r.avisos.isEmpty()) << r.avisos.join(u'\n').toStdString();
    EXPECT_EQ(r.nota->documentoEmitente, "12ABC34501DE35");

    nfe.cnpj = QStringLiteral("12ABC34501DE53");
    EXPECT_TRUE(erroDe(nfe).contains(u"esperado 35"));

    // A person issues with a CPF, which the key carries after three zeros.
    nfe.cnpj.clear();
    nfe.cpf = QStringLiteral("12345678909");
    nfe.chave = nfe.chaveProtocolo =
        comDigito(QStringLiteral("3524030001234567890955001000012345112345678"));
    r = lerNfe(nfe.xml());
    ASSERT_TRUE(r.lida()) << r.erro.toStdString();
    EXPECT_TRUE(r.nota->emitentePessoaFisica);
    EXPECT_TRUE(r.avisos.isEmpty()) << r.avisos.join(u'\n').toStdString();
}

TEST(LeitorNfe, WarnsOfInstallmentsThatDoNotAddUpFallDueEarlyOrDisagreeWithTheKey) {
    Nfe nfe;
    nfe.dups = QStringList{QStringLiteral("001|2024-03-01|500.00"), QStringLiteral("002||500.00")};
    nfe.nNF = QStringLiteral("12346");
    const LeituraNfe r = lerNfe(nfe.xml());
    ASSERT_TRUE(r.lida()) << r.erro.toStdString();
    EXPECT_EQ(r.avisos,
              (QStringList{
                  QStringLiteral(
                      "A parcela 1 vence em 01/03/2024, antes da emissão da nota (05/03/2024)."),
                  QStringLiteral(
                      "A parcela 2 não traz vencimento; fica para o dia da emissão (05/03/2024)."),
                  QStringLiteral(
                      "A soma das parcelas (R$ 1.000,00) difere do total da nota (R$ 1.234,56); as "
                      "parcelas ficam como a nota as traz."),
                  QStringLiteral(
                      "O número da chave de acesso (12345) difere do número da nota (12346).")}));
    ASSERT_EQ(r.nota->duplicatas.size(), 2u);
    EXPECT_EQ(r.nota->duplicatas[1].vencimento, QDate(2024, 3, 5));
    EXPECT_EQ(r.nota->duplicatas[0].valor, 50000);
}

TEST(LeitorNfe, RefusesWhatIsNotAnNfe) {
    EXPECT_EQ(lerNfe(QByteArray()).erro, QStringLiteral("O arquivo está vazio."));
    EXPECT_TRUE(lerNfe("%PDF-1.4\n%\xE2\xE3").erro.startsWith(u"O arquivo não é um XML válido"));
    EXPECT_TRUE(lerNfe(Nfe{}.xml().chopped(12)).erro.startsWith(u"O arquivo não é um XML válido"));
    EXPECT_TRUE(
        lerNfe("<html><body>NFe</body></html>").erro.startsWith(u"O arquivo não é uma NF-e"));
    Nfe outro;
    outro.espaco = QStringLiteral("http://www.portalfiscal.inf.br/cte");
    EXPECT_TRUE(erroDe(outro).contains(u"cte"));
    outro = Nfe{};
    outro.raiz = QStringLiteral("NFe");
    outro.espaco.clear();
    EXPECT_TRUE(erroDe(outro).contains(u"sem espaço de nomes"));
    outro.raiz = QStringLiteral("resNFe");
    EXPECT_TRUE(erroDe(outro).startsWith(u"O arquivo não é uma NF-e"));
}

TEST(LeitorNfe, RefusesDocumentTypesAndEntitiesWithoutExpandingThem) {
    Nfe nfe;
    nfe.prologo = QStringLiteral(
        "<!DOCTYPE nfeProc [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>");
    nfe.xNome = QStringLiteral("&b;");
    const LeituraNfe r = lerNfe(nfe.xml());
    EXPECT_FALSE(r.lida());
    EXPECT_TRUE(r.erro.contains(u"DOCTYPE")) << r.erro.toStdString();

    nfe.prologo.clear();  // a reference with nothing to resolve it
    EXPECT_FALSE(lerNfe(nfe.xml()).lida());
    nfe.xNome = QStringLiteral("Drogas &amp; Cia &#233;");  // what XML itself defines is read
    EXPECT_EQ(fromCp1252(lerNfe(nfe.xml()).nota->nomeEmitente), QStringLiteral("Drogas & Cia é"));
}

TEST(LeitorNfe, RefusesKeysThatFailOrDisagree) {
    Nfe nfe;
    nfe.chave = kChave.left(43) + u'1';
    EXPECT_EQ(erroDe(nfe),
              QStringLiteral("O dígito verificador da chave de acesso não confere: esperado 9."));
    nfe.chave = kChave;
    nfe.chaveProtocolo = comDigito(kChave.left(42) + u'0');
    EXPECT_TRUE(erroDe(nfe).contains(u"difere da chave do protocolo"));
    nfe.chaveProtocolo = kChave.left(40);
    EXPECT_TRUE(erroDe(nfe).startsWith(u"No protocolo de autorização: A chave de acesso tem 40"));
    nfe.chave = nfe.chaveProtocolo = QString();  // an Id left empty
    nfe.cStat.clear();
    EXPECT_FALSE(lerNfe(nfe.xml()).lida());
}

TEST(LeitorNfe, RefusesMoreThan180InstallmentsAndBadFields) {
    Nfe nfe;
    nfe.dups.clear();
    for (int i = 1; i <= 200; ++i) nfe.dups << QStringLiteral("%1|2024-04-04|1.00").arg(i);
    EXPECT_EQ(erroDe(nfe),
              QStringLiteral("A nota tem 200 parcelas; o programa aceita no máximo 180."));
    nfe.dups = nfe.dups.mid(0, 180);
    EXPECT_EQ(lerNfe(nfe.xml()).nota->duplicatas.size(), 180u);

    auto comCampo = [](QString Nfe::*campo, const QString& valor) {
        Nfe n;
        n.*campo = valor;
        return erroDe(n);
    };
    for (auto campo : {&Nfe::nNF, &Nfe::dhEmi, &Nfe::vNF, &Nfe::cnpj, &Nfe::xNome})
        EXPECT_TRUE(comCampo(campo, QString()).startsWith(u"A nota não informa"));
    EXPECT_TRUE(comCampo(&Nfe::vNF, QStringLiteral("1.234,56")).contains(u"\"1.234,56\""));
    EXPECT_TRUE(comCampo(&Nfe::vNF, QStringLiteral("10000000000000.00")).contains(u"maior valor"));
    EXPECT_TRUE(comCampo(&Nfe::nNF, QStringLiteral("0")).contains(u"nNF"));
    EXPECT_TRUE(comCampo(&Nfe::dhEmi, QStringLiteral("05/03/2024")).contains(u"dhEmi"));
    nfe.dups = QStringList{QStringLiteral("001|2024-04-04|1234.560")};
    EXPECT_TRUE(erroDe(nfe).contains(u"vDup"));

    EXPECT_EQ(
        comCampo(&Nfe::xNome, QStringLiteral("Farmácia 中")),
        QStringLiteral("O nome do emitente tem o caractere \"中\" (U+4E2D), que o banco de dados "
                       "não grava: ele aceita só caracteres do Windows-1252."));
    EXPECT_TRUE(comCampo(&Nfe::xFant, QStringLiteral("Farma 😀")).contains(u"U+1F600"));
    EXPECT_EQ(comCampo(&Nfe::xNome, QStringLiteral("Preço € Baixo")), QString());
}

TEST(LeitorNfe, ReadsFilesAndSaysWhyOneCannotBeRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString boa = dir.filePath(QStringLiteral("nota.xml"));
    QFile f(boa);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Nfe{}.xml());
    f.close();
    EXPECT_TRUE(lerNfeArquivo(boa).lida());

    const QString falta = lerNfeArquivo(dir.filePath(QStringLiteral("falta.xml"))).erro;
    EXPECT_TRUE(falta.contains(u"falta.xml") && falta.contains(u"No such file"))
        << falta.toStdString();
    EXPECT_TRUE(lerNfeArquivo(dir.path()).erro.contains(u"pasta"));

    QFile grande(dir.filePath(QStringLiteral("grande.xml")));
    ASSERT_TRUE(grande.open(QIODevice::WriteOnly));
    grande.write(Nfe{}.xml());
    ASSERT_TRUE(grande.resize(kMaiorArquivoNfe + 1));
    grande.close();
    EXPECT_EQ(lerNfeArquivo(grande.fileName()).erro,
              QStringLiteral("O arquivo tem 5,1 MB; o programa lê notas fiscais de até 5 MB."));
}

}  // namespace
}  // namespace cp
