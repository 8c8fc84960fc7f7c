// Tables of this program's own in the suite's shared database. The suite's
// tables are never altered; what only this program keeps (an NF-e's access
// key beside its account, a payment slip beside its installment) lives in
// tables of its own, created by the program the first time one is needed
// and described in sql/proprias.sql. Several workstations may find one
// missing at the same moment: whichever creates it first wins, and the
// others take it as it is.
#pragma once

#include <string>

namespace cp {

class Connection;

// True when the shared database has the table `nome` (upper case).
bool tabelaExiste(Connection& conexao, const std::string& nome);

// Creates the table `nome` with the statement `ddl` (and then each of
// `depois`, such as its indexes) unless it is already there. Each statement
// runs in a transaction of its own, as DDL must be committed before the
// table is used. A creation that fails because another workstation created
// it meanwhile is no failure. Errors of the server go on as fb::Error.
void garanteTabela(Connection& conexao, const std::string& nome, const std::string& ddl,
                   const std::initializer_list<const char*>& depois = {});

}  // namespace cp
