#include <gtest/gtest.h>

#include <new>
#include <string>

#include "data/RecordSetCell.h"

namespace cp {

// A cell made from a value where a long text cell lived before (a slot of a
// row, a temporary on the stack) owns nothing of the old one: writing the
// number of a new account back into its row after the apply freed the old
// text a second time when the set was read again.
TEST(RecordSetCell, ACellMadeFromAValueOwnsNothingOfWhatWasThereBefore) {
    alignas(Cell) unsigned char slot[sizeof(Cell)];
    Cell* antes = new (slot) Cell();
    antes->setText(std::string(40, 'x'));
    antes->~Cell();

    Cell* numero = new (slot) Cell(Value(std::int64_t{1234}));
    EXPECT_EQ(numero->get(), Value(std::int64_t{1234}));
    numero->~Cell();

    Cell* texto = new (slot) Cell(Value(std::string(30, 'y')));
    EXPECT_EQ(texto->get(), Value(std::string(30, 'y')));
    texto->~Cell();
}

}  // namespace cp
