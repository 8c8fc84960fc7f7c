#include "entry/Procura.h"

#include "data/Cp1252.h"
#include "data/RecordSet.h"

namespace cp {

Achado posicionaNoNome(RecordSet& lista, std::string_view coluna, const std::string& texto) {
    if (!lista.findNearest({Value(texto)})) return Achado::Aproximado;  // an empty list
    if (lista.field(coluna).asString() != texto) return Achado::Aproximado;
    const int encontrado = lista.currentRow();
    lista.next();
    const bool repetido = !lista.eof() && lista.field(coluna).asString() == texto;
    lista.moveTo(encontrado);
    return repetido ? Achado::Repetido : Achado::Unico;
}

std::string sqlFornecedores(const std::string& camposFornecedor) {
    return "Select " + camposFornecedor + " from FORNECED order by NOMEFANTASIA";
}

void copiaFornecedor(RecordSet& fornecedor, RecordSet& conta, Escolha escolha) {
    const bool direta = escolha == Escolha::Direta;
    conta.field("NOMECLIFOR")
        .setAsString(fornecedor.field(direta ? "NOMEFANTASIA" : "NOME").asString());
    conta.field("FONECLIFOR").setAsString(fornecedor.field("TEL").asString());
    conta.field("ESTACAOCLIFOR").setAsString(direta ? "XX" : "FF");
    const std::string codigo = fornecedor.field("CODIGO").asString();
    try {
        conta.field("CODIGOCLIFOR").setAsString(codigo);  // empty empties it
    } catch (const DataError&) {
        std::string nome = fornecedor.field("NOMEFANTASIA").asString();
        if (nome.empty()) nome = fornecedor.field("NOME").asString();
        throw DataError(QStringLiteral("O código do fornecedor \"%1\" (\"%2\") não é um número "
                                       "inteiro e não pode ser copiado para a conta. Corrija o "
                                       "cadastro do fornecedor.")
                            .arg(fromCp1252(nome), fromCp1252(codigo))
                            .toStdString());
    }
}

void copiaPlano(RecordSet& plano, RecordSet& conta, Escolha escolha) {
    conta.field("NOMECLIFOR").setAsString(plano.field("FORNECEDOR").asString());
    conta.field("DESCRICAO").setAsString(plano.field("DESCRICAO").asString());
    conta.field("FABRICANTE").setAsString(plano.field("FABRICANTE").asString());
    if (escolha == Escolha::Direta)
        conta.field("FAMILIA").setAsString(plano.field("FAMILIA").asString());
    conta.field("GRUPDESP").setAsString(plano.field("GRUPODESP").asString());
    conta.field("CCUSTO").setAsString(plano.field("CCUSTO").asString());
}

std::string textoAnterior(std::string texto) {
    if (texto.size() > kTamanhoTextoAnterior) texto.resize(kTamanhoTextoAnterior);
    return texto;
}

}  // namespace cp
