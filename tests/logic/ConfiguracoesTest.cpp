#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <set>
#include <sstream>
#include <streambuf>

#include "logic/Configuracoes.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

const std::string kIP = "IP DO SERVIDOR CENTRAL.........................:";
const std::string kLogoff = "TEMPO PARA LOGOFF AUTOMATICO...................:";
const std::string kCor = "COR DE FUNDO DAS TELAS.........................:";
const std::string kConservante = "CONSERVANTE ADICION. NAS EMBALAGENS DE CAPSULAS:";
const std::string kEcf = "ECF UTILIZADO..................................:";

std::string linha(const std::string& rotulo, const std::string& valor) {
    return rotulo + " " + valor;
}

struct Leitura {
    EstadoSessao sessao;
    Configuracoes config;
};

// Reads the given file content through the line reader; rethrows nothing.
Leitura le(const std::string& conteudo) {
    Leitura r;
    std::istringstream in(conteudo);
    LeLinhasConfiguracoes(in, r.sessao, r.config);
    return r;
}

TEST(Configuracoes, LabelsAreTheSuitesHundredAndTenInOrder) {
    std::set<std::string_view> distintos;
    for (auto r : kRotulosConfiguracao) {
        EXPECT_EQ(r.size(), kTamanhoRotulo) << r;
        EXPECT_EQ(r.back(), ':') << r;
        distintos.insert(r);
    }
    EXPECT_EQ(distintos.size(), kQtdeRotulosConfiguracao);
    EXPECT_EQ(kRotulosConfiguracao[kRotuloIPServidorCentral], kIP);
    EXPECT_EQ(kRotulosConfiguracao[kRotuloCorFundoTelas], kCor);
    EXPECT_EQ(kRotulosConfiguracao[kRotuloTempoLogoff], kLogoff);
    EXPECT_EQ(kRotulosConfiguracao[kRotuloConservante], kConservante);
    EXPECT_EQ(kRotulosConfiguracao[39], "HABILITAR BOTAO \"REPETIR PEDIDO\"...............:");
    EXPECT_EQ(kRotulosConfiguracao[109], "OBRIGATORIO INFORMAR PRAZO DURACAO DA FORMULA..:");
}

TEST(Configuracoes, ValuesByFixedPositions) {
    // The idle limit with one blank as separator.
    auto r = le(linha(kLogoff, "10") + "\r\n");
    EXPECT_EQ(r.sessao.TempoLogoff, "10");
    EXPECT_EQ(MinutosDeLogoff(r.sessao.TempoLogoff), 10);

    // The 1 at position 49 is the separator and is lost.
    r = le(kLogoff + "10\n");
    EXPECT_EQ(r.sessao.TempoLogoff, "0");
    EXPECT_EQ(MinutosDeLogoff(r.sessao.TempoLogoff), 0);

    // 70 characters: positions 50-109 only, then the first 30 after trimming.
    std::string setenta;
    for (int i = 0; i < 70; ++i) setenta += static_cast<char>('A' + i % 26);
    r = le(linha(kIP, setenta) + "\n" + linha(kConservante, setenta) + "\n");
    EXPECT_EQ(r.sessao.IPServidorCentral, setenta.substr(0, 30));
    EXPECT_EQ(*r.config.valor(kIP), setenta.substr(0, 30));
    EXPECT_EQ(*r.config.valor(kConservante), setenta.substr(0, 60));

    // Trimming counts after the cut at position 109: leading blanks are
    // inside the 60 positions and push characters out.
    r = le(linha(kConservante, std::string(10, ' ') + setenta) + "\n");
    EXPECT_EQ(*r.config.valor(kConservante), setenta.substr(0, 50));

    // Blanks only give the empty text; tabs are kept.
    r = le(linha(kIP, "      ") + "\n" + linha(kEcf, "\tDARUMA \t ") + "\n");
    EXPECT_EQ(r.sessao.IPServidorCentral, "");
    EXPECT_EQ(*r.config.valor(kEcf), "\tDARUMA \t");

    // A label alone, or with only the separator, gives the empty value.
    r = le(kEcf + "\n" + kIP + " \n");
    EXPECT_EQ(*r.config.valor(kEcf), "");
    EXPECT_EQ(r.sessao.IPServidorCentral, "");
}

