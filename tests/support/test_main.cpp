#include <gtest/gtest.h>

#include "ledger/engines.h"

// Every test program's entry: the engines are known before the first test opens a connection.
int main(int argc, char** argv) {
    tarvenish::registerEngines();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
