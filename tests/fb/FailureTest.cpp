// The kind of a server error, read from the engine's codes of its status.
#include <gtest/gtest.h>

#include <stdexcept>

#include "fb/Failure.h"
#include "fb/fb.h"

namespace fb {
namespace {

TEST(Failure, TheKindOfAFailureIsReadFromAnyCodeOfItsStatus) {
    // A lock that outlasts the wait, as Firebird 3 reports it: the holder's
    // transaction number comes with the last code.
    const Error bloqueio("deadlock", -913, {{335544336, {}}, {335544451, {}}, {335544878, {7}}});
    EXPECT_EQ(classify(bloqueio), Failure::Conflict);
    EXPECT_EQ(bloqueio.numberOf(335544878), 7);
    EXPECT_FALSE(bloqueio.numberOf(335544336));
    // A known code after an unknown one still tells the kind.
    EXPECT_EQ(classify(Error("x", -902, {{335544999, {}}, {335544726, {}}})),
              Failure::ConnectionLost);
    EXPECT_EQ(classify(Error("x", -530, 335544466)), Failure::ForeignKey);
    EXPECT_EQ(classify(std::runtime_error("x")), Failure::Other);
    EXPECT_TRUE(isConnectionLost(Error("x", -902, 335544856)));
    EXPECT_FALSE(isConnectionLost(Error("x", -913, 335544336)));
}

}  // namespace
}  // namespace fb
