// The entry of the window test programs that reach the system's readers: started as the
// reader helper, the test program does the helper's job as the program would; otherwise it
// runs its tests.
#include <gtest/gtest.h>

#include "formats/ReaderProcess.h"

int main(int argc, char** argv) {
    if (const std::optional<int> code = RunReaderIfAsked()) return *code;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