TEST(Configuracoes, OnlyExactLabelsAreRecognized) {
    std::string minusculo = kIP;
    for (auto& c : minusculo) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string pontoAMenos = "IP DO SERVIDOR CENTRAL........................:";  // 47
    auto r = le(linha(minusculo, "10.0.0.1") + "\n" + linha(pontoAMenos, "10.0.0.2") + "\n" +
                "IP DO SERVIDOR\n" + linha(kLogoff.substr(0, 47) + ";", "9") + "\n");
    EXPECT_EQ(r.sessao.IPServidorCentral, "");
    EXPECT_EQ(r.sessao.TempoLogoff, "");
    for (const auto& v : r.config.valores) EXPECT_EQ(v, "");
    EXPECT_EQ(r.config.valor("NAO E ROTULO"), nullptr);
}

TEST(Configuracoes, LaterLineWinsAndOrderIsFree) {
    auto r = le(linha(kEcf, "BEMATECH") + "\n" + linha(kIP, "192.168.0.10") + "\n" +
                linha(kLogoff, "15") + "\n" + linha(kIP, "192.168.0.20") + "\n" +
                linha(kCor, "$FF00") + "\n" + linha(kCor, "-12"));  // no final line end
    EXPECT_EQ(r.sessao.IPServidorCentral, "192.168.0.20");
    EXPECT_EQ(*r.config.valor(kIP), "192.168.0.20");
    EXPECT_EQ(r.sessao.TempoLogoff, "15");
    EXPECT_EQ(*r.config.valor(kEcf), "BEMATECH");
    EXPECT_EQ(r.config.CorFundoTelas, -12);
}

TEST(Configuracoes, WindowsBytesAndLineEndsPassThrough) {
    // "AÇÃO" in Windows-1252, CR LF and LF lines mixed.
    auto r = le(linha(kEcf, "A\xC7\xC3O") + "\r\n" + linha(kIP, "server") + "\n");
    EXPECT_EQ(*r.config.valor(kEcf), "A\xC7\xC3O");
    EXPECT_EQ(r.sessao.IPServidorCentral, "server");
}

