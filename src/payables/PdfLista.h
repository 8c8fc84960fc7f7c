// The due list's copy as a PDF file. The pages are laid out exactly as on
// paper and in the print preview (CopiaLista, measured at a printer's
// resolution) and written with libharu in PDF's standard fonts, Helvetica
// and Helvetica-Bold: their widths are those of Arial, which the paper copy
// uses, and their WinAnsi encoding is the Windows-1252 of the suite's texts.
// Each cell is one text operation, so a list of 100,000 installments is
// written in about the time it takes to read it.
#pragma once

class QIODevice;

namespace cp {

struct Progresso;
struct RelatorioLista;

// Writes the copy of `r` to `saida` (open for writing). False when cancelled
// through `progresso` (nothing is written then); throws std::runtime_error
// with an operator's message when the file cannot be made or written.
bool escrevePdfLista(QIODevice& saida, const RelatorioLista& r, Progresso& progresso);

}  // namespace cp
