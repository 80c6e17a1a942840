// Any byte string through the CP932 codec: it decodes to valid UTF-8, and
// decoding is lossless, so the text encodes back to the very bytes, with and
// without the lossy encoder's replacement (which it then never needs).
#include "fuzzsupport.h"

#include "core/cp932.h"

using namespace pelanova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::string text = cp932::decode(bytes);
    FUZZ_REQUIRE(fuzz::isUtf8(text));
    const std::optional<std::string> encoded = cp932::encode(text);
    FUZZ_REQUIRE(encoded);
    FUZZ_REQUIRE(*encoded == bytes);
    FUZZ_REQUIRE(cp932::encodeLossy(text) == bytes);
    return 0;
}