TEST(Configuracoes, ABadColourIsReportedAndTheOtherLinesAreStillRead) {
    for (const std::string cor : {"azul", "", "   ", "12 34", "0x", "$G0", "99999999999"}) {
        EstadoSessao sessao;
        Configuracoes config;
        // The server's address below the bad colour must not be lost.
        std::istringstream in(linha(kLogoff, "20") + "\n" + linha(kCor, cor) + "\n" +
                              linha(kIP, "10.1.1.1") + "\n" + linha(kEcf, "X") + "\n");
        try {
            LeLinhasConfiguracoes(in, sessao, config);
            FAIL() << "no error for colour '" << cor << "'";
        } catch (const ErroConfiguracoes& e) {
            EXPECT_EQ(e.tipo(), ErroConfiguracoes::Tipo::Conversao);
            EXPECT_EQ(e.linha(), 2);
            EXPECT_NE(std::string(e.what()).find("linha 2: '"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("não é um valor inteiro válido"),
                      std::string::npos);
        }
        EXPECT_EQ(sessao.IPServidorCentral, "10.1.1.1");
        EXPECT_EQ(MinutosDeLogoff(sessao.TempoLogoff), 20);
        EXPECT_EQ(*config.valor(kEcf), "X");
        EXPECT_EQ(config.CorFundoTelas, 0);
    }
    // Every bad line is named, a zero byte in a value shown rather than
    // cutting the message short; a later good colour is kept.
    EstadoSessao sessao;
    Configuracoes config;
    std::istringstream in(linha(kCor, std::string("az\0ul", 5)) + "\n" + linha(kCor, "verde") +
                          "\n" + linha(kCor, "$FF") + "\n");
    try {
        LeLinhasConfiguracoes(in, sessao, config);
        FAIL() << "no error";
    } catch (const ErroConfiguracoes& e) {
        EXPECT_EQ(e.linha(), 1);
        const std::string texto = e.what();
        EXPECT_NE(texto.find("linha 1: 'az.ul' não é"), std::string::npos) << texto;
        EXPECT_NE(texto.find("linha 2: 'verde'"), std::string::npos) << texto;
    }
    EXPECT_EQ(config.CorFundoTelas, 255);

    // A file of bad lines does not give a message of thousands of lines.
    std::string muitas;
    for (int i = 0; i < 2000; ++i) muitas += linha(kCor, "x") + "\n";
    std::istringstream todas(muitas);
    try {
        LeLinhasConfiguracoes(todas, sessao, config);
        FAIL() << "no error";
    } catch (const ErroConfiguracoes& e) {
        const std::string texto = e.what();
        EXPECT_LT(texto.size(), 600u);
        EXPECT_NE(texto.find("(e mais 1995 linhas como essas)"), std::string::npos) << texto;
    }
}

TEST(Configuracoes, OverlongLinesAndHugeFilesAreNotReadWhole) {
    // A line far wider than the format: its first 109 characters count.
    {
        EstadoSessao sessao;
        Configuracoes config;
        std::istringstream in(linha(kIP, "10.3.3.3" + std::string(200000, ' ') + "lixo") + "\r\n" +
                              linha(kLogoff, "15") + "\r\n");
        LeLinhasConfiguracoes(in, sessao, config);
        EXPECT_EQ(sessao.IPServidorCentral, "10.3.3.3");
        EXPECT_EQ(sessao.TempoLogoff, "15");
    }
    // A stream larger than any settings file stops with an error there.
    {
        EstadoSessao sessao;
        Configuracoes config;
        std::istringstream in(linha(kIP, "10.4.4.4") + "\n" +
                              std::string(kTamanhoMaximoConfiguracoes, 'x') + "\n" +
                              linha(kLogoff, "15") + "\n");
        try {
            LeLinhasConfiguracoes(in, sessao, config);
            FAIL() << "no error";
        } catch (const ErroConfiguracoes& e) {
            EXPECT_EQ(e.tipo(), ErroConfiguracoes::Tipo::EntradaSaida);
            EXPECT_NE(std::string(e.what()).find("grande demais"), std::string::npos);
        }
        EXPECT_EQ(sessao.IPServidorCentral, "10.4.4.4");
        EXPECT_EQ(sessao.TempoLogoff, "");
    }
}

// A stream whose source fails after the given number of bytes.
class FalhaDepois : public std::streambuf {
  public:
    FalhaDepois(std::string dados, std::size_t limite)
        : dados_(std::move(dados)), limite_(limite) {}

  protected:
    int_type underflow() override {
        if (pos_ >= limite_) throw std::ios_base::failure("disco com defeito");
        if (pos_ >= dados_.size()) return traits_type::eof();
        ch_ = dados_[pos_++];
        setg(&ch_, &ch_, &ch_ + 1);
        return traits_type::to_int_type(ch_);
    }

  private:
    std::string dados_;
    std::size_t limite_;
    std::size_t pos_ = 0;
    char ch_ = 0;
};

TEST(Configuracoes, ReadErrorStopsReadingAndKeepsEarlierValues) {
    const std::string primeira = linha(kIP, "10.2.2.2") + "\n";
    FalhaDepois buf(primeira + linha(kLogoff, "30") + "\n", primeira.size() + 10);
    std::istream in(&buf);
    EstadoSessao sessao;
    Configuracoes config;
    try {
        LeLinhasConfiguracoes(in, sessao, config);
        FAIL() << "no error";
    } catch (const ErroConfiguracoes& e) {
        EXPECT_EQ(e.tipo(), ErroConfiguracoes::Tipo::EntradaSaida);
        EXPECT_EQ(e.linha(), 2);
    }
    EXPECT_EQ(sessao.IPServidorCentral, "10.2.2.2");
    EXPECT_EQ(sessao.TempoLogoff, "");
}

TEST(Configuracoes, IntegerSyntaxOfTheSuite) {
    EXPECT_EQ(ConverteInteiro("10"), 10);
    EXPECT_EQ(ConverteInteiro("   7"), 7);
    EXPECT_EQ(ConverteInteiro("+7"), 7);
    EXPECT_EQ(ConverteInteiro("-7"), -7);
    EXPECT_EQ(ConverteInteiro("007"), 7);
    EXPECT_EQ(ConverteInteiro("$1F"), 31);
    EXPECT_EQ(ConverteInteiro("0x1f"), 31);
    EXPECT_EQ(ConverteInteiro("0X10"), 16);
    EXPECT_EQ(ConverteInteiro(" -$10"), -16);
    EXPECT_EQ(ConverteInteiro("$FFFFFFFF"), -1);
    EXPECT_EQ(ConverteInteiro("$7FFFFFFF"), 2147483647);
    EXPECT_EQ(ConverteInteiro("2147483647"), 2147483647);
    EXPECT_EQ(ConverteInteiro("-2147483648"), -2147483647 - 1);
    for (const char* ruim : {"", " ", "2147483648", "-2147483649", "$100000000", "10 ", "\t10",
                             "1.5", "5min", "- 5", "+", "$", "0x", "x10", "--1", "1e3"})
        EXPECT_EQ(ConverteInteiro(ruim), std::nullopt) << "'" << ruim << "'";

    EXPECT_EQ(MinutosDeLogoff(""), 5);
    EXPECT_EQ(MinutosDeLogoff("cinco"), 5);
    EXPECT_EQ(MinutosDeLogoff("12"), 12);
    EXPECT_EQ(MinutosDeLogoff("$A"), 10);
}

TEST(Configuracoes, FileBesideTheExecutable) {
    TestEnvironment env;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string caminho = dir.path().toStdString();

    EstadoSessao sessao;
    Configuracoes config;
    // Missing file: the message, and the caller is told to end the program.
    EXPECT_EQ(LeConfiguracoes(caminho, sessao, config, env), LeituraConfiguracoes::ArquivoAusente);
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0],
              QString::fromUtf8("Arquivo BRUNDELO.INI não encontrado. Execute o programa "
                                "Tornivo.exe para criá-lo."));
    EXPECT_EQ(sessao.DiretorioPrograma, caminho + "/");

    // A folder of that name is not the file either.
    ASSERT_TRUE(QDir(dir.path()).mkdir("BRUNDELO.INI"));
    EXPECT_EQ(LeConfiguracoes(caminho + "/", sessao, config, env),
              LeituraConfiguracoes::ArquivoAusente);
    EXPECT_EQ(sessao.DiretorioPrograma, caminho + "/");
    ASSERT_TRUE(QDir(dir.path()).rmdir("BRUNDELO.INI"));

    // A file without the idle-limit line: limit 5.
    QFile f(dir.filePath("BRUNDELO.INI"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(linha(kIP, "  192.168.0.10  ") + "\r\n" +
                                      linha(kCor, "  16777215") + "\r\n"));
    f.close();
    env.messages.clear();
    EXPECT_EQ(LeConfiguracoes(caminho, sessao, config, env), LeituraConfiguracoes::Lida);
    EXPECT_TRUE(env.messages.isEmpty());
    EXPECT_EQ(sessao.IPServidorCentral, "192.168.0.10");
    EXPECT_EQ(config.CorFundoTelas, 16777215);
    EXPECT_EQ(sessao.TempoLogoff, "");
    EXPECT_EQ(MinutosDeLogoff(sessao.TempoLogoff), 5);

    // A file far larger than the format needs is refused unread.
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(kTamanhoMaximoConfiguracoes, '\n'));
    f.close();
    try {
        LeConfiguracoes(caminho, sessao, config, env);
        FAIL() << "no error";
    } catch (const ErroConfiguracoes& e) {
        EXPECT_EQ(e.tipo(), ErroConfiguracoes::Tipo::EntradaSaida);
        EXPECT_NE(std::string(e.what()).find("BRUNDELO.INI: tem "), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace cp::test
