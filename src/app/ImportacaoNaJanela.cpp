#include "app/ImportacaoNaJanela.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QShortcut>
#include <QUrl>

#include "app/Form1.h"
#include "entry/ImportaNfe.h"
#include "entry/PainelConta.h"
#include "entry/PainelProcura.h"
#include "entry/Procuras.h"
#include "session/LoginSessao.h"
#include "shell/ErrorHandler.h"

namespace cp {
namespace {

// The one local XML file being dragged; empty for anything else.
QString arquivoXml(const QMimeData* dados) {
    if (!dados || !dados->hasUrls() || dados->urls().size() != 1) return {};
    const QUrl url = dados->urls().first();
    if (!url.isLocalFile()) return {};
    const QString caminho = url.toLocalFile();
    return caminho.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive) ? caminho : QString();
}

}  // namespace

ImportacaoNaJanela::ImportacaoNaJanela(Form1& form)
    : QObject(), importacao(std::make_unique<ImportaNfe>(form, *form.conta)), form_(form) {
    AtalhoImportar = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), form.PainelVelmora);
    AtalhoImportar->setObjectName(QStringLiteral("AtalhoImportarNFe"));
    AtalhoImportar->setContext(Qt::WidgetWithChildrenShortcut);
    connectGuarded(form.env, AtalhoImportar, &QShortcut::activated, this, [this] { pede(); });
    form.setAcceptDrops(true);
    form.installEventFilter(this);
}

ImportacaoNaJanela::~ImportacaoNaJanela() { form_.removeEventFilter(this); }

bool ImportacaoNaJanela::disponivel() const {
    if (!form_.activated() || form_.activationFailed()) return false;
    if (!form_.PainelVelmora || !form_.PainelVelmora->isVisible()) return false;
    if (form_.login && form_.login->PainelLogin && form_.login->PainelLogin->isVisible())
        return false;
    if (form_.procuras && (form_.procuras->PainelForProcura->isVisible() ||
                           form_.procuras->PainelPlanoProcura->isVisible()))
        return false;
    return true;
}

void ImportacaoNaJanela::pede() {
    if (disponivel()) importacao->pedeEImporta();
}

void ImportacaoNaJanela::importaArquivo(const QString& caminho) {
    if (disponivel()) importacao->importa(caminho);
}

bool ImportacaoNaJanela::eventFilter(QObject* watched, QEvent* e) {
    if (watched != &form_) return false;
    if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) {
        auto* d = static_cast<QDropEvent*>(e);
        if (disponivel() && !arquivoXml(d->mimeData()).isEmpty()) {
            d->acceptProposedAction();
            return true;
        }
        return false;
    }
    if (e->type() == QEvent::Drop) {
        auto* d = static_cast<QDropEvent*>(e);
        const QString caminho = arquivoXml(d->mimeData());
        if (caminho.isEmpty()) return false;
        d->acceptProposedAction();
        guarded(form_.env, [&] { importaArquivo(caminho); });
        return true;
    }
    return false;
}

}  // namespace cp
