// libFuzzer target of the InterBase script parser: the first byte picks the
// server version and SQL dialect, the rest is the script. Any broken
// invariant is printed and aborts, so that libFuzzer keeps the input.
#include "qelFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size == 0) return 0;
    qeltest::FuzzOne(qeltest::IBSetupFromByte(Data[0]), Data + 1, Size - 1);
    return 0;
}
