#include "session/LoginSessao.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <optional>

#include "data/Cp1252.h"
#include "logic/Sessao.h"
#include "logic/UChKProt.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"
#include "shell/Toolkit.h"
#include "suite/Modules.h"

namespace cp {
namespace {

// Shows every character of the password box as "#".
class EstiloSenha : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '#';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Closes a record set when the step using it ends, on every path.
class FechaAoSair {
  public:
    explicit FechaAoSair(RecordSet& rs) : rs_(rs) {}
    ~FechaAoSair() {
        try {
            rs_.close();
        } catch (...) {
        }
    }
    FechaAoSair(const FechaAoSair&) = delete;
    FechaAoSair& operator=(const FechaAoSair&) = delete;

  private:
    RecordSet& rs_;
};

// Upper case as the suite does it: only the letters a to z change.
QString maiusculasAZ(QString text) {
    for (QChar& ch : text)
        if (ch >= u'a' && ch <= u'z') ch = QChar(ch.unicode() - u'a' + u'A');
    return text;
}

bool podeReceberFoco(QWidget* w, QWidget* window) {
    return w && w->isEnabled() && w->isVisibleTo(window);
}

bool ehEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// While the login panel is up, the accelerator keys ("&" in captions) and
// shortcuts of the controls under it do nothing.
class BloqueioAtalhos : public QObject {
  public:
    BloqueioAtalhos(QWidget* painel, QObject* parent) : QObject(parent), painel_(painel) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Shortcut || !watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!painel_ || !painel_->isVisible() || w->window() != painel_->window()) return false;
        return w != painel_ && !painel_->isAncestorOf(w);
    }

  private:
    QPointer<QWidget> painel_;
};

}  // namespace

LoginSessao::LoginSessao(JanelaPrincipal& form) : QObject(nullptr), form_(form) { montaPainel(); }

LoginSessao::~LoginSessao() { liberaAtalhos(); }

void LoginSessao::liberaAtalhos() {
    if (!bloqueio_) return;
    if (qApp) qApp->removeEventFilter(bloqueio_);
    delete bloqueio_;
    bloqueio_ = nullptr;
}

void LoginSessao::montaPainel() {
    QWidget* area = form_.centralWidget() ? form_.centralWidget() : &form_;

    PainelLogin = new QWidget(area);
    PainelLogin->setObjectName(QStringLiteral("PainelLogin"));
    PainelLogin->setAutoFillBackground(true);  // covers the account panel
    PainelLogin->hide();

    // The bevels first, so that the controls lie above them.
    auto bevel = [this](const char* name, int x, int y, int w, int h) {
        auto* b = new QFrame(PainelLogin);
        b->setObjectName(QString::fromLatin1(name));
        b->setFrameStyle(QFrame::Box | QFrame::Sunken);
        b->setGeometry(x, y, w, h);
        b->setAttribute(Qt::WA_TransparentForMouseEvents);
        return b;
    };
    BevelCaixa = bevel("BevelCaixa", 227, 127, 331, 131);
    BevelCampos = bevel("BevelCampos", 235, 161, 234, 89);

    Panel48 = new QLabel(QStringLiteral("Identificação do Usuário"), PainelLogin);
    Panel48->setObjectName(QStringLiteral("Panel48"));
    Panel48->setGeometry(231, 132, 323, 25);
    Panel48->setAlignment(Qt::AlignCenter);
    Panel48->setFont(suiteFontPt(QStringLiteral("Arial"), 10, true));
    Panel48->setAutoFillBackground(true);
    QPalette titulo = Panel48->palette();
    titulo.setColor(QPalette::Window, kNavy);
    Panel48->setPalette(titulo);
    setFontColor(Panel48, kWhite);

    auto rotulo = [this](const char* name, const QString& text, int x, int y) {
        auto* l = new QLabel(text, PainelLogin);
        l->setObjectName(QString::fromLatin1(name));
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    Label429 = rotulo("Label429", QStringLiteral("Nome"), 246, 179);
    Label430 = rotulo("Label430", QStringLiteral("Senha"), 245, 210);

    EditNome = new QLineEdit(PainelLogin);
    EditNome->setObjectName(QStringLiteral("EditNome"));
    EditNome->setGeometry(290, 176, 166, 27);
    EditNome->setFont(suiteFontPt(QStringLiteral("Times New Roman"), 12, true));

    EditSenhaU = new QLineEdit(PainelLogin);
    EditSenhaU->setObjectName(QStringLiteral("EditSenhaU"));
    EditSenhaU->setGeometry(290, 207, 73, 27);
    auto* estilo = new EstiloSenha;
    estilo->setParent(EditSenhaU);
    EditSenhaU->setStyle(estilo);
    EditSenhaU->setEchoMode(QLineEdit::Password);

    auto botao = [this](const char* name, const QString& text, int x, int y) {
        auto* b = new QPushButton(text, PainelLogin);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, y, 69, 25);
        return b;
    };
    BotOkSenha = botao("BotOkSenha", QStringLiteral("OK"), 477, 175);
    BotCancSenha = botao("BotCancSenha", QStringLiteral("Cancela"), 477, 204);

    nameAfterLabel(Label429, EditNome);
    nameAfterLabel(Label430, EditSenhaU);
    BotOkSenha->setToolTip(QStringLiteral("Entrar com este nome e senha (Enter na senha)"));
    BotCancSenha->setToolTip(QStringLiteral("Fechar o programa (Esc)"));

    QWidget::setTabOrder(EditNome, EditSenhaU);
    QWidget::setTabOrder(EditSenhaU, BotOkSenha);
    QWidget::setTabOrder(BotOkSenha, BotCancSenha);

    for (QWidget* w : {static_cast<QWidget*>(EditNome), static_cast<QWidget*>(EditSenhaU),
                       static_cast<QWidget*>(BotOkSenha), static_cast<QWidget*>(BotCancSenha)})
        w->installEventFilter(this);
    area->installEventFilter(this);  // keeps the panel filling the client area

    Environment& env = form_.env;
    // Leaving the name box for another control of the window (a message box
    // taking the focus does not count).
    watchFocus(EditNome, env, {}, [this] { EditNomeExit(); });
    connectGuarded(env, BotOkSenha, &QPushButton::clicked, this, [this] { BotOkSenhaClick(); });
    connectGuarded(env, BotCancSenha, &QPushButton::clicked, this, [this] { BotCancSenhaClick(); });
}

