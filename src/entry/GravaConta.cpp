#include "entry/GravaConta.h"

#include "data/RecordSet.h"

namespace cp {

void gravaContaESegueEditando(RecordSet& conta) {
    if (conta.state() != RecordSetState::Edit && conta.state() != RecordSetState::Insert) return;
    conta.post();
    conta.edit();
}

}  // namespace cp
