// libFuzzer target of the MS SQL script parser (ParseScript, then Parse in
// full mode): the first byte picks the server version and QUOTED_IDENTIFIER,
// the rest is the script.
#include "qelFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size == 0) return 0;
    qeltest::FuzzOne(qeltest::MSSQLSetupFromByte(Data[0]), Data + 1, Size - 1);
    return 0;
}
