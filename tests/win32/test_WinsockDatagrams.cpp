#include "platform/win32/WinsockDatagrams.h"
#include "tests/support/DatagramsContract.h"

INSTANTIATE_TYPED_TEST_SUITE_P(WinsockDatagrams, DatagramsContract,
                               platform::win32::WinsockDatagrams);
