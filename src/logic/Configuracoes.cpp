#include "logic/Configuracoes.h"

#include <QString>
#include <filesystem>
#include <limits>
#include <sstream>

#include "data/Cp1252.h"
#include "data/Text.h"
#include "suite/ArquivosSuite.h"
#include "suite/Environment.h"

namespace cp {

const char* const kMensagemSemConfiguracoes =
    "Arquivo BRUNDELO.INI não encontrado. Execute o programa Tornivo.exe para criá-lo.";

const std::array<std::string_view, kQtdeRotulosConfiguracao> kRotulosConfiguracao = {
    "IP DO SERVIDOR CENTRAL.........................:",
    "IP DA ESTACAO DO USUARIO.......................:",
    "IP DO BACKUP DO BD LOCAL (BKPPED)..............:",
    "IP DO BACKUP DO BD CENTRAL.....................:",
    "CAMINHO DO BACKUP MANUAL DO BD DO SISTEMA......:",
    "COR DE FUNDO DAS TELAS.........................:",
    "LOG DE ATIVIDADES..............................:",
    "TIT.COL 4 F.FARMACEUTICA..(Preco Min./% Lucro).:",
    "PADRAO PRECO MINIMO............................:",
    "BOTAO MANIPULACAO EM ABERTO/EFETUADA...........:",
    "MODELO DA REQUISICAO...........................:",
    "USAR F.C. NO PRECO DE VENDA....................:",
    "ATENDENTE OBRIGATORIO..........................:",
    "MOSTRAR PRESCRICAO COMPLETA NA REQUISICAO......:",
    "MOSTRAR DESCONTO NA REQUISICAO.................:",
    "USAR PRECO PADRAO DAS FORMULAS PREDEFINIDAS....:",
    "LAGURA DA REQUISICAO (QDE TRACOS)..............:",
    "MOSTRAR CONVENIO NA REQUISICAO.................:",
    "SALTO FINAL APOS IMPRESSAO DA REQUISICAO.......:",
    "LOG ATIVADO....................................:",
    "USAR PRECO MINIMO POR FRASCO...................:",
    "ARREDONDAMENTO DO PRECO (1, 5, 10, 50, 100)....:",
    "MARGEM ESQUERDA DA REQUISICAO..................:",
    "MOSTRAR POSOLOGIA NA REQUISICAO................:",
    "LARGURA DA OM (QDE TRACOS).....................:",
    "MARGEM ESQUERDA DA OM..........................:",
    "EMBALAGEM OBRIGATORIA..........................:",
    "MOSTRAR VALIDADE NA REQUISICAO.................:",
    "FORMATA NOME DO CLIENTE........................:",
    "MOSTRAR ENDERECO NA REQUISICAO.................:",
    "REQUISICAO EM 1 OU 2 VIAS......................:",
    "ALERTAR QUANDO VALIDADE MENOR QUE N (DIAS).....:",
    "FORMA DE PAGAMENTO OBRIGATORIA.................:",
    "INCLUIR OBSERVACAO NA REQUISICAO...............:",
    "QDE DIAS PARA ENTREGA APOS SEXTA FEIRA.........:",
    "QDE DIAS PARA ENTREGA APOS SEG A QUI...........:",
    "USAR HOMEOPATIA E FLORAIS......................:",
    "QDE GOTAS POR ML DO CONTA-GOTAS................:",
    "CALCULAR PRECOS HOMEOPATIA PELA QDE DE GOTAS...:",
    "HABILITAR BOTAO \"REPETIR PEDIDO\"...............:",
    "PARA O PRODUTO MANIPULADO, USAR A VALIDADE.....:",
    "USAR NOME FORMULA PRE-DEFIN NA REQ E NO ROTULO.:",
    "UNID USADA P/ COMPRIM E GLOBULOS NA HOMEOPATIA.:",
    "MOSTRAR MATRICULA NA REQUISICAO................:",
    "FORMATO DA VALIDADE DA FORMULA.................:",
    "VALOR DA HORA DE MANIPULACAO...................:",
    "ROTULO DADO AO CAMPO DE CUSTO DA FORMULA.......:",
    "BLOQUEIO DA ALTERACAO DO PEDIDO APOS IMPRESSAO.:",
    "IMPRESSAO OBRIGATORIA DA REQUISICAO............:",
    "MODELO ALTERNATIVO DE REQUISICAO...............:",
    "IMPRIMIR NA REQ. CABECALHO PORTARIA 3492 ART.68:",
    "ATUALIZAR DATAS SE FOR ALTER. O TIPO DO PEDIDO.:",
    "TEXTO PADRAO DA POSOLOGIA......................:",
    "MOSTRAR CAMPO DE CODIGO DE ENTREGA.............:",
    "PERMITIR PRODUTO DE REVENDA NA FORMULA.........:",
    "MOSTRAR CAMPOS DO CAIXA NA TELA DE PEDIDOS.....:",
    "COR PADRAO DAS CAPSULAS........................:",
    "TEXTO DO CAMPO DE CONVENIO.....................:",
    "VISUALIZAR SITUACOES ESPECIAIS DOS COMPONENTES.:",
    "LABORATORIO PADRAO.............................:",
    "POSOLOGIA OBRIGATORIA..........................:",
    "NOME DO CONVENIO PADRAO........................:",
    "USAR FAT. DILUICAO NO CALC. DO PRECO DE VENDA..:",
    "OBRIGA ESPECIFICAR ROTA NAS ENTREGAS EM DOMIC..:",
    "INCLUIR DADOS CLIENTE NA REQ. (ENTR. DOMICILIO):",
    "PERMITE FORMULA HOM SEM ESTOQUE DINAM INFERIOR.:",
    "ATIVAR MODO DE IMPLANTACAO DO SISTEMA..........:",
    "IMPEDE DIGITACAO DO NOME DO ATENDENTE..........:",
    "TEMPO PARA LOGOFF AUTOMATICO...................:",
    "USAR REDUCAO FRASCOS PARA DOSE UNICA.(QDEDU)...:",
    "EXIBIR BOTAO PLACEBO NA TELA DE HOMEOPATIA.....:",
    "LIMITE DE REG MANTIDOS PARA QUIT AUTOMATICA....:",
    "UTILIZAR TABELA DE ACRESCIMOS DA HOMEOPATIA....:",
    "CALCULAR PRECOS FLORAIS COM BASE NA............:",
    "PRECOS HOM COM ASSOCIACOES COM BASE............:",
    "COR DAS MENSAGENS DOS COMPONENTES..............:",
    "COR USADA NAS MENSAGEM DE SITUACOES ESPECIAIS..:",
    "INCLUIR EXCIPIENTES E VEICULOS NOS ROTULOS.....:",
    "MOSTRAR PRECO NA OM E NA REQUISICAO............:",
    "INCLUIR TEXTO \"PEDIDO\" OU \"ORCAM\" NA REQUISICAO:",
    "MASCARA P/ FORMATACAO DO N.PEDIDO NA REQUISICAO:",
    "OCULTAR BOTAO \"INSERIR\" NA PESQUISA DE MEDICO..:",
    "REPETIR MESMA OBS DA FORMULA AO REPETIR PEDIDO.:",
    "IMPEDIR A REIMPRESSAO DA REQUISICAO............:",
    "FORMA DE INCLUSAO DA EMBALAGEM DA FORMULA......:",
    "PREENCHIMENTO OBRIGATORIO DOS DADOS DO SNGPC...:",
    "ECF UTILIZADO..................................:",
    "MOSTRAR OS EXCIPIENTES IDENTIFICADOS NA FORMULA:",
    "DEFINIR O EXCIPIENTE PELA DOSAGEM..............:",
    "VALOR DESC. P/ FLORAIS COM APENAS UMA ESSENCIA.:",
    "VAL DESC P/ FLORAIS C/ NO MAXIMO 20% DE BRANDY.:",
    "MOSTRAR CAMPO DE SINAL NA TELA DE PEDIDOS......:",
    "MOSTRAR NUM. DOCUMENTO DO CLIENTE NA REQUISICAO:",
    "OBRIGATORIO NOME/TELEFONE DO CLIENTE NO PEDIDO.:",
    "CONSERVANTE ADICION. NAS EMBALAGENS DE CAPSULAS:",
    "CAMINHO ARQ TEXTO PARA ECF CHART...............:",
    "CAMINHO ARQ TEXTO PARA ECF ATS.................:",
    "IP COMPUTADOR QUE GERA COD.SEQ. PARA ECF ATS...:",
    "IP COMPUT. QUE GERA COD.SEQ. P/ ECF SOFTPHARMA.:",
    "SUBST PR.TOT P/ PR.C/.DESC QDO DESC FOR NEGAT..:",
    "VERSAO DO ECF CHART............................:",
    "DAV/ECF ATIVO..................................:",
    "LIMITE DA QUANTIDADE DIARIA DE FORMULAS........:",
    "ORDENAR LIVRO RECEIT. PELO COD. LIVRO..........:",
    "QDE PADRAO DE DIAS PARA PESQUISA DE PEDIDOS....:",
    "TIPO DE IMPRESSORA DA REQUISICAO...............:",
    "DEFINIR EXCIPIENTE PELA PRIORIDADE.............:",
    "UTILIZA CREDIARIO..............................:",
    "INCLUIR TAXA ENTREGA NO DAV DA ATS.............:",
    "OBRIGATORIO INFORMAR PRAZO DURACAO DA FORMULA..:",
};

namespace {

constexpr std::size_t kInicioValor = 49;   // position 50, counted from 0
constexpr std::size_t kTamanhoValor = 60;  // positions 50 to 109

}  // namespace

const std::string* Configuracoes::valor(std::string_view rotulo) const {
    for (std::size_t i = 0; i < kRotulosConfiguracao.size(); ++i)
        if (kRotulosConfiguracao[i] == rotulo) return &valores[i];
    return nullptr;
}

std::size_t Configuracoes::capacidade(std::size_t indiceRotulo) {
    return indiceRotulo == kRotuloConservante ? 60 : 30;
}

std::optional<std::int32_t> ConverteInteiro(std::string_view texto) {
    std::size_t i = 0;
    while (i < texto.size() && texto[i] == ' ') ++i;
    bool negativo = false;
    if (i < texto.size() && (texto[i] == '+' || texto[i] == '-')) {
        negativo = texto[i] == '-';
        ++i;
    }
    bool hexadecimal = false;
    if (i < texto.size() && texto[i] == '$') {
        hexadecimal = true;
        ++i;
    } else if (i + 1 < texto.size() && texto[i] == '0' &&
               (texto[i + 1] == 'x' || texto[i + 1] == 'X')) {
        hexadecimal = true;
        i += 2;
    }
    if (i >= texto.size()) return std::nullopt;  // no digit at all

    std::uint64_t valor = 0;
    if (hexadecimal) {
        for (; i < texto.size(); ++i) {
            const char c = texto[i];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return std::nullopt;
            valor = valor * 16 + static_cast<std::uint64_t>(d);
            if (valor > 0xFFFFFFFFull) return std::nullopt;
        }
        // Hexadecimal digits fill all 32 bits: $FFFFFFFF is -1.
        auto bits = static_cast<std::uint32_t>(valor);
        if (negativo) bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    for (; i < texto.size(); ++i) {
        const char c = texto[i];
        if (c < '0' || c > '9') return std::nullopt;
        valor = valor * 10 + static_cast<std::uint64_t>(c - '0');
        if (valor > 2147483648ull) return std::nullopt;
    }
    if (negativo) return static_cast<std::int32_t>(-static_cast<std::int64_t>(valor));
    if (valor > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(valor);
}

std::int32_t MinutosDeLogoff(const std::string& tempoLogoff) {
    if (tempoLogoff.empty()) return 5;
    return ConverteInteiro(tempoLogoff).value_or(5);
}

namespace {

// The part of a line that is ever read: label, separator and value, plus one
// character for the carriage return of a CR LF line end.
constexpr std::size_t kLarguraLida = kInicioValor + kTamanhoValor + 1;

// How many refused lines the message names one by one.
constexpr int kRecusadasNomeadas = 5;

ErroConfiguracoes erroGrandeDemais(int linha) {
    return ErroConfiguracoes(
        ErroConfiguracoes::Tipo::EntradaSaida,
        "O arquivo BRUNDELO.INI é grande demais para um arquivo de configurações (mais de " +
            std::to_string(kTamanhoMaximoConfiguracoes / 1024) +
            " KB); ele não foi lido além da linha " + std::to_string(linha) + ".",
        linha);
}

}  // namespace

void LeLinhasConfiguracoes(std::istream& entrada, EstadoSessao& sessao, Configuracoes& config) {
    config = Configuracoes{};
    sessao.IPServidorCentral = "";
    sessao.TempoLogoff = "";

    std::string linha;
    int numero = 0;
    std::int64_t lidos = 0;
    int primeiraRecusada = 0;
    int qtdeRecusadas = 0;
    std::string recusadas;  // one message line per refused line
    bool fim = false;
    while (!fim) {
        // One line; only its first kLarguraLida characters are kept.
        linha.clear();
        bool algum = false;
        char c = 0;
        while (true) {
            if (!entrada.get(c)) {
                if (entrada.bad())
                    throw ErroConfiguracoes(ErroConfiguracoes::Tipo::EntradaSaida,
                                            "Erro de leitura no arquivo BRUNDELO.INI (linha " +
                                                std::to_string(numero + 1) + ").",
                                            numero + 1);
                fim = true;
                break;
            }
            if (++lidos > kTamanhoMaximoConfiguracoes) throw erroGrandeDemais(numero);
            algum = true;
            if (c == '\n') break;
            if (linha.size() < kLarguraLida) linha.push_back(c);
        }
        if (!algum) break;
        ++numero;
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (linha.size() < kTamanhoRotulo) continue;

        const std::string_view rotulo = std::string_view(linha).substr(0, kTamanhoRotulo);
        const std::string_view parteValor =
            linha.size() > kInicioValor
                ? std::string_view(linha).substr(kInicioValor, kTamanhoValor)
                : std::string_view();
        for (std::size_t i = 0; i < kRotulosConfiguracao.size(); ++i) {
            if (kRotulosConfiguracao[i] != rotulo) continue;
            const std::string_view valor = trim(parteValor);
            if (i == kRotuloCorFundoTelas) {
                // A bad colour is reported, and the lines after it are still
                // read: the server's address may come below it.
                if (const auto numeroCor = ConverteInteiro(valor)) {
                    config.CorFundoTelas = *numeroCor;
                } else if (++qtdeRecusadas <= kRecusadasNomeadas) {
                    if (primeiraRecusada == 0) primeiraRecusada = numero;
                    if (!recusadas.empty()) recusadas += "\n";
                    recusadas += "BRUNDELO.INI, linha " + std::to_string(numero) + ": '" +
                                 visivel(valor).toStdString() +
                                 "' não é um valor inteiro válido; a linha foi ignorada.";
                }
                continue;
            }
            config.valores[i].assign(valor.substr(0, Configuracoes::capacidade(i)));
            if (i == kRotuloIPServidorCentral) sessao.IPServidorCentral = valor;
            if (i == kRotuloTempoLogoff) sessao.TempoLogoff = valor;
        }
    }
    if (qtdeRecusadas > kRecusadasNomeadas)
        recusadas += "\n(e mais " + std::to_string(qtdeRecusadas - kRecusadasNomeadas) +
                     " linhas como essas)";
    if (primeiraRecusada != 0)
        throw ErroConfiguracoes(ErroConfiguracoes::Tipo::Conversao, recusadas, primeiraRecusada);
}

LeituraConfiguracoes LeConfiguracoes(const std::string& diretorioExecutavel, EstadoSessao& sessao,
                                     Configuracoes& config, Environment& env) {
    std::string diretorio = diretorioExecutavel;
    if (diretorio.empty() || diretorio.back() != '/') diretorio += '/';
    sessao.DiretorioPrograma = diretorio;

    const std::filesystem::path caminho(diretorio + kArquivoConfiguracoes);
    std::error_code ec;
    const bool existe =
        std::filesystem::exists(caminho, ec) && !std::filesystem::is_directory(caminho, ec);
    if (!existe) {
        env.showMessage(QString::fromUtf8(kMensagemSemConfiguracoes));
        return LeituraConfiguracoes::ArquivoAusente;
    }

    QString motivo;
    const auto bytes = leArquivoLimitado(QString::fromStdString(caminho.string()),
                                         kTamanhoMaximoConfiguracoes, &motivo);
    if (!bytes)
        throw ErroConfiguracoes(ErroConfiguracoes::Tipo::EntradaSaida,
                                "Não foi possível ler o arquivo " + caminho.string() + ": " +
                                    motivo.toStdString() + ".",
                                0);
    std::istringstream entrada(bytes->toStdString());
    LeLinhasConfiguracoes(entrada, sessao, config);
    return LeituraConfiguracoes::Lida;
}

}  // namespace cp