bool LoginSessao::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PainelLogin->parentWidget()) {
        if (event->type() == QEvent::Resize &&
            PainelLogin->isVisibleTo(PainelLogin->parentWidget()))
            PainelLogin->setGeometry(PainelLogin->parentWidget()->rect());
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        // Tab and Shift+Tab go round the four controls of the box: the
        // controls of the window under the panel are out of reach until the
        // operator is let in.
        if (ke->key() == Qt::Key_Tab && watched == BotCancSenha &&
            !(ke->modifiers() & Qt::ShiftModifier)) {
            EditNome->setFocus(Qt::TabFocusReason);
            return true;
        }
        if ((ke->key() == Qt::Key_Backtab ||
             (ke->key() == Qt::Key_Tab && (ke->modifiers() & Qt::ShiftModifier))) &&
            watched == EditNome) {
            BotCancSenha->setFocus(Qt::BacktabFocusReason);
            return true;
        }
        if (!ehEnter(ke->key())) return false;
        QChar key(u'\r');
        if (watched == EditNome)
            guarded(form_.env, [&] { EditNomeKeyPress(key); });
        else if (watched == EditSenhaU)
            guarded(form_.env, [&] { EditSenhaUKeyPress(key); });
        return key.isNull();
    }
    return false;
}

void LoginSessao::EditNomeKeyPress(QChar& key) {
    if (key != u'\r') return;
    key = QChar();
    form_.focusNext();
}

void LoginSessao::EditSenhaUKeyPress(QChar& key) {
    if (key != u'\r') return;
    key = QChar();
    ValidaLogin();
}

void LoginSessao::EditNomeExit() {
    const QString upper = maiusculasAZ(EditNome->text());
    if (upper != EditNome->text()) EditNome->setText(upper);
}

void LoginSessao::BotOkSenhaClick() { ValidaLogin(); }

void LoginSessao::BotCancSenhaClick() { form_.close(); }

void LoginSessao::MostraUsuarioNoTitulo() {
    form_.setWindowTitle(QStringLiteral("  Contas a Pagar  -  Usuário: \"") +
                         fromCp1252(form_.sessao.NomeUsuario.str()) +
                         QStringLiteral("\"   Estação: ") + fromCp1252(form_.sessao.Estacao.str()));
}

