#include "platform/posix/PosixDatagrams.h"
#include "tests/support/DatagramsContract.h"

INSTANTIATE_TYPED_TEST_SUITE_P(PosixDatagrams, DatagramsContract, platform::posix::PosixDatagrams);
