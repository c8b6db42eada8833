// The BMP reader over any bytes: it reads a bitmap or refuses with an Error, and what it reads
// survives being written and read again.
#include "base/Error.h"
#include "imaging/Bmp.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace vivrelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Bitmap bitmap;
    try {
        bitmap = LoadBmp(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    } catch (const Error &) {
        return 0;
    }
    const Bitmap flat = To24Bit(bitmap);
    const Bitmap again = To24Bit(LoadBmp(SaveBmp(bitmap)));
    if (again.width != flat.width || again.height != flat.height || again.bits != flat.bits)
        std::abort();
    return 0;
}
