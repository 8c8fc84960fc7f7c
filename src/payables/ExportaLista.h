// The due list as a spreadsheet file, in the form the spreadsheet programs
// of Brazilian offices open without asking anything: fields separated by
// ";", amounts with a decimal comma and no grouping, dates "dd/mm/aaaa",
// UTF-8 with a byte-order mark, lines ended by CR LF. A field holding ";",
// a quote or a line break is quoted, its quotes doubled. A text beginning
// with "=", "+", "-" or "@" gets a leading apostrophe, so the spreadsheet
// shows it as text instead of running it as a formula.
//
// Layout: a few lines naming the list (title, period, view, work area,
// operator, when), the rows as the list shows them, the subtotals per due
// date, the subtotals per supplier, and the two totals as the list shows
// them.
#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace cp {

struct Progresso;
struct RelatorioLista;

// One field as written between the separators.
QByteArray campoCsv(const QString& texto);

// Writes the whole file to `out`. False when cancelled through `progresso`
// (the caller then drops what was written); throws std::runtime_error with
// the device's reason when a write fails.
bool escreveCsv(QIODevice& out, const RelatorioLista& r, Progresso& progresso);

}  // namespace cp
