#include "suite/Conexoes.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "data/Cp1252.h"
#include "suite/AcessoBanco.h"
#include "suite/Environment.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"

namespace cp {
namespace {

constexpr const char* kPrefixoSuite = "C:\\brundelo\\";

// Sets up a connection, closed, for the database string `banco`. Without a
// server address only the embedded engine may open it: the client would
// otherwise hand a file it cannot open, with the suite's password, to
// whatever server listens on this computer. With one, only the network.
void preparaConexao(Connection& c, const std::string& banco, const char* charset,
                    const EstadoSessao& sessao, const Environment& env) {
    c.setLibraryPath(bibliotecaCliente(env));
    c.close();
    c.setDatabase(localDoBanco(banco, sessao, env));
    fb::AttachParams params = parametrosSuite(charset);
    params.provider = sessao.IPServidorCentral.empty() ? fb::AttachParams::Provider::Embedded
                                                       : fb::AttachParams::Provider::Remote;
    c.setParams(params);
}

// Said of the work area's database when no work area was bound: its path
// lacks the work area's code.
constexpr const char* kSemAreaDeTrabalho =
    " (sem o código da área de trabalho: nenhuma foi selecionada para este usuário)";

// Without a server address the embedded file must be there: a clear message
// names the one that is missing.
void exigeBancoLocal(const Connection& c, const EstadoSessao& sessao, const char* nota = "") {
    if (!sessao.IPServidorCentral.empty()) return;
    if (QFileInfo::exists(QString::fromLocal8Bit(c.database()))) return;
    throw std::runtime_error(
        "Banco de dados não encontrado: " + visivel(c.database()).toStdString() + nota +
        "\nSem o IP do servidor central no BRUNDELO.INI, o programa abre os bancos de dados da "
        "pasta da suíte.");
}

std::string upperAZOf(const BoundedText<60>& t) { return upperAZ(t.str()); }

}  // namespace

std::string bibliotecaCliente(const Environment& env) {
    QFile f(env.suiteFile(QString::fromLatin1(kArquivoCaminhoGDS)));
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return {};
    QByteArray linha = f.readLine(128);  // never more than the first line needs
    while (linha.endsWith('\n') || linha.endsWith('\r')) linha.chop(1);
    linha.truncate(100);
    if (linha.isEmpty()) return {};
    std::string pasta(linha.constData(), static_cast<size_t>(linha.size()));
    if (pasta.back() != '/') pasta += '/';
    return pasta + kArquivoBibliotecaCliente;
}

std::string bancoCompartilhado(const EstadoSessao& sessao) {
    return sessao.IPServidorCentral.str() + ":C:\\brundelo\\dados\\brundelo.bd";
}

std::string bancoEstacao(const EstadoSessao& sessao) {
    return sessao.IPServidorCentral.str() + ":C:\\brundelo\\interfac" + sessao.Estacao.str() +
           "\\brundelo.bd";
}

std::string localDoBanco(const std::string& banco, const EstadoSessao& sessao,
                         const Environment& env) {
    if (!sessao.IPServidorCentral.empty()) return banco;
    std::string caminho = banco.substr(banco.find(':') + 1);
    const std::string prefixo = kPrefixoSuite;
    if (upperAZ(caminho.substr(0, prefixo.size())) == upperAZ(prefixo))
        caminho.erase(0, prefixo.size());
    for (char& c : caminho)
        if (c == '\\') c = '/';
    return env.suiteDir().toStdString() + caminho;
}

std::string sqlEstacoesDoUsuario(const std::string& nomeUsuario) {
    std::string nome;
    for (char c : upperAZ(nomeUsuario)) {
        nome += c;
        if (c == '\'') nome += '\'';
    }
    return "Select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, "
           "CAMINHOOM, CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, "
           "ROTULO4, ROTULO5, ROTULO6, USUARIO  from ESTACOES where upper(USUARIO) = '" +
           nome + "'";
}

QString mensagemFalhaEstacao(const QString& nomeUsuario) {
    const QString aspas = QStringLiteral("\"");
    const QStringList linhas = {
        QStringLiteral("Não foi possível selecionar uma área de trabalho para o usuário ") + aspas +
            nomeUsuario + aspas + QStringLiteral(". "),
        QString(),
        QStringLiteral("Causas prováveis: "),
        QString(),
        QStringLiteral("  1) Na tabela ") + aspas + QStringLiteral("Estacoes.db") + aspas +
            QStringLiteral(" não foi incluída uma estação para o usuário ") + aspas + nomeUsuario +
            aspas + QStringLiteral("."),
        QStringLiteral("     Obs: Criar também a área de trabalho física (pasta "
                       "C:\\Brundelo\\InterfacXX) para este usuário."),
        QStringLiteral("  --> Favor contactar o suporte técnico da ZOV SISTEMAS <--"),
    };
    return linhas.join(QLatin1Char('\r'));
}

QString mensagemAreasEmUso() {
    return QStringLiteral(
        "(1) Todas as áreas de trabalho para montagem de pedidos já estão em uso no momento");
}

std::string SelecionaEstacao(TDM& dm) {
    EstadoSessao& s = dm.sessao;
    s.Estacao = "";
    std::string resultado;
    s.NomeUsuario = toCp1252OrThrow(dm.env.osUserName());

    RecordSet& estacoes = dm.Estacoes;
    estacoes.close();
    // The user's name is a literal of the statement: its quotes are doubled,
    // so no name can end the literal and change what is selected.
    estacoes.setCommandText(sqlEstacoesDoUsuario(s.NomeUsuario.str()));
    estacoes.setPrimaryKeyOrderTable("ESTACOES");
    estacoes.open();

    const std::string usuario =
        estacoes.isEmpty() ? std::string() : estacoes.field("USUARIO").asString();
    if (estacoes.isEmpty() || upperAZ(usuario) != upperAZOf(s.NomeUsuario)) {
        dm.env.showMessage(mensagemFalhaEstacao(fromCp1252(s.NomeUsuario.str())));
    } else {
        // The work area is only read: it is not marked as in use.
        s.Estacao = estacoes.field("ESTACAO").asString().substr(0, 2);
        resultado = estacoes.field("DATBASNAM").asString();
    }
    estacoes.close();
    return resultado;
}

void DataModuleCreate(TDM& dm) {
    Connection& c = dm.SQLConnection1;
    preparaConexao(c, bancoCompartilhado(dm.sessao), "", dm.sessao, dm.env);
    // The connection opens at its first use, the open of Estacoes.
    exigeBancoLocal(c, dm.sessao);
    if (SelecionaEstacao(dm).empty()) dm.env.showMessage(mensagemAreasEmUso());
}

void DataModuleCreate(TDM2& dm2) {
    Connection& c = dm2.SQLConnection1;
    preparaConexao(c, bancoEstacao(dm2.sessao), "WIN1252", dm2.sessao, dm2.env);
    const char* nota = dm2.sessao.Estacao.empty() ? kSemAreaDeTrabalho : "";
    exigeBancoLocal(c, dm2.sessao, nota);
    try {
        c.open();
    } catch (fb::Error& e) {
        // The database is named in the client's bytes, Windows-1252.
        e.setDatabase(e.database() + toCp1252OrThrow(QString::fromUtf8(nota)));
        throw;
    }
}

}  // namespace cp