void LoginSessao::mostraPainel() {
    QWidget* area = PainelLogin->parentWidget();
    PainelLogin->setGeometry(area->rect());
    PainelLogin->show();
    PainelLogin->raise();
    if (!bloqueio_) {
        bloqueio_ = new BloqueioAtalhos(PainelLogin, this);
        qApp->installEventFilter(bloqueio_);
    }
}

void LoginSessao::focoNaListaSeContaSemCondicao() {
    QWidget* lista = form_.gradeDaLista();
    if (!lista || !lista->isVisibleTo(&form_)) return;
    RecordSet& contas = form_.DM->CONTASPR;
    if (!contas.active() || !contas.field("CONDPAGTO").asString().empty()) return;
    lista->setFocus();
}

std::string LoginSessao::VerificaLogonGravado() {
    EstadoSessao& s = form_.sessao;
    if (s.NomeUsuario.empty()) return {};
    RecordSet& usuarios = form_.DM->Usuarios;
    usuarios.open();
    FechaAoSair fecha(usuarios);
    return verificaLogonGravado(s, [&usuarios](const std::string& usuario) {
        std::optional<std::string> acesso;
        if (usuarios.findKey({Value(usuario)})) acesso = usuarios.field("ACESSO").asString();
        return acesso;
    });
}

void LoginSessao::VerificaSessao() {
    const bool salta = verificaArquivosSessao(form_.env, form_.sessao, [this] {
        // A database error while looking at the stored user is reported, and
        // the session is then not resumed: the login panel still guards the
        // window.
        std::string acesso;
        guarded(form_.env, [&] { acesso = VerificaLogonGravado(); });
        return acesso;
    });
    if (salta) {
        focoNaListaSeContaSemCondicao();
        return;
    }
    EditNome->setText(fromCp1252(form_.sessao.NomeUsuario.str()));
    MostraUsuarioNoTitulo();
    mostraPainel();
    if (podeReceberFoco(EditNome, &form_)) EditNome->setFocus();
    form_.setCancelButton(BotCancSenha);
}

void LoginSessao::ValidaLogin() {
    EstadoSessao& s = form_.sessao;
    Environment& env = form_.env;
    if (EditNome->text().isEmpty()) {
        env.showMessage(QStringLiteral("Não foi informado o Nome do Usuário."));
        EditNome->setFocus();
        return;
    }
    // A name Windows-1252 cannot hold is refused with its own message; a
    // password it cannot hold matches no stored one.
    const std::string nome = upperAZ(toCp1252OrThrow(EditNome->text()));
    const std::optional<std::string> senha = toCp1252(EditSenhaU->text());
    const QString naoAutorizado =
        QStringLiteral("Usuário ") + EditNome->text() + QStringLiteral(" não autorizado");

    RecordSet& usuarios = form_.DM->Usuarios;
    usuarios.open();
    FechaAoSair fecha(usuarios);
    s.NomeUsuarioMaiusc = nome;
    s.NomeUsuario = nome;
    MostraUsuarioNoTitulo();
    const std::optional<char> c =
        s.NomeUsuarioMaiusc.empty() ? std::nullopt : std::optional<char>(nome.front());

    if (!usuarios.findKey({Value(CodificaSenha(nome))})) {
        env.showMessage(naoAutorizado);
        EditNome->setFocus();
        return;
    }
    if (!senha || CodificaSenha(upperAZ(*senha)) != usuarios.field("SENHA").asString()) {
        env.showMessage(QStringLiteral("Senha incorreta. Tente novamente."));
        EditSenhaU->setFocus();
        return;
    }
    s.AcessoUsuario = usuarios.field("ACESSO").asString();
    usuarios.close();
    if (!acessoConfere(s.AcessoUsuario.str(), 3, 4, c)) {
        env.showMessage(naoAutorizado);
        return;
    }

    // The focus leaves the panel before it is hidden, so that it does not
    // pass through the entry fields on its way (leaving them runs lookups).
    if (podeReceberFoco(form_.BitBtn3, &form_)) {
        form_.BitBtn3->setFocus();
    } else if (QWidget* f = QApplication::focusWidget(); f && PainelLogin->isAncestorOf(f)) {
        f->clearFocus();
    }
    PainelLogin->hide();
    liberaAtalhos();
    EditNome->clear();
    EditSenhaU->clear();
    form_.setCancelButton(form_.BitBtn3);  // Esc now closes the program
    focoNaListaSeContaSemCondicao();
}

}  // namespace cp
