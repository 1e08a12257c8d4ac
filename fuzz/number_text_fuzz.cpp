// Fuzzes number reading: any text either reads to a count or is refused, and shows back the same.
#include "core/number_text.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto count = ostrel::parse_ten_thousandths(text);
    if (count) {
        // A count always shows as a text that reads back to the same count.
        const double value = static_cast<double>(static_cast<long double>(*count) / 10000.0L);
        const auto again = ostrel::parse_ten_thousandths(ostrel::show_fixed4(value));
        if (std::llabs(*count) < (1LL << 52) && (!again || *again != *count)) {
            std::abort();
        }
    }
    return 0;
}
