#include "shell/JanelaPrincipal.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <stdexcept>

#include "shell/DataWidgets.h"
#include "shell/FocusChain.h"

namespace cp {

JanelaPrincipal::JanelaPrincipal(Environment& environment, EstadoSessao& estado, QWidget* parent)
    : QMainWindow(parent), env(environment), sessao(estado) {}

JanelaPrincipal::~JanelaPrincipal() = default;

void JanelaPrincipal::abreDetalhes() {
    throw std::logic_error("Esta janela não tem a vista de detalhes da conta.");
}

void JanelaPrincipal::setCancelButton(QPushButton* b) { cancelButton_ = b; }

void JanelaPrincipal::setDefaultButton(QPushButton* b) {
    if (defaultButton_) defaultButton_->setDefault(false);
    defaultButton_ = b;
    if (b) b->setDefault(true);
}

void JanelaPrincipal::focusNext() {
    if (!commitFocusedEditor(this)) return;  // the field refused its text
    focusNextPrevChild(true);
}

bool JanelaPrincipal::focusNextPrevChild(bool next) {
    QWidget* atual = focusWidget();
    if (!atual) return QMainWindow::focusNextPrevChild(next);
    QWidget* proximo = nextReachable(atual, next);
    if (!proximo) return false;
    proximo->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void JanelaPrincipal::mostraSituacao(const QString& texto) {
    QStatusBar* barra = statusBar();
    barra->setSizeGripEnabled(false);  // the window keeps its size
    barra->showMessage(texto, 6000);
}

void JanelaPrincipal::mostraArquivoGravado(const QString& oQue, const QString& caminho) {
    QStatusBar* barra = statusBar();
    barra->setSizeGripEnabled(false);
    if (!situacaoArquivo_) {
        situacaoArquivo_ = new QLabel(barra);
        situacaoArquivo_->setObjectName(QStringLiteral("SituacaoArquivo"));
        situacaoArquivo_->setTextFormat(Qt::PlainText);
        situacaoArquivo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        botaoAbrirPasta_ = new QPushButton(QStringLiteral("Abrir a pasta"), barra);
        botaoAbrirPasta_->setObjectName(QStringLiteral("BotAbrirPasta"));
        botaoAbrirPasta_->setAutoDefault(false);
        barra->addWidget(situacaoArquivo_, 1);
        barra->addWidget(botaoAbrirPasta_);
        connect(botaoAbrirPasta_, &QPushButton::clicked, this, [this] {
            if (!env.openFolder(pastaGravada_))
                env.showMessage(QStringLiteral("A pasta %1 não pôde ser aberta.")
                                    .arg(QDir::toNativeSeparators(pastaGravada_)));
        });
    }
    const QFileInfo arquivo(caminho);
    pastaGravada_ = arquivo.absolutePath();
    barra->clearMessage();
    situacaoArquivo_->setText(
        QStringLiteral("%1: %2").arg(oQue, QDir::toNativeSeparators(arquivo.absoluteFilePath())));
    situacaoArquivo_->setAccessibleName(situacaoArquivo_->text());
    botaoAbrirPasta_->setToolTip(
        QStringLiteral("Abre a pasta %1").arg(QDir::toNativeSeparators(pastaGravada_)));
    situacaoArquivo_->show();
    botaoAbrirPasta_->show();
    barra->show();
}

void JanelaPrincipal::keyPressEvent(QKeyEvent* e) {
    auto usavel = [](QPushButton* b) { return b && b->isVisible() && b->isEnabled(); };
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        if (usavel(cancelButton_)) {
            cancelButton_->click();
            return;
        }
    } else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        // Enter clicks the focused button, otherwise the default button.
        if (auto* focado = qobject_cast<QPushButton*>(focusWidget()); usavel(focado)) {
            focado->click();
            return;
        }
        if (usavel(defaultButton_)) {
            defaultButton_->click();
            return;
        }
    }
    QMainWindow::keyPressEvent(e);
}

}  // namespace cp
