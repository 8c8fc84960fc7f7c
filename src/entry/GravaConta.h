// Writing the current account while it is being entered. Every step of the
// entry screens that stores the account and goes on editing it comes through
// here, so the way a new account claims its number is decided in one place.
#pragma once

namespace cp {

class RecordSet;

// Posts the account (which writes it to the database at once) and puts it
// back in edit mode. Does nothing unless the account is being edited or
// inserted. A failure of the write goes on to the caller; the account then
// stays in its mode with its change pending.
void gravaContaESegueEditando(RecordSet& conta);

}  // namespace cp
